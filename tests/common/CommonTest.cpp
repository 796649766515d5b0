#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/TextFile.h"
#include "common/WinePaths.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <set>

#include <sys/resource.h>
#include <sys/stat.h>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(AtomicFile, AFailedWriteReportsFailureAndKeepsTheOldFile) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/x.axr"), "data", &error));
    EXPECT_FALSE(error.empty());
    fs::create_directory(dir.file("d")); // a directory in the way of the target
    EXPECT_FALSE(writeFileAtomically(dir.file("d"), "data"));
    EXPECT_TRUE(fs::is_directory(dir.file("d")));
}

// A write cut short, as on a full disk (here by the file size limit), is no save.
TEST(AtomicFile, AWriteCutShortKeepsTheOldFile) {
    test::TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir.file("p.cfr"), "old"));
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 4096;
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    // Cut short in the write itself, or only when the rest is flushed.
    for (size_t size : {100000, 6000}) {
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved = writeFileAtomically(dir.file("p.cfr"), std::string(size, 'x'));
        setrlimit(RLIMIT_FSIZE, &was);
        EXPECT_FALSE(saved) << size;
        EXPECT_EQ(dir.read("p.cfr"), "old") << size;
    }
    std::signal(SIGXFSZ, signal);
}

// A refused file that cannot be kept (here a pipe, which cannot be copied) is not written over.
TEST(AtomicFile, ARefusedFileThatCannotBeKeptIsNotWrittenOver) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("p.cfr").c_str(), 0600), 0);
    const SaveReport report = saveFile(dir.file("p.cfr"), "new", true);
    EXPECT_EQ(report.result, SaveResult::Failed);
    EXPECT_FALSE(report.reason.empty());
    EXPECT_TRUE(fs::is_fifo(dir.file("p.cfr")));
    // One that has gone meanwhile needs no copy.
    EXPECT_EQ(saveFile(dir.file("weg.cfr"), "new", true).result, SaveResult::Saved);
}

TEST(AtomicFile, WritesThroughALinkKeepsPermissionsAndLeavesNoTemporaryOfItsOwn) {
    test::TempDir dir;
    dir.write("real.dat", "old");
    fs::permissions(dir.file("real.dat"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.dat", dir.file("Kalibrierung.dat"));
    // Left by a write that was killed; only the writer's own pattern is removed.
    for (const char* name :
         {"real.dat.kordan-tmp123", "real.dat.kordan-tmpx", "real.dat.kordan-tmp", "real.dat.tmp1"})
        dir.write(name, "");
    ASSERT_TRUE(writeFileAtomically(dir.file("Kalibrierung.dat"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.file("Kalibrierung.dat")));
    EXPECT_EQ(dir.read("real.dat"), "new");
    EXPECT_EQ(fs::status(dir.file("real.dat")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"Kalibrierung.dat", "real.dat", "real.dat.kordan-tmpx",
                                           "real.dat.kordan-tmp", "real.dat.tmp1"}));
}

TEST(NumberText, ReadsLenientlyFromTheStart) {
    const std::tuple<std::string, Blanks, double> cases[] = {
        {" 5 ", Blanks::Leading, 5},       {"5abc", Blanks::Leading, 5},
        {"", Blanks::Leading, 0},          {"abc", Blanks::Leading, 0},
        {"-12", Blanks::Leading, -12},     {"12.345", Blanks::Leading, 12.345},
        {"12,345", Blanks::Leading, 12}, // the comma is no decimal point
        {".5", Blanks::Leading, 0.5},      {"-", Blanks::Leading, 0},
        {"5e", Blanks::Leading, 5},        {"1e3", Blanks::Leading, 1000},
        {"1 2", Blanks::Leading, 1},       {"1 2", Blanks::Anywhere, 12},
        {"\t7", Blanks::Leading, 0}, // only blanks lead
        {"\t 7\t5", Blanks::Anywhere, 75}, {" 1 . 5", Blanks::Anywhere, 1.5},
    };
    for (const auto& [text, blanks, value] : cases)
        EXPECT_EQ(readNumber(text, blanks), value) << text;
}

TEST(NumberText, RoundsHalvesToEvenClampsAndWritesFileNumbersWithBlanks) {
    const std::pair<double, int32_t> rounded[] = {
        {2.5, 2}, {3.5, 4},  {-2.5, -2},         {7.5, 8},
        {6.5, 6}, {0.49, 0}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}};
    for (auto [value, expected] : rounded)
        EXPECT_EQ(toInt32(value), expected) << value;
    EXPECT_EQ(toInt16(40000), 32767);
    EXPECT_EQ(toInt16(-40000), -32768);
    EXPECT_EQ(toByte(300), 255);
    EXPECT_EQ(toByte(-1), 0);
    EXPECT_TRUE(std::isinf(readNumber("9" + std::string(400, '9'))));
    EXPECT_EQ(readInt32("9" + std::string(400, '9')), INT32_MAX);
    EXPECT_EQ(readInt32("1e999999999"), INT32_MAX);
    EXPECT_EQ(readInt32("1e-999999999"), 0);
    EXPECT_EQ(formatFileNumber(0), " 0 ");
    EXPECT_EQ(formatFileNumber(-5), "-5 ");
}

TEST(TextFile, LinesEndAtCrAndSkipOneLf) {
    const std::pair<const char*, Lines> cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},     {"a\rb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}}, {"a\nb\r\n", {"a\nb"}}, // a bare LF does not end a line
        {"a\r\n\nb", {"a", "\nb"}},     {"", {}}};
    for (const auto& [bytes, lines] : cases) {
        Lines read;
        for (LineReader r(std::string_view{bytes}); !r.atEnd();)
            read.push_back(*r.next());
        EXPECT_EQ(read, lines) << bytes;
    }
}

TEST(TextFile, ReadingIsBoundedAndStopsAtTheFirstLine) {
    test::TempDir dir;
    dir.write("f", "Lo\nks.lok\r\nrest"); // a bare LF stays in the line, as everywhere
    EXPECT_EQ(readFirstLine(dir.file("f"), 100), "Lo\nks.lok");
    EXPECT_EQ(readFirstLine(dir.file("f"), 4), "Lo\nk");
    bool tooLarge = false;
    EXPECT_EQ(readFileBytes(dir.file("f"), 15, &tooLarge), "Lo\nks.lok\r\nrest");
    EXPECT_FALSE(LineReader::open(dir.file("f"), 14, &tooLarge));
    EXPECT_TRUE(tooLarge);
#ifndef _WIN32
    // A device tells no size: read in chunks, it stops past the limit all the same.
    EXPECT_FALSE(readFileBytes("/dev/zero", 1 << 16));
#endif
    for (const char* path : {"/nonexistent/dir/file", "/"}) {
        EXPECT_FALSE(LineReader::open(path, 100)) << path;
        EXPECT_FALSE(readFirstLine(path, 100)) << path;
    }
}

TEST(TextFile, Windows1252RoundTrip) {
    const std::string bytes = "F\xFCllen \xE4\xF6\xDC\xDF \x80 \x84 \x9F \xFF";
    EXPECT_EQ(fromWindows1252(bytes), "Füllen äöÜß € „ Ÿ ÿ");
    EXPECT_EQ(toWindows1252(fromWindows1252(bytes)), bytes);
    EXPECT_EQ(toWindows1252(fromWindows1252("\x81\x8D")), "\x81\x8D"); // undefined bytes survive
    // What 1252 cannot hold (U+2192, broken UTF-8) is written as "?".
    EXPECT_EQ(toWindows1252("a\xE2\x86\x92z"), "a?z");
    EXPECT_EQ(toWindows1252("x\xFF"), "x?");
}

// Each length of UTF-8 at both of its ends, written and read back.
TEST(TextFile, Utf8AtTheBoundsOfEachLength) {
    const std::pair<char32_t, std::string> rows[] = {{0x7F, "\x7F"},
                                                     {0x80, "\xC2\x80"},
                                                     {0x7FF, "\xDF\xBF"},
                                                     {0x800, "\xE0\xA0\x80"},
                                                     {0xFFFF, "\xEF\xBF\xBF"},
                                                     {0x10000, "\xF0\x90\x80\x80"},
                                                     {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
    for (const auto& [cp, bytes] : rows) {
        std::string out;
        appendUtf8(out, cp);
        EXPECT_EQ(out, bytes) << std::hex << uint32_t(cp);
        size_t i = 0;
        EXPECT_EQ(nextUtf8CharLenient(bytes, i), cp) << std::hex << uint32_t(cp);
        EXPECT_EQ(i, bytes.size()) << std::hex << uint32_t(cp);
    }
    // A sequence cut off by the end of the text is its first byte, whatever follows in memory.
    size_t i = 0;
    EXPECT_EQ(nextUtf8CharLenient(std::string_view("\xC3\xA4", 1), i), 0xC3u);
}

TEST(TextFile, MessagesShowControlCharactersAndBrokenBytesEscaped) {
    using namespace std::string_literals;
    struct Row {
        const char* name;
        std::string text, shown; // shown "" = as it is
    };
    const Row rows[] = {
        {"German text and layout stay", "Lok-Datei C:\\Zusi\\\xC3\xA4.fzg\r\n\tx", ""},
        {"C0 controls and DEL", "a\x01\x1B[2Jb\x7F"s + '\0', "a\\x01\\x1B[2Jb\\x7F\\x00"},
        {"a C1 control read from 1252", fromWindows1252("x\x81y"), "x\\x81y"},
        {"the first and the last C1 control", "\xC2\x80\xC2\x9F", "\\x80\\x9F"},
        {"bytes that are no UTF-8", "\x80\xFF\xC3(\xE2\x82", "\\x80\\xFF\\xC3(\\xE2\\x82"},
        {"a written U+FFFD is text", "\xEF\xBF\xBD", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(printableText(row.text), row.shown.empty() ? row.text : row.shown) << row.name;
}

TEST(WinePaths, PrefixFromEnvironmentAndDrivePathsBelowDosdevices) {
    EXPECT_EQ(winePrefix("/opt/zusi-wine", "/home/lf"), fs::path("/opt/zusi-wine"));
    EXPECT_EQ(winePrefix("", "/home/lf"), fs::path("/home/lf/.wine"));
    EXPECT_EQ(winePrefix(nullptr, "/home/lf"), fs::path("/home/lf/.wine"));
    EXPECT_EQ(winePrefix(nullptr, nullptr), std::nullopt);
    // The simulator's fallback directory has no drive: it is taken as drive C:.
    const std::pair<const char*, const char*> paths[] = {
        {"C:\\Programme\\Zusi", "c:/Programme/Zusi"},
        {"d:\\Zusi\\\\Loks\\", "d:/Zusi/Loks"},
        {"C:\\", "c:"},
        {"C:", "c:"},
        {"\\programme\\zusi", "c:/programme/zusi"},
        {"Zusi\\Loks", ""},
        {"C:Zusi", ""},
        {"\\\\server\\share\\Zusi", ""},
        {"\\\\", ""},
        {"", ""},
        {"1:\\x", ""}};
    for (auto [windows, below] : paths)
        EXPECT_EQ(wineDosPath(windows, "/w"),
                  *below ? std::optional(fs::path("/w/dosdevices") / below) : std::nullopt)
            << windows;
}

TEST(WinePaths, ResolvingIgnoresCasePerComponentExactSpellingWinsAndUmlautsFold) {
    test::TempDir dir;
    const fs::path root = dir.path();
    fs::create_directories(root / "drive_c" / "Programme");
    // A file that does not exist yet keeps its own spelling below the found directories.
    EXPECT_EQ(resolveCaseInsensitive(root / "DRIVE_C/programme/Neu/Datei.txt"),
              root / "drive_c/Programme/Neu/Datei.txt");

    for (const char* name : {"zusi", "Zusi", "F\u00fchrerst\u00e4nde"})
        fs::create_directory(root / name);
    const std::pair<const char*, const char*> names[] = {
        {"Zusi", "Zusi"},
        {"zusi", "zusi"},
        {"ZUSI", "Zusi"}, // else the first in name order
        {"F\u00dcHRERST\u00c4NDE", "F\u00fchrerst\u00e4nde"}};
    for (auto [asked, found] : names)
        EXPECT_EQ(resolveCaseInsensitive(root / asked), root / found) << asked;
    EXPECT_TRUE(equalsIgnoringCase("\u00d6l", "\u00f6L"));
    EXPECT_TRUE(equalsIgnoringCase("\u00c0\u00de", "\u00e0\u00fe")); // the ends of the range
    EXPECT_FALSE(equalsIgnoringCase("\u00d7", "\u00f7")); // multiplication and division sign
    EXPECT_FALSE(equalsIgnoringCase("Zusi", "Zus"));
}

} // namespace
} // namespace kordan
