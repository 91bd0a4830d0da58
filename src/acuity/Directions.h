#pragma once

#include <cstdint>
#include <functional>

// The four ways a tumbling E opens, as the chart draws them at random.
namespace lumeye::acuity {

// Direction codes, which also number the master pictures pic1 to pic4.
namespace Direction {
inline constexpr int16_t Right = 1;
inline constexpr int16_t Down = 2;
inline constexpr int16_t Left = 3;
inline constexpr int16_t Up = 4;
}  // namespace Direction

// The direction for a uniform value u in [0, 1): 1 to 4 in equal quarters.
// Taken as the whole part of u x 4, plus 1: adding 1 before taking the whole
// part, in 32-bit floats, would round the largest u up to 5.
int16_t DirectionFor(float u);

// Draws directions from next() until one differs from previous (0: none yet).
int16_t DrawDirection(int16_t previous, const std::function<float()>& next);

}  // namespace lumeye::acuity
