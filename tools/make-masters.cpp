// Makes the four master pictures of the tumbling E, one per direction, from
// their table of black rectangles:
//
//   make-masters resources/masters      -> pic1.bmp ... pic4.bmp
//
// Each is a 300 x 300 Windows bitmap of 1 bit per pixel, palette entry 0
// white and 1 black. The E sits on a 5 x 5 grid of 60-pixel units; each
// picture leaves one row and one column white along two of its edges. The
// build makes this tool, and a unit test checks that it still gives the
// committed files.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 300;

// Black rectangles, inclusive: rows top to bottom, columns left to right.
struct Rect {
    int top, bottom, left, right;
};

const std::array<std::vector<Rect>, 4> kMasters = {{
    // 1: opening right; row 0 and column 0 white.
    {{1, 60, 1, 299}, {61, 120, 1, 60}, {121, 180, 1, 240}, {181, 240, 1, 60}, {241, 299, 1, 299}},
    // 2: opening down; row 0 and column 299 white.
    {{1, 60, 0, 298}, {61, 299, 0, 58}, {61, 240, 119, 178}, {61, 299, 239, 298}},
    // 3: opening left; row 299 and column 299 white.
    {{0, 58, 0, 298}, {59, 238, 239, 298}, {119, 178, 59, 298}, {239, 298, 0, 298}},
    // 4: opening up; row 299 and column 299 white.
    {{0, 238, 0, 58}, {59, 238, 119, 178}, {0, 238, 239, 298}, {239, 298, 0, 298}},
}};

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(v & 0xFF);
    out.push_back(v >> 8);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

std::vector<uint8_t> bitmapFile(const std::vector<Rect>& black) {
    constexpr uint32_t rowBytes = ((kSize + 31) / 32) * 4;  // rows padded to 32 bits
    constexpr uint32_t headers = 14 + 40 + 2 * 4;
    constexpr uint32_t imageBytes = rowBytes * kSize;
    constexpr uint32_t pixelsPerMetre = 3780;  // 96 dots per inch
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, headers + imageBytes);
    put32(out, 0);
    put32(out, headers);
    put32(out, 40);
    put32(out, kSize);
    put32(out, kSize);  // positive: bottom row first
    put16(out, 1);
    put16(out, 1);
    put32(out, 0);  // uncompressed
    put32(out, imageBytes);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, 2);
    put32(out, 2);
    put32(out, 0x00FFFFFF);  // entry 0 white (blue, green, red, 0)
    put32(out, 0x00000000);  // entry 1 black
    for (int row = kSize - 1; row >= 0; --row) {
        std::vector<uint8_t> bits(rowBytes, 0);
        for (const Rect& r : black) {
            if (row < r.top || row > r.bottom) continue;
            for (int column = r.left; column <= r.right; ++column) bits[column / 8] |= 0x80 >> (column % 8);
        }
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-masters FOLDER\n");
        return 2;
    }
    for (size_t i = 0; i < kMasters.size(); ++i) {
        const std::string path = std::string(argv[1]) + "/pic" + std::to_string(i + 1) + ".bmp";
        const std::vector<uint8_t> bytes = bitmapFile(kMasters[i]);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "make-masters: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
