#pragma once

#include "device/PieHid.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kordan {

class IDialogs;

// The controllers found and the one in use: the device list's entries, the selection, the
// open handle, and what switching from one controller to another does. Reads and writes
// go to the open controller; with none open (handle 0) writes go nowhere.
class ControllerSession {
public:
    ControllerSession(IPieHid& hid, IDialogs& dialogs) : m_hid(hid), m_dialogs(dialogs) {}

    // Looks for controllers and has the list shown; then none at all is reported, a failed
    // enumeration is not.
    void enumerate(const std::function<void(const std::vector<std::string>&)>& showList);
    // Opens entry `index`. Once the loop runs (`closeOpen`), `beforeClose` releases what
    // the old controller holds and the old one is closed first. Each step's failure is
    // skipped. False for an index outside the list.
    bool select(int index, bool closeOpen, const std::function<void()>& beforeClose);

    const std::vector<std::string>& entries() const { return m_entries; }
    int selected() const { return m_selected; }
    int32_t handle() const { return m_handle; }

    bool read(InputReport& report) { return m_hid.ReadData(m_handle, report) == 0; }
    // Waits up to `ms` for a report; false when it could not wait (then the caller sleeps).
    bool wait(int32_t ms) { return m_handle != 0 && m_hid.waitForReport(m_handle, ms); }
    void write(const OutputReport& report) {
        if (m_handle != 0)
            m_hid.WriteData(m_handle, report);
    }

    // "PID: 0D2, Usg: 004, UP: 00C -- splat device #  5 Kordan Desktop"
    static std::string entryText(int32_t productId, int32_t usage, int32_t usagePage,
                                 int32_t handle);
    // The handle read from an entry: the number two characters after the first "#".
    static int32_t handleFromEntry(const std::string& entry);

private:
    IPieHid& m_hid;
    IDialogs& m_dialogs;
    std::vector<std::string> m_entries;
    int m_selected = -1;
    int32_t m_handle = 0;
};

} // namespace kordan
