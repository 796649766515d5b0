#pragma once

#include <string>

namespace kordan {

class IDialogs;
class ISettings;

// The options dialog's behaviour: the polling interval, read from and written to the
// setting "Polling", and the simulator the program drives: Zusi 2 by keys, or Zusi 3 over
// TCP at a host and port. The interval counts from the next start; the main window takes
// the simulator over as soon as the dialog closes.
class OptionsDialog {
public:
    OptionsDialog(ISettings& settings, IDialogs& dialogs);

    // The state the window shows and edits.
    bool fullSpeed() const { return m_fullSpeed; }
    bool msEnabled() const { return !m_fullSpeed; }
    const std::string& msText() const { return m_msText; }

    void selectFullSpeed() { m_fullSpeed = true; }
    void selectMs() { m_fullSpeed = false; }
    void setMsText(std::string text) { m_msText = std::move(text); }

    // The simulator group: false = "Zusi 2 (Tastatur)", true = "Zusi 3 (TCP)".
    bool zusi3() const { return m_zusi3; }
    void selectZusi3(bool on) { m_zusi3 = on; }
    const std::string& hostText() const { return m_hostText; }
    const std::string& portText() const { return m_portText; }
    void setHostText(std::string text) { m_hostText = std::move(text); }
    void setPortText(std::string text) { m_portText = std::move(text); }
    // Which field a failed check of the server sends the focus to.
    enum class Field { Ms, Host, Port };
    Field failedField() const { return m_failed; }

    // The focus leaves `txtMs`: false after the message, when the focus must go back.
    bool leaveMs();
    // "Übernehmen": false when the interval or the server was rejected (the focus goes to
    // failedField(), nothing is written).
    bool apply();
    // "OK": true when the dialog may close.
    bool ok() { return apply(); }

    // 1 to 100, read like every dialog field but without rounding ("50ms" is 50).
    static bool validInterval(const std::string& text);

private:
    bool checkMs();
    bool checkServer();
    bool refuse(Field field, const char* text);

    ISettings& m_settings;
    IDialogs& m_dialogs;
    bool m_fullSpeed = false;
    std::string m_msText;
    std::string m_storedPolling; // "" when there is no setting yet
    bool m_zusi3 = false;
    bool m_storedZusi3 = false;
    std::string m_hostText;
    std::string m_portText;
    Field m_failed = Field::Ms;
};

} // namespace kordan
