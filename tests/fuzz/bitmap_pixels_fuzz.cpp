// GetBitmapPixels and SetBitmapPixels on picture boxes of any size, on
// displays of any depth, holding any bits: a depth the routines do not know
// and a picture too large for 16-bit rows raise their errors before anything
// is touched; otherwise the array has the picture's size and the depth's
// channel ranges, reading leaves the picture as it was, and what is written
// reads back (clamped at 15 and 16 bits, the nearest palette colour at 8).
#include "FuzzInput.h"

#include "bitmap/DDBHelper.h"
#include "core/Error.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/Screen.h"

#include <QApplication>

#include <string>

using namespace lumeye;

namespace {
struct DisplayKind {
    int depth;
    int bitsPerPixel; // in memory, 0 when the depth implies it
    int16_t reported; // what GetBitmapPixels reports; 0 for a depth it refuses
};
constexpr DisplayKind kDisplays[] = {{1, 0, 0},  {4, 0, 0},  {8, 0, 8},   {15, 0, 15},
                                 {16, 0, 16}, {24, 0, 32}, {24, 24, 24}, {32, 0, 32}};

// The widest row the 16-bit row length holds at each reported depth.
int widestRow(int16_t depth) {
    switch (depth) {
    case 8: return 32766;
    case 15:
    case 16: return 16383;
    case 24: return 10922;
    default: return 8191;
    }
}

bool inRange(const PixelTriple& p, int16_t depth) {
    if (depth == 15) return p.Blue <= 31 && p.Green <= 31 && p.Red <= 31;
    if (depth == 16) return p.Blue <= 31 && p.Green <= 63 && p.Red <= 31;
    return true;
}

PixelArray read(ui::PictureBox& box, int16_t expectedDepth) {
    PixelArray pixels;
    int16_t depth = 0;
    DDBHelper::GetBitmapPixels(box, pixels, depth);
    FUZZ_CHECK(depth == expectedDepth);
    return pixels;
}

void fill(PixelArray& pixels, fuzz::FuzzInput& input) {
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) pixels(x, y) = {input.byte(), input.byte(), input.byte()};
}

// The colours an 8-bit picture can hold: its matched palette's.
bool inPalette(const ui::PictureBox& box, const PixelTriple& p) {
    ui::PaletteEntry table[256];
    const uint32_t n = ui::GetPaletteEntries(box.Picture().hPal(), 0, 256, table);
    for (uint32_t i = 0; i < n; ++i)
        if (table[i].peRed == p.Red && table[i].peGreen == p.Green && table[i].peBlue == p.Blue) return true;
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const DisplayKind display = kDisplays[input.byte() % std::size(kDisplays)];
    const uint8_t shape = input.byte();
    const bool wide = shape & 1;        // one or two very long rows
    const bool withPicture = !(shape & 2); // as the test window's boxes have
    const bool otherSize = shape & 4;   // an array not of the picture's size
    const int width = int(wide ? input.inRange(0, 40000) : input.inRange(0, 48));
    const int height = int(wide ? input.inRange(0, 2) : input.inRange(0, 48));

    ui::ScreenInfo screen;
    screen.geometry = screen.availableGeometry = QRect(0, 0, 1024, 768);
    screen.depth = display.depth;
    screen.bitsPerPixel = display.bitsPerPixel;
    ui::Screen::setOverride(screen);
    ui::SystemPalette::reset();

    ui::PictureBox box;
    box.setBorderStyle(ui::PictureBox::BorderStyle::None);
    box.resize(width, height);
    std::string bits(input.bytes(size_t(box.Image().byteCount())));
    // A 5-5-5 display never sets the top bit of its words.
    if (display.depth == 15)
        for (size_t i = 1; i < bits.size(); i += 2) bits[i] = char(bits[i] & 0x7F);
    ui::SetBitmapBits(box.Image(), int32_t(bits.size()), bits.data());
    if (withPicture) box.setPicture(ui::StdPicture(box.Image()));
    const QImage before = box.Image().toImage();

    PixelArray pixels(3, 2);
    pixels(1, 1).Red = 7;
    const PixelArray untouched = pixels;
    int16_t depth = -1;
    try {
        DDBHelper::GetBitmapPixels(box, pixels, depth);
    } catch (const Error& e) {
        FUZZ_CHECK(box.Image().toImage() == before);
        if (display.reported == 0) {
            FUZZ_CHECK(e.number() == ErrorNumber::InvalidBitsPerPixel);
            FUZZ_CHECK(pixels == untouched);
        } else if (e.number() == ErrorNumber::Overflow) {
            FUZZ_CHECK(width > widestRow(display.reported));
            FUZZ_CHECK(pixels == untouched);
        } else {
            FUZZ_CHECK(e.number() == ErrorNumber::PaletteMatch);
            FUZZ_CHECK(display.reported == 8 && !withPicture);
        }
        return 0;
    }
    FUZZ_CHECK(display.reported != 0 && width <= widestRow(display.reported));
    FUZZ_CHECK(depth == display.reported);
    FUZZ_CHECK(pixels.width() == width && pixels.height() == height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) FUZZ_CHECK(inRange(pixels(x, y), depth));
    FUZZ_CHECK(box.Image().toImage() == before);

    // What was read, written back, reads the same.
    PixelArray same = pixels;
    DDBHelper::SetBitmapPixels(box, depth, same);
    FUZZ_CHECK(same == pixels);
    FUZZ_CHECK(read(box, depth) == pixels);

    // Any values written read back as stored.
    if (otherSize) {
        PixelArray other(int(input.inRange(0, 60)), int(input.inRange(0, 60)));
        fill(other, input);
        DDBHelper::SetBitmapPixels(box, depth, other);
        read(box, depth);
        return 0;
    }
    fill(pixels, input);
    DDBHelper::SetBitmapPixels(box, depth, pixels);
    const PixelArray back = read(box, depth);
    if (depth == 8) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) FUZZ_CHECK(inPalette(box, back(x, y)));
    } else {
        FUZZ_CHECK(back == pixels);
    }
    return 0;
}
