// Makes src/cipher/StoredTexts.cpp: the key and the four About texts
// enciphered with the program's own cipher (KeyString, Text, DoXor, Stretch).
//
//   make-stored-texts tools/about-texts.txt > src/cipher/StoredTexts.cpp
//
// The input file is UTF-8; lines starting with "#" are comments. The first
// other line is the key, the next four are the plain texts, in their order in
// the About box. Every character must be in Latin-1, the cipher's code page.
#include "cipher/CipherEngine.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

int fail(const char* message) {
    std::fprintf(stderr, "make-stored-texts: %s\n", message);
    return 1;
}

bool isLatin1(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

// A C++ string literal; the stretched alphabet ";" .. "z" needs only the
// backslash escaped, the key may hold any printable character.
QByteArray literal(const QString& text) {
    QByteArray out = "\"";
    for (char c : text.toLatin1()) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) return fail("usage: make-stored-texts TEXTS-FILE");
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) return fail("cannot read the texts file");

    QStringList lines;
    for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (!line.startsWith(QLatin1Char('#'))) lines.append(line);
    }
    if (lines.size() < 5) return fail("the file needs a key and four texts");
    lines = lines.mid(0, 5);
    for (const QString& line : lines)
        if (!isLatin1(line)) return fail("a character lies outside Latin-1");

    const QString key = lines.takeFirst();
    std::printf("// Written by tools/make-stored-texts from tools/about-texts.txt; do not edit.\n"
                "#include \"cipher/StoredTexts.h\"\n\n"
                "namespace lumeye::cipher {\n\n"
                "const char* const kSysInfoKey = %s;\n\n"
                "const std::array<const char*, 4> kStoredAboutTexts = {\n",
                literal(key).constData());
    for (const QString& plain : lines) {
        lumeye::cipher::CipherEngine engine;
        engine.KeyString(key);
        engine.Text(plain);
        engine.DoXor();
        engine.Stretch();
        std::printf("    %s,\n", literal(engine.Text()).constData());
    }
    std::printf("};\n\n}  // namespace lumeye::cipher\n");
    return 0;
}
