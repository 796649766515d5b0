#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
// The text as a message may show it: control characters other than tab and line breaks,
// and bytes that are no UTF-8, become "\xHH" (a C1 control by the byte that 1252 read it
// from), so a broken file name cannot garble or hide the rest of the message.
std::string printableText(std::string_view utf8);

// How large a file of each kind may be. Far above any real file, low enough that a hostile
// or broken one cannot take the memory: the size is checked before anything is read.
inline constexpr std::uintmax_t kOwnFileLimit = 1u << 20;       // profiles, axes, calibration
inline constexpr std::uintmax_t kLokFileLimit = 1u << 20;       // the simulator's locomotives
inline constexpr std::uintmax_t kScriptFileLimit = 16u << 20;   // scenarios
inline constexpr std::uintmax_t kRegistryFileLimit = 64u << 20; // the Wine registry

// Reads a whole file of at most `limit` bytes; nullopt when it cannot be opened or read, or
// is larger (then `*tooLarge` is set, so the caller can report the file as unreadable).
std::optional<std::string> readFileBytes(const std::string& path, std::uintmax_t limit,
                                         bool* tooLarge = nullptr);
// The file's bytes up to its first line ending (a CR, as LineReader splits), read no
// further than that and at most `limit` bytes; nullopt when it cannot be opened.
std::optional<std::string> readFirstLine(const std::string& path, std::uintmax_t limit);

// Line-by-line reading of a Windows-1252 text file, each line converted to UTF-8 when it
// is asked for, so the file is held once however long it is.
class LineReader {
public:
    // Reads from `bytes`, which must outlive the reader.
    explicit LineReader(std::string_view bytes) : m_view(bytes) {}
    // Reads a file of at most `limit` bytes; nullopt as readFileBytes gives it.
    static std::optional<LineReader> open(const std::string& path, std::uintmax_t limit,
                                          bool* tooLarge = nullptr);

    // The next line, or nullopt when the file has ended.
    std::optional<std::string> next();
    bool atEnd() const { return m_pos >= bytes().size(); }

private:
    explicit LineReader(std::string owned) : m_owned(std::move(owned)), m_ownsBytes(true) {}
    std::string_view bytes() const { return m_ownsBytes ? std::string_view(m_owned) : m_view; }

    std::string m_owned;
    std::string_view m_view;
    bool m_ownsBytes = false;
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
