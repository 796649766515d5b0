#include "app/ControllerOutputs.h"

#include "app/ControllerSession.h"
#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "common/NumberText.h"
#include "common/Settings.h"
#include "device/Reports.h"

#include <string>

namespace kordan {

void ControllerOutputs::restoreSpeaker() {
    m_speaker = readNumber(m_settings.get("Speaker", "1")) == 1;
    m_view.setSpeakerChecked(m_speaker);
    writeSpeaker();
}

void ControllerOutputs::restoreLedChoice() {
    int led = readInt32(m_settings.get("Led", "0"));
    led = (led >= 0 && led <= 2) ? led : -1;
    m_led.setChoice(led);
    m_view.setLedChecked(led);
}

void ControllerOutputs::toggleSpeaker() {
    m_speaker = !m_speaker;
    m_view.setSpeakerChecked(m_speaker);
    m_settings.set("Speaker", m_speaker ? "1" : "0");
    writeSpeaker();
}

void ControllerOutputs::chooseLed(int index) {
    if (index < 0 || index > 2)
        return;
    m_led.setChoice(index);
    m_view.setLedChecked(index);
    m_settings.set("Led", std::to_string(index));
}

void ControllerOutputs::writeSpeaker() {
    m_controllers.write(speakerReport(m_speaker));
}

void ControllerOutputs::refreshLed(const LedPresenter::ValueReader& read) {
    if (!m_controllers.isOpen())
        return;
    if (auto report = m_led.refresh(read))
        m_controllers.write(*report);
}

void ControllerOutputs::missingProfileSign(bool on) {
    if (m_controllers.isOpen())
        m_controllers.write(on ? m_led.missingProfile() : m_led.blank());
}

void ControllerOutputs::rewrite(bool refreshDisplay, const LedPresenter::ValueReader& read) {
    ignoringErrors([&] { writeSpeaker(); });
    m_led.forgetShown();
    ignoringErrors([&] {
        if (refreshDisplay)
            refreshLed(read);
    });
}

void ControllerOutputs::shutdown() {
    ignoringErrors([&] {
        if (m_controllers.isOpen())
            m_controllers.write(m_led.blank());
    });
    ignoringErrors([&] {
        m_speaker = false;
        m_view.setSpeakerChecked(false);
        writeSpeaker();
    });
}

} // namespace kordan
