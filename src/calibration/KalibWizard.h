#pragma once

#include "device/Levers.h"

#include <array>
#include <optional>
#include <string>

namespace kordan {

class IDialogs;
class ZusiKalibrierung;

// What the calibration wizard asks of its window. Row k shows lever k + 1 (k = 0..6).
// All calls come from the UI thread.
class IKalibView {
public:
    virtual ~IKalibView() = default;

    virtual void setTitle(const std::string& title) = 0;
    // Instruction of the current step (`lblAction`); lines are separated by CR LF.
    virtual void setAction(const std::string& text) = 0;
    virtual void setActionVisible(bool visible) = 0;
    // The large "please wait" label shown during a sampling (`lblWarten`).
    virtual void setWartenVisible(bool visible) = 0;
    // Everything needed only while choosing the hysteresis: the sliders, `txtHebel`,
    // `txtKorr` and the headers "Korrigiert" and "Einstellung".
    virtual void setSettingColumnsVisible(bool visible) = 0;
    virtual void setRohwert(int row, int value) = 0;
    virtual void setKorr(int row, int value) = 0;
    virtual void setHebel(int row, int value) = 0;
    // Positions the slider (0..100, 0 at the top). This must not come back as a slider
    // change: only the user's moves may set a hysteresis.
    virtual void setSlider(int row, int position) = 0;
    virtual void setWeiterEnabled(bool enabled) = 0;
    virtual void setWeiterCaption(const std::string& caption) = 0;
    // One-shot timer of KalibWizard::kSamplingMs; its expiry calls KalibWizard::timerTick.
    virtual void startSamplingTimer() = 0;
    virtual void stopSamplingTimer() = 0;
    virtual void closeWindow() = 0;
};

// The five-step calibration of all seven levers: the hysteresis chosen with sliders, then
// four timed samplings (rear stop, bail-off at the rear, front stop, bail-off in front).
// Each passed sampling stores its limits in the calibration object and saves them at once.
class KalibWizard {
public:
    static constexpr int kSamplingMs = 3000;
    static constexpr int kRows = 7;

    KalibWizard(ZusiKalibrierung& kalib, IDialogs& dialogs, IKalibView& view);

    // The window has been built: show step 1.
    void start();

    // One report's raw lever bytes; also the last known ones when the window opens.
    void ZeigeDaten(const LeverBytes& levers);
    // The user moved slider `row` to `position` (0..100): hysteresis = 100 - position.
    void sliderChanged(int row, int position);
    void cmdWeiterClicked();
    // End of a three-second sampling.
    void timerTick();
    // The window was closed by its frame: a sampling in progress is dropped, so a reopened
    // or still existing window starts that step again instead of saving half a sampling.
    void windowClosed();

    int Schritt() const { return m_schritt; }
    // The running extreme of the present sampling (the number shown in `txtHebel`).
    int tracked(int row) const { return m_tracked.at(row); }

private:
    // Applies the running sampling's rule (maximum, minimum, bail-off only) to `levers`.
    void track(const LeverBytes& levers);
    std::optional<std::string> failure(int lever, int v) const;
    void storePassed();
    void discardSampling();
    void resetTracked(int value);
    void setTracked(int row, int value);
    void endSampling();
    std::string finalText() const;

    ZusiKalibrierung& m_kalib;
    IDialogs& m_dialogs;
    IKalibView& m_view;
    int m_schritt = 0;
    std::array<int, kRows> m_tracked{};
    LeverBytes m_last{}; // the raw values last reported
    bool m_haveLast = false;
};

} // namespace kordan
