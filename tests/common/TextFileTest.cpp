#include "common/TextFile.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

using namespace kordan;

std::vector<std::string> lines(std::string_view bytes) {
    std::vector<std::string> out;
    for (LineReader r(bytes); !r.atEnd();)
        out.push_back(*r.next());
    return out;
}

TEST(TextFile, LinesEndAtCrAndSkipOneLf) {
    EXPECT_EQ(lines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lines("a\rb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    // A bare LF does not end a line.
    EXPECT_EQ(lines("a\nb\r\n"), (std::vector<std::string>{"a\nb"}));
    EXPECT_EQ(lines("a\r\n\nb"), (std::vector<std::string>{"a", "\nb"}));
    EXPECT_TRUE(lines("").empty());
}

TEST(TextFile, Windows1252RoundTrip) {
    std::string bytes = "F\xFCllen \xE4\xF6\xDC\xDF \x80 \x84";
    std::string utf8 = fromWindows1252(bytes);
    EXPECT_EQ(utf8, "Füllen äöÜß € „");
    EXPECT_EQ(toWindows1252(utf8), bytes);
    // Undefined bytes survive a round trip.
    EXPECT_EQ(toWindows1252(fromWindows1252("\x81\x8D")), "\x81\x8D");
    // What 1252 cannot hold is written as "?".
    EXPECT_EQ(toWindows1252("a\xE2\x86\x92"
                            "b"),
              "a?b");                        // U+2192
    EXPECT_EQ(toWindows1252("x\xFF"), "x?"); // broken UTF-8
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
    for (const char* path : {"/nonexistent/dir/file", "/"})
        EXPECT_FALSE(LineReader::open(path, 100) || readFirstLine(path, 100)) << path;
}
