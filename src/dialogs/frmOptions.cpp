#include "dialogs/frmOptions.h"

#include "dialogs/LeaveCheck.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kordan {

namespace {

QLabel* explanation(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setIndent(20);
    return label;
}

} // namespace

frmOptions::frmOptions(ISettings& settings, IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_logic(settings, dialogs) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optionen"));
    setModal(true);

    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("tbsOptions"));
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Group1"));
    tabs->addTab(page, QStringLiteral("Geräteabfrage"));
    tabs->tabBar()->setTabData(0, QStringLiteral("Group1"));
    tabs->setTabToolTip(0, QStringLiteral("Einstellungen wie der Joystick abgefragt werden soll"));

    auto* frame = new QGroupBox(QStringLiteral("Polling"));
    frame->setObjectName(QStringLiteral("fraPolling"));
    m_optPoll = new QRadioButton(QStringLiteral("Fullspeed - Polling"));
    m_optPoll->setObjectName(QStringLiteral("optPoll"));
    m_optMs = new QRadioButton(QStringLiteral("Polling alle"));
    m_optMs->setObjectName(QStringLiteral("optMs"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_optPoll);
    group->addButton(m_optMs);
    m_txtMs = new QLineEdit(QString::fromStdString(m_logic.msText()));
    m_txtMs->setObjectName(QStringLiteral("txtMs"));
    m_txtMs->setMaximumWidth(60);
    m_txtMs->setEnabled(m_logic.msEnabled());
    (m_logic.fullSpeed() ? m_optPoll : m_optMs)->setChecked(true);

    auto* msRow = new QHBoxLayout;
    msRow->addWidget(m_optMs);
    msRow->addWidget(m_txtMs);
    auto* msLabel = new QLabel(QStringLiteral("Millisekunden"));
    msLabel->setObjectName(QStringLiteral("lblMs"));
    msRow->addWidget(msLabel);
    msRow->addStretch();

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_optPoll);
    frameLayout->addWidget(explanation(QStringLiteral(
        "Wenn diese Option gewählt wird, wird der Kordan mit der schnellstmöglichen "
        "Geschwindigkeit abgefragt. Nachteil: 100% Prozessorauslastung.  Kompatibilität zu "
        "älteren Versionen. ")));
    frameLayout->addLayout(msRow);
    frameLayout->addWidget(explanation(QStringLiteral(
        "Alle 1-100ms den Kordan abfragen. Je höher der Wert, desto weniger Resourcen werden "
        "benötigt, jedoch kann die Reaktionszeit verlängert werden. Mehr als 100ms geht nicht, "
        "da sonst die Timer-Funktionalität nicht mehr gewährleistet wäre.")));
    // Which simulator: keys to Zusi 2's window, or Zusi 3's TCP interface at host and port.
    auto* sim = new QGroupBox(QStringLiteral("Simulator"));
    sim->setObjectName(QStringLiteral("fraSimulator"));
    auto* optZusi2 = new QRadioButton(QStringLiteral("Zusi 2 (Tastatur)"));
    optZusi2->setObjectName(QStringLiteral("optZusi2"));
    auto* optZusi3 = new QRadioButton(QStringLiteral("Zusi 3 (TCP)"));
    optZusi3->setObjectName(QStringLiteral("optZusi3"));
    auto* simGroup = new QButtonGroup(this);
    simGroup->addButton(optZusi2);
    simGroup->addButton(optZusi3);
    m_txtHost = new QLineEdit(QString::fromStdString(m_logic.hostText()));
    m_txtHost->setObjectName(QStringLiteral("txtHost"));
    m_txtPort = new QLineEdit(QString::fromStdString(m_logic.portText()));
    m_txtPort->setObjectName(QStringLiteral("txtPort"));
    m_txtPort->setMaximumWidth(60);
    (m_logic.zusi3() ? optZusi3 : optZusi2)->setChecked(true);
    m_txtHost->setEnabled(m_logic.zusi3());
    m_txtPort->setEnabled(m_logic.zusi3());
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(optZusi3);
    serverRow->addWidget(new QLabel(QStringLiteral("Rechner")));
    serverRow->addWidget(m_txtHost);
    serverRow->addWidget(new QLabel(QStringLiteral("Port")));
    serverRow->addWidget(m_txtPort);
    auto* simLayout = new QVBoxLayout(sim);
    simLayout->addWidget(optZusi2);
    simLayout->addLayout(serverRow);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(frame);
    pageLayout->addWidget(sim);
    pageLayout->addStretch();

    auto* cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Abbrechen"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    auto* cmdApply = new QPushButton(QStringLiteral("Übernehmen"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    setMinimumWidth(440);

    connect(m_optPoll, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        m_logic.selectFullSpeed();
        m_txtMs->setEnabled(false);
    });
    connect(m_optMs, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        m_logic.selectMs();
        m_txtMs->setEnabled(true);
    });
    connect(optZusi3, &QRadioButton::toggled, this, [this](bool on) {
        m_logic.selectZusi3(on);
        m_txtHost->setEnabled(on);
        m_txtPort->setEnabled(on);
    });
    connect(m_txtHost, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_logic.setHostText(text.trimmed().toStdString()); });
    connect(m_txtPort, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_logic.setPortText(text.trimmed().toStdString()); });
    connect(m_txtMs, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_logic.setMsText(text.toStdString()); });
    // OK and Übernehmen check the field themselves; Abbrechen never checks it.
    new LeaveCheck(m_txtMs,
                   [this]() -> LeaveCheck::Check { return [this] { return m_logic.leaveMs(); }; },
                   {cmdCancel}, {cmdOK, cmdApply});

    connect(cmdApply, &QPushButton::clicked, this, [this] { runChecked(&OptionsDialog::apply); });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (runChecked(&OptionsDialog::ok))
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmOptions::runChecked(bool (OptionsDialog::*action)()) {
    if ((m_logic.*action)())
        return true;
    QLineEdit* field = m_logic.failedField() == OptionsDialog::Field::Host   ? m_txtHost
                       : m_logic.failedField() == OptionsDialog::Field::Port ? m_txtPort
                                                                             : m_txtMs;
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QScreen* s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

} // namespace kordan
