#include "common/TextFile.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(TextFile, LinesEndAtCrAndSkipOneLf) {
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\rb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    // A bare LF does not end a line.
    EXPECT_EQ(splitLines("a\nb\r\n"), (std::vector<std::string>{"a\nb"}));
    EXPECT_EQ(splitLines("a\r\n\nb"), (std::vector<std::string>{"a", "\nb"}));
    EXPECT_TRUE(splitLines("").empty());
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

TEST(TextFile, WriterUsesCrLfAndFileNumbers) {
    LineWriter w;
    w.text("1.0");
    w.text("Füllen");
    w.number(-3);
    w.number(40);
    EXPECT_EQ(w.bytes(), "1.0\r\nF\xFCllen\r\n-3 \r\n 40 \r\n");
}

TEST(TextFile, ReaderReportsTheEnd) {
    LineReader r("1.0\r\n[Zones]");
    EXPECT_EQ(r.next(), "1.0");
    EXPECT_EQ(r.next(), "[Zones]");
    EXPECT_EQ(r.next(), std::nullopt);
    EXPECT_FALSE(LineReader::open("/nonexistent/dir/file").has_value());
    EXPECT_FALSE(LineReader::open("/").has_value());
}
