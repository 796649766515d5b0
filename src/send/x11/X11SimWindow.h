#pragma once

#include "send/SimWindow.h"

#include <memory>
#include <string>

namespace kordan {

// The simulator window through an X server, where the simulator runs under Wine.
// `displayName` "" means $DISPLAY. Without a reachable display every window query gives
// 0 or "" and nothing is sent.
std::unique_ptr<ISimWindow> makeX11SimWindow(const std::string& displayName = "");

} // namespace kordan
