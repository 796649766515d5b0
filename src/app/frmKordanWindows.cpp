// The windows the main window opens: the button, lever action and options dialogs, the axis
// editor, the About box and the calibration wizard.
#include "app/frmKordan.h"

#include "app/DiagnosticsWindow.h"
#include "common/Dialogs.h"
#include "dialogs/frmAktion.h"
#include "dialogs/frmAxis.h"
#include "dialogs/frmKnopf.h"
#include "dialogs/frmOptions.h"
#include "profile/ZusiProfile.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>

namespace kordan {

// The modal dialogs run their own event loop, so the polling loop stands still meanwhile.
void frmKordan::openButtonDialog(ZusiButton& button, int16_t element) {
    frmKnopf dialog(button, element, m_services.dialogs, this);
    dialog.exec();
}

void frmKordan::openLeverActionDialog(int16_t element, int32_t& aktion) {
    frmAktion dialog(element, aktion, this);
    dialog.exec();
}

void frmKordan::openAxisEditor(int lever, const std::string& file) {
    // Only one editor exists; asking again brings it to the front as it is.
    if (!m_axisEditor) {
        m_axisEditor = new frmAxis(
            m_services.dialogs, m_services.programDir, [file] { return file; },
            [this] {
                if (m_actions)
                    m_actions->axisSaved();
            },
            this);
        m_axisEditor->setAttribute(Qt::WA_DeleteOnClose);
        m_axisEditor->setLiveLever(lever);
        m_axisEditorLever = lever;
    }
    m_axisEditor->show();
    m_axisEditor->raise();
    m_axisEditor->activateWindow();
}

void frmKordan::openOptionsDialog() {
    frmOptions dialog(m_services.settings, m_services.dialogs, this);
    dialog.exec();
    if (m_actions)
        m_actions->menu(MenuEntry::OptionsClosed);
}

void frmKordan::openHandbook(const QString& section) {
    QFile file(QString::fromStdString(m_handbook));
    if (m_handbook.empty() || !file.open(QIODevice::ReadOnly)) {
        m_services.dialogs.message("Das Handbuch (Handbuch.md) wurde nicht gefunden.",
                                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (!m_handbookWindow) {
        auto* window = new QTextBrowser(this);
        window->setObjectName("frmHandbuch");
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Handbuch - Kordan für Zusi"));
        window->setOpenExternalLinks(true);
        window->setMarkdown(QString::fromUtf8(file.readAll()));
        window->resize(780, 680);
        m_handbookWindow = window;
    }
    auto* browser = static_cast<QTextBrowser*>(m_handbookWindow.data());
    browser->show();
    browser->raise();
    browser->activateWindow();
    if (section.isEmpty())
        return;
    // Headings carry no anchors of their own: the first heading holding the word.
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() > 0 && b.text().contains(section)) {
            browser->setTextCursor(QTextCursor(b));
            // To the top of the window, not just somewhere into view.
            browser->verticalScrollBar()->setValue(browser->verticalScrollBar()->maximum());
            browser->ensureCursorVisible();
            return;
        }
    }
}

QWidget* frmKordan::axisEditor() const {
    return m_axisEditor;
}
void frmKordan::openAboutBox() {
    if (!m_about) {
        auto* box = new QMessageBox(this);
        box->setWindowTitle(QStringLiteral("Info"));
        box->setIconPixmap(windowIcon().pixmap(48, 48));
        box->setText(QStringLiteral("<b>Kordan für Zusi</b><br>Version %1")
                         .arg(QStringLiteral(KORDAN_VERSION)));
        box->setInformativeText(
            QStringLiteral("Bedienung des Zugsimulators Zusi mit einem Fahrpult am USB-Anschluss: "
                           "Hebel, Tasten, Anzeige und Lautsprecher."));
        box->setStandardButtons(QMessageBox::Ok);
        if (m_diagnostics) {
            auto* info = box->addButton(QStringLiteral("&System-Info..."), QMessageBox::ActionRole);
            info->setObjectName("cmdSystemInfo");
            // Without its own connection only, the button would close the box as well.
            info->disconnect();
            connect(info, &QPushButton::clicked, this, [this] {
                auto* window = new DiagnosticsWindow(QString::fromStdString(m_diagnostics()), this);
                window->setAttribute(Qt::WA_DeleteOnClose);
                window->show();
            });
        }
        box->setModal(false);
        box->setAttribute(Qt::WA_DeleteOnClose);
        m_about = box;
    }
    m_about->show();
    m_about->raise();
}
void frmKordan::showLeverPositions(const std::array<int, 7>& values) {
    if (m_axisEditor && m_axisEditorLever >= 1 && m_axisEditorLever <= 7)
        m_axisEditor->setLeverValue(values[m_axisEditorLever - 1]);
}

void frmKordan::showCalibrationWizard() {
    if (!m_wizard && m_wizardFactory) {
        m_wizard = m_wizardFactory(this);
        if (m_wizard)
            m_wizard->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (m_wizard) {
        m_wizard->show();
        m_wizard->raise();
        m_wizard->activateWindow();
    }
}

bool frmKordan::calibrationWizardVisible() const {
    return m_wizard && m_wizard->isVisible();
}

void frmKordan::passToCalibrationWizard(const LeverBytes& rawLevers) {
    if (m_wizard && m_wizardFeed)
        m_wizardFeed(m_wizard, rawLevers);
}

} // namespace kordan
