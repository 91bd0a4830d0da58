#pragma once

#include <QString>

namespace lumeye::cipher {

// The keyed text cipher. Its keystream comes from the program-wide generator,
// reseeded from the key, so one key always gives one keystream. Deciphering is
// KeyString, Text, Shrink, DoXor; enciphering is KeyString, Text, DoXor,
// Stretch. Nothing else may draw from the generator between KeyString and the
// end of DoXor.
class CipherEngine {
public:
    // Write-only: stores the key and reseeds the generator from it. Setting it
    // again, even to the same key, restarts the keystream.
    void KeyString(const QString& key);

    QString Text() const { return text_; }
    void Text(const QString& text) { text_ = text; }

    // XORs every character with the next keystream byte, one draw per character.
    void DoXor();
    // Three characters become four in the alphabet ";" .. "z".
    void Stretch();
    // The inverse of Stretch; the text must be Stretch output.
    void Shrink();

private:
    void SeedFromKey();

    QString key_;
    QString text_;
};

}  // namespace lumeye::cipher
