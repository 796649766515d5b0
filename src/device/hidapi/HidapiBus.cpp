#include "device/hidapi/HidBus.h"
#include "device/hidapi/HidapiPieHid.h"

#include <hidapi.h>

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace kordan::hid {
namespace {

class HidapiDevice : public Device {
public:
    HidapiDevice(hid_device* device, std::string path)
        : m_device(device), m_path(std::move(path)) {}
    ~HidapiDevice() override { hid_close(m_device); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int read(std::span<uint8_t> buffer, int timeoutMs) override {
        // A negative timeout would make hidapi block for ever.
        return hid_read_timeout(m_device, buffer.data(), buffer.size(),
                                timeoutMs < 0 ? 0 : timeoutMs);
    }

    int write(std::span<const uint8_t> report) override {
        return hid_write(m_device, report.data(), report.size());
    }

#ifdef __linux__
    // hidapi's hidraw backend: the path is the node.
    std::unique_ptr<Watch> watch(const IPieHid::FdWatch& onLoop,
                                 std::function<void()> ready) override {
        return watchNode(m_path, onLoop, std::move(ready));
    }
#endif

private:
    hid_device* m_device;
    std::string m_path;
};

class HidapiBus : public Bus {
public:
    // hid_exit is left out on purpose: hidapi's state is process-wide, and another bus
    // may still be in use; the OS reclaims it at exit.
    HidapiBus() : m_ready(hid_init() == 0) {}

    bool enumerate(uint16_t vendorId, std::vector<DeviceEntry>& out) override {
        out.clear();
        if (!m_ready)
            return false;
        // Null means both "none found" and "failed"; either way there is nothing to list.
        hid_device_info* list = hid_enumerate(vendorId, 0);
        for (hid_device_info* p = list; p; p = p->next) {
            if (!p->path)
                continue;
            out.push_back({p->path, p->vendor_id, p->product_id, p->usage_page, p->usage,
                           p->serial_number ? p->serial_number : L""});
        }
        hid_free_enumeration(list);
        return true;
    }

    std::unique_ptr<Device> open(const std::string& path, bool& denied) override {
        denied = false;
        if (!m_ready)
            return nullptr;
        hid_device* device = hid_open_path(path.c_str());
        if (!device) {
            // hidapi keeps the reason to itself; the node's access rights tell it.
            denied = ::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
            return nullptr;
        }
        return std::make_unique<HidapiDevice>(device, path);
    }

private:
    bool m_ready;
};

} // namespace

std::unique_ptr<Bus> createHidapiBus() {
    return std::make_unique<HidapiBus>();
}

} // namespace kordan::hid

namespace kordan {

std::string hidapiVersion() {
    return hid_version_str();
}

} // namespace kordan
