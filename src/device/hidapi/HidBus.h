#pragma once

#include "device/PieHid.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The few HID calls the controller backend needs, so its translation logic (handles, report
// placement, draining, unplug) can be driven by a fake bus in tests. The real bus is a
// one-to-one wrapper of hidapi.
namespace kordan::hid {

// One entry of an enumeration. A device with several top-level collections may appear once
// per collection, all with the same path.
struct DeviceEntry {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::wstring serial; // empty when the device has none
};

// The loop's watch of an opened device; destroying it ends the watching.
class Watch {
public:
    virtual ~Watch() = default;
};

// An opened device; destroying it closes it.
class Device {
public:
    virtual ~Device() = default;
    // Reads one input report, waiting up to `timeoutMs` (0 = do not wait). Returns the
    // number of bytes read, 0 when none arrived, negative on failure (e.g. unplugged).
    // A device without report ids delivers its reports without the id byte.
    virtual int read(std::span<uint8_t> buffer, int timeoutMs) = 0;
    // Sends one output report; byte 0 is the report id. Returns the bytes written or a
    // negative number on failure.
    virtual int write(std::span<const uint8_t> report) = 0;
    // Has the loop's wait (`onLoop`) call `ready` each time a report can be read, and once
    // when the device has gone, until the watch is destroyed; the reads stay with the
    // caller. Null where the device cannot be waited for so.
    virtual std::unique_ptr<Watch> watch(const IPieHid::FdWatch& onLoop,
                                         std::function<void()> ready) {
        (void)onLoop;
        (void)ready;
        return nullptr;
    }
};

class Bus {
public:
    virtual ~Bus() = default;
    // Lists the devices of vendor `vendorId`. False when the HID layer itself failed.
    virtual bool enumerate(uint16_t vendorId, std::vector<DeviceEntry>& out) = 0;
    // Opens the device at `path`; nullptr when it cannot be opened, with `denied` set when
    // the system refused for lack of permission.
    virtual std::unique_ptr<Device> open(const std::string& path, bool& denied) = 0;
};

// The bus that calls hidapi.
std::unique_ptr<Bus> createHidapiBus();

// Watches the device node at `path` (a hidraw node) with a reader of its own, which the
// system hands every report as it hands them to hidapi's; what it reads is dropped. Null
// when the node cannot be opened.
std::unique_ptr<Watch> watchNode(const std::string& path, const IPieHid::FdWatch& onLoop,
                                 std::function<void()> ready);

} // namespace kordan::hid
