#include "PrintTestPages.h"

#include "core/Error.h"
#include "print/DefaultPrinter.h"
#include "print/Dib.h"
#include "print/PrintPicture.h"
#include "print/PrintScale.h"

#include <QImage>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

using namespace lumeye;
using namespace lumeye::print;
using lumeye::print::testing::ImagePage;
using lumeye::print::testing::RecordingPage;

namespace {
// The routine the errors of the code under test name: its caller.
const std::string kCaller = "Test.Caller";
const std::string kCardFile = std::string(LUMEYE_SOURCE_DIR) + "/resources/card-e.bmp";

// The card E as described: a black E opening right on 60-pixel units, with a
// white first row and column and a bottom bar cut short by the picture's edge.
bool cardIsBlack(int row, int column) {
    if (row == 0 || column == 0) return false;
    if (row <= 60 || row >= 241) return true;
    if (row >= 121 && row <= 180) return column <= 240;
    return column <= 60;
}

QImage describedCard() {
    QImage image(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) image.setPixel(x, y, cardIsBlack(y, x) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
}  // namespace

// ---- The scale and place of the card on a page ----

struct PlacementCase {
    int32_t horzRes, vertRes;
    int32_t scale;
    std::optional<QRect> target;
};

class CardPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(CardPlacementTest, ScaleAndTargetFollowThePrintableSize) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(printScale(c.horzRes, c.vertRes, 300, 300, kCaller), c.scale);
    EXPECT_EQ(cardPlacement(c.horzRes, c.vertRes, 300, 300, kCaller), c.target);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CardPlacementTest,
    ::testing::Values(
        // Half the width of a 600 dpi page, 350 pixels down.
        PlacementCase{4800, 6600, 16, QRect(0, 350, 2400, 2400)},
        // 16.5 and 17.5 times across: halves go to the even neighbour.
        PlacementCase{4950, 6600, 16, QRect(0, 350, 2400, 2400)},
        PlacementCase{5250, 6600, 18, QRect(0, 350, 2700, 2700)},
        // A short page: the 2650 pixels below the top edge decide (8.83 -> 9).
        PlacementCase{4800, 3000, 9, QRect(0, 350, 1350, 1350)},
        // 1.5 times across rounds up to 2: the picture at its own size.
        PlacementCase{450, 6600, 2, QRect(0, 350, 300, 300)},
        PlacementCase{750, 6600, 2, QRect(0, 350, 300, 300)},
        PlacementCase{1050, 6600, 4, QRect(0, 350, 600, 600)},
        // Too narrow, or too short below the top edge (449 / 300 rounds to 1).
        PlacementCase{400, 6600, 1, std::nullopt},
        PlacementCase{4800, 800, 2, QRect(0, 350, 300, 300)},
        PlacementCase{4800, 799, 1, std::nullopt},
        PlacementCase{4800, 1100, 2, QRect(0, 350, 300, 300)},
        // A page shorter than the top band: the height left is negative.
        PlacementCase{4800, 100, -1, std::nullopt},
        PlacementCase{0, 6600, 0, std::nullopt}));

TEST(CardPlacement, OddPictureSizesRoundHalvesToEven) {
    // 301 * 3 / 2 = 451.5 -> 452; 303 * 3 / 2 = 454.5 -> 454.
    EXPECT_EQ(cardPlacement(903, 6600, 301, 301, kCaller), QRect(0, 351, 452, 452));
    EXPECT_EQ(cardPlacement(909, 6600, 303, 303, kCaller), QRect(0, 353, 454, 454));
}

TEST(CardPlacement, EmptyPictureIsADivisionByZeroError) {
    try {
        printScale(4800, 6600, 0, 0, kCaller);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
        EXPECT_EQ(e.source(), kCaller);
    }
}

// ---- The 4-bit DIB ----

TEST(Dib4, RowLengthHoldsEveryPixelInWholeWords) {
    EXPECT_EQ(dibRowLength4(300), 152);
    EXPECT_EQ(dibRowLength4(1), 4);
    EXPECT_EQ(dibRowLength4(9), 8);
    for (int32_t width = 1; width <= 2000; ++width)
        ASSERT_EQ(dibRowLength4(width), (width * 4 + 31) / 32 * 4) << "width " << width;
}

TEST(Dib4, CardBecomesA104ByteHeaderAnd45600BytesOfBits) {
    const Dib4 dib = toDib4(describedCard());
    ASSERT_EQ(dib.info.size(), 104u);
    EXPECT_EQ(dib.bits.size(), 45600u);

    const std::vector<uint8_t> info(dib.info.begin(), dib.info.end());
    EXPECT_EQ(le32(info, 0), 40u);   // biSize
    EXPECT_EQ(le32(info, 4), 300u);  // biWidth
    EXPECT_EQ(le32(info, 8), 300u);  // biHeight, positive: bottom-up
    EXPECT_EQ(le16(info, 12), 1u);   // biPlanes
    EXPECT_EQ(le16(info, 14), 4u);   // biBitCount
    for (size_t at = 16; at < 40; ++at) EXPECT_EQ(info[at], 0) << "header byte " << at;
    // RGBQUADs (blue, green, red, 0): black first, dark red second, white last.
    EXPECT_EQ(std::vector<uint8_t>(info.begin() + 40, info.begin() + 48),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x80, 0}));
    EXPECT_EQ(std::vector<uint8_t>(info.begin() + 100, info.end()), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0}));

    // Bottom row first: the last picture row is white at column 0, then black.
    EXPECT_EQ(dib.bits[0], 0xF0);
    EXPECT_EQ(dib.bits[1], 0x00);
    // The top picture row (all white) is the last DIB row: 150 bytes of white, 2 of padding.
    const uint8_t* top = dib.bits.data() + 299 * 152;
    for (int i = 0; i < 150; ++i) ASSERT_EQ(top[i], 0xFF) << i;
    EXPECT_EQ(top[150], 0);
    EXPECT_EQ(top[151], 0);
}

TEST(Dib4, PixelsTakeTheNearestStandardColourHighNibbleFirst) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 0));        // 0 black
    image.setPixel(1, 0, qRgb(255, 255, 255));  // 15 white
    image.setPixel(2, 0, qRgb(200, 30, 30));    // nearest: 9 red
    image.setPixel(0, 1, qRgb(100, 100, 100));  // nearest: 8 grey
    image.setPixel(1, 1, qRgb(192, 192, 192));  // 7 silver
    image.setPixel(2, 1, qRgb(0, 0, 255));      // 12 blue
    const Dib4 dib = toDib4(image);
    EXPECT_EQ(dib.bits, (std::vector<uint8_t>{0x87, 0xC0, 0, 0, 0x0F, 0x90, 0, 0}));
}

TEST(Dib4, DecodesBackToThePicture) {
    const QImage card = describedCard();
    const QImage decoded = toImage(toDib4(card));
    ASSERT_EQ(decoded.size(), QSize(300, 300));
    EXPECT_EQ(decoded.colorCount(), 16);
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), card);
}

// ---- PrintPicture ----

TEST(PrintPicture, OneStretchOfTheWholeDibPerCard) {
    RecordingPage page(4800, 6600);
    PrintPicture(describedCard(), page);
    ASSERT_EQ(page.stretches.size(), 1u);
    EXPECT_EQ(page.stretches[0].target, QRect(0, 350, 2400, 2400));
    EXPECT_EQ(page.stretches[0].dib.width(), 300);
    EXPECT_EQ(page.stretches[0].dib.height(), 300);
    EXPECT_EQ(page.stretches[0].dib.bitCount(), 4);
    EXPECT_EQ(page.stretches[0].dib.bits.size(), 45600u);
}

TEST(PrintPicture, DrawsNothingBelowScaleTwo) {
    for (const auto& [horz, vert] : {std::pair{400, 6600}, std::pair{4800, 799}}) {
        RecordingPage page(horz, vert);
        PrintPicture(describedCard(), page);
        EXPECT_TRUE(page.stretches.empty()) << horz << " x " << vert;
    }
}

TEST(PrintPicture, PageShowsTheCardAtTwiceItsSize) {
    ImagePage page(1250, 1700); // s = 4: 600 x 600 at (0, 350), each picture pixel 2 x 2 device pixels
    PrintPicture(describedCard(), page);
    const QRect target(0, 350, 600, 600);
    int wrong = 0;
    for (int y = 0; y < page.image.height(); ++y)
        for (int x = 0; x < page.image.width(); ++x) {
            const QRgb shown = page.image.pixel(x, y);
            if (!target.contains(x, y))
                wrong += shown != qRgb(255, 255, 255);
            else
                wrong += shown != (cardIsBlack((y - 350) / 2, x / 2) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    EXPECT_EQ(wrong, 0);
}

// ---- The stored card picture ----

TEST(CardPicture, FileIsThe300By300GreyE) {
    std::ifstream in(kCardFile, std::ios::binary);
    ASSERT_TRUE(in) << kCardFile;
    const std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    const uint32_t offset = le32(b, 10);
    ASSERT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 300u);  // width
    EXPECT_EQ(le32(b, 22), 300u);  // height, bottom-up
    EXPECT_EQ(le16(b, 26), 1u);    // planes
    EXPECT_EQ(le16(b, 28), 8u);    // bits per pixel
    EXPECT_EQ(le32(b, 30), 0u);    // uncompressed
    EXPECT_EQ(le32(b, 38), 23622u);
    EXPECT_EQ(le32(b, 42), 23622u);
    const uint32_t colours = le32(b, 46) == 0 ? 256 : le32(b, 46);
    ASSERT_EQ(colours, 256u);
    for (uint32_t i = 0; i < 256; ++i) {
        const size_t at = 54 + 4 * i;
        ASSERT_TRUE(b[at] == i && b[at + 1] == i && b[at + 2] == i) << "palette entry " << i;
    }
    ASSERT_EQ(b.size(), offset + 300u * 300u);
    int wrong = 0;
    for (int row = 0; row < 300; ++row)
        for (int column = 0; column < 300; ++column) {
            const uint8_t index = b[offset + (299 - row) * 300 + column];
            wrong += index != (cardIsBlack(row, column) ? 0 : 255);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(CardPicture, LoadsAsAnIndexedImageAt600Dpi) {
    const QImage card(QString::fromStdString(kCardFile));
    ASSERT_FALSE(card.isNull());
    EXPECT_EQ(card.format(), QImage::Format_Indexed8);
    EXPECT_EQ(card.colorCount(), 256);
    EXPECT_EQ(card.dotsPerMeterX(), 23622);
    EXPECT_EQ(card.dotsPerMeterY(), 23622);
    EXPECT_EQ(card.convertToFormat(QImage::Format_RGB32), describedCard());
}

// ---- CUPS's answer ----

// CUPS loaded by the print plugin for itself alone, as a plugin's library is,
// and under another name than libcups.so.2, is found all the same, and its
// refusal read.
TEST(CupsAnswer, ReadThroughTheLibraryThePluginLoaded) {
    EXPECT_EQ(lastCupsAnswer(), std::nullopt) << "an answer without CUPS loaded";
    void* cups = dlopen(STAND_IN_CUPS, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(cups, nullptr) << dlerror();
    const std::optional<CupsAnswer> answer = lastCupsAnswer();
    ASSERT_TRUE(answer.has_value()) << "CUPS not found among the loaded libraries";
    EXPECT_TRUE(answer->refused);
    EXPECT_EQ(answer->reason, QStringLiteral("not accepting jobs"));
    dlclose(cups);
}
