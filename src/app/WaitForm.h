#pragma once

#include "ui/Controls.h"
#include "ui/Form.h"

namespace lumeye::app {

// The wait form: "Please Wait ..." over the whole screen while the test window
// prepares its chart. Designed for an 800 x 600 screen and scaled to this one
// when it loads.
class message : public ui::Form {
    Q_OBJECT
public:
    message();

    ui::Label* Label1;

protected:
    void Form_Load() override;
    // The menu unloads it once the chart is there: closing it changes nothing.
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace lumeye::app
