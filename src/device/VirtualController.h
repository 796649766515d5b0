#pragma once

#include "device/PieHid.h"

#include <functional>
#include <memory>
#include <vector>

namespace kordan {

// A controller made of code: product 210 on usage page 12 like the real one, one device
// with handle 1. Levers and buttons are set by calls; a report is delivered once after
// SetupInterface and then whenever the state has changed. Output reports are kept so a
// panel or a test can show what the display and the speaker would do. It can be pulled
// out and plugged in again like a real one: while out it is not listed, cannot be opened
// and reads fail; once back it must be opened again, and until then its old handle reads
// as gone.
class VirtualController : public IPieHid {
public:
    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override;
    int32_t SetupInterface(int32_t handle) override;
    int32_t ReadData(int32_t handle, InputReport& report) override;
    int32_t WriteData(int32_t handle, const OutputReport& report) override;
    void CloseInterface(int32_t handle) override;
    DeviceStatus status(int32_t handle) override;
    bool followsPlugging() const override { return true; }
    DeviceCheck check(int32_t handle) override {
        return {"virtuell",
                handle == kHandle && !m_plugged ? DeviceStatus::Gone : DeviceStatus::Present};
    }

    void setPlugged(bool plugged);
    bool plugged() const { return m_plugged; }
    // Called after the controller was pulled out or plugged in, e.g. to update a panel.
    void setPlugListener(std::function<void(bool plugged)> listener) {
        m_plugListener = std::move(listener);
    }

    void setLever(int lever, uint8_t raw);    // lever 1..7
    void setButton(int button, bool pressed); // button 1..44
    uint8_t lever(int lever) const;
    bool button(int button) const;

    bool isOpen() const { return m_open; }
    const OutputReport& lastDisplay() const { return m_display; }
    bool speakerOn() const { return m_speaker; }
    const std::vector<OutputReport>& written() const { return m_written; }
    // Called after every output report, e.g. to repaint a panel.
    void setOutputListener(std::function<void(const OutputReport&)> listener) {
        m_listener = std::move(listener);
    }

    static constexpr int32_t kHandle = 1;

private:
    InputReport m_state{};
    bool m_changed = false;
    bool m_open = false;
    bool m_lost = false; // the open handle was closed by a pull; reads report the loss
    bool m_plugged = true;
    OutputReport m_display{0, 134, 0, 0, 0, 0, 0, 0};
    bool m_speaker = false;
    std::vector<OutputReport> m_written;
    std::function<void(const OutputReport&)> m_listener;
    std::function<void(bool)> m_plugListener;
};

// Lists the devices of several backends as one library, giving each device its own handle.
// A device keeps its handle across enumerations, so an open handle stays valid while
// others come and go.
class CombinedPieHid : public IPieHid {
public:
    explicit CombinedPieHid(std::vector<IPieHid*> backends) : m_backends(std::move(backends)) {}

    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override;
    int32_t SetupInterface(int32_t handle) override;
    int32_t ReadData(int32_t handle, InputReport& report) override;
    int32_t WriteData(int32_t handle, const OutputReport& report) override;
    void CloseInterface(int32_t handle) override;
    bool waitForReport(int32_t handle, int32_t ms) override;
    DeviceStatus status(int32_t handle) override;
    bool followsPlugging() const override { return true; }
    DeviceCheck check(int32_t handle) override;

private:
    struct Route {
        IPieHid* backend;
        int32_t handle;
    };
    // One backend's last answer; kept for backends that are enumerated once only.
    struct Listing {
        bool asked = false;
        int32_t result = 1;
        int32_t count = 0;
        DeviceInfoTable info{};
    };
    const Route* route(int32_t handle) const;
    int32_t globalHandle(IPieHid* backend, int32_t local);

    std::vector<IPieHid*> m_backends;
    std::vector<Listing> m_listings;
    std::vector<Route> m_routes; // global handle h is m_routes[h - 1]
};

} // namespace kordan
