#include "StandinWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <time.h>

namespace standin {

int32_t virtualKeyForQtKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
        return 0x12;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    default:
        return 0;
    }
}

StandinWindow::StandinWindow(const StandinOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options),
      m_train(options.loco ? *options.loco : demoLocos().front()), m_registry(options.prefix),
      m_currentTrain(options.prefix) {
    setWindowTitle(QStringLiteral("Zusi Stand-in"));
    if (!m_options.logFile.empty())
        m_log = std::fopen(m_options.logFile.c_str(), "a");

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* grid = new QGridLayout;
    m_cboLok = new QComboBox(central);
    m_cboLok->setObjectName(QStringLiteral("cboLok"));
    for (const auto& l : demoLocos())
        m_cboLok->addItem(QString::fromStdString(l.name));
    grid->addWidget(new QLabel(QStringLiteral("Lok:"), central), 0, 0);
    grid->addWidget(m_cboLok, 0, 1);
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 2.0);
    big.setBold(true);
    m_lblSpeed = new QLabel(central);
    m_lblSpeed->setObjectName(QStringLiteral("lblSpeed"));
    m_lblSpeed->setFont(big);
    m_lblKm = new QLabel(central);
    m_lblKm->setObjectName(QStringLiteral("lblKm"));
    m_lblKm->setFont(big);
    grid->addWidget(m_lblSpeed, 1, 0);
    grid->addWidget(m_lblKm, 1, 1);
    layout->addLayout(grid);
    m_lblControls = new QLabel(central);
    m_lblControls->setObjectName(QStringLiteral("lblControls"));
    layout->addWidget(m_lblControls);
    m_lblState = new QLabel(central);
    m_lblState->setObjectName(QStringLiteral("lblState"));
    layout->addWidget(m_lblState);
    m_lstKeys = new QPlainTextEdit(central);
    m_lstKeys->setObjectName(QStringLiteral("lstKeys"));
    m_lstKeys->setReadOnly(true);
    m_lstKeys->setMaximumBlockCount(500);
    layout->addWidget(m_lstKeys, 1);
    setCentralWidget(central);
    resize(520, 420);

    // Keys belong to the train, not to the widgets: nothing but the window takes focus,
    // and every key reaching any widget of the stand-in is caught by the filter.
    for (QWidget* w : central->findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);

    if (options.loco)
        m_cboLok->setCurrentIndex(int(options.loco - demoLocos().data()));
    connect(m_cboLok, &QComboBox::currentIndexChanged, this, &StandinWindow::selectLoco);

    std::string error;
    if (!preparePrefix(m_options.prefix, &error))
        appendLog(QStringLiteral("Prefix nicht nutzbar: ") + QString::fromStdString(error));
    if (!m_currentTrain.write(m_train.loco().path, &error))
        appendLog(QStringLiteral("aktuellerzug.txt nicht geschrieben: ") +
                  QString::fromStdString(error));
    publish();

    m_clock.start();
    m_physics = new QTimer(this);
    connect(m_physics, &QTimer::timeout, this, &StandinWindow::tick);
    m_physics->start(50);
    m_publisher = new QTimer(this);
    connect(m_publisher, &QTimer::timeout, this, &StandinWindow::publish);
    m_publisher->start(200);
    refresh();
}

StandinWindow::~StandinWindow() {
    qApp->removeEventFilter(this);
    if (m_log)
        std::fclose(m_log);
}

void StandinWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Keys go to the window with the focus, so the stand-in asks for it once it is shown.
    // The window system maps the window a little later, and without a window manager a
    // request made before that is lost: ask again until the focus is here (for 5 s).
    takeFocus(50);
}

void StandinWindow::takeFocus(int triesLeft) {
    if (isActiveWindow() || triesLeft <= 0)
        return;
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    QTimer::singleShot(100, this, [this, triesLeft] { takeFocus(triesLeft - 1); });
}

bool StandinWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        event->accept(); // no shortcut may take a key away from the train
        return true;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // The window system repeats a held key by itself; only the sender's own presses and
    // releases count.
    if (!key->isAutoRepeat()) {
        int32_t vk = key->nativeVirtualKey() ? virtualKeyForKeysym(key->nativeVirtualKey()) : 0;
        if (vk == 0)
            vk = virtualKeyForQtKey(key->key());
        // The sender lets a held key go before it presses it again, so a press of a key
        // that is down is the window system's own repetition.
        if (vk != 0 && !(type == QEvent::KeyPress && m_down.count(vk) != 0))
            receiveKey(vk, type == QEvent::KeyPress);
    }
    return true;
}

void StandinWindow::receiveKey(int32_t vk, bool down) {
    if (m_log) {
        if (m_options.logTimes) {
            // The same clock on both sides lets a benchmark time a key from its cause.
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::fprintf(m_log, "%s %d %lld\n", down ? "down" : "up", vk,
                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        } else {
            std::fprintf(m_log, "%s %d\n", down ? "down" : "up", vk);
        }
        std::fflush(m_log);
    }
    const Action action = actionForKey(vk);
    if (down) {
        m_down.insert(vk);
        m_train.keyDown(action);
    } else {
        m_down.erase(vk);
        m_train.keyUp(action);
    }
    const auto text = actionText(action);
    appendLog(QStringLiteral("%1 %2 %3")
                  .arg(down ? QStringLiteral("down") : QStringLiteral("up  "))
                  .arg(vk, 3)
                  .arg(QString::fromUtf8(text.data(), qsizetype(text.size()))));
    refresh();
}

void StandinWindow::selectLoco(int index) {
    if (index < 0 || index >= int(demoLocos().size()))
        return;
    const DemoLoco& loco = demoLocos()[size_t(index)];
    if (m_cboLok->currentIndex() != index) {
        QSignalBlocker block(m_cboLok);
        m_cboLok->setCurrentIndex(index);
    }
    m_train.setLoco(loco);
    std::string error;
    if (m_currentTrain.write(loco.path, &error))
        appendLog(QStringLiteral("Lok gewechselt: ") + QString::fromStdString(loco.path));
    else
        appendLog(QStringLiteral("aktuellerzug.txt nicht geschrieben: ") +
                  QString::fromStdString(error));
    refresh();
}

void StandinWindow::tick() {
    const qint64 now = m_clock.elapsed();
    m_train.advance(double(now - m_lastTick) / 1000.0);
    m_lastTick = now;
    refresh();
}

void StandinWindow::publish() {
    m_publishFailed = !m_registry.publish(standinValues(m_train.speedKmh(), m_train.km()));
}

void StandinWindow::refresh() {
    m_lblSpeed->setText(QStringLiteral("%1 km/h").arg(m_train.speedKmh(), 0, 'f', 1));
    m_lblKm->setText(QStringLiteral("km %1").arg(m_train.km(), 0, 'f', 3));
    m_lblControls->setText(QString::fromStdString(m_train.status()));
    QStringList state;
    state << (m_train.direction() > 0 ? QStringLiteral("vorwärts") : QStringLiteral("rückwärts"));
    state << (m_train.mainSwitch() ? QStringLiteral("HS ein") : QStringLiteral("HS aus"));
    state << (m_train.engine() ? QStringLiteral("Motor ein") : QStringLiteral("Motor aus"));
    if (m_train.magnet())
        state << QStringLiteral("Mg-Bremse");
    if (m_train.horn())
        state << QStringLiteral("PFEIFE");
    if (m_publishFailed)
        state << QStringLiteral("user.reg kann nicht geschrieben werden!");
    m_lblState->setText(state.join(QStringLiteral("  ")));
}

void StandinWindow::appendLog(const QString& line) {
    m_lstKeys->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) +
                               line);
}

} // namespace standin
