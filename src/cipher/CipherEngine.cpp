#include "cipher/CipherEngine.h"

#include "core/Error.h"
#include "core/Numeric.h"
#include "core/Random.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>

namespace lumeye::cipher {
namespace {

// Character codes are ISO-8859-1 (Latin-1), the program's fixed 8-bit code
// page: all 256 codes convert to characters and back unchanged. A character
// outside Latin-1 has no code and converts to "?".
QByteArray codesOf(const QString& text) { return text.toLatin1(); }
QString textOf(const QByteArray& codes) { return QString::fromLatin1(codes); }

uint8_t codeAt(const QByteArray& codes, qsizetype position) { return static_cast<uint8_t>(codes[position]); }

// The stretched alphabet: codes 59 (";") to 122 ("z"), six bits each.
constexpr int kAlphabetStart = 59;
constexpr int kAlphabetEnd = kAlphabetStart + 63;

char stretchedChar(int sixBits) { return static_cast<char>(sixBits + kAlphabetStart); }

// Six bits carried by a stretched character; anything outside the alphabet has
// no place in Stretch output and is refused rather than decoded to garbage.
int sixBitsOf(const QByteArray& codes, qsizetype position) {
    const int code = codeAt(codes, position);
    if (code < kAlphabetStart || code > kAlphabetEnd)
        throw Error(ErrorNumber::InvalidProcedureCall, "Invalid procedure call or argument", "cipher.Shrink");
    return code - kAlphabetStart;
}

}  // namespace

void CipherEngine::KeyString(const QString& key) {
    key_ = key;
    SeedFromKey();
}

void CipherEngine::SeedFromKey() {
    static const std::string kSource = "cipher.SeedFromKey";
    RandomReseed(RandomRestart(-1.0f));
    const QByteArray codes = codesOf(key_);
    // The key's characters are counted in 16 bits: a longer key overflows here,
    // and a key of exactly 32 767 characters when the counter steps past it.
    const int16_t last = checkedInt16(codes.size(), kSource);
    for (int16_t i = 1; i <= last; i = checkedInt16(int64_t{i} + 1, kSource)) {
        const int c = codeAt(codes, i - 1);
        const float x = RandomNext();
        const float y = -(x * static_cast<float>(c));
        RandomReseed(RandomRestart(y));
    }
}

void CipherEngine::DoXor() {
    QByteArray codes = codesOf(text_);
    for (qsizetype i = 0; i < codes.size(); ++i) {
        // RandomNext is below 1, so the product's integer part is 0..255.
        const auto b = static_cast<uint8_t>(RandomNext() * 256.0f);
        codes[i] = static_cast<char>(codeAt(codes, i) ^ b);
    }
    text_ = textOf(codes);
}

void CipherEngine::Stretch() {
    const QByteArray codes = codesOf(text_);
    const qsizetype n = codes.size();
    QByteArray result;
    result.reserve(n + (n + 2) / 3);
    int topBits = 0;
    for (qsizetype i = 1; i <= n; ++i) {
        const int d = codeAt(codes, i - 1);
        result.append(stretchedChar(d & 63));
        const int q = d / 64;
        switch (i % 3) {
        case 1: topBits |= q * 16; break;
        case 2: topBits |= q * 4; break;
        default:
            topBits |= q;
            result.append(stretchedChar(topBits));
            topBits = 0;
        }
    }
    // A last group of one or two characters gets its own top-bits character.
    if (n % 3 != 0) result.append(stretchedChar(topBits));
    text_ = textOf(result);
}

void CipherEngine::Shrink() {
    const QByteArray codes = codesOf(text_);
    const qsizetype length = codes.size();
    // An empty text shrinks to an empty text.
    const qsizetype m = length == 0 ? 0 : (length - 1) - ((length - 1) / 4);
    QByteArray result;
    result.reserve(m);
    qsizetype i = 0;
    qsizetype k = 0; // position of the current top-bits character
    int b = 0;
    int h = 0;
    for (qsizetype j = 1; j <= m; ++j) {
        ++i;
        const int d = sixBitsOf(codes, i - 1);
        switch (j % 3) {
        case 1:
            k = std::min(k + 4, length);
            b = sixBitsOf(codes, k - 1);
            h = ((b / 16) & 3) * 64;
            break;
        case 2: h = ((b / 4) & 3) * 64; break;
        default:
            h = (b & 3) * 64;
            ++i; // skips the top-bits character
        }
        result.append(static_cast<char>(h | d));
    }
    text_ = textOf(result);
}

}  // namespace lumeye::cipher
