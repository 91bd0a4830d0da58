#include "cipher/SysInfo.h"

#include "cipher/CipherTexts.h"
#include "cipher/StoredTexts.h"
#include "cipher/cipher.h"
#include "ui/Fonts.h"

namespace lumeye::cipher {

SysInfo::SysInfo() {
    setWindowTitle(QStringLiteral("System Information Viewer"));
    ui::setBackColor(client(), QColor(224, 224, 224));
    Label1 = addControl(new ui::Label(QString::fromLatin1(kSysInfoKey), client()), QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    ui::placeTwips(Label1, 2385, 1140, 45, 225);
}

void SysInfo::Form_Load() {
    CipherTexts& texts = cipherTexts();
    texts.CipherKey = Label1->text();
    const std::array<QString*, 4> results = {&texts.AboutText1, &texts.AboutText2, &texts.AboutText3,
                                             &texts.AboutText4};
    for (size_t k = 0; k < results.size(); ++k) {
        texts.CipherInput = QString::fromLatin1(kStoredAboutTexts[k]);
        ui::Forms::get<cipher>().Unload();
        *results[k] = texts.CipherOutput;
    }
}

}  // namespace lumeye::cipher
