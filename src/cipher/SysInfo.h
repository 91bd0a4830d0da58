#pragma once

#include "ui/Controls.h"
#include "ui/Form.h"

namespace lumeye::cipher {

// Loaded hidden at start-up: has the work form decipher the four About texts.
// Its one label holds the key; the form is never shown.
class SysInfo : public ui::Form {
    Q_OBJECT
public:
    SysInfo();

    ui::Label* Label1;

protected:
    void Form_Load() override;
};

}  // namespace lumeye::cipher
