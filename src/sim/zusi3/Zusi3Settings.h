#pragma once

#include "sim/zusi3/Zusi3Connection.h"

#include <optional>
#include <string_view>

namespace kordan {

class ISettings;

// Which simulator the program drives, in the settings: "Simulator" is "3" for the TCP
// interface of "Zusi3Host" and "Zusi3Port"; anything else, and no setting, means keys.
inline constexpr std::string_view kSettingSimulator = "Simulator";
inline constexpr std::string_view kSettingZusi3Host = "Zusi3Host";
inline constexpr std::string_view kSettingZusi3Port = "Zusi3Port";

// The stored server when the TCP interface is chosen; nullopt for keys (or a server the
// settings cannot name, which the options dialog never stores).
std::optional<Zusi3Endpoint> storedZusi3Endpoint(ISettings& settings);

} // namespace kordan
