#include "app/frmKordan.h"

#include "device/Layout.h"
#include "device/Levers.h"
#include "dialogs/frmAxis.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace kordan {

namespace {

// Positions are given in twips; 15 twips make one pixel. The controller's picture sits a
// little lower than in twips so the texts above it have room.
constexpr int kPictureOffset = 40;
int px(int twips) {
    return twips / 15;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The tool tip of both automatic load modes; the easy one's comes back with it when enabled.
QString lokNameTip() {
    return QStringLiteral("Automatisches Laden anhand der Lok-Dateinamen");
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w = -1, int h = 16) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    if (w > 0)
        l->resize(w, h);
    else
        l->adjustSize();
    return l;
}

QLineEdit* field(QWidget* parent, int left, int top, int width, int height, const QString& tip) {
    auto* f = new QLineEdit(parent);
    f->setReadOnly(true);
    f->setGeometry(px(left), px(top) + kPictureOffset, px(width), px(height));
    f->setToolTip(tip);
    f->setAlignment(Qt::AlignCenter);
    f->setFrame(true);
    f->setFocusPolicy(Qt::NoFocus);
    f->setTextMargins(0, 0, 0, 0);
    f->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; font-size: 9px; }"));
    return f;
}

} // namespace

frmKordan::frmKordan(WindowServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)) {
    setObjectName(QStringLiteral("frmKordan"));
    setWindowTitle(QStringLiteral("Kordan für Zusi[*]"));
    auto* area = new QWidget(this);
    setCentralWidget(area);

    label(area, QStringLiteral("Lok in Zusi"), 8, 10)->setObjectName("Label1");
    m_txtLok = new QLineEdit(area);
    m_txtLok->setObjectName("txtLok");
    m_txtLok->setReadOnly(true);
    m_txtLok->setGeometry(110, 6, 230, 22);
    setLokClass({});

    label(area, QStringLiteral("Profil:"), 8, 36)->setObjectName("lblProfil2");
    m_txtProfil = new QLineEdit(area);
    m_txtProfil->setObjectName("txtProfil");
    m_txtProfil->setReadOnly(true);
    m_txtProfil->setGeometry(110, 32, 230, 22);
    m_txtProfil->setToolTip(QStringLiteral("Geladenes Profil"));

    label(area, QStringLiteral("Modus:"), 8, 62)->setObjectName("lblModus1");
    m_lblModus = label(area, QString(), 110, 62, 400, 16);
    m_lblModus->setObjectName("lblModus");
    m_lblModus->setToolTip(QStringLiteral("Aktiver Betriebsmodus"));

    label(area, QStringLiteral("Gerät: (anklicken)"), 8, 84)->setObjectName("lblJoy");
    m_lstJoySticks = new QListWidget(area);
    m_lstJoySticks->setObjectName("lstJoySticks");
    m_lstJoySticks->setGeometry(8, 102, 504, 48);
    m_lstJoySticks->setToolTip(QStringLiteral("Liste der angeschlossenen Geräte"));
    // An entry is chosen by a click, by Enter, or by moving the highlight onto it with the
    // keys. The list also moves its current row by itself (when it gets the focus), which
    // chooses nothing.
    connect(m_lstJoySticks, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_actions && !m_updating)
            m_actions->deviceClicked(m_lstJoySticks->row(item));
    });
    connect(m_lstJoySticks, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_actions && !m_updating && m_keyMove && row >= 0)
            m_actions->deviceClicked(row);
    });
    m_lstJoySticks->installEventFilter(this);

    m_frmLaden = new QGroupBox(QStringLiteral("Konfiguration / Lademodus"), area);
    m_frmLaden->setObjectName("frmLaden");
    m_frmLaden->setGeometry(8, 154, 504, 76);
    auto* box = new QVBoxLayout(m_frmLaden);
    box->setContentsMargins(8, 2, 8, 2);
    box->setSpacing(0);
    const char* names[3] = {"optManuell", "optAuto", "optEasy"};
    const QString captions[3] = {
        QStringLiteral("Ma&nuell"),
        QStringLiteral("Au&tomatisch laden (korrekter Dateiname nötig, siehe Doku)"),
        QStringLiteral("Aut&omatsiche Konfiguration (Einschränkungen siehe Doku)")};
    const QString tips[3] = {QStringLiteral("Konfigurationen werden von Hand geladen"),
                             lokNameTip(), lokNameTip()};
    for (int i = 0; i < 3; ++i) {
        m_opt[i] = new QRadioButton(captions[i], m_frmLaden);
        m_opt[i]->setObjectName(names[i]);
        m_opt[i]->setToolTip(tips[i]);
        box->addWidget(m_opt[i]);
        connect(m_opt[i], &QRadioButton::clicked, this, [this, i] {
            if (m_actions && !m_updating)
                m_actions->loadModeSelected(i);
        });
    }
    // The options' "siehe Doku" leads to the handbook's part on the load modes.
    auto* doku =
        new QLabel(QStringLiteral("<a href=\"Lademodi\">siehe Doku: Handbuch</a>"), m_frmLaden);
    doku->setObjectName("lblDoku");
    doku->setToolTip(QStringLiteral("Hilfe → Handbuch, Lademodi und Profile"));
    doku->adjustSize();
    doku->move(m_frmLaden->width() - doku->width() - 8, 0);
    connect(doku, &QLabel::linkActivated, this,
            [this](const QString& section) { openHandbook(section); });

    auto* l13 = label(area,
                      QStringLiteral("Die Hebel müssen Werte von 0-255 liefern und dürfen bei "
                                     "losgelassenem Hebel nicht springen. Ist dies nicht der "
                                     "Fall Modus-> Kalibrierung druchführen."),
                      8, 234, 504, 30);
    l13->setObjectName("Label13");
    l13->setWordWrap(true);
    auto* l4 = label(area,
                     QStringLiteral("Um die Belegung anzuzeigen den Mauszeiger über das "
                                    "Bedienelement stellen.  Doppelklick um das Bedienelement "
                                    "zu konfigurieren."),
                     8, 266, 504, 30);
    l4->setObjectName("Label4");
    l4->setWordWrap(true);
    label(area, QStringLiteral("Bedieungselemente:"), 8, 300)->setObjectName("Label3");

    buildFields(area);
    buildMenus();

    m_logDock = new QDockWidget(QStringLiteral("Befehlsprotokoll"), this);
    m_logDock->setObjectName("dockBefehlsprotokoll");
    m_logDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* logArea = new QWidget(m_logDock);
    auto* logLayout = new QVBoxLayout(logArea);
    logLayout->setContentsMargins(4, 4, 4, 4);
    m_log = new QPlainTextEdit(logArea);
    m_log->setObjectName("txtBefehlsprotokoll");
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);
    m_log->setMinimumWidth(320);
    auto* clear = new QPushButton(QStringLiteral("&Leeren"), logArea);
    clear->setObjectName("cmdProtokollLeeren");
    connect(clear, &QPushButton::clicked, m_log, &QPlainTextEdit::clear);
    logLayout->addWidget(m_log);
    logLayout->addWidget(clear, 0, Qt::AlignRight);
    m_logDock->setWidget(logArea);
    addDockWidget(Qt::RightDockWidgetArea, m_logDock);
    m_logDock->hide();
    area->setMinimumSize(520, px(6525) + kPictureOffset + 12);
    // Where the controller's connection is shown; made now, so the window keeps its size.
    statusBar()->setObjectName("statusBar");
    m_deliveryNote = new QLabel(statusBar());
    m_deliveryNote->setObjectName("lblWeg");
    m_deliveryNote->hide();
    statusBar()->addPermanentWidget(m_deliveryNote);
    // The connection comes back once a passing note has gone.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty() && !m_connection.isEmpty())
            statusBar()->showMessage(m_connection);
    });
    resize(520, px(6525) + kPictureOffset + 12 + menuBar()->sizeHint().height() +
                    statusBar()->sizeHint().height());
}

frmKordan::~frmKordan() = default;

void frmKordan::buildFields(QWidget* area) {
    for (int i = 0; i < 7; ++i) {
        const FieldPlace& p = kLeverPlaces[size_t(i)];
        m_txtAnalog[i] =
            field(area, p.left, p.top, p.width, p.height, QStringLiteral("nicht zugeordnet"));
        m_txtAnalog[i]->setObjectName(QStringLiteral("txtAnalog%1").arg(i));
        m_txtAnalog[i]->installEventFilter(this);
        auto* cap = label(area, QString::fromLatin1(kLeverShortCaptions[size_t(i)]), px(p.left),
                          px(p.top - 240) + kPictureOffset);
        QFont f = cap->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        cap->setFont(f);
    }
    for (int k = 0; k < 44; ++k) {
        const FieldPlace& p = kButtonPlaces[size_t(k)];
        m_txtBut[k] =
            field(area, p.left, p.top, p.width, p.height, QStringLiteral("nicht definiert"));
        m_txtBut[k]->setObjectName(QStringLiteral("txtBut%1").arg(k));
        m_txtBut[k]->installEventFilter(this);
        // Its number, as the assignment sheet and the handbook name it.
        m_txtBut[k]->setText(QString::number(k + 1));
    }
    label(area, QStringLiteral("Up"), px(kUpCaption.left), px(kUpCaption.top) + kPictureOffset);
    label(area, QStringLiteral("Down"), px(kDownCaption.left),
          px(kDownCaption.top) + kPictureOffset);
}

bool frmKordan::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lstJoySticks && event->type() == QEvent::KeyPress && m_actions) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_lstJoySticks->currentRow() >= 0)
                m_actions->deviceClicked(m_lstJoySticks->currentRow());
            return true;
        }
        // The list handles the key here, so a move it makes is known to come from a key.
        m_keyMove = true;
        static_cast<QObject*>(m_lstJoySticks)->event(event);
        m_keyMove = false;
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && m_actions) {
        for (int i = 0; i < 7; ++i)
            if (watched == m_txtAnalog[i]) {
                m_actions->leverDoubleClicked(i);
                return true;
            }
        for (int k = 0; k < 44; ++k)
            if (watched == m_txtBut[k]) {
                m_actions->buttonDoubleClicked(k);
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmKordan::closeEvent(QCloseEvent* event) {
    // The axis editor asks about its own unsaved zones first, so they are not lost with the
    // program; its "Abbrechen" keeps both open.
    if (m_axisEditor && !m_axisEditor->close()) {
        event->ignore();
        return;
    }
    if (m_actions)
        m_actions->closing();
    if (m_wizard)
        m_wizard->close();
    event->accept();
}

void frmKordan::showWindow() {
    show();
}

void frmKordan::bringToFront() {
    // Only a minimised window is restored, to the size it had: a maximised one stays so.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void frmKordan::setEasyOptionVisible(bool visible) {
    m_opt[2]->setVisible(visible);
}
void frmKordan::setLokText(const std::string& text) {
    m_txtLok->setText(q(text));
}
void frmKordan::setLokClass(const std::string& baureihe) {
    m_txtLok->setToolTip(QStringLiteral("Dateiname der zuletzt geladenen Lok in Zusi") +
                         (baureihe.empty() ? QString() : q(" (Baureihe " + baureihe + ")")));
}
void frmKordan::setProfilText(const std::string& text) {
    m_txtProfil->setText(q(text));
    // "[*]" is where Qt shows the unsaved-changes marker.
    setWindowTitle(text.empty() ? QStringLiteral("Kordan für Zusi[*]")
                                : q(text) + QStringLiteral("[*] - Kordan für Zusi"));
}

void frmKordan::setProfileModified(bool modified) {
    setWindowModified(modified);
}

void frmKordan::showStatusMessage(const std::string& text) {
    statusBar()->showMessage(q(text), 5000);
}

void frmKordan::setLoadMode(int mode) {
    m_updating = true;
    // Radio buttons of one group cannot all be cleared while exclusive.
    for (auto* o : m_opt)
        o->setAutoExclusive(false);
    for (int i = 0; i < 3; ++i)
        m_opt[i]->setChecked(i == mode);
    for (auto* o : m_opt)
        o->setAutoExclusive(true);
    m_updating = false;
}

void frmKordan::setDeviceList(const std::vector<std::string>& entries) {
    m_updating = true;
    // The list may change inside its own click handler: items are renamed in place where
    // they can be, so the clicked one is not deleted under Qt's feet.
    const int rows = static_cast<int>(entries.size());
    while (m_lstJoySticks->count() > rows)
        delete m_lstJoySticks->takeItem(m_lstJoySticks->count() - 1);
    for (int i = 0; i < rows; ++i) {
        if (i < m_lstJoySticks->count())
            m_lstJoySticks->item(i)->setText(q(entries[size_t(i)]));
        else
            m_lstJoySticks->addItem(q(entries[size_t(i)]));
    }
    m_updating = false;
}

void frmKordan::setSelectedDevice(int index) {
    m_updating = true;
    m_lstJoySticks->setCurrentRow(index);
    m_updating = false;
}

void frmKordan::setDeviceListEnabled(bool enabled) {
    m_lstJoySticks->setEnabled(enabled);
}
void frmKordan::focusDeviceList() {
    m_lstJoySticks->setFocus();
}

void frmKordan::setModeLabel(const std::string& text, LabelColour colour) {
    m_lblModus->setText(q(text));
    QPalette p = m_lblModus->palette();
    QColor c = colour == LabelColour::Green ? QColor(0, 192, 0)
               : colour == LabelColour::Red ? QColor(255, 0, 0)
                                            : palette().color(QPalette::ButtonText);
    p.setColor(QPalette::WindowText, c);
    m_lblModus->setPalette(p);
}

void frmKordan::setConnectionStatus(const std::string& text) {
    m_connection = q(text);
    statusBar()->showMessage(m_connection);
}

void frmKordan::setLeverText(int index, const std::string& text) {
    // Every poll passes here, also in active mode: unchanged texts cost nothing.
    const QString t = q(text);
    if (m_txtAnalog[index]->text() != t)
        m_txtAnalog[index]->setText(t);
}

void frmKordan::setButtonLit(int index, bool lit) {
    if (m_butLit[size_t(index)] == lit)
        return; // every poll of test mode passes here
    m_butLit[size_t(index)] = lit;
    m_txtBut[index]->setProperty("lit", lit);
    paintButton(index);
}

void frmKordan::setButtonAssigned(int index, bool assigned) {
    m_butAssigned[size_t(index)] = assigned;
    m_txtBut[index]->setProperty("assigned", assigned);
    paintButton(index);
}

void frmKordan::paintButton(int index) {
    QLineEdit* f = m_txtBut[index];
    QPalette p = f->palette();
    const QColor base = m_butLit[size_t(index)]        ? QColor(0, 255, 0)
                        : m_butAssigned[size_t(index)] ? QColor(200, 220, 245)
                                                       : palette().color(QPalette::Base);
    p.setColor(QPalette::Base, base);
    f->setPalette(p);
    QFont font = f->font();
    font.setBold(m_butAssigned[size_t(index)]);
    f->setFont(font);
}

void frmKordan::setLeverToolTip(int index, const std::string& text) {
    m_txtAnalog[index]->setToolTip(q(text));
}

void frmKordan::setButtonToolTip(int index, const std::string& text) {
    m_txtBut[index]->setToolTip(q(text));
}

void frmKordan::setSpeakerChecked(bool checked) {
    m_mnuLautsprecher->setChecked(checked);
}

void frmKordan::setLedChecked(int index) {
    for (int i = 0; i < 3; ++i)
        m_mnuLed[i]->setChecked(i == index);
}

void frmKordan::setCommandLogVisible(bool visible) {
    m_mnuBefehlsprotokoll->setChecked(visible);
    m_logDock->setVisible(visible);
}

void frmKordan::setDeliveryNote(const std::string& text, bool warning) {
    m_deliveryNote->setText(q(text));
    QPalette p = m_deliveryNote->palette();
    p.setColor(QPalette::WindowText,
               warning ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
    m_deliveryNote->setPalette(p);
    m_deliveryNote->setVisible(!text.empty());
}

void frmKordan::appendCommandLog(const std::string& line) {
    m_log->appendPlainText(q(line));
}

} // namespace kordan
