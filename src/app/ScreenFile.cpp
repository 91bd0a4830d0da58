#include "app/ScreenFile.h"

#include "app/AnswerReader.h"
#include "core/Error.h"
#include "core/Numeric.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumeye::app {
namespace {
// A number field longer than this cannot hold a sensible number; only its
// start is kept, which is all the number reader looks at anyway.
constexpr std::size_t kMaxNumberField = 4096;

class FieldReader {
public:
    FieldReader(std::istream& in, const std::string& errorSource) : in_(in), errorSource_(errorSource) {}

    bool atEnd() { return in_.peek() == std::char_traits<char>::eof(); }

    // Reads one field and its delimiter; quoted text is returned without quotes.
    std::string next() {
        if (atEnd()) throw Error(ErrorNumber::InputPastEndOfFile, "Input past end of file", errorSource_);
        while (in_.peek() == ' ' || in_.peek() == '\t') in_.get();
        std::string field;
        if (in_.peek() == '"') {
            in_.get();
            int c;
            while ((c = in_.get()) != EOF && c != '"') keep(field, c);
            // Anything between the closing quote and the delimiter is passed over.
            while ((c = in_.peek()) != EOF && !isDelimiter(c)) in_.get();
        } else {
            int c;
            while ((c = in_.peek()) != EOF && !isDelimiter(c)) keep(field, in_.get());
        }
        consumeDelimiter();
        return field;
    }

private:
    static bool isDelimiter(int c) { return c == ',' || c == '\r' || c == '\n'; }
    static void keep(std::string& field, int c) {
        if (field.size() < kMaxNumberField) field.push_back(static_cast<char>(c));
    }
    void consumeDelimiter() {
        const int c = in_.get();
        if (c == '\r' && in_.peek() == '\n') in_.get();
    }
    std::istream& in_;
    const std::string& errorSource_;
};

int16_t readNumber(FieldReader& reader, const std::string& errorSource) {
    return toInt16(ReadAnswer(reader.next()), errorSource);
}

std::string withSeparator(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

Error saveError(const std::string& path, int error, const std::string& errorSource) {
    return Error(ErrorNumber::InvalidProcedureCall, "Could not save " + path + ": " + std::strerror(error),
                 errorSource);
}

// False, with errno set, when the bytes could not all be written.
bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a path ends at: a save through a symbolic link replaces what the
// link points to and leaves the link.
std::string linkedFile(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path file = path;
    std::error_code ec;
    // As many links as the system itself follows.
    for (int hops = 0; hops < 40 && fs::is_symlink(file, ec); ++hops) {
        const fs::path to = fs::read_symlink(file, ec);
        if (ec) break;
        file = to.is_absolute() ? to : file.parent_path() / to;
    }
    return file.string();
}

// A new file beside the target under a name of its own, made as any new file
// is: read and write for all, less the umask (which the kernel applies, so
// the process never changes it under Qt's threads). Sets `path`.
int createTemporary(const std::string& folder, std::string& path) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + ".screen.dat.";
        for (int i = 0; i < 6; ++i) path += kLetters[letter(random)];
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Overwrites the file's bytes, shortens it to them and flushes it.
void saveInPlace(const std::string& target, const std::string& bytes, const std::string& errorSource) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw saveError(target, errno, errorSource);
    if (!writeAll(fd, bytes) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        throw saveError(target, error, errorSource);
    }
    if (::close(fd) != 0) throw saveError(target, errno, errorSource);
}
}  // namespace

std::string ScreenFileContent(int16_t width, int16_t height) {
    const auto line = [](int16_t value) { return std::to_string(value) + ",\"\r\"\r\n"; };
    return line(width) + line(height);
}

void ReadScreenFile(std::istream& in, int16_t& width, int16_t& height, const std::string& errorSource) {
    FieldReader reader(in, errorSource);
    while (!reader.atEnd()) {
        width = readNumber(reader, errorSource);
        reader.next();
        height = readNumber(reader, errorSource);
        reader.next();
    }
}

std::optional<std::string> FindScreenFile(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> matches;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (lower(name) == kScreenFileName) matches.push_back(name);
    }
    if (matches.empty()) return std::nullopt;
    for (const char* preferred : {"Screen.dat", "screen.dat"})
        if (std::find(matches.begin(), matches.end(), preferred) != matches.end())
            return withSeparator(folder) + preferred;
    std::sort(matches.begin(), matches.end());
    return withSeparator(folder) + matches.front();
}

void SaveScreenFile(const std::string& folder, int16_t width, int16_t height, const std::string& errorSource) {
    const std::string target =
        linkedFile(FindScreenFile(folder).value_or(withSeparator(folder) + kScreenFileName));
    const std::string bytes = ScreenFileContent(width, height);
    std::string temp;
    const int fd = createTemporary(target.substr(0, target.rfind('/') + 1), temp);
    if (fd < 0) {
        // A folder that takes no new files may still hold a file the user
        // can write: then it is rewritten where it lies.
        if (errno == EACCES || errno == EPERM) return saveInPlace(target, bytes, errorSource);
        throw saveError(target, errno, errorSource);
    }
    // Every failure after this takes the temporary file away again.
    const auto abandon = [&](int error) {
        ::unlink(temp.c_str());
        return saveError(target, error, errorSource);
    };
    // A file that replaces another takes its permissions (a private 0600
    // file stays private), never its set-id or sticky bits; a first one
    // keeps what the umask left.
    struct stat old {};
    const bool replaces = ::stat(target.c_str(), &old) == 0;
    if ((replaces && ::fchmod(fd, old.st_mode & 0777) != 0) || !writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        throw abandon(error);
    }
    if (::close(fd) != 0) throw abandon(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) throw abandon(errno);
}

}  // namespace lumeye::app
