#include "core/ZeroedMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace lumeye {
namespace {
// From this size on a block is mapped on its own, its pages made at once.
constexpr std::size_t kMappedBytes = std::size_t(2) << 20;

std::mutex filesLock;
std::map<const void*, int>& files() {
    static std::map<const void*, int> byBlock;
    return byBlock;
}
}  // namespace

void* allocateZeroed(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes < kMappedBytes) {
        if (void* block = std::calloc(bytes, 1)) return block;
        throw std::bad_alloc();
    }
    const int file = memfd_create("lumeye-pixels", MFD_CLOEXEC);
    if (file < 0) {
        // No memory files here (a sandbox may refuse them): a block of
        // private memory still serves, only no compositor can read it.
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (block == MAP_FAILED) throw std::bad_alloc();
        return block;
    }
    void* block = MAP_FAILED;
    if (ftruncate(file, off_t(bytes)) == 0)
        block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, file, 0);
    if (block == MAP_FAILED) {
        close(file);
        throw std::bad_alloc();
    }
    const std::lock_guard lock(filesLock);
    files()[block] = file;
    return block;
}

void freeZeroed(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    if (bytes < kMappedBytes) std::free(block);
    else {
        munmap(block, bytes);
        const std::lock_guard lock(filesLock);
        if (auto it = files().find(block); it != files().end()) {
            close(it->second);
            files().erase(it);
        }
    }
}

int fileOfZeroed(const void* block) {
    const std::lock_guard lock(filesLock);
    const auto it = files().find(block);
    return it == files().end() ? -1 : it->second;
}

}  // namespace lumeye
