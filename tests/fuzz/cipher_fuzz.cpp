// The text cipher on any text: Stretch gives n + (n + 2) div 3 characters of
// ";" .. "z" and Shrink gives the text back; Shrink of text that is not
// Stretch output either gives a text of its defined length or refuses with
// the error and keeps the text; deciphering with the key that enciphered
// restores the text.
#include "FuzzInput.h"

#include "cipher/CipherEngine.h"
#include "core/Error.h"

#include <QString>

using namespace lumeye;
using cipher::CipherEngine;

namespace {
// Input bytes as text: each byte one Latin-1 character, or UTF-8 that may
// hold characters the 8-bit code page lacks (they become "?").
QString textOf(std::string_view bytes, bool utf8) {
    const auto n = static_cast<qsizetype>(bytes.size());
    return utf8 ? QString::fromUtf8(bytes.data(), n) : QString::fromLatin1(bytes.data(), n);
}

void stretchAndShrink(const QString& text) {
    const QByteArray codes = text.toLatin1();
    CipherEngine e;
    e.Text(text);
    e.Stretch();
    const QString stretched = e.Text();
    const qsizetype n = codes.size();
    FUZZ_CHECK(stretched.size() == n + (n + 2) / 3);
    for (QChar c : stretched) FUZZ_CHECK(c.unicode() >= 59 && c.unicode() <= 122);
    e.Shrink();
    FUZZ_CHECK(e.Text().toLatin1() == codes);
}

void shrinkAnything(const QString& text) {
    CipherEngine e;
    e.Text(text);
    try {
        e.Shrink();
        const qsizetype length = text.size();
        FUZZ_CHECK(e.Text().size() == (length == 0 ? 0 : (length - 1) - (length - 1) / 4));
    } catch (const Error& error) {
        FUZZ_CHECK(error.number() == ErrorNumber::InvalidProcedureCall);
        FUZZ_CHECK(e.Text() == text);
    }
}

void encipherAndDecipher(const QString& key, const QString& text) {
    CipherEngine writer;
    writer.KeyString(key);
    writer.Text(text);
    writer.DoXor();
    writer.Stretch();
    CipherEngine reader;
    reader.KeyString(key);
    reader.Text(writer.Text());
    reader.Shrink();
    reader.DoXor();
    FUZZ_CHECK(reader.Text().toLatin1() == text.toLatin1());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const uint8_t mode = input.byte();
    const size_t keyLength = input.byte();
    const QString key = textOf(input.bytes(keyLength), mode & 2);
    const QString text = textOf(input.rest(), mode & 1);
    stretchAndShrink(text);
    shrinkAnything(text);
    encipherAndDecipher(key, text);
    return 0;
}
