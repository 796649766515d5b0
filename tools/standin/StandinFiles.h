#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// What the stand-in publishes for the program: registry values in a Wine prefix's
// user.reg and the current-train file below the simulator's directory.
namespace standin {

// The simulator's directory as the stand-in publishes it in "ZusiDir".
inline constexpr std::string_view kZusiDir = "C:\\Zusi";

// Registry keys and their string values (UTF-8), key paths with "\" relative to the
// user's root, e.g. "Software\\zusi\\zusi".
using RegistryValues = std::map<std::string, std::map<std::string, std::string>>;

// The whole text of a user.reg holding `values`, as Wine writes it: header, one section
// per key (sorted), values with Wine's escapes. `stamp` is the seconds written beside
// each section header.
std::string userRegText(const RegistryValues& values, long long stamp);

// A text with Wine's escapes for a quoted name or value: backslash and quote escaped,
// control and non-ASCII characters as "\x" with four hex digits.
std::string escapeRegistryText(std::string_view utf8);

// Speed and position as the simulator writes them, with a decimal comma:
// 87.25 -> "87,3", 12.3456 -> "12,346".
std::string decimalComma(double value, int decimals);

// The registry values for the given state: "T0"-"T34", "km/h" and "km" under
// "Software\zusi\zusi" and "ZusiDir" under "Software\zusi".
RegistryValues standinValues(double speedKmh, double km);

// Writes `text` to `prefix`/user.reg atomically when it differs from what this writer
// wrote last. Returns false when writing failed.
class RegistryWriter {
public:
    explicit RegistryWriter(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}
    bool publish(const RegistryValues& values);
    std::filesystem::path file() const { return m_prefix / "user.reg"; }

private:
    std::filesystem::path m_prefix;
    std::optional<std::string> m_written;
    long long m_stamp = 0;
};

// Makes the layout Wine has in `prefix`: drive_c, a dosdevices/c: link to it, and the
// simulator's directory with its temp folder. Returns false with a reason in `error`.
bool preparePrefix(const std::filesystem::path& prefix, std::string* error = nullptr);

// Rewrites "<ZusiDir>\temp\aktuellerzug.txt" in `prefix` with `lokPath` as its first
// line (Windows-1252, CR LF). Readers compare the file's time in whole seconds, so a
// rewrite within the same second as the last one is dated one second after it: two
// quick changes of locomotive are still seen as two.
class CurrentTrainWriter {
public:
    explicit CurrentTrainWriter(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}
    bool write(const std::string& lokPath, std::string* error = nullptr);
    std::filesystem::path file() const;

private:
    std::filesystem::path m_prefix;
    std::optional<std::filesystem::file_time_type> m_last;
};

} // namespace standin
