#include "sim/SimPaths.h"

#include "common/WinePaths.h"

namespace kordan {

PathMapper identityPathMapper() {
    return [](const std::string& windowsPath) { return windowsPath; };
}

PathMapper winePathMapper(std::filesystem::path prefix) {
    return [prefix = std::move(prefix)](const std::string& windowsPath) -> std::string {
        auto dosPath = wineDosPath(windowsPath, prefix);
        if (!dosPath)
            return {};
        return resolveCaseInsensitive(*dosPath).string();
    };
}

} // namespace kordan
