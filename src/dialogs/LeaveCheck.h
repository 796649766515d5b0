#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace kordan {

// Checks a field when the user moves the focus out of it (Tab, a click elsewhere), the
// way a form validates a field on leaving it; a window losing the focus is no leaving.
// The check's inputs are taken at the moment of leaving, but the check itself runs once
// the mouse button is up again, so its message box never swallows half of the click that
// moved the focus. When the check fails, the focus goes back to the field.
class LeaveCheck : public QObject {
public:
    using Check = std::function<bool()>;
    // `onLeave` runs at the moment of leaving and returns the check to run afterwards.
    // Leaving towards a `discarding` widget (a cancel button) runs no check; neither does
    // a click on a `checking` widget, a button that runs the same check itself, so the
    // message comes once. Tabbing onto such a button is leaving as any other.
    LeaveCheck(QWidget* field, std::function<Check()> onLeave,
               std::vector<QWidget*> discarding = {}, std::vector<QWidget*> checking = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runPending();
    void stopWaiting();

    QPointer<QWidget> m_field;
    std::function<Check()> m_onLeave;
    std::vector<QPointer<QWidget>> m_discarding;
    std::vector<QPointer<QWidget>> m_checking;
    Check m_pending;
    bool m_waitingForRelease = false;
};

// Calls `action` whenever `widget` loses the focus, whatever the reason.
void onFocusOut(QWidget* widget, std::function<void()> action);

} // namespace kordan
