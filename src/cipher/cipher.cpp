#include "cipher/cipher.h"

#include "cipher/CipherTexts.h"
#include "ui/Fonts.h"

#include <QLineEdit>

namespace lumeye::cipher {
namespace {
const QColor kCaptionBack(255, 255, 0);
const QColor kTextBack(128, 255, 128);

ui::Label* makeLabel(const QString& caption, QWidget* parent, const QColor& back) {
    auto* label = new ui::Label(caption, parent);
    // Enciphered text may hold "<" and "&": show it as it is.
    label->setTextFormat(Qt::PlainText);
    ui::setBackColor(label, back);
    return label;
}
}  // namespace

cipher::cipher() {
    setWindowTitle(QStringLiteral("Form1"));
    QWidget* area = client();

    txtKeyString = addControl(new QLineEdit(area), QStringLiteral("txtKeyString"));
    ui::setBackColor(txtKeyString, QColor(255, 192, 192));
    ui::placeTwips(txtKeyString, 3120, 1545, 4572, 612);
    Label2 = addControl(makeLabel(QStringLiteral("Key String"), area, kCaptionBack), QStringLiteral("Label2"));
    ui::placeTwips(Label2, 960, 1680, 1332, 372);
    ent = addControl(makeLabel(QString(), area, kTextBack), QStringLiteral("ent"));
    ui::placeTwips(ent, 3090, 2640, 4575, 615);
    Label3 = addControl(makeLabel(QStringLiteral("Encrypted  Text"), area, kCaptionBack), QStringLiteral("Label3"));
    ui::placeTwips(Label3, 960, 2760, 1452, 372);
    det = addControl(makeLabel(QString(), area, kTextBack), QStringLiteral("det"));
    ui::placeTwips(det, 3120, 3720, 4572, 732);
    Label4 = addControl(makeLabel(QStringLiteral("Decrypted Text"), area, kCaptionBack), QStringLiteral("Label4"));
    ui::placeTwips(Label4, 960, 3840, 1332, 492);

    setClientSizeTwips(9510, 4710);
}

void cipher::Form_Load() {
    CipherTexts& texts = cipherTexts();
    ent->setText(texts.CipherInput);
    CipherEngine engine;
    engine.KeyString(texts.CipherKey);
    engine.Text(ent->text());
    engine.Shrink();
    engine.DoXor();
    det->setText(engine.Text());
    texts.CipherOutput = det->text();
}

}  // namespace lumeye::cipher
