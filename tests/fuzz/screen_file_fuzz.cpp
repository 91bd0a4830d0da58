// The start-up read of screen.dat: any bytes either give two dimensions or
// raise one of the two errors the start-up read catches (input past the end,
// overflow); nothing else escapes. And whatever dimensions the file held,
// the file the program writes for them reads back as the same two values.
#include "FuzzInput.h"

#include "app/ScreenFile.h"
#include "core/Error.h"

#include <sstream>
#include <string>

using namespace lumeye;

namespace {
constexpr int32_t kInputPastEndOfFile = 62;

void readBack(int16_t width, int16_t height) {
    std::istringstream written(app::ScreenFileContent(width, height));
    int16_t w = 0, h = 0;
    app::ReadScreenFile(written, w, h, "MainForm.Form_Load");
    FUZZ_CHECK(w == width && h == height);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    std::istringstream file{std::string(input.rest())};
    int16_t width = 0, height = 0;
    try {
        app::ReadScreenFile(file, width, height, "MainForm.Form_Load");
        FUZZ_CHECK(file.peek() == std::char_traits<char>::eof());
    } catch (const Error& e) {
        FUZZ_CHECK(e.number() == kInputPastEndOfFile || e.number() == ErrorNumber::Overflow);
        FUZZ_CHECK(e.source() == "MainForm.Form_Load");
    }
    // Values read before a failure stay, as the start-up read leaves them.
    readBack(width, height);
    // Any two 16-bit values, taken from the input's first bytes.
    fuzz::FuzzInput values(data, size);
    readBack(values.integer<int16_t>(), values.integer<int16_t>());
    return 0;
}
