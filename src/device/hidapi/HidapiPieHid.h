#pragma once

#include "device/PieHid.h"
#include "device/hidapi/HidBus.h"

#include <memory>
#include <string>

namespace kordan {

// The real controller through hidapi.
std::unique_ptr<IPieHid> createHidapiPieHid();

// The same translation over a given bus; tests pass a fake one.
std::unique_ptr<IPieHid> createHidapiPieHid(std::unique_ptr<hid::Bus> bus);

// The version of the hidapi library the program runs with, for the system information.
std::string hidapiVersion();

} // namespace kordan
