#include "cipher/CipherTexts.h"

namespace lumeye::cipher {
namespace {
CipherTexts texts;
}  // namespace

CipherTexts& cipherTexts() { return texts; }

void resetCipherTexts() { texts = {}; }

}  // namespace lumeye::cipher
