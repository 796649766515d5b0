#include "sim/bridge/BridgeLocation.h"

#include <filesystem>

namespace kordan {

namespace fs = std::filesystem;

namespace {

bool isProgram(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    return !ec && fs::is_regular_file(status) &&
           (status.permissions() & (fs::perms::owner_exec | fs::perms::others_exec)) !=
               fs::perms::none;
}

} // namespace

std::string findBridgeProgram(const std::string& programDir, const std::string& builtAt) {
    const fs::path dir(programDir);
    for (const fs::path& candidate : {dir / "kordan-bridge.exe", fs::path(builtAt),
                                      dir.parent_path() / "lib" / "kordan" / "kordan-bridge.exe"}) {
        std::error_code ec;
        if (!candidate.empty() && fs::is_regular_file(candidate, ec))
            return candidate.string();
    }
    return {};
}

bool inSearchPath(const std::string& name, const std::string& searchPath) {
    for (size_t from = 0; from <= searchPath.size();) {
        size_t end = searchPath.find(':', from);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string dir = searchPath.substr(from, end - from);
        if (isProgram(fs::path(dir.empty() ? "." : dir) / name))
            return true;
        from = end + 1;
    }
    return false;
}

} // namespace kordan
