#include "device/panel/frmPanel.h"

#include "device/Levers.h"
#include "device/panel/Segments.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kordan {

namespace {

// The main window places its fields in twips; the panel shows them larger.
constexpr int kTwipsPerPixel = 9;
constexpr int kLeftTwips = 300;
constexpr int kTopTwips = 4320;

int px(int twips, int origin) {
    return (twips - origin) / kTwipsPerPixel + 6;
}

} // namespace

LedDisplay::LedDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ledDisplay"));
    setMinimumSize(sizeHint());
}

QSize LedDisplay::sizeHint() const {
    return {3 * 44 + 16, 76};
}

void LedDisplay::setDigits(const std::array<uint8_t, 3>& digits) {
    if (digits == m_digits)
        return;
    m_digits = digits;
    setToolTip(QString::fromStdString(displayText({0, 134, digits[2], digits[1], digits[0]})));
    update();
}

void LedDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(20, 10, 10));
    p.setRenderHint(QPainter::Antialiasing);
    const QColor on(255, 40, 30), off(60, 20, 20);
    const int w = 28, h = 54, t = 5;
    for (int d = 0; d < 3; ++d) {
        const LedSegments s = decodeDigit(m_digits[size_t(d)]);
        const int x = 10 + d * 44, y = 10;
        // a b c d e f g as rectangles around the digit's outline.
        const QRect seg[7] = {
            {x + t, y, w - 2 * t, t},                 // a
            {x + w - t, y + t, t, h / 2 - t},         // b
            {x + w - t, y + h / 2 + 1, t, h / 2 - t}, // c
            {x + t, y + h - t + 1, w - 2 * t, t},     // d
            {x, y + h / 2 + 1, t, h / 2 - t},         // e
            {x, y + t, t, h / 2 - t},                 // f
            {x + t, y + h / 2 - t / 2, w - 2 * t, t}, // g
        };
        for (int i = 0; i < 7; ++i)
            p.fillRect(seg[i], s.segment[size_t(i)] ? on : off);
        p.setBrush(s.point ? on : off);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(x + w + 3, y + h - t + 1, t + 1, t + 1));
    }
}

frmPanel::frmPanel(VirtualController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller) {
    setObjectName(QStringLiteral("frmPanel"));
    setWindowTitle(QStringLiteral("Virtuelles Fahrpult"));
    // Operating the panel must not take the focus from the simulator's window, which
    // receives the keys only while it has the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);

    auto* layout = new QVBoxLayout(this);

    // The levers as on the controller and in the calibration wizard's words: the rear stop
    // ("hinten", away from the user) at the top, the bail-off push and the two switches
    // sideways, left low and right high. Every control shows its raw value.
    auto* levers = new QGroupBox(QStringLiteral("Hebel (Rohwerte 0-255)"), this);
    auto* leverGrid = new QGridLayout(levers);
    auto* rear = new QLabel(QStringLiteral("hinten\n(vom Benutzer weg)"), levers);
    auto* front = new QLabel(QStringLiteral("vorne\n(zum Benutzer hin)"), levers);
    leverGrid->addWidget(rear, 1, 0, Qt::AlignTop);
    leverGrid->addWidget(front, 1, 0, Qt::AlignBottom);
    for (int i = 0; i < 7; ++i) {
        const bool upright = i < 4;
        auto* caption = new QLabel(QString::fromUtf8(kLeverCaptions[size_t(i)]), levers);
        auto* slider = new QSlider(upright ? Qt::Vertical : Qt::Horizontal, levers);
        slider->setObjectName(QStringLiteral("sldLever%1").arg(i + 1));
        slider->setRange(0, 255);
        slider->setInvertedAppearance(upright); // raw 0 is the rear stop, at the top
        slider->setFocusPolicy(Qt::NoFocus);
        slider->setValue(controller.lever(i + 1));
        auto* value = new QLabel(QString::number(controller.lever(i + 1)), levers);
        value->setObjectName(QStringLiteral("lblLever%1").arg(i + 1));
        value->setAlignment(Qt::AlignHCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("888")));
        m_sldLever[size_t(i)] = slider;
        m_lblLever[size_t(i)] = value;
        connect(slider, &QSlider::valueChanged, this, [this, i](int v) {
            // A switch has three positions only: links, mitte, rechts.
            const int stop = i < 5 ? v : v < 64 ? 0 : v < 192 ? 128 : 255;
            if (stop != v)
                return m_sldLever[size_t(i)]->setValue(stop);
            m_controller.setLever(i + 1, uint8_t(v));
            m_lblLever[size_t(i)]->setText(QString::number(v));
        });
        if (upright) {
            caption->setWordWrap(true);
            caption->setAlignment(Qt::AlignHCenter);
            slider->setMinimumHeight(120);
            leverGrid->addWidget(caption, 0, i + 1);
            leverGrid->addWidget(slider, 1, i + 1, Qt::AlignHCenter);
            leverGrid->addWidget(value, 2, i + 1);
            continue;
        }
        const int row = 3 + 2 * (i - 4);
        leverGrid->addWidget(caption, row, 0);
        leverGrid->addWidget(slider, row, 1, 1, 3);
        leverGrid->addWidget(value, row, 4);
        if (i == 4) {
            // The independent brake pushed to the right springs back when let go. While
            // the mouse holds it, the wizard's "&Weiter" is still reached by the keyboard,
            // as the panel never takes the focus.
            slider->setToolTip(QStringLiteral("Hebel 4 nach rechts drücken; springt beim "
                                              "Loslassen zurück"));
            auto* hold = new QLabel(QStringLiteral("mit der Maus festhalten, im "
                                                   "Kalibrier-Assistenten dann Alt+W (Weiter)"),
                                    levers);
            hold->setEnabled(false); // a hint, drawn grey
            leverGrid->addWidget(hold, row + 1, 1, 1, 4);
            slider->installEventFilter(this);
            continue;
        }
        slider->setPageStep(128); // a click beside the handle moves one position
        auto* stops = new QHBoxLayout;
        for (const char* name : {"links", "mitte", "rechts"}) {
            stops->addWidget(new QLabel(QString::fromLatin1(name), levers), 0,
                             name[0] == 'l'   ? Qt::AlignLeft
                             : name[0] == 'm' ? Qt::AlignHCenter
                                              : Qt::AlignRight);
        }
        leverGrid->addLayout(stops, row + 1, 1, 1, 3);
    }

    auto* right = new QVBoxLayout;
    m_led = new LedDisplay(this);
    right->addWidget(m_led);
    m_lblSpeaker = new QLabel(this);
    m_lblSpeaker->setObjectName(QStringLiteral("lblSpeaker"));
    right->addWidget(m_lblSpeaker);
    m_chkRasten = new QCheckBox(QStringLiteral("Tasten rasten ein"), this);
    m_chkRasten->setObjectName(QStringLiteral("chkRasten"));
    right->addWidget(m_chkRasten);
    m_cmdPlug = new QPushButton(this);
    m_cmdPlug->setObjectName(QStringLiteral("cmdPlug"));
    m_cmdPlug->setFocusPolicy(Qt::NoFocus);
    right->addWidget(m_cmdPlug);
    m_cmdSecond = new QPushButton(QStringLiteral("Zweites Pult"), this);
    m_cmdSecond->setObjectName(QStringLiteral("cmdSecond"));
    m_cmdSecond->setFocusPolicy(Qt::NoFocus);
    m_cmdSecond->hide();
    right->addWidget(m_cmdSecond);
    right->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(levers, 1);
    top->addLayout(right);
    layout->addLayout(top);

    auto* buttons = new QGroupBox(QStringLiteral("Tasten"), this);
    auto* area = new QWidget(buttons);
    buildButtons(area);
    auto* buttonLayout = new QVBoxLayout(buttons);
    buttonLayout->addWidget(area);
    layout->addWidget(buttons);

    connect(m_chkRasten, &QCheckBox::toggled, this, &frmPanel::setLatching);
    connect(m_cmdPlug, &QPushButton::clicked, this,
            [this] { m_controller.setPlugged(!m_controller.plugged()); });

    m_led->setDigits(displayDigits(controller.lastDisplay()));
    showSpeaker(controller.speakerOn());
    showPlugged(controller.plugged());
    m_controller.setOutputListener([this](const OutputReport& r) { showOutput(r); });
    m_controller.setPlugListener([this](bool plugged) { showPlugged(plugged); });
}

frmPanel::~frmPanel() {
    m_controller.setOutputListener(nullptr);
    m_controller.setPlugListener(nullptr);
}

bool frmPanel::eventFilter(QObject* watched, QEvent* event) {
    // Whether dragged or clicked beside its handle, bail-off is pushed only while held; a
    // wheel has nothing to hold and is ignored.
    if (watched == m_sldLever[4] && event->type() == QEvent::MouseButtonRelease)
        m_sldLever[4]->setValue(0);
    return watched == m_sldLever[4] && event->type() == QEvent::Wheel;
}

void frmPanel::offerSecondController(std::function<void()> plugIn) {
    m_cmdSecond->show();
    connect(m_cmdSecond, &QPushButton::clicked, this, [this, plugIn = std::move(plugIn)] {
        m_cmdSecond->setEnabled(false); // there is one second controller
        plugIn();
    });
}

void frmPanel::showPlugged(bool plugged) {
    m_cmdPlug->setText(plugged ? QStringLiteral("Trennen") : QStringLiteral("Verbinden"));
    m_cmdPlug->setToolTip(plugged ? QStringLiteral("Das Pult abziehen")
                                  : QStringLiteral("Das Pult wieder anstecken"));
}

void frmPanel::buildButtons(QWidget* area) {
    struct Pos {
        int left, top, height;
    };
    // The places of the main window's button fields, index = button - 1.
    std::array<Pos, 44> pos{};
    for (int i = 0; i < 14; ++i)
        pos[size_t(i)] = {300 + 360 * i, 5880, 285};
    for (int i = 14; i < 28; ++i)
        pos[size_t(i)] = {300 + 360 * (i - 14), 6240, 285};
    pos[28] = {5580, 5760, 405};
    pos[29] = {5580, 6120, 405};
    pos[30] = {6360, 5760, 285};
    pos[31] = {6600, 6000, 285};
    pos[32] = {6360, 6240, 285};
    pos[33] = {6120, 6000, 285};
    pos[34] = {300, 4320, 195};
    pos[35] = {300, 4560, 195};
    pos[36] = {840, 4320, 195};
    pos[37] = {840, 4560, 195};
    pos[38] = {300, 4920, 285};
    pos[39] = {840, 4920, 285};
    pos[40] = {300, 5280, 285};
    pos[41] = {840, 5280, 285};
    pos[42] = {1620, 4560, 285};
    pos[43] = {1620, 4920, 285};

    int width = 0, height = 0;
    for (int i = 0; i < 44; ++i) {
        auto* b = new QPushButton(QString::number(i + 1), area);
        b->setObjectName(QStringLiteral("cmdButton%1").arg(i + 1));
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(QStringLiteral("Taste %1").arg(i + 1));
        const QRect r(px(pos[size_t(i)].left, kLeftTwips), px(pos[size_t(i)].top, kTopTwips),
                      255 / kTwipsPerPixel, pos[size_t(i)].height / kTwipsPerPixel);
        b->setGeometry(r);
        width = std::max(width, r.right() + 6);
        height = std::max(height, r.bottom() + 6);
        const int k = i + 1;
        connect(b, &QPushButton::pressed, this, [this, k] {
            if (!m_chkRasten->isChecked())
                m_controller.setButton(k, true);
        });
        connect(b, &QPushButton::released, this, [this, k] {
            if (!m_chkRasten->isChecked())
                m_controller.setButton(k, false);
        });
        connect(b, &QPushButton::toggled, this, [this, k](bool on) {
            if (m_chkRasten->isChecked())
                m_controller.setButton(k, on);
        });
        m_cmdButton[size_t(i)] = b;
    }
    // The captions the main window has beside the two step buttons.
    auto* up = new QLabel(QStringLiteral("Up"), area);
    up->move(px(1635, kLeftTwips), px(4320, kTopTwips));
    auto* down = new QLabel(QStringLiteral("Down"), area);
    down->move(px(1515, kLeftTwips), px(5280, kTopTwips) + 4);
    area->setMinimumSize(width, height);
}

void frmPanel::setLatching(bool on) {
    for (int i = 0; i < 44; ++i) {
        QPushButton* b = m_cmdButton[size_t(i)];
        if (!on && b->isChecked()) {
            // A latched button springs back when latching is switched off.
            QSignalBlocker block(b);
            b->setChecked(false);
            m_controller.setButton(i + 1, false);
        }
        b->setCheckable(on);
    }
}

void frmPanel::showOutput(const OutputReport& report) {
    if (isDisplayReport(report))
        m_led->setDigits(displayDigits(report));
    else if (isSpeakerReport(report))
        showSpeaker(report[7] == 1);
}

void frmPanel::showSpeaker(bool on) {
    m_lblSpeaker->setText(on ? QStringLiteral("Lautsprecher: an")
                             : QStringLiteral("Lautsprecher: aus"));
}

} // namespace kordan
