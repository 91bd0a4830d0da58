#include "acuity/Directions.h"

#include <cmath>

namespace lumeye::acuity {

int16_t DirectionFor(float u) { return static_cast<int16_t>(std::floor(u * 4.0f)) + 1; }

int16_t DrawDirection(int16_t previous, const std::function<float()>& next) {
    int16_t d;
    do {
        d = DirectionFor(next());
    } while (d == previous);
    return d;
}

}  // namespace lumeye::acuity
