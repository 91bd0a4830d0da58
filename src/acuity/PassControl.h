#pragma once

#include <functional>

// What the test window does with input that arrives while a chart is being
// drawn (pending events are processed after every letter):
// - a new chart asked for during a pass waits until the pass is done, and
//   however often it was asked, one more chart is drawn;
// - Escape during a pass stops it at the next letter, and the window closes
//   once the pass has returned, never from inside it.
// So no pass ever starts inside another, and the window is never unloaded
// while a pass still uses it.
namespace lumeye::acuity {

class PassControl {
public:
    enum class After { Stay, Close };

    bool busy() const { return busy_; }
    // Requests made while busy(); outside a pass the caller acts at once.
    void askRedraw() { redrawAsked_ = true; }
    void askClose() { closeAsked_ = true; }
    // Checked by the running pass after it has processed events.
    bool stopRequested() const { return closeAsked_; }

    // Runs pass, then redraw once more for as long as a redraw was asked for
    // meanwhile, and clears the requests. Close when Escape came in.
    After run(const std::function<void()>& pass, const std::function<void()>& redraw);

private:
    bool busy_ = false;
    bool redrawAsked_ = false;
    bool closeAsked_ = false;
};

}  // namespace lumeye::acuity
