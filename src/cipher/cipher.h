#pragma once

#include "cipher/CipherEngine.h"
#include "ui/Controls.h"
#include "ui/Form.h"

class QLineEdit;

namespace lumeye::cipher {

// The hidden work form: loading it deciphers CipherInput under CipherKey into
// CipherOutput. It is never shown. As a class it also offers the engine's
// members; the loaded instance does its work with a fresh engine of its own.
class cipher : public ui::Form, public CipherEngine {
    Q_OBJECT
public:
    cipher();

    QLineEdit* txtKeyString;
    ui::Label* Label2;
    ui::Label* ent;
    ui::Label* Label3;
    ui::Label* det;
    ui::Label* Label4;

protected:
    void Form_Load() override;
};

}  // namespace lumeye::cipher
