#include "help/ChmFile.h"

#include <chm_lib.h>

#include <algorithm>
#include <cctype>

namespace lumeye::help {
namespace {
// #SYSTEM record codes.
constexpr unsigned kDefaultTopicCode = 2;
constexpr unsigned kTitleCode = 3;

// A damaged file can claim any length for an object; nothing this program
// stores comes near this.
constexpr LONGUINT64 kLargestObject = 64u * 1024u * 1024u;

unsigned word(std::string_view bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

// A record's text ends at its first zero byte.
std::string text(std::string_view record) { return std::string(record.substr(0, record.find('\0'))); }

std::string absolute(std::string_view path) {
    if (!path.empty() && path.front() == '/') return std::string(path);
    return "/" + std::string(path);
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), s.end() - suffix.size(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
}

int collectPath(chmFile*, chmUnitInfo* info, void* context) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(info->path);
    return CHM_ENUMERATOR_CONTINUE;
}
}  // namespace

SystemInfo parseSystem(std::string_view bytes) {
    SystemInfo info;
    size_t at = 4;  // past the version
    while (at + 4 <= bytes.size()) {
        const unsigned code = word(bytes, at);
        const size_t length = word(bytes, at + 2);
        at += 4;
        if (at + length > bytes.size()) break;
        const std::string_view record = bytes.substr(at, length);
        if (code == kDefaultTopicCode) info.defaultTopic = text(record);
        if (code == kTitleCode) info.title = text(record);
        at += length;
    }
    return info;
}

std::unique_ptr<ChmFile> ChmFile::open(const std::string& path) {
    chmFile* handle = chm_open(path.c_str());
    if (!handle) return nullptr;
    return std::unique_ptr<ChmFile>(new ChmFile(handle));
}

ChmFile::ChmFile(chmFile* handle) : handle_(handle) {}

ChmFile::~ChmFile() { chm_close(handle_); }

std::vector<std::string> ChmFile::files() const {
    std::vector<std::string> paths;
    chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectPath, &paths);
    return paths;
}

std::vector<std::string> ChmFile::pages() const {
    std::vector<std::string> result;
    for (std::string& path : files())
        if (endsWithNoCase(path, ".htm") || endsWithNoCase(path, ".html")) result.push_back(std::move(path));
    return result;
}

std::optional<std::string> ChmFile::read(std::string_view path) const {
    chmUnitInfo info;
    if (chm_resolve_object(handle_, absolute(path).c_str(), &info) != CHM_RESOLVE_SUCCESS) return std::nullopt;
    if (info.length > kLargestObject) return std::nullopt;
    std::string bytes(static_cast<size_t>(info.length), '\0');
    if (info.length == 0) return bytes;
    const LONGINT64 got = chm_retrieve_object(handle_, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              static_cast<LONGINT64>(info.length));
    if (got != static_cast<LONGINT64>(info.length)) return std::nullopt;
    return bytes;
}

SystemInfo ChmFile::system() const { return parseSystem(read("/#SYSTEM").value_or(std::string())); }

std::string ChmFile::defaultTopic() const {
    const std::string topic = system().defaultTopic;
    return topic.empty() ? topic : absolute(topic);
}

std::string ChmFile::title() const { return system().title; }

std::unique_ptr<ChmFile> openHelpFile(const std::string& path) {
    auto file = ChmFile::open(path);
    if (!file) return nullptr;
    const std::string topic = file->defaultTopic();
    if (topic.empty() || !file->read(topic)) return nullptr;
    return file;
}

}  // namespace lumeye::help
