#include "sim/zusi3/Zusi3Settings.h"

#include "common/Settings.h"

#include <string>

namespace kordan {

std::optional<Zusi3Endpoint> storedZusi3Endpoint(ISettings& settings) {
    if (settings.get(std::string(kSettingSimulator), "2") != "3")
        return std::nullopt;
    const Zusi3Endpoint defaults;
    const std::string host = settings.get(std::string(kSettingZusi3Host), defaults.host);
    const std::string port =
        settings.get(std::string(kSettingZusi3Port), std::to_string(defaults.port));
    return parseZusi3Endpoint(host + ":" + port);
}

} // namespace kordan
