#pragma once

#include "device/VirtualController.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace kordan {

// The controller's three-digit display drawn as seven-segment digits.
class LedDisplay : public QWidget {
    Q_OBJECT
public:
    explicit LedDisplay(QWidget* parent = nullptr);
    // Left, middle, right digit bytes as the display report holds them.
    void setDigits(const std::array<uint8_t, 3>& digits);
    const std::array<uint8_t, 3>& digits() const { return m_digits; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<uint8_t, 3> m_digits{};
};

// A panel that stands for the controller's hardware: sliders for the seven raw channels
// (levers 1-4 upright, bail-off and the two 3-position switches sideways),
// the 44 buttons where the main window shows them, the LED display and the speaker. It
// works on a VirtualController and listens to its output reports; the controller must
// outlive the panel.
class frmPanel : public QWidget {
    Q_OBJECT
public:
    explicit frmPanel(VirtualController& controller, QWidget* parent = nullptr);
    ~frmPanel() override;

    QSlider* lever(int lever) const { return m_sldLever[size_t(lever - 1)]; }         // 1..7
    QPushButton* button(int button) const { return m_cmdButton[size_t(button - 1)]; } // 1..44
    QCheckBox* latching() const { return m_chkRasten; }
    LedDisplay* display() const { return m_led; }
    QLabel* speaker() const { return m_lblSpeaker; }
    // "Trennen" / "Verbinden": pulls the controller out and plugs it in again.
    QPushButton* plug() const { return m_cmdPlug; }
    // Offers "Zweites Pult", which calls `plugIn` once to bring a second controller.
    void offerSecondController(std::function<void()> plugIn);
    QPushButton* second() const { return m_cmdSecond; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtons(QWidget* area);
    void setLatching(bool on);
    void showOutput(const OutputReport& report);
    void showSpeaker(bool on);
    void showPlugged(bool plugged);

    VirtualController& m_controller;
    std::array<QSlider*, 7> m_sldLever{};
    std::array<QLabel*, 7> m_lblLever{};
    std::array<QPushButton*, 44> m_cmdButton{};
    QCheckBox* m_chkRasten = nullptr;
    LedDisplay* m_led = nullptr;
    QLabel* m_lblSpeaker = nullptr;
    QPushButton* m_cmdPlug = nullptr;
    QPushButton* m_cmdSecond = nullptr;
};

} // namespace kordan
