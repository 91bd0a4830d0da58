#pragma once

#include "ui/Controls.h"
#include "ui/Form.h"

#include <cstdint>

namespace lumeye::app {

// The main menu: the program's start-up window.
class MainForm : public ui::Form {
    Q_OBJECT
public:
    MainForm();

    // Asks for the screen's width and height in millimetres and stores them.
    void ScreenSize();

    ui::Frame* Frame1;
    ui::OptionButton* Option2;
    ui::OptionButton* Option3;
    ui::OptionButton* Option4;
    ui::Label* Label2;
    ui::Label* Label1;
    ui::Label* Label3;
    QAction* ExitBN;
    QAction* HelpBtn;
    QAction* aboutlumeye;

protected:
    void Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildSizeTable(int16_t& width, int16_t& height);
    void readScreenSettings();

    void Option2_DblClick();
    void Option2_KeyPress(int keyAscii);
    void Option3_DblClick();
    void Option3_KeyPress(int keyAscii);
    void Option4_DblClick();
    void Option4_KeyPress(int keyAscii);
    void Label3_Click();
    void ExitBN_Click();
    void HelpBtn_Click();
    void aboutlumeye_Click();

    // Runs what the user chose, while the menu is on screen.
    void choose(void (MainForm::*routine)());
    // What the menu opens appears on the screen that shows the menu.
    void useMenusScreen();
    void enterScreenDimensions();
    void printLetterCard();
    void performSightTest();
};

}  // namespace lumeye::app
