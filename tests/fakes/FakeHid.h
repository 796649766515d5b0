#pragma once

#include "device/PieHid.h"

#include <algorithm>
#include <array>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace kordan::test {

// A controller library with any number of devices; records what is called.
class FakeHid : public IPieHid {
public:
    int32_t EnumeratePIE(int32_t, DeviceInfoTable& info, int32_t& count) override {
        count = static_cast<int32_t>(devices.size());
        for (size_t i = 0; i < devices.size() && i < 25; ++i)
            std::copy(devices[i].begin(), devices[i].end(), info.begin() + 4 * i);
        return enumResult;
    }
    int32_t SetupInterface(int32_t h) override { return log("setup", h), 0; }
    int32_t ReadData(int32_t h, InputReport& r) override {
        if (reports.empty() || status(h) != DeviceStatus::Present)
            return 1;
        r = reports.front();
        reports.pop_front();
        return 0;
    }
    int32_t WriteData(int32_t, const OutputReport& r) override {
        if (failWrites)
            throw std::runtime_error("write failed");
        return written.push_back(r), 0;
    }
    void CloseInterface(int32_t h) override { log("close", h); }
    bool waitForReport(int32_t, int32_t) override { return false; }
    DeviceStatus status(int32_t h) override {
        bool listed =
            std::any_of(devices.begin(), devices.end(), [&](auto& d) { return d[3] == h; });
        return !listed  ? DeviceStatus::Gone
               : denied ? DeviceStatus::NoAccess
                        : DeviceStatus::Present;
    }
    void log(const char* what, int32_t h) { calls.push_back(what + (" " + std::to_string(h))); }

    std::vector<std::array<int32_t, 4>> devices; // product, usage, usage page, handle
    int32_t enumResult = 0;
    bool denied = false;
    std::deque<InputReport> reports;
    std::vector<OutputReport> written;
    std::vector<std::string> calls;
    bool failWrites = false;
};

} // namespace kordan::test
