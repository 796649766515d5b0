#include "common/Paths.h"

namespace kordan {

std::string baseName(std::string_view storedPath) {
    auto pos = storedPath.find_last_of("\\/");
    if (pos == std::string_view::npos)
        return std::string(storedPath);
    return std::string(storedPath.substr(pos + 1));
}

std::string nativePath(std::string_view storedPath) {
    std::string p(storedPath);
#ifndef _WIN32
    for (char& c : p)
        if (c == '\\')
            c = '/';
#endif
    return p;
}

std::string joinPath(std::string_view dir, std::string_view name) {
#ifdef _WIN32
    constexpr char sep = '\\';
#else
    constexpr char sep = '/';
#endif
    std::string out(dir);
    if (!out.empty() && out.back() != '/' && out.back() != '\\')
        out += sep;
    out += name;
    return out;
}

bool isRelativePath(std::string_view p) {
    if (p.empty())
        return true;
    if (p[0] == '/' || p[0] == '\\')
        return false;
    if (p.size() >= 2 && p[1] == ':')
        return false;
    return true;
}

} // namespace kordan
