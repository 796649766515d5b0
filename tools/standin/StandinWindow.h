#pragma once

#include "StandinFiles.h"
#include "Train.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <cstdio>
#include <memory>
#include <set>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace standin {

struct StandinOptions {
    std::filesystem::path prefix;
    std::string logFile;   // empty: no key log
    bool logTimes = false; // each logged key also carries the monotonic clock in ns
    const DemoLoco* loco = nullptr;
};

// The stand-in's window: receives every key sent to it, drives the train and publishes
// its state through the registry and the current-train file.
class StandinWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit StandinWindow(const StandinOptions& options, QWidget* parent = nullptr);
    ~StandinWindow() override;

    // Switches to the demo locomotive of that index and rewrites the current-train file.
    void selectLoco(int index);
    // Asks the window system for the keyboard focus, again every 100 ms until it is here
    // (at most `triesLeft` times): keys go to the window with the focus.
    void takeFocus(int triesLeft = 50);
    // A key event from the window system, already as a virtual-key code.
    void receiveKey(int32_t virtualKey, bool down);

    const Train& train() const { return m_train; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void tick();
    void publish();
    void refresh();
    void appendLog(const QString& line);

    StandinOptions m_options;
    Train m_train;
    RegistryWriter m_registry;
    CurrentTrainWriter m_currentTrain;
    std::FILE* m_log = nullptr;
    std::set<int32_t> m_down; // keys held, so a repeated press is told apart
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    bool m_publishFailed = false;

    QComboBox* m_cboLok = nullptr;
    QLabel* m_lblSpeed = nullptr;
    QLabel* m_lblKm = nullptr;
    QLabel* m_lblControls = nullptr;
    QLabel* m_lblState = nullptr;
    QPlainTextEdit* m_lstKeys = nullptr;

    QTimer* m_physics = nullptr;
    QTimer* m_publisher = nullptr;
};

// The virtual-key code of a Qt key, for platforms that give no X keysym.
int32_t virtualKeyForQtKey(int qtKey);

} // namespace standin
