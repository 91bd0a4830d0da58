#include "core/Error.h"
#include "core/Numeric.h"
#include "core/Random.h"
#include "core/ZeroedMemory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

using namespace lumeye;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(189.5), 190);
    EXPECT_EQ(roundHalfEven(190.5), 190);
    EXPECT_EQ(roundHalfEven(150.5), 150);
    EXPECT_EQ(roundHalfEven(151.5), 152);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
}

TEST(Rounding, SixteenBitConversionsReportOverflow) {
    EXPECT_EQ(toInt16(32767.4, "t"), 32767);
    EXPECT_THROW(toInt16(32767.5, "t"), Error);  // rounds to 32768
    EXPECT_EQ(toInt16(-32768.5, "t"), -32768);
    try {
        toInt16(32768.0, "Module.Routine");
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Overflow);
        EXPECT_EQ(e.source(), "Module.Routine");
    }
    EXPECT_THROW(toInt16(-32769.0, "t"), Error);
    EXPECT_THROW(toInt16(std::numeric_limits<double>::quiet_NaN(), "t"), Error);
    EXPECT_THROW(toByte(255.5, "t"), Error);  // 256 after rounding
    EXPECT_EQ(toByte(127.5, "t"), 128);
    EXPECT_THROW(checkedInt16(40000, "t"), Error);
}

TEST(Division, ZeroDivisorIsAnError) {
    EXPECT_DOUBLE_EQ(divide(1024, 320, "t"), 3.2);
    try {
        divide(1024, 0, "MainForm.BuildSizeTable");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
    }
}

TEST(Random, ValuesAreUniformInTheUnitInterval) {
    RandomResetToStart();
    int buckets[4] = {};
    for (int i = 0; i < 40000; ++i) {
        const float u = RandomNext();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        ++buckets[static_cast<int>(u * 4)];
    }
    for (int b : buckets) EXPECT_NEAR(b, 10000, 400);
}

TEST(Random, RestartDependsOnTheArgumentAlone) {
    RandomResetToStart();
    for (int i = 0; i < 17; ++i) RandomNext();
    const float first = RandomRestart(-1.0f);
    const float after = RandomNext();
    RandomReseed(0.25f);
    RandomNext();
    EXPECT_EQ(RandomRestart(-1.0f), first);
    EXPECT_EQ(RandomNext(), after);
    EXPECT_NE(RandomRestart(-2.0f), first);
}

TEST(Random, ReseedDependsOnArgumentAndPriorState) {
    std::set<float> seen;
    for (float prior : {-1.0f, -2.0f}) {
        for (float x : {0.5f, 0.75f}) {
            RandomRestart(prior);
            RandomReseed(x);
            seen.insert(RandomNext());
        }
    }
    EXPECT_EQ(seen.size(), 4u);
    RandomRestart(-1.0f);
    RandomReseed(0.5f);
    const float again = RandomNext();
    EXPECT_TRUE(seen.count(again));
}

// A large block is the whole of its file: what the program writes is what a
// reader of the file (a compositor) finds, zeros included.
TEST(ZeroedMemory, ALargeBlockIsItsFile) {
    const int probe = memfd_create("probe", MFD_CLOEXEC);
    if (probe < 0) GTEST_SKIP() << "this system makes no memory files: " << std::strerror(errno);
    close(probe);
    const std::size_t bytes = std::size_t(4) << 20;
    auto* block = static_cast<unsigned char*>(lumeye::allocateZeroed(bytes));
    const int file = lumeye::fileOfZeroed(block);
    ASSERT_GE(file, 0);
    EXPECT_EQ(lseek(file, 0, SEEK_END), off_t(bytes));
    block[bytes - 1] = 0xab;
    unsigned char read[2] = {1, 1};
    ASSERT_EQ(pread(file, read, 2, off_t(bytes - 2)), 2);
    EXPECT_EQ(read[0], 0);
    EXPECT_EQ(read[1], 0xab);
    EXPECT_EQ(lumeye::fileOfZeroed(block + 1), -1);
    lumeye::freeZeroed(block, bytes);
    EXPECT_EQ(lumeye::fileOfZeroed(block), -1);

    void* small = lumeye::allocateZeroed(4096);
    EXPECT_EQ(lumeye::fileOfZeroed(small), -1);
    lumeye::freeZeroed(small, 4096);
}

// Where no memory file can be made (here: no file descriptor is left), a
// large block is private memory, zeroed and writable all the same.
TEST(ZeroedMemory, WithoutMemoryFilesALargeBlockIsPrivateMemory) {
    const std::size_t bytes = std::size_t(4) << 20;
    unsigned char* block = nullptr;
    {
        struct NoNewFiles {
            rlimit before{};
            NoNewFiles() {
                getrlimit(RLIMIT_NOFILE, &before);
                const int lowestFree = dup(0);
                close(lowestFree);
                rlimit none = before;
                none.rlim_cur = rlim_t(lowestFree);
                setrlimit(RLIMIT_NOFILE, &none);
            }
            ~NoNewFiles() { setrlimit(RLIMIT_NOFILE, &before); }
        } noNewFiles;
        ASSERT_LT(memfd_create("probe", MFD_CLOEXEC), 0);
        block = static_cast<unsigned char*>(lumeye::allocateZeroed(bytes));
    }
    EXPECT_EQ(lumeye::fileOfZeroed(block), -1);
    EXPECT_TRUE(std::all_of(block, block + bytes, [](unsigned char b) { return b == 0; }));
    lumeye::freeZeroed(block, bytes);
}
