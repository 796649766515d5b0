#pragma once

#include "device/PieHid.h"
#include "device/hidapi/HidBus.h"

#include <memory>

namespace kordan {

// The real controller through hidapi.
std::unique_ptr<IPieHid> createHidapiPieHid();

// The same translation over a given bus; tests pass a fake one.
std::unique_ptr<IPieHid> createHidapiPieHid(std::unique_ptr<hid::Bus> bus);

} // namespace kordan
