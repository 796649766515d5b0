#include "dialogs/frmAxis.h"

#include "device/Levers.h"
#include "dialogs/LeaveCheck.h"
#include "dialogs/ZoneBar.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kordan {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* wrapped(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QLineEdit* numberField(const QString& name) {
    auto* field = new QLineEdit(QStringLiteral("0"));
    field->setObjectName(name);
    field->setMaximumWidth(70);
    return field;
}

} // namespace

frmAxis::frmAxis(IDialogs& dialogs, std::string programDir, std::function<std::string()> axisFile,
                 std::function<void()> axisReload, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      m_editor(dialogs, std::move(programDir), *this, std::move(axisFile), std::move(axisReload)) {
    setObjectName(QStringLiteral("frmAxis"));
    setWindowTitle(QStringLiteral("Achsen konfigurieren"));
    buildMenu();

    // Left: the file and its zones.
    m_txtBezeichnung = new QLineEdit;
    m_txtBezeichnung->setObjectName(QStringLiteral("txtBezeichnung"));
    m_txtBezeichnung->setReadOnly(true);
    m_txtBezeichnung->setFocusPolicy(Qt::NoFocus);
    m_lstZone = new QListWidget;
    m_lstZone->setObjectName(QStringLiteral("lstZone"));
    m_lstZone->setMinimumWidth(200);
    auto* cmdNeu = new QPushButton(QStringLiteral("&Neue Zone"));
    cmdNeu->setObjectName(QStringLiteral("cmdNeu"));
    auto* cmdDel = new QPushButton(QStringLiteral("Zone &löschen"));
    cmdDel->setObjectName(QStringLiteral("cmdDel"));

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Achsen-Datei:")));
    left->addWidget(m_txtBezeichnung);
    left->addWidget(new QLabel(QStringLiteral("Zonen:")));
    left->addWidget(m_lstZone, 1);
    auto* zoneButtons = new QHBoxLayout;
    zoneButtons->addWidget(cmdNeu);
    zoneButtons->addWidget(cmdDel);
    left->addLayout(zoneButtons);

    // Right: the selected zone's fields.
    m_frame = new QGroupBox(QStringLiteral("Zonendaten"));
    m_frame->setObjectName(QStringLiteral("fraZone"));
    m_txtZone = new QLineEdit(QStringLiteral("<Neu>"));
    m_txtZone->setObjectName(QStringLiteral("txtZone"));
    m_txtvon = numberField(QStringLiteral("txtvon"));
    m_txtBis = numberField(QStringLiteral("txtBis"));
    m_cboFunktion = commandList(QStringLiteral("cboFunktion"), m_editor.funktionen(),
                                AxisEditor::List::Funktion);
    m_chkHold =
        new QCheckBox(QStringLiteral("Taste wird gehalten, solange Regler in der Zone steht."));
    m_chkHold->setObjectName(QStringLiteral("chkHold"));
    m_txtRepeat = numberField(QStringLiteral("txtRepeat"));
    m_cboRelease =
        commandList(QStringLiteral("cboRelease"), m_editor.funktionen(), AxisEditor::List::Release);
    m_cboRegler =
        commandList(QStringLiteral("cboRegler"), m_editor.regler(), AxisEditor::List::Regler);
    m_txtStufen = numberField(QStringLiteral("txtStufen"));

    auto* fields = new QVBoxLayout(m_frame);
    fields->addWidget(new QLabel(QStringLiteral("Bezeichnung:")));
    fields->addWidget(m_txtZone);
    fields->addWidget(new QLabel(QStringLiteral("Zonengrenzen, von /bis (max 255)")));
    auto* limits = new QHBoxLayout;
    limits->addWidget(m_txtvon);
    limits->addWidget(m_txtBis);
    limits->addStretch();
    fields->addLayout(limits);
    fields->addWidget(wrapped(QStringLiteral("Befehl beim Eintritt oder überfahren der Zone")));
    fields->addWidget(m_cboFunktion);
    fields->addWidget(m_chkHold);
    fields->addWidget(wrapped(QStringLiteral(
        "Wiederholen der Taste, solange Regler in der Zone steht, 0 = nein, Zahl = 1/10 "
        "Sekunden Wiederholrate")));
    fields->addWidget(m_txtRepeat);
    fields->addWidget(wrapped(QStringLiteral("Befehl beim Verlassen der Zone ")));
    fields->addWidget(m_cboRelease);
    fields->addWidget(wrapped(QStringLiteral("Reglerfunktion. ")));
    fields->addWidget(m_cboRegler);
    fields->addWidget(wrapped(QStringLiteral(
        "Anzahl Stufen der Regelzone. (Entspricht der Anzahl Stufen z.B. des Fahrschalters). "
        "Positive Zahl: Stufenbereich wird von unten nach oben der Zone durchgeschaltet. "
        "Negative Zahl: Stufen werden von oben nach unten durch den Zonenbereich "
        "geschaltet.")));
    fields->addWidget(m_txtStufen);
    fields->addStretch();
    m_frame->setMinimumWidth(360);

    // Below: the live lever over the zones, when the editor was opened for a lever.
    m_lblHebel = new QLabel;
    m_lblHebel->setObjectName(QStringLiteral("lblHebel"));
    m_bar = new ZoneBar(m_editor.Achse());
    m_lblHebel->hide();
    m_bar->hide();

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(m_frame, 2);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(columns, 1);
    layout->addWidget(m_lblHebel);
    layout->addWidget(m_bar);
    setCentralWidget(central);

    connect(m_lstZone, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_updating)
            m_editor.zoneClicked(row);
    });
    connect(cmdNeu, &QPushButton::clicked, this, [this] { m_editor.cmdNeu(); });
    connect(cmdDel, &QPushButton::clicked, this, [this] { m_editor.cmdDel(); });
    connect(m_txtZone, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_editor.zoneEdited(t.toStdString()); });
    connect(m_txtvon, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_editor.vonEdited(t.toStdString()); });
    connect(m_txtBis, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_editor.bisEdited(t.toStdString()); });
    connect(m_txtRepeat, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_editor.repeatEdited(t.toStdString()); });
    connect(m_txtStufen, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_editor.stufenEdited(t.toStdString()); });
    connect(m_chkHold, &QCheckBox::clicked, this,
            [this](bool checked) { m_editor.holdClicked(checked); });
    new LeaveCheck(m_txtBis, [this]() -> LeaveCheck::Check {
        const std::string von = m_txtvon->text().toStdString();
        const std::string bis = m_txtBis->text().toStdString();
        return [this, von, bis] { return m_editor.bisLeft(von, bis); };
    });

    resize(720, 560);
    m_editor.start();
}

frmAxis::~frmAxis() {
    // The fields report leaving them to the editor; they must go while it still exists,
    // not when the base class tears them down after the members.
    delete takeCentralWidget();
}

void frmAxis::buildMenu() {
    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("mnuDatei"));
    const auto add = [&](const char* name, const QString& text, auto slot) {
        QAction* a = datei->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("mnuNeu", QStringLiteral("&Neu"), [this] {
        m_editor.mnuNeu();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    add("mnuOeffnen", QStringLiteral("&Oeffnen..."), [this] {
        m_editor.mnuOeffnen();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add("mnuSpeichern", QStringLiteral("&Speichern"), [this] {
        m_editor.mnuSpeichern();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add("mnuSpeichernUnter", QStringLiteral("Speichern &unter..."),
        [this] { m_editor.mnuSpeichernUnter(); });
    datei->addSeparator();
    add("mnuEnde", QStringLiteral("&Ende"), [this] { close(); });
}

QComboBox* frmAxis::commandList(const QString& name, const CommandList& list,
                                AxisEditor::List which) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    for (const std::string& text : list.texts())
        box->addItem(qt(text));
    connect(box, &QComboBox::activated, this,
            [this, which](int index) { m_editor.listPicked(which, index); });
    connect(box->lineEdit(), &QLineEdit::textEdited, this,
            [this, which](const QString& text) { m_editor.listTyped(which, text.toStdString()); });
    // Completion can change the text without a keystroke of its own; leaving settles it.
    onFocusOut(box, [this] { m_editor.commitLists(); });
    return box;
}

void frmAxis::closeEvent(QCloseEvent* event) {
    if (m_editor.queryClose())
        event->accept();
    else
        event->ignore();
}

void frmAxis::setLiveLever(int lever) {
    m_liveLever = (lever >= 1 && lever <= 7) ? lever : 0;
    m_lblHebel->setVisible(m_liveLever != 0);
    m_bar->setVisible(m_liveLever != 0);
    updateLiveLabel();
}

void frmAxis::setLeverValue(int value) {
    m_bar->setValue(value);
    updateLiveLabel();
}

void frmAxis::updateLiveLabel() {
    if (m_liveLever == 0)
        return;
    const int v = m_bar->value();
    // The caption names the lever ("Hebel 2 (Throttle)").
    QString text = QStringLiteral("%1: %2")
                       .arg(QString::fromUtf8(kLeverCaptions[size_t(m_liveLever - 1)]))
                       .arg(v);
    const std::vector<int> zones = zonesAt(m_editor.Achse(), v);
    if (zones.empty()) {
        text += QStringLiteral(" – keine Zone");
    } else {
        for (int k : zones)
            text += QStringLiteral(" – Zone %1: %2")
                        .arg(k)
                        .arg(qt(m_editor.Achse().Zone(k).Bezeichnung));
    }
    m_lblHebel->setText(text);
}

void frmAxis::setBezeichnung(const std::string& text) {
    m_txtBezeichnung->setText(qt(text));
}

void frmAxis::setZoneList(const std::vector<std::string>& entries) {
    m_updating = true;
    m_lstZone->clear();
    for (const std::string& e : entries)
        m_lstZone->addItem(qt(e));
    m_lstZone->setCurrentRow(-1);
    m_updating = false;
}

void frmAxis::setZoneEntry(int index, const std::string& text) {
    if (QListWidgetItem* item = m_lstZone->item(index))
        item->setText(qt(text));
}

void frmAxis::selectZone(int index) {
    m_updating = true;
    m_lstZone->setCurrentRow(index);
    m_updating = false;
}

void frmAxis::setZoneFieldsEnabled(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_txtZone, m_txtvon, m_txtBis, m_cboFunktion, m_chkHold,
                                         m_txtRepeat, m_cboRelease, m_cboRegler, m_txtStufen})
        w->setEnabled(enabled);
}

void frmAxis::showZoneFields(const ZoneFields& f) {
    m_txtZone->setText(qt(f.Zone));
    m_txtvon->setText(qt(f.von));
    m_txtBis->setText(qt(f.Bis));
    m_txtRepeat->setText(qt(f.Repeat));
    m_txtStufen->setText(qt(f.Stufen));
    m_chkHold->setChecked(f.Hold);
    m_cboFunktion->setCurrentIndex(f.Funktion);
    m_cboRelease->setCurrentIndex(f.Release);
    m_cboRegler->setCurrentIndex(f.Regler);
}

std::string frmAxis::listText(ZoneList list) const {
    switch (list) {
    case ZoneList::Funktion:
        return m_cboFunktion->currentText().toStdString();
    case ZoneList::Release:
        return m_cboRelease->currentText().toStdString();
    case ZoneList::Regler:
        break;
    }
    return m_cboRegler->currentText().toStdString();
}

void frmAxis::zonesChanged() {
    if (!m_bar)
        return; // the editor starts filling before the bar exists
    m_bar->update();
    updateLiveLabel();
}

} // namespace kordan
