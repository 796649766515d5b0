#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kordan {

inline constexpr int32_t kVendorId = 0x05F3;
inline constexpr int32_t kKordanProductId = 210;
inline constexpr int32_t kKordanUsagePage = 12;
// The vendor's other devices share its id; a controller is told by product and usage page.
inline constexpr bool isKordan(int32_t productId, int32_t usagePage) {
    return productId == kKordanProductId && usagePage == kKordanUsagePage;
}
// The device table handed to EnumeratePIE: four entries per device, room for 25.
inline constexpr int kDeviceInfoEntries = 101;
inline constexpr int kMaxDevices = 25;

using DeviceInfoTable = std::array<int32_t, kDeviceInfoEntries>;
using InputReport = std::array<uint8_t, 15>;
using OutputReport = std::array<uint8_t, 8>;

// What became of a device the program asked for.
enum class DeviceStatus {
    Present,  // there (or the backend cannot tell otherwise)
    Gone,     // unplugged: reads fail until it is back and opened again
    NoAccess, // there, but the system refused to open it (no permission)
};

// The controller library's five calls. Results are 0 for success. Handles are small
// nonzero numbers; 0 means no device. Called from the UI thread only.
class IPieHid {
public:
    virtual ~IPieHid() = default;

    // Fills four entries per device (product id, usage, usage page, handle) for at most
    // kMaxDevices devices and sets `count` to the number of devices described.
    virtual int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) = 0;
    virtual int32_t SetupInterface(int32_t handle) = 0;
    // 0 = a new input report was copied into `report`; anything else = none.
    virtual int32_t ReadData(int32_t handle, InputReport& report) = 0;
    virtual int32_t WriteData(int32_t handle, const OutputReport& report) = 0;
    virtual void CloseInterface(int32_t handle) = 0;

    // Waits up to `ms` milliseconds for the next report of an opened device, returning
    // early when one arrives. Returns false when the backend cannot wait, so the caller
    // sleeps instead.
    virtual bool waitForReport(int32_t handle, int32_t ms) {
        (void)handle;
        (void)ms;
        return false;
    }

    // How the loop's own wait for window events watches a file descriptor as well: it calls
    // `ready` (on the loop's thread) each time `fd` can be read, until the object returned
    // goes or `ready` returns false.
    using FdWatch = std::function<std::shared_ptr<void>(int fd, std::function<bool()> ready)>;
    // For a backend whose open devices the loop's wait can watch: a report then ends that
    // wait, and waitForReport does not wait but returns false until a report is there.
    virtual void watchWith(FdWatch watch) { (void)watch; }

    // The state of the device behind `handle` as the last SetupInterface or read left it.
    // The vendor's library cannot tell, so by default every device counts as present.
    virtual DeviceStatus status(int32_t handle) {
        (void)handle;
        return DeviceStatus::Present;
    }
    // For the system information: where the device behind `handle` is found on this system
    // ("" when the backend cannot tell) and whether it can be opened. An open device is
    // reported as it is; one that is not is opened for a moment and closed again.
    struct DeviceCheck {
        std::string path;
        DeviceStatus status = DeviceStatus::Present;
    };
    virtual DeviceCheck check(int32_t handle) {
        (void)handle;
        return {};
    }
    // Whether a later EnumeratePIE may list other devices than the first one did. Backends
    // that cannot follow plugging are enumerated once, so their handles stay valid.
    virtual bool followsPlugging() const { return false; }
};

} // namespace kordan
