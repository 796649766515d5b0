#include "common/WinePaths.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace kordan {

namespace fs = std::filesystem;

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

std::string foldCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < s.size()) {
            const auto n = static_cast<unsigned char>(s[i + 1]);
            out += static_cast<char>(c);
            out += static_cast<char>(n >= 0x80 && n <= 0x9E && n != 0x97 ? n + 0x20 : n);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && foldCase(a) == foldCase(b);
}

std::optional<fs::path> winePrefix(const char* wineprefix, const char* home) {
    if (wineprefix != nullptr && *wineprefix != '\0')
        return fs::path(wineprefix);
    if (home != nullptr && *home != '\0')
        return fs::path(home) / ".wine";
    return std::nullopt;
}

std::optional<fs::path> winePrefixFromEnvironment() {
    return winePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
}

std::optional<fs::path> wineDosPath(std::string_view windowsPath, const fs::path& prefix) {
    std::string drive = "c:";
    std::string_view rest;
    const auto letter = windowsPath.empty() ? '\0' : windowsPath[0];
    if (windowsPath.size() >= 2 && windowsPath[1] == ':' &&
        ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
        // "C:Zusi" is relative to the drive's current directory, which is not known here.
        if (windowsPath.size() > 2 && !isSeparator(windowsPath[2]))
            return std::nullopt;
        drive[0] = static_cast<char>(letter | 0x20);
        rest = windowsPath.substr(2);
    } else if (!windowsPath.empty() && isSeparator(windowsPath[0])) {
        if (windowsPath.size() >= 2 && isSeparator(windowsPath[1]))
            return std::nullopt; // UNC or device path
        rest = windowsPath;
    } else {
        return std::nullopt;
    }
    fs::path out = prefix / "dosdevices" / drive;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        if (end > start)
            out /= std::string(rest.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

fs::path resolveCaseInsensitive(const fs::path& path) {
    fs::path out = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        const std::string name = part.string();
        if (name == "." || name == ".." || name.empty()) {
            out /= part;
            continue;
        }
        std::error_code ec;
        const fs::path dir = out.empty() ? fs::path(".") : out;
        if (fs::exists(dir / part, ec)) {
            out /= part;
            continue;
        }
        std::vector<std::string> matches;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string candidate = it->path().filename().string();
            if (equalsIgnoringCase(candidate, name))
                matches.push_back(std::move(candidate));
        }
        if (matches.empty()) {
            out /= part; // and below it, nothing is found either
            continue;
        }
        std::sort(matches.begin(), matches.end());
        out /= matches.front();
    }
    return out;
}

} // namespace kordan
