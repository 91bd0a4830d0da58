#include "core/Error.h"
#include "core/Numeric.h"
#include "core/Random.h"
#include "core/ZeroedMemory.h"

#include <gtest/gtest.h>


#include <algorithm>
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

// Pixel rows made without a value are left as the memory came, zero, also
// where it was freed dirty; made with a value they hold it.
TEST(ZeroedAllocator, ElementsWithoutAValueAreZeroAndWithOneHoldIt) {
    using Bytes = std::vector<unsigned char, lumeye::ZeroedAllocator<unsigned char>>;
    for (const std::size_t bytes : {std::size_t(4096), std::size_t(8) << 20}) {
        {
            const Bytes dirty(bytes, 0xab);
            EXPECT_EQ(dirty.back(), 0xab);
        }
        const Bytes rows(bytes);
        EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](unsigned char b) { return b == 0; })) << bytes;
        const Bytes filled(bytes, 0x5c);
        EXPECT_TRUE(std::all_of(filled.begin(), filled.end(), [](unsigned char b) { return b == 0x5c; })) << bytes;
    }
}
