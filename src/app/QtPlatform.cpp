#include "app/QtPlatform.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <thread>

namespace kordan {

QtSettings::QtSettings(const std::string& iniPath) {
    if (iniPath.empty())
        m_settings =
            std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                        QStringLiteral("ZusiKordan"), QStringLiteral("ZusiKordan"));
    else
        m_settings =
            std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat);
}

QtSettings::~QtSettings() = default;

std::string QtSettings::get(const std::string& key, const std::string& defaultValue) {
    QString k = QStringLiteral("Settings/") + QString::fromStdString(key);
    return m_settings->value(k, QString::fromStdString(defaultValue)).toString().toStdString();
}

void QtSettings::set(const std::string& key, const std::string& value) {
    m_settings->setValue(QStringLiteral("Settings/") + QString::fromStdString(key),
                         QString::fromStdString(value));
    m_settings->sync(); // every change is stored at once
}

uint32_t QtClock::milliseconds() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return static_cast<uint32_t>(ms);
}

void QtClock::sleep(int32_t ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void QtClock::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtClock::waitForEvents(int32_t ms) {
    if (ms <= 0)
        return true;
    // The timer's own event ends the wait when nothing else comes first.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}

std::shared_ptr<void> QtClock::watch(int fd, std::function<bool()> ready) {
    auto notifier = std::make_shared<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [n = notifier.get(), ready = std::move(ready)] {
                         if (!ready())
                             n->setEnabled(false); // gone: a closed node would fire on and on
                     });
    return notifier;
}

} // namespace kordan
