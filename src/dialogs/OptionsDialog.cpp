#include "dialogs/OptionsDialog.h"

#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Settings.h"

namespace kordan {

namespace {

constexpr const char* kKey = "Polling";

} // namespace

OptionsDialog::OptionsDialog(ISettings& settings, IDialogs& dialogs)
    : m_settings(settings), m_dialogs(dialogs) {
    const int32_t n = readInt32(m_settings.get(kKey, "10"));
    m_fullSpeed = n == 0;
    m_msText = m_fullSpeed ? "10" : std::to_string(n);
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

bool OptionsDialog::leaveMs() {
    return checkMs();
}

bool OptionsDialog::apply() {
    if (!m_fullSpeed && !checkMs())
        return false;
    m_settings.set(kKey, m_fullSpeed ? "0" : m_msText);
    m_dialogs.message("Die Einstellung wird erst beim nächsten Start der Software wirksam!",
                      MsgButtons::Ok, MsgIcon::Information, "Achtung");
    return true;
}

} // namespace kordan
