#include "cipher/About.h"
#include "cipher/CipherEngine.h"
#include "CipherRoundTrip.h"
#include "cipher/StoredTexts.h"
#include "core/Error.h"
#include "core/Random.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

// Readable texts in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

using lumeye::Error;
using lumeye::RandomNext;
using lumeye::cipher::CipherEngine;

using namespace lumeye::cipher::testing;

namespace {

QString fromCodes(const std::vector<int>& codes) {
    QString text;
    for (int c : codes) text.append(QChar(c));
    return text;
}

std::vector<int> codesOf(const QString& text) {
    std::vector<int> codes;
    for (QChar c : text) codes.push_back(c.unicode());
    return codes;
}

QString allCodes() {
    std::vector<int> codes;
    for (int c = 0; c < 256; ++c) codes.push_back(c);
    return fromCodes(codes);
}

// Any text of n characters in the stretched alphabet.
QString stretchedOfLength(int n) {
    QString text;
    for (int i = 0; i < n; ++i) text.append(QChar(59 + (i * 7) % 64));
    return text;
}

QString stretch(const QString& text) {
    CipherEngine e;
    e.Text(text);
    e.Stretch();
    return e.Text();
}

QString shrink(const QString& text) {
    CipherEngine e;
    e.Text(text);
    e.Shrink();
    return e.Text();
}


const QString kKey = QStringLiteral("Qm7!rVe2#Lu9$kYw4%");

class CipherEngineTest : public ::testing::Test {
protected:
    void SetUp() override { lumeye::RandomResetToStart(); }
};

TEST_F(CipherEngineTest, StretchOfAbcIsTheWorkedExample) {
    EXPECT_EQ(codesOf(stretch(QStringLiteral("abc"))), (std::vector<int>{92, 93, 94, 80}));
    // Top bits of the first, second and third characters land in bits 5-4, 3-2, 1-0.
    EXPECT_EQ(codesOf(stretch(fromCodes({0x40, 0x80, 0xC0}))), (std::vector<int>{59, 59, 59, 59 + 0b011011}));
    EXPECT_EQ(codesOf(stretch(fromCodes({0xFF}))), (std::vector<int>{59 + 63, 59 + 0b110000}));
}

TEST_F(CipherEngineTest, StretchAndShrinkLengths) {
    const std::vector<std::pair<int, int>> stretched = {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, 8}};
    for (auto [n, expected] : stretched) EXPECT_EQ(stretch(stretchedOfLength(n)).size(), expected) << n;

    const std::vector<std::pair<int, int>> shrunk = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3},
                                                     {5, 3}, {6, 4}, {7, 5}, {8, 6}};
    for (auto [n, expected] : shrunk) EXPECT_EQ(shrink(stretchedOfLength(n)).size(), expected) << n;
}

TEST_F(CipherEngineTest, ShrinkDoesNotReadTheFifthOfFiveCharacters) {
    QString text = stretchedOfLength(5);
    const QString result = shrink(text);
    text[4] = QChar(1); // outside the alphabet: reading it would fail
    EXPECT_EQ(shrink(text), result);
}

TEST_F(CipherEngineTest, StretchUsesOnlyTheStretchedAlphabet) {
    const QString out = stretch(allCodes() + fromCodes({0, 255, 128}));
    for (int c : codesOf(out)) {
        EXPECT_GE(c, 59);
        EXPECT_LE(c, 122);
    }
}

TEST_F(CipherEngineTest, ShrinkUndoesStretchForEveryCodeAndLength) {
    const QString all = allCodes();
    EXPECT_EQ(shrink(stretch(all)), all);
    // Every code in each position of a group, and every partial last group.
    for (int shift = 0; shift < 3; ++shift) {
        const QString rotated = all.mid(shift) + all.left(shift);
        EXPECT_EQ(shrink(stretch(rotated)), rotated);
    }
    for (int n = 1; n <= 7; ++n) {
        const QString text = all.mid(250 - n * 30, n);
        EXPECT_EQ(shrink(stretch(text)), text) << n;
    }
}

TEST_F(CipherEngineTest, ShrinkRefusesTextOutsideTheAlphabetAndKeepsTheText) {
    for (int bad : {58, 123, 0, 200}) {
        const QString text = QStringLiteral("abc") + QChar(bad) + QStringLiteral("xyz");
        CipherEngine e;
        e.Text(text);
        try {
            e.Shrink();
            ADD_FAILURE() << "code " << bad << " was accepted";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), lumeye::ErrorNumber::InvalidProcedureCall);
            EXPECT_EQ(error.source(), "cipher.Shrink");
        }
        EXPECT_EQ(e.Text(), text);
    }
}

TEST_F(CipherEngineTest, DecipheringWithTheKeyRestoresThePlainText) {
    const QString plain = allCodes() + QStringLiteral("Lumeye");
    const QString stored = encipher(kKey, plain);
    EXPECT_NE(stored, stretch(plain));
    EXPECT_EQ(decipher(kKey, stored), plain);

    const QString other = decipher(QStringLiteral("Qm7!rVe2#Lu9$kYw4&"), stored);
    EXPECT_EQ(other.size(), plain.size());
    EXPECT_NE(other, plain);
}

TEST_F(CipherEngineTest, TheKeystreamDependsOnlyOnTheKey) {
    const QString plain = QStringLiteral("the same text");
    const QString first = encipher(kKey, plain);
    for (int i = 0; i < 37; ++i) RandomNext();
    lumeye::RandomRestart(-5.0f);
    EXPECT_EQ(encipher(kKey, plain), first);
    EXPECT_EQ(decipher(kKey, first), decipher(kKey, first));
    EXPECT_NE(encipher(QStringLiteral("another key"), plain), first);
}

TEST_F(CipherEngineTest, DoXorTwiceWithoutANewKeyContinuesTheKeystream) {
    const QString plain = QStringLiteral("Lumeye - Home Edition");
    CipherEngine e;
    e.KeyString(kKey);
    e.Text(plain);
    e.DoXor();
    const QString once = e.Text();
    EXPECT_NE(once, plain);
    e.DoXor();
    EXPECT_NE(e.Text(), plain);

    e.Text(once);
    e.KeyString(kKey); // setting the same key again restarts the keystream
    e.DoXor();
    EXPECT_EQ(e.Text(), plain);
}

TEST_F(CipherEngineTest, DoXorDrawsOneValuePerCharacter) {
    for (int n : {0, 1, 5}) {
        CipherEngine e;
        e.KeyString(kKey);
        e.Text(QString(n, QChar('x')));
        e.DoXor();
        EXPECT_EQ(e.Text().size(), n);
        const float next = RandomNext();
        EXPECT_EQ(next, valueAfterKeyAndDraws(kKey, n)) << n;
    }
}

TEST_F(CipherEngineTest, DoXorUsesTheTopByteOfEachDraw) {
    CipherEngine e;
    e.KeyString(kKey);
    std::vector<int> expected;
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<int>(RandomNext() * 256.0f));
    e.KeyString(kKey);
    e.Text(fromCodes({0, 0, 0, 0}));
    e.DoXor();
    EXPECT_EQ(codesOf(e.Text()), expected);
}

TEST_F(CipherEngineTest, KeyCharactersCountByTheirLatin1Codes) {
    // Code 233 is a character of its own, not the "?" of a lost conversion.
    EXPECT_NE(encipher(QString(QChar(233)), QStringLiteral("abc")), encipher(QStringLiteral("?"), QStringLiteral("abc")));
    // A character outside Latin-1 has no code of its own and becomes "?".
    EXPECT_EQ(encipher(QString(QChar(0x20AC)), QStringLiteral("abc")), encipher(QStringLiteral("?"), QStringLiteral("abc")));
}

TEST_F(CipherEngineTest, KeysOf32767CharactersAndMoreOverflow) {
    CipherEngine e;
    EXPECT_NO_THROW(e.KeyString(QString(32766, QChar('k'))));

    // Longer than 32 767: fails right after the fixed restart, before any key character.
    lumeye::RandomReseed(lumeye::RandomRestart(-1.0f));
    const float afterRestart = RandomNext();
    for (int length : {32768, 40000}) {
        try {
            e.KeyString(QString(length, QChar('k')));
            ADD_FAILURE() << length << " accepted";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), lumeye::ErrorNumber::Overflow);
            EXPECT_EQ(error.source(), "cipher.SeedFromKey");
        }
        EXPECT_EQ(RandomNext(), afterRestart) << length;
    }

    // Exactly 32 767: every character is used, then the counter overflows.
    const QString longest(32767, QChar('k'));
    try {
        e.KeyString(longest);
        ADD_FAILURE() << "32767 accepted";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), lumeye::ErrorNumber::Overflow);
    }
    const float afterLongest = RandomNext();
    EXPECT_NE(afterLongest, afterRestart);
}

// The stored About texts against the plain texts they were made from.
struct AboutTextsFile {
    QString key;
    QStringList texts;
};

AboutTextsFile readAboutTextsFile() {
    QFile file(QStringLiteral(LUMEYE_SOURCE_DIR "/tools/about-texts.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (!line.startsWith(QLatin1Char('#'))) lines.append(line);
    EXPECT_GE(lines.size(), 5);
    lines = lines.mid(0, 5);
    AboutTextsFile result;
    result.key = lines.takeFirst();
    result.texts = lines;
    return result;
}

TEST_F(CipherEngineTest, StoredAboutTextsDecipherToThePlainTexts) {
    const AboutTextsFile plain = readAboutTextsFile();
    ASSERT_EQ(plain.texts.size(), 4);
    const QString key = QString::fromLatin1(lumeye::cipher::kSysInfoKey);
    EXPECT_EQ(key, plain.key);
    EXPECT_EQ(key.size(), 18);
    for (QChar c : key) EXPECT_TRUE(c.unicode() > 32 && c.unicode() < 127) << int(c.unicode());

    const int storedLengths[4] = {63, 103, 64, 46};
    const int plainLengths[4] = {47, 77, 48, 34};
    for (int k = 0; k < 4; ++k) {
        const QString stored = QString::fromLatin1(lumeye::cipher::kStoredAboutTexts[k]);
        EXPECT_EQ(stored.size(), storedLengths[k]) << k;
        EXPECT_EQ(plain.texts[k].size(), plainLengths[k]) << k;
        EXPECT_EQ(decipher(key, stored), plain.texts[k]) << k;
    }
    EXPECT_TRUE(plain.texts[2].startsWith(QStringLiteral("Copyright ")));
    bool isYear = false;
    plain.texts[2].mid(10, 4).toInt(&isYear);
    EXPECT_TRUE(isYear);
}

TEST(ReleaseYearTest, ReplacesTheFourCharactersFromTheEleventh) {
    using lumeye::cipher::withReleaseYear;
    EXPECT_EQ(withReleaseYear(QStringLiteral("Copyright 1999 The authors"), 2026),
              QStringLiteral("Copyright 2026 The authors"));
    EXPECT_EQ(withReleaseYear(QStringLiteral("Copyright 1999"), 2031), QStringLiteral("Copyright 2031"));
    // As far as the text reaches; shorter than 11 characters it stays as it is.
    EXPECT_EQ(withReleaseYear(QStringLiteral("Copyright 19"), 2026), QStringLiteral("Copyright 20"));
    EXPECT_EQ(withReleaseYear(QStringLiteral("Copyright "), 2026), QStringLiteral("Copyright "));
    EXPECT_EQ(withReleaseYear(QString(), 2026), QString());
}

}  // namespace
