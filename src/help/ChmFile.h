#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace lumeye::help {

// What the "#SYSTEM" object of a compiled help file says about it.
struct SystemInfo {
    std::string defaultTopic;  // as stored, usually without a leading '/'
    std::string title;
};

// Reads the entries of a "#SYSTEM" object: a 4-byte version, then records of
// a 16-bit code, a 16-bit length and that many bytes (little-endian). A record
// that runs past the end is ignored.
SystemInfo parseSystem(std::string_view bytes);

// A compiled HTML help file (.chm), read through chmlib. Paths inside it are
// absolute ("/contents.htm"); a path without the leading '/' means the same
// object. chmlib matches paths without regard to letter case.
class ChmFile {
public:
    // Nothing when the file is missing or is not a compiled help file.
    static std::unique_ptr<ChmFile> open(const std::string& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The stored documents, pictures and the like, in the file's order; the
    // format's own bookkeeping ("#SYSTEM", "$WWKeywordLinks/...",
    // "::DataSpace/...") is left out.
    std::vector<std::string> files() const;
    // The HTML pages among them.
    std::vector<std::string> pages() const;

    // The whole object; nothing when the file holds no such object or it
    // cannot be read completely.
    std::optional<std::string> read(std::string_view path) const;

    // The page the file opens at, as an absolute path; empty when the file
    // names none.
    std::string defaultTopic() const;
    std::string title() const;

private:
    explicit ChmFile(chmFile* handle);
    SystemInfo system() const;

    chmFile* handle_;
};

// Opens a help file for showing: nothing unless the file opens and its
// default topic can be read.
std::unique_ptr<ChmFile> openHelpFile(const std::string& path);

}  // namespace lumeye::help
