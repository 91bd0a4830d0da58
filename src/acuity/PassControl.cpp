#include "acuity/PassControl.h"

namespace lumeye::acuity {
namespace {
// Leaves the control idle even when a pass throws.
struct Idle {
    bool& busy;
    bool& redraw;
    bool& close;
    ~Idle() { busy = redraw = close = false; }
};
}  // namespace

PassControl::After PassControl::run(const std::function<void()>& pass, const std::function<void()>& redraw) {
    busy_ = true;
    Idle idle{busy_, redrawAsked_, closeAsked_};
    pass();
    while (redrawAsked_ && !closeAsked_) {
        redrawAsked_ = false;
        redraw();
    }
    return closeAsked_ ? After::Close : After::Stay;
}

}  // namespace lumeye::acuity
