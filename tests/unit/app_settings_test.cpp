#include "app/AnswerReader.h"
#include "app/ScreenFile.h"
#include "app/SizeTable.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

using namespace lumeye;
using namespace lumeye::app;
namespace fs = std::filesystem;

TEST(AnswerReader, ReadsTheLeadingNumber) {
    EXPECT_EQ(ReadAnswer(" 303"), 303);
    EXPECT_EQ(ReadAnswer("300mm"), 300);
    EXPECT_EQ(ReadAnswer("3 03"), 303);
    EXPECT_EQ(ReadAnswer("\t1\n9\t0 "), 190);
    EXPECT_EQ(ReadAnswer("189.5"), 189.5);
    EXPECT_EQ(ReadAnswer("-300"), -300);
    EXPECT_EQ(ReadAnswer("+250"), 250);
    EXPECT_EQ(ReadAnswer("2.5e2"), 250);
    EXPECT_EQ(ReadAnswer("2D2"), 200);
    EXPECT_EQ(ReadAnswer("3e"), 3);
    EXPECT_EQ(ReadAnswer(".5"), 0.5);
    EXPECT_EQ(ReadAnswer("1,5"), 1);
}

TEST(AnswerReader, NoLeadingNumberReadsZero) {
    for (const char* answer : {"", " ", "mm300", "-", ".", "e5", "abc"}) EXPECT_EQ(ReadAnswer(answer), 0) << answer;
}

TEST(AnswerReader, HugeExponentsDoNotWrap) {
    EXPECT_TRUE(std::isinf(ReadAnswer("1e999")));
    EXPECT_EQ(ReadAnswer("1e-999"), 0);
    EXPECT_EQ(ReadAnswer("99999"), 99999);
}

TEST(ScreenFile, WritesTheEighteenBytes) {
    const std::string expected("\x33\x30\x33\x2C\x22\x0D\x22\x0D\x0A\x32\x32\x37\x2C\x22\x0D\x22\x0D\x0A", 18);
    EXPECT_EQ(ScreenFileContent(303, 227), expected);
}

namespace {
// The routine the errors of the code under test name: its caller.
const std::string kCaller = "Test.Caller";
struct Read {
    int16_t width = 0, height = 0;
};
Read read(const std::string& bytes) {
    std::istringstream in(bytes);
    Read r;
    ReadScreenFile(in, r.width, r.height, kCaller);
    return r;
}
int32_t readError(const std::string& bytes, Read& r) {
    std::istringstream in(bytes);
    try {
        ReadScreenFile(in, r.width, r.height, kCaller);
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(ScreenFile, ReadsWhatItWrites) {
    const Read r = read(ScreenFileContent(303, 227));
    EXPECT_EQ(r.width, 303);
    EXPECT_EQ(r.height, 227);
}

TEST(ScreenFile, FieldGrammar) {
    // Quoted text may hold commas and line ends; blanks before fields are skipped.
    Read r = read("  320 , \"a,\r\nb\" , 240,\"\"\r\n");
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.height, 240);
    // Text fields may be unquoted; bare line feeds end fields too.
    r = read("500,x\n281,y\n");
    EXPECT_EQ(r.width, 500);
    EXPECT_EQ(r.height, 281);
    // No final line end.
    r = read("400,\"\",300,\"\"");
    EXPECT_EQ(r.height, 300);
    // Numbers are read as typed answers are, rounded halves to even.
    r = read("189.5,\"\",250.5mm,\"\"\r\n");
    EXPECT_EQ(r.width, 190);
    EXPECT_EQ(r.height, 250);
}

TEST(ScreenFile, TheLastCompleteGroupWins) {
    const Read r = read(ScreenFileContent(303, 227) + ScreenFileContent(520, 293));
    EXPECT_EQ(r.width, 520);
    EXPECT_EQ(r.height, 293);
}

TEST(ScreenFile, IncompleteInputFailsKeepingWhatWasRead) {
    Read r;
    EXPECT_EQ(readError("303\r\n227\r\n", r), 62);  // two fields only
    EXPECT_EQ(r.width, 303);
    r = {};
    EXPECT_EQ(readError(ScreenFileContent(303, 227) + "\r\n", r), 62);  // a trailing empty line starts a group
    EXPECT_EQ(r.width, 0) << "the empty field reads as 0 before the group runs out";
    r = {};
    EXPECT_EQ(readError("303,\"unterminated", r), 62);
    EXPECT_EQ(readError("40000,\"\",227,\"\"", r), ErrorNumber::Overflow);
}

TEST(ScreenFile, EmptyInputReadsNothing) {
    Read r{7, 8};
    EXPECT_EQ(readError("", r), 0);
    EXPECT_EQ(r.width, 7);
    EXPECT_EQ(r.height, 8);
}

TEST(ScreenFile, GarbageEndsInADefinedOutcome) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    const auto defined = [](int32_t n) { return n == 0 || n == 62 || n == ErrorNumber::Overflow; };
    Read r;
    EXPECT_PRED1(defined, readError(garbage, r));
    EXPECT_EQ(readError(std::string(100001, '"'), r), 62);
    EXPECT_EQ(readError(std::string(100000, '9') + ",\"\",1,\"\"", r), ErrorNumber::Overflow);
    EXPECT_EQ(readError(std::string("303,\"\0\",227,\"\xff\"", 15), r), 0);
    EXPECT_EQ(r.height, 227);
}

class ScreenFileFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/lumeye-screenfile.XXXXXX";
        dir_ = mkdtemp(tmpl);
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0755);
        fs::remove_all(dir_);
    }
    std::string slurp(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    }
    std::string dir_;
};

TEST_F(ScreenFileFolder, FindsTheFileWhateverItsCase) {
    EXPECT_FALSE(FindScreenFile(dir_));
    write("SCREEN.DAT", "x");
    EXPECT_EQ(FindScreenFile(dir_ + "/"), dir_ + "/SCREEN.DAT");
    write("screen.dat", "x");
    EXPECT_EQ(FindScreenFile(dir_), dir_ + "/screen.dat");
    write("Screen.dat", "x");
    EXPECT_EQ(FindScreenFile(dir_), dir_ + "/Screen.dat");
}

TEST_F(ScreenFileFolder, SavesAtomicallyIntoTheExistingFile) {
    // A first file has what the umask leaves; one that replaces another has
    // the old one's permissions, without its set-id and sticky bits.
    const mode_t userMask = ::umask(027);
    SaveScreenFile(dir_ + "/", 303, 227, kCaller);
    ::umask(userMask);
    EXPECT_EQ(slurp("screen.dat"), ScreenFileContent(303, 227));
    fs::rename(dir_ + "/screen.dat", dir_ + "/Screen.dat");
    EXPECT_EQ(fs::status(dir_ + "/Screen.dat").permissions(), fs::perms(0640)) << "the umask was not honoured";
    ::chmod((dir_ + "/Screen.dat").c_str(), 07604);
    SaveScreenFile(dir_, 520, 293, kCaller);
    EXPECT_EQ(slurp("Screen.dat"), ScreenFileContent(520, 293));
    EXPECT_EQ(fs::status(dir_ + "/Screen.dat").permissions(), fs::perms(0604)) << "not the old file's permissions";
    EXPECT_FALSE(fs::exists(dir_ + "/screen.dat")) << "a second file with another case was made";
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left behind";
}

// While it lives, the folder takes no new files from this process (root
// acts as nobody), although files in it may be writable.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& dir) : dir_(dir), root_(geteuid() == 0) {
        ::chmod(dir_.c_str(), 0555);
        if (root_ && ::seteuid(65534) != 0) throw std::runtime_error("cannot act as nobody");
    }
    ~ReadOnlyFolder() {
        if (root_) (void)::seteuid(0);
        ::chmod(dir_.c_str(), 0755);
    }

private:
    std::string dir_;
    bool root_;
};

TEST_F(ScreenFileFolder, SavesThroughLinksAndInPlaceInAReadOnlyFolder) {
    fs::create_directory(dir_ + "/real");
    write("real/kept.dat", "old");
    fs::create_symlink("real/kept.dat", dir_ + "/screen.dat");
    SaveScreenFile(dir_, 303, 227, kCaller);
    EXPECT_TRUE(fs::is_symlink(dir_ + "/screen.dat"));
    EXPECT_EQ(slurp("real/kept.dat"), ScreenFileContent(303, 227));

    fs::remove(dir_ + "/screen.dat");
    write("screen.dat", ScreenFileContent(1234, 5678) + "longer than the new content");
    ::chmod((dir_ + "/screen.dat").c_str(), 0666);
    {
        ReadOnlyFolder readOnly(dir_);
        SaveScreenFile(dir_, 520, 293, kCaller);
    }
    EXPECT_EQ(slurp("screen.dat"), ScreenFileContent(520, 293));

    fs::remove(dir_ + "/screen.dat");
    try {
        ReadOnlyFolder readOnly(dir_);
        SaveScreenFile(dir_, 520, 293, kCaller);
        FAIL() << "made a new file in a read-only folder";
    } catch (const Error& e) {
        EXPECT_NE(e.description().find(dir_ + "/screen.dat: Permission denied"), std::string::npos)
            << e.description();
    }
}

TEST_F(ScreenFileFolder, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    // A folder in the file's place (root can write anywhere else).
    fs::remove(dir_ + "/screen.dat");
    fs::create_directory(dir_ + "/screen.dat");
    EXPECT_THROW(SaveScreenFile(dir_, 520, 293, kCaller), Error);
    EXPECT_TRUE(fs::is_directory(dir_ + "/screen.dat"));
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left behind";
    // A folder that does not exist.
    EXPECT_THROW(SaveScreenFile(dir_ + "/missing", 520, 293, kCaller), Error);
}

TEST(SizeTable, MatchesTheWorkedExampleFor303mm) {
    SizeTable t;
    BuildSizeTable(t, 303, 227, true, 1024, 748, kCaller);
    const double expected[] = {0, 43.6336, 26.1806, 17.4542, 13.0912, 8.7285, 6.5475, 4.3670, 3.6405, 0};
    for (int n = 1; n <= 9; ++n) EXPECT_NEAR(t.LetterSizes[n], expected[n], 0.00005) << "entry " << n;
    EXPECT_FLOAT_EQ(t.FullScreenX, 1024);
    EXPECT_DOUBLE_EQ(t.PixelsPerMMX, 1024.0 / 303);
    EXPECT_DOUBLE_EQ(t.PixelsPerMMY, 748.0 / 227);
}

TEST(SizeTable, DependsOnTheWidthOnlyAndIsRebuiltWhole) {
    SizeTable a, b;
    BuildSizeTable(a, 303, 227, true, 1024, 748, kCaller);
    BuildSizeTable(b, 303, 400, true, 1024, 748, kCaller);
    EXPECT_EQ(a.LetterSizes, b.LetterSizes);
    BuildSizeTable(b, 520, 293, true, 1024, 748, kCaller);
    for (int n = 1; n <= 8; ++n) EXPECT_GT(b.LetterSizes[n], a.LetterSizes[n]);
    BuildSizeTable(b, 520, 293, false, 1024, 748, kCaller);
    for (double size : b.LetterSizes) EXPECT_EQ(size, 0);
}

TEST(SizeTable, WidthsBeyondSixteenBitProductsWork) {
    SizeTable t;
    BuildSizeTable(t, 20000, 20000, true, 1024, 748, kCaller);
    // Far from the chart's nearest row the table is nearly linear in the width.
    SizeTable small;
    BuildSizeTable(small, 303, 227, true, 1024, 748, kCaller);
    EXPECT_GT(t.LetterSizes[1], small.LetterSizes[1]);
    EXPECT_TRUE(std::isfinite(t.LetterSizes[8]));
}

TEST(SizeTable, ZeroDimensionFailsAfterClearing) {
    SizeTable t;
    BuildSizeTable(t, 303, 227, true, 1024, 748, kCaller);
    EXPECT_THROW(BuildSizeTable(t, 0, 227, true, 1024, 748, kCaller), Error);
    for (double size : t.LetterSizes) EXPECT_EQ(size, 0);
    EXPECT_THROW(BuildSizeTable(t, 303, 0, true, 1024, 748, kCaller), Error);
}
