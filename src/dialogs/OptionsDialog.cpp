#include "dialogs/OptionsDialog.h"

#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Settings.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <utility>

namespace kordan {

namespace {

constexpr const char* kKey = "Polling";

} // namespace

OptionsDialog::OptionsDialog(ISettings& settings, IDialogs& dialogs)
    : m_settings(settings), m_dialogs(dialogs) {
    const int32_t n = readInt32(m_settings.get(kKey, "10"));
    m_storedPolling = m_settings.get(kKey, "");
    m_fullSpeed = n == 0;
    m_msText = m_fullSpeed ? "10" : std::to_string(n);
    const Zusi3Endpoint defaults;
    m_zusi3 = m_storedZusi3 = m_settings.get(std::string(kSettingSimulator), "2") == "3";
    m_hostText = m_settings.get(std::string(kSettingZusi3Host), defaults.host);
    m_portText = m_settings.get(std::string(kSettingZusi3Port), std::to_string(defaults.port));
}

bool OptionsDialog::validInterval(const std::string& text) {
    const double n = readNumber(text);
    return n >= 1 && n <= 100;
}

bool OptionsDialog::checkMs() {
    if (validInterval(m_msText))
        return true;
    m_dialogs.message("Bitte Zahl zwischen 1 und 100 eingeben", MsgButtons::Ok,
                      MsgIcon::Exclamation, "Ungültier Wert");
    return false;
}

bool OptionsDialog::refuse(Field field, const char* text) {
    m_failed = field;
    m_dialogs.message(text, MsgButtons::Ok, MsgIcon::Exclamation, "Ungültiger Wert");
    return false;
}

bool OptionsDialog::checkServer() {
    // A name or an address without a port of its own; the port goes in its field.
    if (m_hostText.empty() || m_hostText.find_first_of(" \t:") != std::string::npos)
        return refuse(Field::Host, "Bitte den Namen oder die Adresse des Zusi-3-Rechners eingeben");
    if (!parseZusi3Endpoint("h:" + m_portText))
        return refuse(Field::Port, "Bitte eine Portnummer zwischen 1 und 65535 eingeben");
    return true;
}

bool OptionsDialog::leaveMs() {
    return checkMs();
}

bool OptionsDialog::apply() {
    m_failed = Field::Ms;
    if (!m_fullSpeed && !checkMs())
        return false;
    if (m_zusi3 && !checkServer())
        return false;
    const std::string polling = m_fullSpeed ? "0" : m_msText;
    m_settings.set(kKey, polling);
    // Keys stay the choice without a setting of their own, as before there was another.
    if (m_zusi3 || m_storedZusi3)
        m_settings.set(std::string(kSettingSimulator), m_zusi3 ? "3" : "2");
    m_storedZusi3 = m_zusi3;
    if (m_zusi3) {
        m_settings.set(std::string(kSettingZusi3Host), m_hostText);
        m_settings.set(std::string(kSettingZusi3Port), m_portText);
    }
    // The simulator changes when the dialog closes; only the polling waits for a restart.
    if (polling != std::exchange(m_storedPolling, polling))
        m_dialogs.message("Die Einstellung wird erst beim nächsten Start der Software wirksam!",
                          MsgButtons::Ok, MsgIcon::Information, "Achtung");
    return true;
}

} // namespace kordan
