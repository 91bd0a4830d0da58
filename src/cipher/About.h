#pragma once

#include "ui/Controls.h"
#include "ui/Form.h"

namespace lumeye::cipher {

// The program's release year, kept with its version in the build.
int ReleaseYear();

// The copyright line with the four characters from the 11th replaced by the
// year's digits (as far as the text reaches); a text shorter than 11
// characters is left as it is.
QString withReleaseYear(const QString& text, int year);

// The About box: the four deciphered texts and the logo, centred on the screen.
class About : public ui::Form {
    Q_OBJECT
public:
    About();

    ui::Label* Label1;
    ui::CommandButton* Command1;
    ui::Label* Label2;
    QLabel* Picture1;
    ui::Label* Label4;
    ui::Label* Label3;

protected:
    void Form_Load() override;

private:
    void Command1_Click();
};

}  // namespace lumeye::cipher
