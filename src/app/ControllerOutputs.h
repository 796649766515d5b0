#pragma once

#include "app/LedPresenter.h"

namespace kordan {

class ControllerSession;
class IOutputView;
class ISettings;

// The controller's speaker and three-digit display: the menu choices, kept in the settings
// ("Speaker", "Led"), and what is written to the open controller. Nothing is written while
// no controller is open; the display then keeps its remembered texts.
class ControllerOutputs {
public:
    ControllerOutputs(ControllerSession& controllers, ISettings& settings, IOutputView& view)
        : m_controllers(controllers), m_settings(settings), m_view(view) {}

    // Start-up and a newly selected controller: the stored choices, shown and written.
    void restoreSpeaker();
    void restoreLedChoice();
    // The menu entries.
    void toggleSpeaker();
    void chooseLed(int index);

    void writeSpeaker();
    // The periodic refresh of the display from the simulator's values.
    void refreshLed(const LedPresenter::ValueReader& read);
    void missingProfileSign(bool on);
    // The open controller came back blank and silent: both as they were.
    void rewrite(bool refreshDisplay, const LedPresenter::ValueReader& read);
    // The end of the program: display blank, speaker off.
    void shutdown();

    LedPresenter& led() { return m_led; }

private:
    ControllerSession& m_controllers;
    ISettings& m_settings;
    IOutputView& m_view;
    LedPresenter m_led;
    bool m_speaker = false;
};

} // namespace kordan
