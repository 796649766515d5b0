#pragma once

#include <string>

namespace kordan {

class IDialogs;
class ISettings;

// The options dialog's behaviour: the polling interval, read from and written to the
// setting "Polling". The running loop keeps its rate; the value counts from the next start.
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

    // The focus leaves `txtMs`: false after the message, when the focus must go back.
    bool leaveMs();
    // "Übernehmen": false when the interval was rejected (focus to `txtMs`, nothing written).
    bool apply();
    // "OK": true when the dialog may close.
    bool ok() { return apply(); }

    // 1 to 100, read like every dialog field but without rounding ("50ms" is 50).
    static bool validInterval(const std::string& text);

private:
    bool checkMs();

    ISettings& m_settings;
    IDialogs& m_dialogs;
    bool m_fullSpeed = false;
    std::string m_msText;
};

} // namespace kordan
