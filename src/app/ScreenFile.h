#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

// The screen-size file, "screen.dat": the display's width and height in
// millimetres as two lines of comma-separated fields.
namespace lumeye::app {

inline constexpr const char* kScreenFileName = "screen.dat";

// The bytes written for a width and a height: for 303 x 227,
// 303,"<CR>"<CR><LF>227,"<CR>"<CR><LF> (18 bytes).
std::string ScreenFileContent(int16_t width, int16_t height);

// Reads groups of four fields (width, text, height, text) until the end of
// the input; each group overwrites width and height, so the last complete
// group wins. Values are stored as they are read. Throws lumeye::Error when
// the input ends inside a group (62, "Input past end of file") or a number
// does not fit 16 bits (6, "Overflow"), naming errorSource as its routine.
void ReadScreenFile(std::istream& in, int16_t& width, int16_t& height, const std::string& errorSource);

// The screen-size file in a folder, whatever the letter case of its name
// ("Screen.dat" preferred, then "screen.dat", then any other spelling), or
// nothing when the folder has none.
std::optional<std::string> FindScreenFile(const std::string& folder);

// Saves the dimensions into the folder's screen-size file (the existing one
// whatever its case, or a new "screen.dat"; through a symbolic link, the file
// it points to) without ever leaving a partly written file: the bytes go to a
// temporary file beside it that then replaces the old one. Where the folder
// refuses the temporary file, the file is rewritten in place and flushed.
// Throws lumeye::Error naming the file and the reason, and errorSource as its
// routine.
void SaveScreenFile(const std::string& folder, int16_t width, int16_t height, const std::string& errorSource);

}  // namespace lumeye::app
