#include "dialogs/LeaveCheck.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>

namespace kordan {

namespace {

// A release that never comes (a press that opened a modal box) delays the check this long.
constexpr int kReleaseWaitMs = 1000;

class FocusOutFilter : public QObject {
public:
    FocusOutFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget), m_action(std::move(action)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut)
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

LeaveCheck::LeaveCheck(QWidget* field, std::function<Check()> onLeave,
                       std::vector<QWidget*> discarding, std::vector<QWidget*> checking)
    : QObject(field), m_field(field), m_onLeave(std::move(onLeave)) {
    for (QWidget* w : discarding)
        m_discarding.emplace_back(w);
    for (QWidget* w : checking)
        m_checking.emplace_back(w);
    field->installEventFilter(this);
}

bool LeaveCheck::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_field) {
        // Watching the whole application for the end of the click that moved the focus.
        if (m_waitingForRelease && event->type() == QEvent::MouseButtonRelease) {
            stopWaiting();
            QTimer::singleShot(0, this, [this] { runPending(); });
        }
        return false;
    }
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    QWidget* next = QApplication::focusWidget();
    for (const auto& w : m_discarding)
        if (w && w == next)
            return false;
    if (reason == Qt::MouseFocusReason)
        for (const auto& w : m_checking)
            if (w && w == next)
                return false;
    m_pending = m_onLeave();
    if (reason == Qt::MouseFocusReason) {
        if (!m_waitingForRelease) {
            m_waitingForRelease = true;
            qApp->installEventFilter(this);
        }
        QTimer::singleShot(kReleaseWaitMs, this, [this] {
            if (!m_waitingForRelease)
                return;
            stopWaiting();
            runPending();
        });
    } else {
        QTimer::singleShot(0, this, [this] { runPending(); });
    }
    return false;
}

void LeaveCheck::stopWaiting() {
    m_waitingForRelease = false;
    qApp->removeEventFilter(this);
}

void LeaveCheck::runPending() {
    if (!m_pending)
        return;
    const Check check = std::move(m_pending);
    m_pending = nullptr;
    // The window may have closed meanwhile; a message then would come out of nowhere.
    if (!m_field || !m_field->isVisible())
        return;
    if (!check())
        m_field->setFocus(Qt::OtherFocusReason);
}

void onFocusOut(QWidget* widget, std::function<void()> action) {
    new FocusOutFilter(widget, std::move(action));
}

} // namespace kordan
