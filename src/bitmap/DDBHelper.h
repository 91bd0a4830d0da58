#pragma once

#include "bitmap/PixelArray.h"

#include <cstdint>

namespace lumeye::ui {
class PictureBox;
}

// Direct access to the pixels of a picture box's persistent image, in the
// display's own format, through a pixel array.
//
// The depth reported and the channel ranges it implies:
//    8   palette index looked up in the picture's palette   Blue, Green, Red 0-255
//   15   16-bit word 5-5-5                                   0-31, 0-31, 0-31
//   16   16-bit word 5-6-5                                   0-31, 0-63, 0-31
//   24   3 bytes blue, green, red                            0-255 each
//   32   4 bytes blue, green, red, unused                    0-255 each
// Any other depth is an error 0x800403E9 ("Invalid number of bits per pixel: "
// and the depth, source "DDBHelper.GetBitmapPixels").
//
// Typical use, reading two boxes and writing one back:
//     PixelArray src, dst; int16_t bpp = 0;
//     DDBHelper::GetBitmapPixels(*pic1, src, bpp);
//     DDBHelper::GetBitmapPixels(*picResult, dst, bpp);
//     ... compute dst ...
//     DDBHelper::SetBitmapPixels(*picResult, bpp, dst);
//     picResult->setPicture(ui::StdPicture(picResult->Image()));
namespace lumeye::DDBHelper {

// Reads the whole persistent image into pixels (re-dimensioned to the image's
// width and height, old contents discarded) and reports the depth. On a
// 16-bit display it tells 5-5-5 from 5-6-5 by writing white into the top-left
// pixel and looking at the stored word; the pixel gets its colour back. On an
// 8-bit display it first matches the picture's palette to the system palette
// (MatchColorPalette, which processes pending events) and looks the indexes up
// in it. A bad depth is raised before pixels is touched.
void GetBitmapPixels(ui::PictureBox& picture, PixelArray& pixels, int16_t& bitsPerPixel);

// Overwrites the persistent image from pixels (its width and height taken from
// the array, which should have the image's dimensions) and repaints the box.
// Rows are padded to an even number of bytes with 0; at depth 32 the fourth
// byte is 0. At depths 15 and 16 channels above their range are clamped in
// pixels itself. At depth 8 each pixel stores the index of the nearest colour
// of the picture's palette, as matched by a GetBitmapPixels before. A bad
// depth is raised before the picture is touched.
void SetBitmapPixels(ui::PictureBox& picture, int16_t bitsPerPixel, PixelArray& pixels);

// Makes the picture's palette the system palette: its size, the static
// colours at both ends, the current colours between marked no-collapse; then
// realizes it. Brings the box to the front and processes pending events first.
// A picture without a palette raises 0x800403EA ("Error matching bitmap
// palette", source "DDBHelper.MatchColorPalette").
void MatchColorPalette(ui::PictureBox& picture);

}  // namespace lumeye::DDBHelper
