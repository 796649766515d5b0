#include "calibration/frmKalib.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kordan {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The wizard's texts break lines with CR LF; a label wants plain line feeds.
QString multiLine(const std::string& text) {
    return fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QLineEdit* valueField(const QString& name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setReadOnly(true); // the values only display; the slider sets the hysteresis
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(60);
    return field;
}

} // namespace

frmKalib::frmKalib(ZusiKalibrierung& kalib, IDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_wizard(kalib, dialogs, *this) {
    setObjectName(QStringLiteral("frmKalib"));
    setWindowTitle(QStringLiteral("Hebel / Schalter kalibrieren"));

    auto* grid = new QGridLayout;
    auto* label2 = new QLabel(QStringLiteral("Rohwert"));
    label2->setObjectName(QStringLiteral("Label2"));
    m_lblKorr = new QLabel(QStringLiteral("Korrigiert"));
    m_lblKorr->setObjectName(QStringLiteral("lblKorr"));
    m_lblEinstellung = new QLabel(QStringLiteral("Einstellung"));
    m_lblEinstellung->setObjectName(QStringLiteral("lblEinstellung"));
    grid->addWidget(label2, 0, 1);
    grid->addWidget(m_lblKorr, 0, 2);
    grid->addWidget(m_lblEinstellung, 0, 3);

    for (int k = 0; k < kRows; ++k) {
        const QString index = QString::number(k);
        m_lblHebel[k] = new QLabel(QString::fromUtf8(kLeverCaptions[size_t(k)]));
        m_lblHebel[k]->setObjectName(QStringLiteral("lblHebel") + index);
        m_txtRohwert[k] = valueField(QStringLiteral("txtRohwert") + index);
        m_txtKorr[k] = valueField(QStringLiteral("txtKorr") + index);
        m_txtHebel[k] = valueField(QStringLiteral("txtHebel") + index);

        // A scroll bar keeps 0 at the top, so "up" raises the hysteresis (100 - position).
        auto* bar = new QScrollBar(Qt::Vertical);
        bar->setObjectName(QStringLiteral("vscroll") + index);
        bar->setRange(0, 100);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setFixedHeight(m_txtHebel[k]->sizeHint().height());
        connect(bar, &QScrollBar::valueChanged, this,
                [this, k](int position) { m_wizard.sliderChanged(k, position); });
        m_vscroll[k] = bar;

        grid->addWidget(m_lblHebel[k], k + 1, 0);
        grid->addWidget(m_txtRohwert[k], k + 1, 1);
        grid->addWidget(m_txtKorr[k], k + 1, 2);
        grid->addWidget(m_txtHebel[k], k + 1, 3);
        grid->addWidget(bar, k + 1, 4);
    }

    // Keeps the raw values beside the names once the other columns are hidden.
    grid->setColumnStretch(5, 1);

    m_lblAction = new QLabel;
    m_lblAction->setObjectName(QStringLiteral("lblAction"));
    m_lblAction->setTextFormat(Qt::PlainText);
    m_lblAction->setWordWrap(true);
    m_lblAction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblAction->setMinimumSize(480, 150);
    QFont actionFont = m_lblAction->font();
    actionFont.setPointSize(actionFont.pointSize() + 2);
    m_lblAction->setFont(actionFont);

    m_lblWarten = new QLabel(QStringLiteral("Kalibrierung läuft, bitte warten..."));
    m_lblWarten->setObjectName(QStringLiteral("lblWarten"));
    QFont wartenFont = m_lblWarten->font();
    wartenFont.setPointSize(24);
    m_lblWarten->setFont(wartenFont);
    m_lblWarten->setWordWrap(true);
    m_lblWarten->setAlignment(Qt::AlignCenter);
    m_lblWarten->hide();

    m_cmdWeiter = new QPushButton(QStringLiteral("&Weiter"));
    m_cmdWeiter->setObjectName(QStringLiteral("cmdWeiter"));
    connect(m_cmdWeiter, &QPushButton::clicked, this, [this] { m_wizard.cmdWeiterClicked(); });

    m_timer.setObjectName(QStringLiteral("Timer"));
    m_timer.setParent(this);
    m_timer.setSingleShot(true);
    m_timer.setInterval(KalibWizard::kSamplingMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_wizard.timerTick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdWeiter);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_lblAction, 1);
    layout->addWidget(m_lblWarten, 1);
    layout->addLayout(buttons);

    m_wizard.start();
}

void frmKalib::ZeigeDaten(const LeverBytes& levers) {
    m_wizard.ZeigeDaten(levers);
}

void frmKalib::closeEvent(QCloseEvent* event) {
    m_wizard.windowClosed();
    QWidget::closeEvent(event);
}

void frmKalib::setTitle(const std::string& title) {
    setWindowTitle(fromUtf8(title));
}

void frmKalib::setAction(const std::string& text) {
    m_lblAction->setText(multiLine(text));
}

void frmKalib::setActionVisible(bool visible) {
    m_lblAction->setVisible(visible);
}

void frmKalib::setWartenVisible(bool visible) {
    m_lblWarten->setVisible(visible);
}

void frmKalib::setSettingColumnsVisible(bool visible) {
    for (int k = 0; k < kRows; ++k) {
        m_vscroll[k]->setVisible(visible);
        m_txtHebel[k]->setVisible(visible);
        m_txtKorr[k]->setVisible(visible);
    }
    m_lblKorr->setVisible(visible);
    m_lblEinstellung->setVisible(visible);
}

void frmKalib::setRohwert(int row, int value) {
    m_txtRohwert[row]->setText(QString::number(value));
}

void frmKalib::setKorr(int row, int value) {
    m_txtKorr[row]->setText(QString::number(value));
}

void frmKalib::setHebel(int row, int value) {
    m_txtHebel[row]->setText(QString::number(value));
}

void frmKalib::setSlider(int row, int position) {
    const QSignalBlocker block(m_vscroll[row]);
    m_vscroll[row]->setValue(position);
}

void frmKalib::setWeiterEnabled(bool enabled) {
    m_cmdWeiter->setEnabled(enabled);
}

void frmKalib::setWeiterCaption(const std::string& caption) {
    m_cmdWeiter->setText(fromUtf8(caption));
}

void frmKalib::startSamplingTimer() {
    m_timer.start();
}

void frmKalib::stopSamplingTimer() {
    m_timer.stop();
}

void frmKalib::closeWindow() {
    close();
}

} // namespace kordan
