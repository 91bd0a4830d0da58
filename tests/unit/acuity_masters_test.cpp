// The four master pictures: every pixel against their table of black
// rectangles, the file format, and the tool that makes them.
#include "acuity_masters.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace acuity_test {
namespace {
uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
    return v;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

OneBitBitmap readOneBitBitmap(const std::string& path) {
    const std::vector<uint8_t> b = readFile(path);
    if (b.size() < 62 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a bitmap: " + path);
    OneBitBitmap bmp;
    const uint32_t offset = le(b, 10, 4);
    const uint32_t header = le(b, 14, 4);
    bmp.width = static_cast<int32_t>(le(b, 18, 4));
    const auto rawHeight = static_cast<int32_t>(le(b, 22, 4));
    bmp.height = rawHeight < 0 ? -rawHeight : rawHeight;
    bmp.bitsPerPixel = static_cast<int>(le(b, 28, 2));
    if (bmp.bitsPerPixel != 1 || le(b, 30, 4) != 0) throw std::runtime_error("not 1-bit uncompressed: " + path);
    for (int i = 0; i < 2; ++i) bmp.palette[i] = le(b, 14 + header + 4 * i, 4) & 0xFFFFFF;
    const size_t rowBytes = ((bmp.width + 31) / 32) * 4;
    if (b.size() < offset + rowBytes * bmp.height) throw std::runtime_error("short bitmap: " + path);
    bmp.index.resize(static_cast<size_t>(bmp.width) * bmp.height);
    for (int row = 0; row < bmp.height; ++row) {
        const int stored = rawHeight < 0 ? row : bmp.height - 1 - row;
        const uint8_t* bits = b.data() + offset + stored * rowBytes;
        for (int column = 0; column < bmp.width; ++column)
            bmp.index[static_cast<size_t>(row) * bmp.width + column] = (bits[column / 8] >> (7 - column % 8)) & 1;
    }
    return bmp;
}

std::string masterPath(int direction) {
    return std::string(LUMEYE_SOURCE_DIR) + "/resources/masters/pic" + std::to_string(direction) + ".bmp";
}

lumeye::PixelArray masterPixels(int direction) {
    const OneBitBitmap bmp = readOneBitBitmap(masterPath(direction));
    lumeye::PixelArray pixels(bmp.width, bmp.height);
    for (int y = 0; y < bmp.height; ++y)
        for (int x = 0; x < bmp.width; ++x) {
            const uint32_t c = bmp.palette[bmp.at(x, y)];
            pixels(x, y) = {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                            static_cast<uint8_t>(c >> 16)};
        }
    return pixels;
}

namespace {

// The rectangles as the design gives them, written out again here rather
// than shared with the tool, so a slip in either shows.
struct Rect {
    int top, bottom, left, right;
};
const std::vector<Rect> kBlack[5] = {
    {},
    {{1, 60, 1, 299}, {61, 120, 1, 60}, {121, 180, 1, 240}, {181, 240, 1, 60}, {241, 299, 1, 299}},
    {{1, 60, 0, 298}, {61, 299, 0, 58}, {61, 240, 119, 178}, {61, 299, 239, 298}},
    {{0, 58, 0, 298}, {59, 238, 239, 298}, {119, 178, 59, 298}, {239, 298, 0, 298}},
    {{0, 238, 0, 58}, {59, 238, 119, 178}, {0, 238, 239, 298}, {239, 298, 0, 298}},
};

bool blackInTable(int direction, int column, int row) {
    for (const Rect& r : kBlack[direction])
        if (row >= r.top && row <= r.bottom && column >= r.left && column <= r.right) return true;
    return false;
}

class AcuityMasterFile : public ::testing::TestWithParam<int> {};

TEST_P(AcuityMasterFile, EveryPixelMatchesTheTable) {
    const int d = GetParam();
    const OneBitBitmap bmp = readOneBitBitmap(masterPath(d));
    ASSERT_EQ(bmp.width, 300);
    ASSERT_EQ(bmp.height, 300);
    EXPECT_EQ(bmp.palette[0], 0xFFFFFFu) << "entry 0 is white";
    EXPECT_EQ(bmp.palette[1], 0x000000u) << "entry 1 is black";
    int wrong = 0;
    for (int row = 0; row < 300; ++row)
        for (int column = 0; column < 300; ++column)
            if ((bmp.at(column, row) == 1) != blackInTable(d, column, row) && ++wrong <= 5)
                ADD_FAILURE() << "pic" << d << " row " << row << " column " << column;
    EXPECT_EQ(wrong, 0);
}

TEST_P(AcuityMasterFile, TheToolkitReadsTheSamePixels) {
    const int d = GetParam();
    const QImage image(QString::fromStdString(masterPath(d)));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.depth(), 1);
    const OneBitBitmap bmp = readOneBitBitmap(masterPath(d));
    for (int row = 0; row < 300; ++row)
        for (int column = 0; column < 300; ++column)
            ASSERT_EQ(image.pixel(column, row), bmp.at(column, row) ? 0xFF000000u : 0xFFFFFFFFu)
                << "pic" << d << " " << column << "," << row;
}

INSTANTIATE_TEST_SUITE_P(Directions, AcuityMasterFile, ::testing::Values(1, 2, 3, 4));

TEST(AcuityMasterTool, MakesTheCommittedFiles) {
    const auto dir = std::filesystem::temp_directory_path() / ("acuity-masters-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string command = std::string(MAKE_MASTERS) + " " + dir.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int d = 1; d <= 4; ++d) {
        const std::string made = (dir / ("pic" + std::to_string(d) + ".bmp")).string();
        EXPECT_EQ(readFile(made), readFile(masterPath(d))) << "pic" << d;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace acuity_test
