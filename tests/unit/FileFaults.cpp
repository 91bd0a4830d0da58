#include "FileFaults.h"

#include <cerrno>
#include <climits>
#include <map>
#include <string>

#include <sys/types.h>
#include <unistd.h>

// The linker's --wrap turns the program's calls of write, fsync, close and
// rename into calls of the __wrap_ functions; __real_ reaches the real ones.
extern "C" {
ssize_t __real_write(int fd, const void* buffer, size_t count);
int __real_fsync(int fd);
int __real_close(int fd);
int __real_rename(const char* from, const char* to);
}

namespace lumeye::faults {
namespace {
std::map<FileCall, std::pair<int, std::string>> armed;
int hits = 0;

std::string pathOf(int fd) {
    char buffer[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

// The error number the call is to fail with, or 0.
int faultFor(FileCall call, const std::string& path) {
    const auto it = armed.find(call);
    if (it == armed.end() || path.find(it->second.second) == std::string::npos) return 0;
    ++hits;
    return it->second.first;
}
}  // namespace

void injectFault(FileCall call, int error, const std::string& pathPart) { armed[call] = {error, pathPart}; }
void clearFaults() {
    armed.clear();
    hits = 0;
}
int faultsHit() { return hits; }

}  // namespace lumeye::faults

using lumeye::faults::FileCall;
using lumeye::faults::faultFor;

extern "C" {
ssize_t __wrap_write(int fd, const void* buffer, size_t count) {
    if (const int error = faultFor(FileCall::Write, lumeye::faults::pathOf(fd))) {
        errno = error;
        return -1;
    }
    return __real_write(fd, buffer, count);
}

int __wrap_fsync(int fd) {
    if (const int error = faultFor(FileCall::Fsync, lumeye::faults::pathOf(fd))) {
        errno = error;
        return -1;
    }
    return __real_fsync(fd);
}

int __wrap_close(int fd) {
    const int error = faultFor(FileCall::Close, lumeye::faults::pathOf(fd));
    const int result = __real_close(fd);
    if (error) {
        errno = error;
        return -1;
    }
    return result;
}

int __wrap_rename(const char* from, const char* to) {
    if (const int error = faultFor(FileCall::Rename, to)) {
        errno = error;
        return -1;
    }
    return __real_rename(from, to);
}
}
