// The compiled help file, read back through chmlib, against its sources in
// resources/help and, where it describes behaviour, against the program; and
// the reader itself on damaged input.
#include "acuity/ChartLayout.h"
#include "app/SizeTable.h"
#include "help/ChmFile.h"
#include "ui/Control.h"
#include "ui/Controls.h"
#include "ui/KeyCodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include <unistd.h>

using namespace lumeye::help;
namespace fs = std::filesystem;

namespace {
const std::string kHelpFile = LUMEYE_HELP_FILE;
const fs::path kSources = LUMEYE_HELP_SOURCES;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The source files with one of the extensions, as absolute paths inside the
// compiled file ("/pictures/room.png").
std::vector<std::string> sourcePaths(const std::set<std::string>& extensions) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(kSources))
        if (entry.is_regular_file() && extensions.count(entry.path().extension().string()))
            paths.push_back("/" + entry.path().lexically_relative(kSources).generic_string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Every href and src of a page, and the Local entries of a contents or index file.
std::vector<std::string> references(const std::string& html) {
    static const std::regex link(R"re((?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    static const std::regex local(R"re(<param\s+name="Local"\s+value="([^"]*)")re", std::regex::icase);
    const std::regex& pattern = html.find("text/sitemap") != std::string::npos ? local : link;
    std::vector<std::string> refs;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), pattern); it != std::sregex_iterator(); ++it)
        refs.push_back((*it)[1]);
    return refs;
}

// A reference relative to the page at `from`, as an absolute path and a fragment.
std::pair<std::string, std::string> resolve(const std::string& from, const std::string& ref) {
    const auto hash = ref.find('#');
    const std::string path = ref.substr(0, hash);
    const std::string fragment = hash == std::string::npos ? "" : ref.substr(hash + 1);
    if (path.empty()) return {from, fragment};
    const fs::path base = fs::path(from).parent_path();
    return {(base / path).lexically_normal().generic_string(), fragment};
}

bool isPage(const std::string& path) { return path.size() > 4 && path.substr(path.size() - 4) == ".htm"; }

// The text a reader sees: tags removed, runs of white space as one blank.
std::string visibleText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), " ");
    text = std::regex_replace(text, std::regex(R"(\s+)"), " ");
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \"");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \"") - first + 1);
}

// The rows of every table of a page, each as its cells' visible text.
std::vector<std::vector<std::string>> tableRows(const std::string& html) {
    static const std::regex row(R"(<tr>([\s\S]*?)</tr>)", std::regex::icase);
    static const std::regex cell(R"(<t[dh][^>]*>([\s\S]*?)</t[dh]>)", std::regex::icase);
    std::vector<std::vector<std::string>> rows;
    for (auto r = std::sregex_iterator(html.begin(), html.end(), row); r != std::sregex_iterator(); ++r) {
        const std::string inner = (*r)[1];
        std::vector<std::string> cells;
        for (auto c = std::sregex_iterator(inner.begin(), inner.end(), cell); c != std::sregex_iterator(); ++c)
            cells.push_back(trimmed(visibleText((*c)[1])));
        rows.push_back(cells);
    }
    return rows;
}

// The groups of the first match of a pattern in a text; none when it has no match.
std::vector<std::string> said(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern))) return {};
    return {m.begin() + 1, m.end()};
}

std::string withDecimals(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
std::string oneDecimal(double value) { return withDecimals(value, 1); }
std::string twoDecimals(double value) { return withDecimals(value, 2); }

// The letter heights in millimetres that the program works out for a screen width.
lumeye::acuity::LineSizeTable letterSizes(int widthMM) {
    lumeye::app::SizeTable table;
    lumeye::app::BuildSizeTable(table, static_cast<int16_t>(widthMM), 300, true, 1920, 1080, "help");
    return table.LetterSizes;
}

// The height of a row's letters in whole pixels, as the chart sizes them on a
// screen entered as WIDTH x HEIGHT mm of ACROSS x DOWN pixels and its
// pictures round them.
double letterPixels(int widthMM, int heightMM, int across, int down, int row) {
    lumeye::app::SizeTable table;
    lumeye::app::BuildSizeTable(table, static_cast<int16_t>(widthMM), static_cast<int16_t>(heightMM), true, across,
                                down, "help");
    return lumeye::ui::wholePixels(table.PixelsPerMMY * table.LetterSizes[row]);
}

// A row's E on a television: its picture worked out from the diagonal, the
// height the program means for that width and the whole pixels it draws.
struct RowOnTelevision {
    int widthMM;
    int heightMM;
    double meant;
    double pixels;
    double shown;
};
RowOnTelevision rowOnTelevision(int inches, int across, int down, int row) {
    const double diagonal = inches * 25.4;
    const int width = static_cast<int>(std::lround(diagonal * across / std::hypot(across, down)));
    const int height = static_cast<int>(std::lround(diagonal * down / std::hypot(across, down)));
    const double pixels = letterPixels(width, height, across, down, row);
    return {width, height, letterSizes(width)[row], pixels, pixels * height / down};
}

int rowLabelled(const std::string& label) {
    for (int r = 1; r <= lumeye::acuity::kMaxRows; ++r)
        if (label == lumeye::acuity::RowLabel(r)) return r;
    ADD_FAILURE() << "no row is labelled \"" << label << "\"";
    return 1;
}

// A key as the X server reports it to the program.
struct Keystroke {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

// Keys that type a character besides those the table of keys names.
std::vector<Keystroke> otherTypingKeys() {
    std::vector<Keystroke> keys{{Qt::Key_Backspace, {}, "\b"},
                                {Qt::Key_Delete, {}, "\x7f"},
                                {Qt::Key_A, Qt::ControlModifier, "\x01"},
                                {Qt::Key_A, Qt::ShiftModifier, "A"}};
    // Letters, digits and signs: Qt names their keys by their (capital) ASCII code.
    for (char c = '!'; c <= '~'; ++c)
        keys.push_back({std::toupper(static_cast<unsigned char>(c)), {}, QString(QChar(c))});
    return keys;
}

// Each key the tables of keys name, as it is typed.
const std::map<std::string, std::vector<Keystroke>>& keysNamed() {
    static const std::map<std::string, std::vector<Keystroke>> keys{
        {"Enter", {{Qt::Key_Return, {}, "\r"}, {Qt::Key_Enter, Qt::KeypadModifier, "\r"}}},
        {"Space", {{Qt::Key_Space, {}, " "}}},
        {"Esc", {{Qt::Key_Escape, {}, "\x1b"}}},
        {"Tab", {{Qt::Key_Tab, {}, "\t"}}},
        {"Up, Down", {{Qt::Key_Up, {}, ""}, {Qt::Key_Down, {}, ""}}},
        {"Alt+D, Alt+P, Alt+T",
         {{Qt::Key_D, Qt::AltModifier, "d"}, {Qt::Key_P, Qt::AltModifier, "p"}, {Qt::Key_T, Qt::AltModifier, "t"}}},
        {"Alt+X, Alt+H, Alt+A",
         {{Qt::Key_X, Qt::AltModifier, "x"}, {Qt::Key_H, Qt::AltModifier, "h"}, {Qt::Key_A, Qt::AltModifier, "a"}}},
        {"any other key that types a character", otherTypingKeys()},
    };
    return keys;
}

class CompiledHelp : public ::testing::Test {
protected:
    void SetUp() override {
        file = ChmFile::open(kHelpFile);
        ASSERT_TRUE(file) << "cannot open " << kHelpFile;
    }
    std::string text(const std::string& page) const { return visibleText(*file->read(page)); }
    // The screen widths the help's letter heights are given for.
    std::pair<int, int> statedWidths() const {
        const auto range = said(text("/chart.htm"), R"(those Lumeye works out for a screen (\d+) to (\d+) mm wide)");
        if (range.size() != 2) return {0, -1};
        return {std::stoi(range[0]), std::stoi(range[1])};
    }
    // The smallest size the screen-size questions take, as their message says.
    int minimumMM() const {
        const auto minimum = said(text("/screen-size.htm"), R"(a minimum of (\d+) millimetres)");
        return minimum.empty() ? 0 : std::stoi(minimum[0]);
    }
    std::unique_ptr<ChmFile> file;
};
}  // namespace

TEST_F(CompiledHelp, ListsEverySourcePageAndNothingElseAsAPage) {
    std::vector<std::string> pages = file->pages();
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, sourcePaths({".htm"}));
    EXPECT_GE(pages.size(), 8u);  // a contents page and the topics it links to
}

TEST_F(CompiledHelp, OpensAtTheContentsPage) {
    EXPECT_EQ(file->defaultTopic(), "/contents.htm");
    EXPECT_EQ(file->title(), "Lumeye HE Help");
    const auto topic = file->read(file->defaultTopic());
    ASSERT_TRUE(topic);
    EXPECT_EQ(*topic, slurp(kSources / "contents.htm"));
    EXPECT_TRUE(openHelpFile(kHelpFile));
}

TEST_F(CompiledHelp, HoldsEveryPagePictureAndStyleSheetUnchanged) {
    const auto paths = sourcePaths({".htm", ".png", ".css", ".hhc", ".hhk"});
    EXPECT_GE(paths.size(), 15u);
    for (const std::string& path : paths) {
        const auto stored = file->read(path);
        ASSERT_TRUE(stored) << path << " is missing from the compiled file";
        EXPECT_EQ(*stored, slurp(kSources / path.substr(1))) << path;
    }
    // chmlib finds objects whatever the letter case, as the format intends.
    EXPECT_TRUE(file->read("/CONTENTS.HTM"));
    EXPECT_TRUE(file->read("contents.htm"));
    EXPECT_FALSE(file->read("/no-such-page.htm"));
}

TEST_F(CompiledHelp, EveryLinkAndPictureResolvesInsideTheFile) {
    int checked = 0;
    for (const std::string& page : sourcePaths({".htm", ".hhc", ".hhk"})) {
        const std::string html = *file->read(page);
        for (const std::string& ref : references(html)) {
            SCOPED_TRACE(page + " -> " + ref);
            EXPECT_EQ(ref.find(':'), std::string::npos) << "links must stay inside the help file";
            const auto [target, fragment] = resolve(page, ref);
            const auto bytes = file->read(target);
            ASSERT_TRUE(bytes) << "no " << target << " in the compiled file";
            if (!fragment.empty()) {
                EXPECT_NE(bytes->find("id=\"" + fragment + "\""), std::string::npos) << "no anchor " << fragment;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 60);
}

TEST_F(CompiledHelp, EveryPageIsReachableFromTheContentsAndHasATitle) {
    std::set<std::string> seen{file->defaultTopic()};
    std::vector<std::string> queue{file->defaultTopic()};
    while (!queue.empty()) {
        const std::string page = queue.back();
        queue.pop_back();
        const std::string html = *file->read(page);
        const std::smatch title = [&] {
            std::smatch m;
            std::regex_search(html, m, std::regex("<title>([^<]+)</title>"));
            return m;
        }();
        EXPECT_FALSE(title.empty()) << page << " has no title";
        if (page != file->defaultTopic()) {
            EXPECT_NE(html.find("href=\"contents.htm\""), std::string::npos) << page << " has no way back";
        }
        for (const std::string& ref : references(html)) {
            const std::string target = resolve(page, ref).first;
            if (isPage(target) && seen.insert(target).second) queue.push_back(target);
        }
    }
    const auto pages = file->pages();
    EXPECT_EQ(seen, std::set<std::string>(pages.begin(), pages.end()));
}

TEST_F(CompiledHelp, PagesArePlainAsciiAndQuoteTheProgramExactly) {
    std::string all;
    for (const std::string& page : file->pages()) {
        const std::string html = *file->read(page);
        EXPECT_TRUE(std::all_of(html.begin(), html.end(), [](char c) { return (c & 0x80) == 0; }))
            << page << " has a character outside ASCII";
        all += visibleText(html);
    }
    // What the user sees on screen, letter for letter.
    for (const char* quoted :
         {"Entre Screen Dimensions", "Print Letter-E Card", "Perform Sight Test", "Lumeye - Home Edition 2.2",
          "Enter the HORIZONTAL dimension of your display screen in millimetres",
          "Screen size should be a minimum of 190 millimetres in any direction",
          "Before testing, please enter your computer screen dimensions in millimetres", "Please Wait ...",
          "Print E-Card", "Print Card", "Done Printing E-Card", "LumeyeHE Help file.chm",
          "The sight test could not be started.", "The chart could not be drawn.",
          "No printer is chosen as the default printer.", "6 / 60", "6 / 36",
          "6 / 24", "6 / 18", "6 / 12", "6 / 9", "6 / 6", "6 / 5", "3 metres", "190"})
        EXPECT_NE(all.find(quoted), std::string::npos) << "the help never says \"" << quoted << "\"";
}

TEST_F(CompiledHelp, TheTableOfKeysSaysWhatEachKeyDoesOnTheChartAndTheMenu) {
    using lumeye::acuity::ChartKey;
    std::set<int> onChart;
    std::set<std::string> onMenu;
    for (const auto& row : tableRows(*file->read("/menu.htm"))) {
        if (row.size() != 3 || (row[1] != "the chart" && row[1] != "the main menu") || row[0] == "double-click")
            continue;
        SCOPED_TRACE(row[0] + " on " + row[1] + ": " + row[2]);
        const auto named = keysNamed().find(row[0]);
        ASSERT_NE(named, keysNamed().end()) << "a key this test cannot type";
        for (const Keystroke& k : named->second) {
            if (row[1] == "the chart") {
                const int code = lumeye::ui::keyCodeOf(k.key);
                const ChartKey told = row[2].find("new chart") != std::string::npos ? ChartKey::NewChart
                                      : row[2].find("leaves") != std::string::npos  ? ChartKey::Leave
                                                                                   : ChartKey::Ignored;
                EXPECT_EQ(lumeye::acuity::ChartKeyAction(code), told);
                onChart.insert(code);
            } else {
                const bool starts = row[2].find("starts") != std::string::npos;
                EXPECT_EQ(lumeye::ui::OptionKeyTyped(k.key, k.modifiers, k.text), starts) << k.text.toStdString();
                onMenu.insert(row[0]);
            }
        }
    }
    EXPECT_GE(onChart.size(), 2u);
    for (int code = 0; code < 256; ++code) {
        if (lumeye::acuity::ChartKeyAction(code) != ChartKey::Ignored) {
            EXPECT_TRUE(onChart.count(code)) << "key code " << code << " acts on the chart; the help does not say so";
        }
    }
    // On the menu every key the table names is told, the keys that type nothing among them.
    for (const auto& [name, keys] : keysNamed()) EXPECT_TRUE(onMenu.count(name)) << name << " on the main menu";
}

TEST_F(CompiledHelp, TheLetterHeightsAreTheSizeTables) {
    const auto [narrowest, widest] = statedWidths();
    EXPECT_EQ(narrowest, minimumMM());
    ASSERT_GT(widest, narrowest) << "the help no longer says for which widths its heights hold";
    int rows = 0;
    for (const auto& row : tableRows(*file->read("/chart.htm"))) {
        std::smatch m;
        if (row.size() != 5 || !std::regex_match(row[4], m, std::regex(R"re(about ([\d.]+)(?: to ([\d.]+))? mm)re")))
            continue;
        const int r = std::stoi(row[0]);
        SCOPED_TRACE(row[4]);
        EXPECT_EQ(row[1], lumeye::acuity::RowLabel(r));
        // Every height the screens of those widths get, and no other.
        std::set<std::string> told{m[1]}, drawn;
        if (m[2].matched) told.insert(m[2]);
        for (int w = narrowest; w <= widest; ++w) drawn.insert(oneDecimal(letterSizes(w)[r]));
        EXPECT_EQ(drawn, told);
        ++rows;
    }
    EXPECT_EQ(rows, lumeye::acuity::kMaxRows);

    const auto wide = said(text("/chart.htm"), R"re(on a screen (\d+) mm wide the "([^"]+)" E is about ([\d.]+) mm)re");
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_GT(std::stoi(wide[0]), widest);
    EXPECT_EQ(oneDecimal(letterSizes(std::stoi(wide[0]))[rowLabelled(wide[1])]), wide[2]);
}

TEST_F(CompiledHelp, TheCalibrationExampleIsWhatTheChartDraws) {
    const auto quoted = said(text("/screen-size.htm"), R"re(A screen (\d+) x (\d+) mm entered as (\d+) x (\d+) mm )re"
                                                       R"re(\((\d+)% too small\) draws the top E about (\d+) mm high )re"
                                                       R"re(instead of ([\d.]+) mm)re");
    ASSERT_EQ(quoted.size(), 7u);
    const int width = std::stoi(quoted[0]), height = std::stoi(quoted[1]);
    const int enteredWidth = std::stoi(quoted[2]), enteredHeight = std::stoi(quoted[3]);
    const int tooSmall = std::stoi(quoted[4]), drawn = std::stoi(quoted[5]);
    EXPECT_EQ(std::lround(100 - 100.0 * enteredWidth / width), tooSmall);
    EXPECT_EQ(std::lround(100 - 100.0 * enteredHeight / height), tooSmall);
    EXPECT_EQ(oneDecimal(letterSizes(width)[1]), quoted[6]);
    // The chart counts the pixels of a millimetre from the entered height and
    // rounds each letter to whole pixels; the screen shows them at their real size.
    for (int lines : {768, 1080, 1440, 2160}) {
        const double pixels = letterPixels(enteredWidth, enteredHeight, lines * 16 / 9, lines, 1);
        EXPECT_EQ(std::lround(pixels * height / lines), drawn) << lines << " lines";
    }
    // The televisions whose smallest rows the rounding puts furthest off,
    // their pictures worked out from the diagonal.
    const std::string chart = text("/chart.htm");
    static const std::regex television(
        R"re(on a (\d+)-inch television with (\d+) x (\d+) pixels \(a picture of about (\d+) x (\d+) mm\), )re"
        R"re(the "([^"]+)" E is (\d+) pixels high: ([\d.]+) mm instead of ([\d.]+) mm, (\d+)% too (small|big))re");
    int televisions = 0;
    for (auto it = std::sregex_iterator(chart.begin(), chart.end(), television); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        SCOPED_TRACE(m.str());
        const auto row = rowOnTelevision(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), rowLabelled(m[6]));
        EXPECT_EQ(row.widthMM, std::stoi(m[4]));
        EXPECT_EQ(row.heightMM, std::stoi(m[5]));
        EXPECT_EQ(std::lround(row.pixels), std::stoi(m[7]));
        EXPECT_EQ(twoDecimals(row.shown), m[8]);
        EXPECT_EQ(twoDecimals(row.meant), m[9]);
        EXPECT_EQ(std::lround(100 * std::abs(row.shown / row.meant - 1)), std::stoi(m[10]));
        EXPECT_EQ(m[11], row.shown < row.meant ? "small" : "big");
        ++televisions;
    }
    EXPECT_EQ(televisions, 3);
}

TEST_F(CompiledHelp, BothPagesGiveTheWorstRoundingOfTheTelevisionsTheyName) {
    const std::string figure =
        R"re(the E's of the smallest rows may be up to (\d+)% too big or too small on a television with )re"
        R"re((\d+) x (\d+) pixels up to (\d+) inches, and up to (\d+)% on one from (\d+) to (\d+) inches)re";
    const auto chart = said(text("/chart.htm"), figure);
    ASSERT_EQ(chart.size(), 7u);
    EXPECT_EQ(said(text("/screen-size.htm"), figure), chart);
    const int across = std::stoi(chart[1]), down = std::stoi(chart[2]);
    // The furthest off any E of the rows the chart shows, over whole inches
    // from the smallest picture the program takes.
    const auto worstPercent = [&](int fromInches, int toInches) {
        double worst = 0;
        for (int inches = fromInches; inches <= toInches; ++inches) {
            const int height = rowOnTelevision(inches, across, down, 1).heightMM;
            if (height < minimumMM()) continue;
            for (int r = 1; r <= lumeye::acuity::LineCountFor(static_cast<int16_t>(height)); ++r) {
                const auto row = rowOnTelevision(inches, across, down, r);
                worst = std::max(worst, std::abs(row.shown / row.meant - 1));
            }
        }
        return std::lround(100 * worst);
    };
    EXPECT_EQ(worstPercent(1, std::stoi(chart[3])), std::stoi(chart[0]));
    EXPECT_EQ(std::stoi(chart[5]), std::stoi(chart[3]) + 1);
    EXPECT_EQ(worstPercent(std::stoi(chart[5]), std::stoi(chart[6])), std::stoi(chart[4]));
}

TEST_F(CompiledHelp, TheRoomTheChartNeedsIsTheLayouts) {
    using namespace lumeye::acuity;
    const std::string size = text("/screen-size.htm");
    const auto six = said(size, R"re(rows from "([^"]+)" down to "([^"]+)" with the spaces between them, )re"
                                R"re(needs about (\d+) mm of height)re");
    const auto widestRow = said(size, R"re(the widest row, the \w+ E's of "([^"]+)", is only about (\d+) mm across)re");
    const auto top = said(size, R"re(top letter alone is about (\d+) mm high)re");
    const auto ruler = said(text("/troubleshooting.htm"),
                            R"re(the E next to "6 / 60" should be about (\d+) mm high and (\d+) mm wide)re");
    ASSERT_EQ(six.size(), 3u);
    ASSERT_EQ(widestRow.size(), 2u);
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(ruler.size(), 2u);
    const int shortest = LineCountFor(static_cast<int16_t>(minimumMM()));
    EXPECT_EQ(six[0], RowLabel(1));
    EXPECT_EQ(six[1], RowLabel(shortest));
    const auto [narrowest, widest] = statedWidths();
    for (int w = narrowest; w <= widest; ++w) {
        SCOPED_TRACE(std::to_string(w) + " mm wide");
        const LineSizeTable sizes = letterSizes(w);
        double height = sizes[shortest];
        for (int r = 1; r < shortest; ++r) height += sizes[r] + RowGap(r, 1.0, sizes);
        EXPECT_EQ(std::lround(height), std::stoi(six[2]));
        int widestAt = 1;
        double across = 0;
        for (int r = 1; r <= kMaxRows; ++r) {
            const double row = r * sizes[r] + (r - 1) * LetterGap(r, 1.0, sizes);
            if (row > across) std::tie(widestAt, across) = std::pair(r, row);
        }
        EXPECT_EQ(RowLabel(widestAt), widestRow[0]);
        EXPECT_EQ(std::lround(across), std::stoi(widestRow[1]));
        EXPECT_EQ(std::lround(sizes[1]), std::stoi(top[0]));
        EXPECT_EQ(std::lround(sizes[1]), std::stoi(ruler[0]));
        EXPECT_EQ(std::lround(sizes[1]), std::stoi(ruler[1]));
    }
    // The laptop that the questions turn away, worked out from its diagonal.
    for (const char* page : {"/screen-size.htm", "/troubleshooting.htm"}) {
        const auto laptop = said(text(page), R"re((\d+)-inch laptop with a wide \((\d+):(\d+)\) screen has a )re"
                                             R"re(picture of about (\d+) x (\d+) mm)re");
        ASSERT_EQ(laptop.size(), 5u) << page;
        const double diagonal = std::stoi(laptop[0]) * 25.4;
        const int across = std::stoi(laptop[1]), down = std::stoi(laptop[2]);
        const int width = std::stoi(laptop[3]), height = std::stoi(laptop[4]);
        EXPECT_EQ(std::lround(diagonal * across / std::hypot(across, down)), width) << page;
        EXPECT_EQ(std::lround(diagonal * down / std::hypot(across, down)), height) << page;
        EXPECT_LT(height, minimumMM()) << page;
    }
}

TEST_F(CompiledHelp, TheRowsPerScreenHeightAreTheChartsOwn) {
    static const std::regex range(R"((\d+) to (\d+) mm)"), from(R"((\d+) mm or more)");
    constexpr int kTallest = 3000;  // far beyond any row-count change
    std::map<int, int> told;        // height -> how many table rows speak of it
    for (const auto& row : tableRows(*file->read("/screen-size.htm"))) {
        std::smatch m;
        if (row.size() != 3) continue;
        int low = 0, high = kTallest;
        if (std::regex_match(row[0], m, range)) {
            low = std::stoi(m[1]);
            high = std::stoi(m[2]);
        } else if (std::regex_match(row[0], m, from)) {
            low = std::stoi(m[1]);
        } else {
            continue;
        }
        const int rows = std::stoi(row[1]);
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(row[2], lumeye::acuity::RowLabel(rows));
        for (int mm = low; mm <= high; ++mm) {
            ++told[mm];
            EXPECT_EQ(lumeye::acuity::LineCountFor(static_cast<int16_t>(mm)), rows) << mm << " mm";
        }
    }
    // Every height the screen-size questions accept, once.
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.begin()->first, 190);
    EXPECT_EQ(told.size(), static_cast<size_t>(kTallest - 190 + 1));
    EXPECT_TRUE(std::all_of(told.begin(), told.end(), [](const auto& h) { return h.second == 1; }));
}

TEST(SystemRecords, FindsTheDefaultTopicAndTitleAmongOtherRecords) {
    using namespace std::string_literals;
    const std::string bytes = "\x03\0\0\0"s                 // version
                              "\x09\0\x04\0HHA\0"s           // compiler version
                              "\x02\0\x0a\0start.htm\0"s     // default topic
                              "\x03\0\x06\0Title\0"s;        // title
    const SystemInfo info = parseSystem(bytes);
    EXPECT_EQ(info.defaultTopic, "start.htm");
    EXPECT_EQ(info.title, "Title");
}

TEST(SystemRecords, StopsAtARecordThatRunsPastTheEnd) {
    using namespace std::string_literals;
    const std::string bytes = "\x03\0\0\0"s
                              "\x03\0\x03\0Abc"s           // a title without its zero
                              "\x02\0\x40\0start.htm\0"s;  // claims 64 bytes
    const SystemInfo info = parseSystem(bytes);
    EXPECT_EQ(info.title, "Abc");
    EXPECT_EQ(info.defaultTopic, "");
    EXPECT_EQ(parseSystem("\x03\0"s).defaultTopic, "");
    EXPECT_EQ(parseSystem("").title, "");
}

TEST(DamagedHelpFile, IsRefusedWithoutFailing) {
    const fs::path dir = fs::temp_directory_path() / ("lumeye-help-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string whole = slurp(kHelpFile);
    ASSERT_GT(whole.size(), 8192u);
    const std::map<std::string, std::string> cases{
        {"empty.chm", ""},
        {"text.chm", "This is not a help file.\n"},
        {"cut-short.chm", whole.substr(0, 4096)},
        {"header-only.chm", whole.substr(0, 100)},
    };
    for (const auto& [name, bytes] : cases) {
        write(dir / name, bytes);
        EXPECT_FALSE(openHelpFile((dir / name).string())) << name;
    }
    EXPECT_FALSE(ChmFile::open((dir / "missing.chm").string()));
    EXPECT_FALSE(openHelpFile((dir / "missing.chm").string()));
    EXPECT_FALSE(openHelpFile(dir.string())) << "a folder";
    fs::remove_all(dir);
}
