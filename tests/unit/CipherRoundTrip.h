#pragma once

// Enciphering and deciphering as the stored About texts are made and read,
// shared by the engine's tests and the start-up tests.

#include "cipher/CipherEngine.h"
#include "core/Random.h"

#include <QString>

namespace lumeye::cipher::testing {

inline QString encipher(const QString& key, const QString& plain) {
    CipherEngine e;
    e.KeyString(key);
    e.Text(plain);
    e.DoXor();
    e.Stretch();
    return e.Text();
}

inline QString decipher(const QString& key, const QString& stored) {
    CipherEngine e;
    e.KeyString(key);
    e.Text(stored);
    e.Shrink();
    e.DoXor();
    return e.Text();
}

// The generator's next value once the key's keystream has been advanced by n draws.
inline float valueAfterKeyAndDraws(const QString& key, int n) {
    CipherEngine e;
    e.KeyString(key);
    for (int i = 0; i < n; ++i) RandomNext();
    return RandomNext();
}

}  // namespace lumeye::cipher::testing
