// Faults the program must survive without losing data or its footing:
// screen.dat that cannot be saved (injected errors of every call that saves
// it, and a real full file system), and pictures with no pixels at all.
#include "FileFaults.h"

#include "app/ScreenFile.h"
#include "bitmap/PixelCodec.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace lumeye;
using faults::FileCall;
namespace fs = std::filesystem;

namespace {

class ScreenFileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/lumeye-faults.XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        faults::clearFaults();
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
        fs::remove_all(dir_);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    std::string slurp(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename().string());
        return out;
    }
    // Saving 520 x 293 fails, says which file and why, and leaves the folder
    // as it was.
    void expectFailedSave(const std::string& reason) {
        const std::vector<std::string> before = names();
        const std::string old = slurp("screen.dat");
        try {
            app::SaveScreenFile(dir_, 520, 293, "MainForm.ScreenSize");
            ADD_FAILURE() << "the save was reported as done";
        } catch (const Error& e) {
            EXPECT_NE(e.description().find(path("screen.dat")), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(reason), std::string::npos) << e.description();
        }
        EXPECT_EQ(slurp("screen.dat"), old);
        EXPECT_EQ(names(), before) << "a temporary file was left behind";
    }

    std::string dir_;
    bool mounted_ = false;
};

struct InjectedFault {
    FileCall call;
    int error;
    const char* pathPart; // the temporary file, or the file it replaces
};

const char* callName(FileCall call) {
    static const char* const names[] = {"Write", "Fsync", "Close", "Rename"};
    return names[int(call)];
}
std::string faultName(const ::testing::TestParamInfo<InjectedFault>& info) {
    return std::string(callName(info.param.call)) + "Fails" + std::to_string(info.index);
}
// Shown with the test's name: the same in every build.
void PrintTo(const InjectedFault& fault, std::ostream* out) {
    *out << callName(fault.call) << ": " << std::strerror(fault.error);
}

class ScreenFileCallFaults : public ScreenFileFaults, public ::testing::WithParamInterface<InjectedFault> {};

TEST_P(ScreenFileCallFaults, LeaveTheOldFileByteForByte) {
    const InjectedFault fault = GetParam();
    std::ofstream(path("screen.dat"), std::ios::binary) << app::ScreenFileContent(303, 227);
    faults::injectFault(fault.call, fault.error, fault.pathPart);
    expectFailedSave(std::strerror(fault.error));
    EXPECT_GT(faults::faultsHit(), 0) << "the fault was never met";
    EXPECT_EQ(slurp("screen.dat"), app::ScreenFileContent(303, 227));

    // With no file before, none is made.
    fs::remove(path("screen.dat"));
    expectFailedSave(std::strerror(fault.error));
    EXPECT_TRUE(names().empty());

    // Once the disk works again, the next save goes through.
    faults::clearFaults();
    app::SaveScreenFile(dir_, 520, 293, "MainForm.ScreenSize");
    EXPECT_EQ(slurp("screen.dat"), app::ScreenFileContent(520, 293));
}

INSTANTIATE_TEST_SUITE_P(
    EveryCallThatSaves, ScreenFileCallFaults,
    ::testing::Values(InjectedFault{FileCall::Write, ENOSPC, ".screen.dat."},
                      InjectedFault{FileCall::Write, EIO, ".screen.dat."},
                      InjectedFault{FileCall::Fsync, EIO, ".screen.dat."},
                      InjectedFault{FileCall::Close, EDQUOT, ".screen.dat."},
                      InjectedFault{FileCall::Rename, EROFS, "/screen.dat"}),
    faultName);

// A real full disk: a small private file system, filled up. Needs the right
// to mount (root); the mount is seen by this test process only.
TEST_F(ScreenFileFaults, AFullFileSystemLeavesTheOldFile) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "no right to mount a file system here: " << std::strerror(errno);
    ASSERT_EQ(::mount("lumeye-full", dir_.c_str(), "tmpfs", 0, "size=16k"), 0) << std::strerror(errno);
    mounted_ = true;
    std::ofstream(path("screen.dat"), std::ios::binary) << app::ScreenFileContent(303, 227);
    {
        std::ofstream filler(path("filler"), std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 16 && filler; ++i) filler.write(block.data(), std::streamsize(block.size())).flush();
    }
    expectFailedSave(std::strerror(ENOSPC));
    EXPECT_EQ(slurp("screen.dat"), app::ScreenFileContent(303, 227));
    // Room again: the save goes through.
    fs::remove(path("filler"));
    app::SaveScreenFile(dir_, 520, 293, "MainForm.ScreenSize");
    EXPECT_EQ(slurp("screen.dat"), app::ScreenFileContent(520, 293));
}

// Letters too small for a pixel give pictures with rows but no columns, or
// none at all: reading and writing them moves nothing, at every depth.
TEST(EmptyPictures, PackAndUnpackMoveNothing) {
    for (int depth : {8, 15, 16, 24, 32}) {
        for (auto [width, height] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
            SCOPED_TRACE(::testing::Message() << depth << " bits, " << width << " x " << height);
            PixelArray pixels(width, height);
            const int16_t rowBytes = pixelcodec::packedRowBytes(depth, width, "t");
            const std::vector<uint8_t> bits = pixelcodec::pack(depth, pixels, rowBytes, nullptr);
            EXPECT_TRUE(bits.empty());
            PixelArray back(width, height);
            pixelcodec::unpack(bits.data(), rowBytes, depth, pixelcodec::PaletteTable{}, back);
            EXPECT_EQ(back, pixels);
        }
    }
}

}  // namespace
