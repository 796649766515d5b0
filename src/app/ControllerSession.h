#pragma once

#include "device/PieHid.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kordan {

class IDialogs;

// The controllers found and the one in use: the device list's entries, the selection, the
// open handle, what switching from one controller to another does, and what happens when
// controllers come and go while the program runs. Reads and writes go to the open
// controller; with none open, or the open one gone, writes go nowhere.
class ControllerSession {
public:
    // The link to the selected controller.
    enum class Link {
        None,     // nothing selected
        Open,     // opened; reports are read from it
        Lost,     // it went away; it is opened again by itself when it comes back
        NoAccess, // present, but the system refused to open it
    };
    enum class Read { Report, Nothing, Lost };
    // What a fresh look at the controllers found.
    struct Rescan {
        bool lost = false;     // the open controller is no longer listed
        bool returned = false; // the lost (or refused) controller is back and open again
        bool onlyOne = false;  // nothing selected and a newly plugged one is the only one
    };

    ControllerSession(IPieHid& hid, IDialogs& dialogs) : m_hid(hid), m_dialogs(dialogs) {}

    // Shown at start-up when no controller is found: what to do about it, and how to try the
    // program without one.
    static constexpr const char* kNoControllerText =
        "Kein Kordan angeschlossen.\n\n"
        "Ist das Fahrpult eingesteckt? Unter Linux braucht es einmal die udev-Regel (Hilfe → "
        "Handbuch, „Erste Schritte“); danach das Fahrpult abziehen und wieder anstecken. Es "
        "erscheint dann von selbst in der Geräteliste.\n\n"
        "Ohne Fahrpult lässt sich das Programm mit dem Aufruf "
        "kordan --virtual ausprobieren: ein virtuelles Fahrpult auf dem Bildschirm.";

    // Looks for controllers and has the list shown; then none at all is reported, a failed
    // enumeration is not.
    void enumerate(const std::function<void(const std::vector<std::string>&)>& showList);
    // Looks again, keeping the selection on its controller; nothing is opened or closed
    // except the lost controller, which is reopened once it is listed again.
    Rescan rescan();
    // Opens entry `index`. Once the loop runs (`closeOpen`), `beforeClose` releases what
    // the old controller holds and the old one is closed first. Each step's failure is
    // skipped. False for an index outside the list.
    bool select(int index, bool closeOpen, const std::function<void()>& beforeClose);

    // The entries' texts: the controller's line, marked when it is gone or refused.
    std::vector<std::string> entries() const;
    // The entries when they differ from those handed out last (by enumerate too).
    std::optional<std::vector<std::string>> changedEntries();
    int selected() const { return m_selected; }
    int32_t handle() const { return m_handle; }
    Link link() const { return m_link; }
    // True when reports may come and writes reach the controller.
    bool isOpen() const { return m_link == Link::Open && m_handle != 0; }

    // Reads a report; a failed read of a controller the backend knows to be gone is a loss.
    Read read(InputReport& report);
    // Waits up to `ms` for a report; false when it could not wait (then the caller sleeps).
    bool wait(int32_t ms) { return isOpen() && m_hid.waitForReport(m_handle, ms); }
    void write(const OutputReport& report) {
        if (isOpen())
            m_hid.WriteData(m_handle, report);
    }

    // "PID: 0D2, Usg: 004, UP: 00C -- splat device #  5 Kordan Desktop"
    static std::string entryText(int32_t productId, int32_t usage, int32_t usagePage,
                                 int32_t handle);
    // The handle read from an entry: the number two characters after the first "#".
    static int32_t handleFromEntry(const std::string& entry);

private:
    struct Device {
        int32_t usage = 0;
        int32_t handle = 0;
        bool operator==(const Device&) const = default;
    };
    // The Kordans listed now; false when the enumeration itself failed.
    bool list(std::vector<Device>& out);
    void open();
    int indexOf(int32_t handle) const;

    IPieHid& m_hid;
    IDialogs& m_dialogs;
    std::vector<Device> m_devices;
    int m_selected = -1;
    int32_t m_handle = 0;
    Link m_link = Link::None;
    std::set<int32_t> m_refused;      // handles the system would not open
    bool m_toldNoAccess = false;      // the permission message comes once
    std::vector<std::string> m_shown; // the entries last handed out
};

} // namespace kordan
