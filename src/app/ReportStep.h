#pragma once

#include "app/PollDispatcher.h"
#include "device/PieHid.h"

namespace kordan {

class HeldKeys;
class IControllerView;
class IWindowsHost;
class ZusiKalibrierung;
class ZusiProfile;

// What one report of the open controller becomes: the levers calibrated and shown (and, as
// the axes see them after Flip, handed to the axis editor); in test mode the pressed buttons
// lit and the calibration wizard fed, in active mode the changes passed to the held keys.
class ReportStep {
public:
    ReportStep(ZusiKalibrierung& calibration, IControllerView& picture, IWindowsHost& windows)
        : m_calibration(calibration), m_picture(picture), m_windows(windows) {}

    void take(const InputReport& report, bool active, ZusiProfile& profile, HeldKeys& held);
    // The next report comes from another controller. After a loss every key was let go: a
    // button still held when reports come again counts as pressed anew.
    void forget(bool lost);
    // Opens the calibration wizard; its raw fields show where the levers are now, not blanks
    // until one moves.
    void openWizard();

private:
    ZusiKalibrierung& m_calibration;
    IControllerView& m_picture;
    IWindowsHost& m_windows;
    PollDispatcher m_dispatcher;
    InputReport m_report{};
    bool m_have = false; // m_report holds the open controller's last report
};

} // namespace kordan
