#pragma once

#include <QString>

// The cipher's shared strings, one instance for the run.
namespace lumeye::cipher {

struct CipherTexts {
    QString CipherKey;    // the work form's key
    QString CipherInput;  // what the next load of the work form deciphers
    QString CipherOutput; // the result of the last deciphering
    // The About box's texts, deciphered once at start-up.
    QString AboutText1;
    QString AboutText2;
    QString AboutText3;
    QString AboutText4;
};

CipherTexts& cipherTexts();

// Back to the state at program start (tests).
void resetCipherTexts();

}  // namespace lumeye::cipher
