#include "StandinFiles.h"

#include "StandinKeys.h"

#include "common/AtomicFile.h"
#include "common/TextFile.h"
#include "common/WinePaths.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace standin {

namespace fs = std::filesystem;

namespace {

// Decodes UTF-8 into code points; a broken sequence gives U+FFFD for its first byte.
std::u32string codePoints(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
        char32_t cp = extra ? b0 & (0x3F >> extra) : b0;
        bool ok = b0 < 0x80 || extra > 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + static_cast<size_t>(k) >= s.size()) {
                ok = false;
                break;
            }
            const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += cp;
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

void appendUnit(std::string& out, unsigned unit) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%04x", unit);
    out += hex;
}

} // namespace

std::string escapeRegistryText(std::string_view utf8) {
    std::string out;
    for (char32_t cp : codePoints(utf8)) {
        if (cp == '\\' || cp == '"') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp >= 0x20 && cp < 0x7F) {
            out += static_cast<char>(cp);
        } else if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            appendUnit(out, 0xD800 + (v >> 10));
            appendUnit(out, 0xDC00 + (v & 0x3FF));
        } else {
            // Always four digits: the reader takes up to four, so a following hex digit
            // cannot be swallowed.
            appendUnit(out, static_cast<unsigned>(cp));
        }
    }
    return out;
}

std::string userRegText(const RegistryValues& values, long long stamp) {
    std::string out = "WINE REGISTRY Version 2\n;; All keys relative to "
                      "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
    for (const auto& [key, entries] : values) {
        out += "\n[" + escapeRegistryText(key) + "] " + std::to_string(stamp) + "\n";
        for (const auto& [name, value] : entries)
            out += "\"" + escapeRegistryText(name) + "\"=\"" + escapeRegistryText(value) + "\"\n";
    }
    return out;
}

std::string decimalComma(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    // A value that rounds to zero is written without its sign: "-0,0" is no value the
    // simulator would write.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

RegistryValues standinValues(double speedKmh, double km) {
    RegistryValues values;
    auto& zusi = values["Software\\zusi\\zusi"];
    for (const auto& s : keySettings())
        zusi["T" + std::to_string(s.index)] = std::to_string(s.virtualKey);
    zusi["km/h"] = decimalComma(speedKmh, 1);
    zusi["km"] = decimalComma(km, 3);
    values["Software\\zusi"]["ZusiDir"] = std::string(kZusiDir);
    return values;
}

bool RegistryWriter::publish(const RegistryValues& values) {
    // The stamp beside each section changes only with the content, so an unchanged
    // state gives the same text and nothing is written.
    const std::string probe = userRegText(values, m_stamp);
    if (m_written && *m_written == probe)
        return true;
    m_stamp = std::chrono::duration_cast<std::chrono::seconds>(
                  std::chrono::system_clock::now().time_since_epoch())
                  .count();
    const std::string text = userRegText(values, m_stamp);
    if (!kordan::writeFileAtomically(file().string(), text))
        return false;
    m_written = text;
    return true;
}

bool preparePrefix(const fs::path& prefix, std::string* error) {
    std::error_code ec;
    fs::create_directories(prefix / "drive_c", ec);
    if (!ec)
        fs::create_directories(prefix / "dosdevices", ec);
    if (ec) {
        if (error)
            *error = ec.message();
        return false;
    }
    const fs::path link = prefix / "dosdevices" / "c:";
    if (!fs::exists(fs::symlink_status(link))) {
        fs::create_directory_symlink("../drive_c", link, ec);
        if (ec) {
            if (error)
                *error = "dosdevices/c: " + ec.message();
            return false;
        }
    }
    auto temp = kordan::wineDosPath(std::string(kZusiDir) + "\\temp", prefix);
    if (!temp) {
        if (error)
            *error = "no drive C:";
        return false;
    }
    fs::create_directories(kordan::resolveCaseInsensitive(*temp), ec);
    if (ec && error)
        *error = ec.message();
    return !ec;
}

fs::path CurrentTrainWriter::file() const {
    auto path = kordan::wineDosPath(std::string(kZusiDir) + "\\temp\\aktuellerzug.txt", m_prefix);
    return path ? kordan::resolveCaseInsensitive(*path) : fs::path();
}

bool CurrentTrainWriter::write(const std::string& lokPath, std::string* error) {
    const fs::path target = file();
    std::string reason;
    if (target.empty() || !kordan::writeFileAtomically(
                              target.string(), kordan::toWindows1252(lokPath) + "\r\n", &reason)) {
        if (error)
            *error = target.empty() ? "no drive C:" : reason;
        return false;
    }
    std::error_code ec;
    auto time = fs::last_write_time(target, ec);
    if (ec)
        return true;
    if (m_last) {
        using std::chrono::seconds;
        const auto floorNew = std::chrono::floor<seconds>(time);
        const auto floorOld = std::chrono::floor<seconds>(*m_last);
        if (floorNew <= floorOld) {
            time = floorOld + seconds(1);
            fs::last_write_time(target, time, ec);
        }
    }
    m_last = time;
    return true;
}

} // namespace standin
