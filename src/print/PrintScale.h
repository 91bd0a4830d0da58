#pragma once

#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

namespace lumeye::print {

// Where the card picture (width x height pixels) goes on a page whose
// printable area is horzRes x vertRes device pixels.
//
// The picture's top edge lies height + 50 device pixels below the top of the
// printable area, its left edge at 0. It is drawn s/2 times its own size, with
// s the whole number of times it fits across the page (round(horzRes /
// width)), or fewer when the height left below the top edge allows fewer
// (round(available / height)). Rounding is to nearest, halves to even.
// Arithmetic errors name errorSource as their routine.
int32_t printScale(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height, const std::string& errorSource);

// The rectangle the picture is stretched to; none when the scale is below 2.
std::optional<QRect> cardPlacement(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height,
                                   const std::string& errorSource);

// The gap between the band as tall as the picture and the picture itself.
inline constexpr int32_t kCardTopGap = 50;

}  // namespace lumeye::print
