// The area-averaging reduction of the master E's into letters.
#include "acuity/Reduction.h"
#include "acuity_masters.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace lumeye;
using namespace lumeye::acuity;

namespace {
// The routine the errors of the code under test name: its caller.
const std::string kCaller = "Test.Caller";

// The spans of every target column for a 300-pixel source and a W-wide target.
std::vector<SourceSpan> spansFor(int targetWidth) {
    const ReduceParams p = MakeReduceParams(0, 0, 300, 300, 0, 0, targetWidth, targetWidth, kCaller);
    std::vector<SourceSpan> spans;
    for (int x = 0; x < targetWidth; ++x)
        spans.push_back(SourceSpanFor(x, p.DstLeft, p.ReduceScaleX, p.SrcLeft, kCaller));
    return spans;
}

void expectSpan(const SourceSpan& s, int first, int last) {
    EXPECT_EQ(s.first, first);
    EXPECT_EQ(s.last, last);
}

// Spans are contiguous, in order and cover source columns 0 to 298.
void expectTiling(const std::vector<SourceSpan>& spans, int minWidth, int maxWidth) {
    EXPECT_EQ(spans.front().first, 0);
    EXPECT_EQ(spans.back().last, 298);
    for (size_t i = 0; i < spans.size(); ++i) {
        const int width = static_cast<int>(spans[i].last) - spans[i].first + 1;
        EXPECT_GE(width, minWidth) << i;
        EXPECT_LE(width, maxWidth) << i;
        if (i > 0) {
            EXPECT_EQ(spans[i].first, spans[i - 1].last + 1) << i;
        }
    }
}

PixelArray reduce(const PixelArray& source, int width, int height) {
    PixelArray target(width, height);
    const ReduceParams params = MakeReduceParams(0, 0, static_cast<float>(source.width()),
                                                 static_cast<float>(source.height()), 0, 0, static_cast<float>(width),
                                                 static_cast<float>(height), kCaller);
    AveragePixels(source, target, params, kCaller);
    return target;
}

// Quarter turns of a square picture.
PixelArray turnClockwise(const PixelArray& a) {
    const int n = a.width();
    PixelArray t(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) t(n - 1 - y, x) = a(x, y);
    return t;
}

int darkness(const PixelTriple& p) { return 255 - p.Green; }

}  // namespace

TEST(AcuityReductionBoxes, A299PixelTargetCopiesPixelForPixel) {
    const auto spans = spansFor(299);
    for (int x = 0; x < 299; ++x) expectSpan(spans[x], x, x);
}

TEST(AcuityReductionBoxes, A150PixelTargetTakesOneOrTwoColumns) {
    const auto spans = spansFor(150);
    expectSpan(spans[0], 0, 0);
    expectSpan(spans[1], 1, 2);
    expectSpan(spans[2], 3, 4);
    expectSpan(spans[149], 297, 298);
    expectTiling(spans, 1, 2);
}

TEST(AcuityReductionBoxes, A100PixelTargetTakesTwoOrThreeColumns) {
    const auto spans = spansFor(100);
    expectSpan(spans[0], 0, 1);
    expectSpan(spans[1], 2, 4);
    expectSpan(spans[2], 5, 7);
    expectSpan(spans[99], 296, 298);
    expectTiling(spans, 2, 3);
}

TEST(AcuityReductionBoxes, OriginsShiftTheBoxes) {
    // Target origin 10: target column 10 takes what column 0 took; source
    // origin 5: every box moves 5 source columns on.
    expectSpan(SourceSpanFor(10, 10, 100.0 / 299, 0, kCaller), 0, 1);
    expectSpan(SourceSpanFor(0, 0, 100.0 / 299, 5, kCaller), 5, 6);
}

TEST(AcuityReductionBoxes, LargerTargetsTakeOneSourcePixelEach) {
    // Over 299 pixels some boxes would be empty; each takes the source pixel
    // it falls in, and together they still use every column 0 to 298.
    for (int width : {300, 322, 600, 1200}) {
        const auto spans = spansFor(width);
        int previous = 0;
        for (const SourceSpan& s : spans) {
            ASSERT_EQ(s.last, s.first) << width;
            ASSERT_GE(s.first, previous) << width;
            ASSERT_LE(s.first, previous + 1) << width;
            previous = s.first;
        }
        EXPECT_EQ(spans.front().first, 0);
        EXPECT_EQ(spans.back().first, 298);
    }
}

TEST(AcuityReductionParams, ScaleIsTargetOverOneLessThanSource) {
    const ReduceParams p = MakeReduceParams(1, 2, 300, 200, 3, 4, 150, 50, kCaller);
    EXPECT_EQ(p.SrcLeft, 1);
    EXPECT_EQ(p.SrcTop, 2);
    EXPECT_EQ(p.DstLeft, 3);
    EXPECT_EQ(p.DstTop, 4);
    EXPECT_DOUBLE_EQ(p.ReduceScaleX, 150.0 / 299);
    EXPECT_DOUBLE_EQ(p.ReduceScaleY, 50.0 / 199);
    try {
        MakeReduceParams(0, 0, 1, 300, 0, 0, 10, 10, kCaller);
        FAIL() << "a one-pixel source divides by zero";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
        EXPECT_EQ(e.source(), kCaller);
    }
}

TEST(AcuityAveraging, HalfBlackBoxGives128) {
    // A 3 x 2 source: into one pixel, the box is columns 0-1 of row 0.
    PixelArray source(3, 2);
    source(0, 0) = {0, 0, 0};
    source(1, 0) = {255, 255, 255};
    source(2, 0) = {0, 0, 0};  // last column: never read
    source(0, 1) = source(1, 1) = source(2, 1) = {0, 0, 0};
    const PixelArray target = reduce(source, 1, 1);
    EXPECT_EQ(target(0, 0), (PixelTriple{128, 128, 128}));  // 127.5 to the even neighbour
}

TEST(AcuityAveraging, ChannelsKeepTheDisplaysRanges) {
    // 5-6-5 white is 31, 63, 31: half of it is 15.5 and 31.5.
    PixelArray source(3, 2);
    source(1, 0) = {31, 63, 31};
    const PixelArray target = reduce(source, 1, 1);
    EXPECT_EQ(target(0, 0), (PixelTriple{16, 32, 16}));
    // One white of three: 85 on eight bits.
    PixelArray three(4, 2);
    three(2, 0) = {255, 255, 255};
    EXPECT_EQ(reduce(three, 1, 1)(0, 0), (PixelTriple{85, 85, 85}));
}

TEST(AcuityAveraging, A299PixelLetterIsTheMasterLessItsLastRowAndColumn) {
    const PixelArray master = acuity_test::masterPixels(3);
    const PixelArray letter = reduce(master, 299, 299);
    for (int y = 0; y < 299; ++y)
        for (int x = 0; x < 299; ++x) ASSERT_EQ(letter(x, y), master(x, y)) << x << "," << y;
}

TEST(AcuityAveraging, LettersComeOutInGreysWithTheirShape) {
    const PixelArray letter = reduce(acuity_test::masterPixels(1), 140, 140);
    int greys = 0;
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < 140; ++x) {
            const PixelTriple& p = letter(x, y);
            ASSERT_EQ(p.Blue, p.Green);
            ASSERT_EQ(p.Red, p.Green);
            if (p.Green != 0 && p.Green != 255) ++greys;
        }
    EXPECT_GT(greys, 0);
    // Opening right: the spine at the left is black, the gaps at the right white.
    EXPECT_EQ(letter(10, 70).Green, 0);
    EXPECT_EQ(letter(130, 40).Green, 255);
    EXPECT_EQ(letter(130, 100).Green, 255);
    EXPECT_EQ(letter(130, 70).Green, 255);  // the middle arm is one unit shorter
    EXPECT_EQ(letter(100, 70).Green, 0);
}

TEST(AcuityAveraging, TheFourDirectionsAreQuarterTurnsOfOneGreyLetter) {
    // Turned back to opening right, each direction gives the same letter. The
    // masters' white edges lie on different sides, which shifts the letter by
    // up to two source pixels against the boxes: in small letters that moves
    // each grey by at most two source rows and columns of its box, and in any
    // letter leaves the total ink the same.
    for (int size : {5, 10, 20, 60, 140}) {
        PixelArray turnedBack[5];
        for (int d = 1; d <= 4; ++d) {
            PixelArray letter = reduce(acuity_test::masterPixels(d), size, size);
            for (int turns = 0; turns < (5 - d) % 4; ++turns) letter = turnClockwise(letter);
            turnedBack[d] = letter;
        }
        long ink1 = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) ink1 += darkness(turnedBack[1](x, y));
        const int shiftBound = 255 * 4 * size / 299 + 1;
        for (int d = 2; d <= 4; ++d) {
            long ink = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const int a = darkness(turnedBack[1](x, y));
                    const int b = darkness(turnedBack[d](x, y));
                    ink += b;
                    if (size > 10) continue;
                    ASSERT_EQ(a >= 128, b >= 128) << "size " << size << " direction " << d << " at " << x << "," << y;
                    ASSERT_LE(std::abs(a - b), shiftBound)
                        << "size " << size << " direction " << d << " at " << x << "," << y;
                }
            EXPECT_NEAR(static_cast<double>(ink), static_cast<double>(ink1), 0.02 * ink1) << size << " " << d;
        }
    }
}

TEST(AcuityAveraging, EnlargedLettersStayBlackAndWhite) {
    // 7.38 pixels per millimetre: a 43.6 mm letter is 322 pixels.
    const PixelArray master = acuity_test::masterPixels(2);
    const PixelArray letter = reduce(master, 322, 322);
    long black = 0;
    for (int y = 0; y < 322; ++y)
        for (int x = 0; x < 322; ++x) {
            const int g = letter(x, y).Green;
            ASSERT_TRUE(g == 0 || g == 255) << x << "," << y;
            black += g == 0;
        }
    long masterBlack = 0;
    for (int y = 0; y < 299; ++y)
        for (int x = 0; x < 299; ++x) masterBlack += master(x, y).Green == 0;
    const double scale = 322.0 / 299;
    EXPECT_NEAR(static_cast<double>(black), masterBlack * scale * scale, 0.02 * black);
}

TEST(AcuityAveraging, EmptyTargetsAreLeftAlone) {
    PixelArray empty;
    AveragePixels(acuity_test::masterPixels(1), empty, MakeReduceParams(0, 0, 300, 300, 0, 0, 0, 0, kCaller), kCaller);
    EXPECT_EQ(empty.width(), 0);
}
