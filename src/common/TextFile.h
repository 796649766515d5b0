#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The program's own text files: Windows-1252 on disk, UTF-8 in memory, CR LF line ends.
namespace kordan {

// The version line every file of the program starts with.
inline constexpr std::string_view kFileVersion = "1.0";
// The line that stands for an absent record (an undefined button, an unassigned axis).
inline constexpr std::string_view kAbsentRecord = "#";

std::string fromWindows1252(std::string_view bytes);

// Appends the UTF-8 bytes of the code point `cp`.
void appendUtf8(std::string& out, char32_t cp);
// The UTF-8 character at `i`, advancing past it. A broken sequence gives its first byte as a
// Latin-1 character, so text of unknown encoding is never lost.
char32_t nextUtf8CharLenient(std::string_view s, size_t& i);
// Characters that Windows-1252 cannot hold are written as "?".
std::string toWindows1252(std::string_view utf8);

// Splits file bytes into lines: a line ends at CR, an LF right behind it is skipped, and
// the last line may end at the end of the data. A bare LF is part of the line.
std::vector<std::string> splitLines(std::string_view bytes);

// Reads a whole file as bytes; nullopt when it cannot be opened or read.
std::optional<std::string> readFileBytes(const std::string& path);

// Line-by-line reading of a Windows-1252 text file, already converted to UTF-8.
class LineReader {
public:
    explicit LineReader(std::string_view bytes);
    static std::optional<LineReader> open(const std::string& path);

    // The next line, or nullopt when the file has ended.
    std::optional<std::string> next();
    bool atEnd() const { return m_pos >= m_lines.size(); }

private:
    std::vector<std::string> m_lines;
    size_t m_pos = 0;
};

// Collects the lines of a file to be written in one piece.
class LineWriter {
public:
    void text(std::string_view line);
    void number(long long value);
    // The bytes of the file: Windows-1252, every line ended by CR LF.
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace kordan
