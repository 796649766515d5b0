#include "app/ReportStep.h"

#include "app/KordanView.h"
#include "axis/ZusiAxis.h"
#include "calibration/ZusiKalibrierung.h"
#include "device/Reports.h"
#include "profile/HeldKeys.h"
#include "profile/ZusiProfile.h"

namespace kordan {

void ReportStep::take(const InputReport& report, bool active, ZusiProfile& profile,
                      HeldKeys& held) {
    m_report = report;
    m_have = true;
    PollDispatcher::Levers levers{};
    for (int i = 1; i <= 7; ++i)
        levers[i - 1] = m_calibration.Calculate(i, leverRaw(report, i));
    const PollDispatcher::Buttons buttons = pressedButtons(report);
    std::array<int, 7> positions{};
    for (int i = 1; i <= 7; ++i)
        positions[i - 1] = profile.Axis(i).Flip() == 1 ? 255 - levers[i - 1] : levers[i - 1];
    m_picture.showLeverPositions(positions);
    // The lever fields follow the levers in active mode too: that is when zones are tried.
    for (int i = 0; i < 7; ++i)
        m_picture.setLeverText(i, std::to_string(levers[i]));
    if (!active) {
        if (m_windows.calibrationWizardVisible())
            m_windows.passToCalibrationWizard(rawLevers(report));
        for (int k = 0; k < 44; ++k)
            m_picture.setButtonLit(k, buttons[k]);
        return;
    }
    m_dispatcher.dispatch(
        levers, buttons, [&](int k, int pressed) { held.button(k, pressed); },
        [&](int i, int from, int to) { held.lever(i, from, to); });
}

void ReportStep::forget(bool lost) {
    m_have = false;
    if (lost)
        m_dispatcher.forgetButtons();
}

void ReportStep::openWizard() {
    m_windows.showCalibrationWizard();
    if (m_have && m_windows.calibrationWizardVisible())
        m_windows.passToCalibrationWizard(rawLevers(m_report));
}

} // namespace kordan
