#include "dialogs/frmKnopf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kordan {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

frmKnopf::frmKnopf(ZusiButton& knopf, int16_t element, IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_logic(knopf, element, dialogs) {
    setObjectName(QStringLiteral("frmKnopf"));
    setWindowTitle(qt(m_logic.title()));
    setModal(true);

    m_txtBezeichnung = new QLineEdit(qt(m_logic.Bezeichnung));
    m_txtBezeichnung->setObjectName(QStringLiteral("txtBezeichnung"));
    m_cboFunktion = commandList(QStringLiteral("cboFunktion"), m_logic.Funktion);
    m_chkHalten = new QCheckBox(QStringLiteral("Taste halten solange Knopf gedrückt."));
    m_chkHalten->setObjectName(QStringLiteral("chkHalten"));
    m_chkHalten->setChecked(m_logic.Halten);
    m_txtRepeat = new QLineEdit(qt(m_logic.Repeat));
    m_txtRepeat->setObjectName(QStringLiteral("txtRepeat"));
    m_txtRepeat->setMaximumWidth(80);
    m_cboLos = commandList(QStringLiteral("cboLos"), m_logic.Los);
    m_chkShift = new QCheckBox(
        QStringLiteral("Shift (Knopf gedrückt bedeutet, dass alle anderen Knöpfe auf die 2. Ebene "
                       "geschaltet werden!"));
    m_chkShift->setObjectName(QStringLiteral("chkShift"));
    m_chkShift->setChecked(m_logic.Shift);
    m_cboFunktion2 = commandList(QStringLiteral("cboFunktion2"), m_logic.Funktion2);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& label, QWidget* field) {
        auto* l = new QLabel(label);
        l->setBuddy(field);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1, Qt::AlignLeft);
        ++row;
    };
    addRow(QStringLiteral("Bezeichnung:"), m_txtBezeichnung);
    addRow(QStringLiteral("Funktion wenn Taste gedückt wird:"), m_cboFunktion);
    grid->addWidget(m_chkHalten, row++, 1);
    addRow(QStringLiteral("Autorepeat 1/10 Sekunden (0=Kein):"), m_txtRepeat);
    addRow(QStringLiteral("Funktion wenn Taste losgelassen wird:"), m_cboLos);

    auto* ebene = new QHBoxLayout;
    auto* ebeneLabel = new QLabel(QStringLiteral("2. Ebene"));
    QFont bold = ebeneLabel->font();
    bold.setBold(true);
    ebeneLabel->setFont(bold);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    ebene->addWidget(ebeneLabel);
    ebene->addWidget(line, 1);
    grid->addLayout(ebene, row++, 0, 1, 2);
    grid->addWidget(m_chkShift, row++, 0, 1, 2);
    addRow(QStringLiteral("Funktion wenn Taste gedückt wird:"), m_cboFunktion2);
    m_txtBezeichnung->setMinimumWidth(m_cboFunktion->sizeHint().width());
    // After the list has taken the change: the new command's text may become the name.
    const auto offerName = [this] {
        m_logic.Bezeichnung = m_txtBezeichnung->text().toStdString();
        if (m_logic.offerBezeichnung())
            m_txtBezeichnung->setText(qt(m_logic.Bezeichnung));
    };
    connect(m_cboFunktion, &QComboBox::activated, this, offerName);
    connect(m_cboFunktion->lineEdit(), &QLineEdit::textEdited, this, offerName);

    auto* okButton = new QPushButton(QStringLiteral("OK"));
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Abbrechen"));
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    cancelButton->setAutoDefault(false);
    auto* cmdDel = new QPushButton(QStringLiteral("&Löschen"));
    cmdDel->setObjectName(QStringLiteral("cmdDel"));
    cmdDel->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, &frmKnopf::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdDel, &QPushButton::clicked, this, [this] {
        m_logic.loeschen();
        accept();
    });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(cmdDel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
}

QComboBox* frmKnopf::commandList(const QString& name, CommandChoice& choice) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    // Typed text may name an entry; it must never become one.
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    for (const std::string& text : m_logic.commands().texts())
        box->addItem(qt(text));
    box->setCurrentIndex(choice.index());
    connect(box, &QComboBox::activated, this, [&choice](int index) { choice.pick(index); });
    connect(box->lineEdit(), &QLineEdit::textEdited, this,
            [&choice](const QString& text) { choice.type(text.toStdString()); });
    return box;
}

void frmKnopf::okClicked() {
    m_logic.Bezeichnung = m_txtBezeichnung->text().toStdString();
    m_logic.Halten = m_chkHalten->isChecked();
    m_logic.Shift = m_chkShift->isChecked();
    m_logic.Repeat = m_txtRepeat->text().toStdString();
    // Completion may have changed a list's text without a keystroke of its own.
    m_logic.Funktion.type(m_cboFunktion->currentText().toStdString());
    m_logic.Los.type(m_cboLos->currentText().toStdString());
    m_logic.Funktion2.type(m_cboFunktion2->currentText().toStdString());

    const auto rejected = m_logic.ok();
    if (!rejected) {
        accept();
        return;
    }
    QWidget* field = nullptr;
    switch (*rejected) {
    case KnopfDialog::Field::txtBezeichnung:
        field = m_txtBezeichnung;
        break;
    case KnopfDialog::Field::cboFunktion:
        field = m_cboFunktion;
        break;
    case KnopfDialog::Field::txtRepeat:
        field = m_txtRepeat;
        break;
    case KnopfDialog::Field::cboLos:
        field = m_cboLos;
        break;
    case KnopfDialog::Field::cboFunktion2:
        field = m_cboFunktion2;
        break;
    }
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace kordan
