#include "cipher/About.h"

#include "cipher/CipherTexts.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QPixmap>
#include <QShortcut>

namespace lumeye::cipher {
namespace {
const QColor kBackColour(236, 230, 113);
const QString kLabelFace = QStringLiteral("MS Sans Serif");

ui::Label* makeLabel(QWidget* parent, bool bold, Qt::Alignment alignment, const QString& caption = QString()) {
    auto* label = new ui::Label(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setFont(ui::designFont(kLabelFace, 12, bold));
    ui::setBackColor(label, kBackColour);
    return label;
}
}  // namespace

int ReleaseYear() { return LUMEYE_RELEASE_YEAR; }

QString withReleaseYear(const QString& text, int year) {
    constexpr qsizetype kYearStart = 10;
    if (text.size() <= kYearStart) return text;
    const QString digits = QString::number(year);
    const qsizetype count = std::min<qsizetype>(4, text.size() - kYearStart);
    QString stamped = text;
    stamped.replace(kYearStart, count, digits.left(count));
    return stamped;
}

About::About() {
    setWindowTitle(QStringLiteral("Lumeye"));
    // A fixed box with a close control only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QWidget* area = client();
    ui::setBackColor(area, kBackColour);

    // Created in tab order: labels take no focus, so OK comes first, then the logo.
    Label1 = addControl(makeLabel(area, true, Qt::AlignHCenter), QStringLiteral("Label1"));
    ui::placeTwips(Label1, 2280, 240, 3480, 750);

    Command1 = addControl(new ui::CommandButton(QStringLiteral("OK"), area), QStringLiteral("Command1"));
    Command1->setFont(ui::designFont(QStringLiteral("Arial"), 8.25, true));
    ui::placeTwips(Command1, 3120, 5160, 1575, 495);

    Label2 = addControl(makeLabel(area, true, Qt::AlignLeft), QStringLiteral("Label2"));
    ui::placeTwips(Label2, 1920, 1560, 4545, 735);

    // The logo in a 2-pixel sunken border, drawn from the top-left corner.
    Picture1 = addControl(new QLabel(area), QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/logo/about-logo.png")));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    ui::placeTwips(Picture1, 2880, 2400, 2115, 1875);

    Label4 = addControl(makeLabel(area, false, Qt::AlignLeft, QStringLiteral(" ")), QStringLiteral("Label4"));
    ui::placeTwips(Label4, 2160, 1080, 3585, 420);

    // The copyright line: between the logo and OK, across the whole box.
    Label3 = addControl(makeLabel(area, false, Qt::AlignHCenter), QStringLiteral("Label3"));
    ui::placeTwips(Label3, 0, 4500, 7965, 420);

    setClientSizeTwips(7965, 6180);
    setFixedSize(size());

    connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);
    // OK is the box's default and cancel button, as in any dialogue box:
    // Enter and Escape press it wherever the focus is.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        connect(new QShortcut(key, this), &QShortcut::activated, Command1, &QAbstractButton::click);
}

void About::Form_Load() {
    const float left = (static_cast<float>(ui::Screen::Width()) - static_cast<float>(Width())) / 2.0f;
    const float top = (static_cast<float>(ui::Screen::Height()) - static_cast<float>(Height())) / 2.0f;
    Move(ui::Screen::Left() + left, ui::Screen::Top() + top, Width(), Height());

    const CipherTexts& texts = cipherTexts();
    Label1->setText(texts.AboutText1);
    Label2->setText(texts.AboutText2);
    Label3->setText(texts.AboutText3);
    Label4->setText(texts.AboutText4);
    Label3->setText(withReleaseYear(Label3->text(), ReleaseYear()));
}

void About::Command1_Click() { Unload(); }

}  // namespace lumeye::cipher
