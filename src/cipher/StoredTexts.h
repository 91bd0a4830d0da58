#pragma once

#include <array>

// The cipher key that SysInfo holds and the four About texts as stored: each
// the Stretch output of its DoXor-enciphered plain text under that key.
// StoredTexts.cpp is written by tools/make-stored-texts; do not edit it by hand.
namespace lumeye::cipher {

extern const char* const kSysInfoKey;
extern const std::array<const char*, 4> kStoredAboutTexts;

}  // namespace lumeye::cipher
