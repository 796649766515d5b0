// The main window's menu bar: each entry forwards to one of the actions.
#include "app/frmKordan.h"

#include "app/Sheet.h"
#include "app/SheetPainter.h"
#include "common/Dialogs.h"
#include "profile/ZusiProfile.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>

namespace kordan {

void frmKordan::buildMenus() {
    auto add = [this](QMenu* menu, const QString& name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    // Each entry goes to the actions, while there are any.
    auto forward = [this](QAction* a, MenuEntry entry) {
        connect(a, &QAction::triggered, this, [this, entry] {
            if (m_actions)
                m_actions->menu(entry);
        });
        return a;
    };
    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    forward(add(datei, "mnuDateiNeu", QStringLiteral("&Neu")), MenuEntry::DateiNeu);
    forward(add(datei, "mnuDateiOeffnen", QStringLiteral("&Oeffnen...")), MenuEntry::DateiOeffnen);
    forward(add(datei, "mnuDateiSpeichern", QStringLiteral("&Speichern")),
            MenuEntry::DateiSpeichern);
    forward(add(datei, "mnuDateiSaveAs", QStringLiteral("Speichern &unter...")),
            MenuEntry::DateiSaveAs);
    forward(add(datei, "mnuDateiBelegung", QStringLiteral("Belegung &drucken...")),
            MenuEntry::DateiBelegung);
    datei->addSeparator();
    connect(add(datei, "mnuSettings", QStringLiteral("E&instellungen")), &QAction::triggered, this,
            [this] {
                if (m_actions)
                    openOptionsDialog();
            });
    datei->addSeparator();
    connect(add(datei, "mnuDateiEnde", QStringLiteral("&Ende")), &QAction::triggered, this,
            [this] { close(); });

    QMenu* modus = menuBar()->addMenu(QStringLiteral("&Modus"));
    forward(add(modus, "mnuModusTest", QStringLiteral("&Hardware Test")), MenuEntry::ModusTest);
    forward(add(modus, "mnuModusAktiv", QStringLiteral("&Aktiv")), MenuEntry::ModusAktiv);
    modus->addSeparator();
    forward(add(modus, "mnuModusKalibrieren", QStringLiteral("&Kalibrieren...")),
            MenuEntry::ModusKalibrieren);

    QMenu* achsen = menuBar()->addMenu(QStringLiteral("&Achsen"));
    connect(add(achsen, "mnuAchsenKonfig", QStringLiteral("&Konfigurieren")), &QAction::triggered,
            this, [this] {
                if (m_actions)
                    openAxisEditor(0, {});
            });

    QMenu* ausgabe = menuBar()->addMenu(QStringLiteral("A&usgabe"));
    ausgabe->setObjectName("mnuAusgabe");
    m_mnuLautsprecher =
        forward(add(ausgabe, "mnuAusgabeLautsprecher", QStringLiteral("&Lautsprecher aktiv")),
                MenuEntry::AusgabeLautsprecher);
    m_mnuLautsprecher->setCheckable(true);
    ausgabe->addSeparator();
    const QString led[3] = {QStringLiteral("Anzeige &aus"),
                            QStringLiteral("Anzeige &Geschwindigkeit"),
                            QStringLiteral("Anzeige &Kilometrierung")};
    for (int i = 0; i < 3; ++i) {
        m_mnuLed[i] = add(ausgabe, QStringLiteral("mnuAusgabeLed%1").arg(i), led[i]);
        m_mnuLed[i]->setCheckable(true);
        connect(m_mnuLed[i], &QAction::triggered, this, [this, i] {
            if (m_actions)
                m_actions->ledChosen(i);
        });
    }

    ausgabe->addSeparator();
    m_mnuBefehlsprotokoll =
        forward(add(ausgabe, "mnuBefehlsprotokoll", QStringLiteral("&Befehlsprotokoll")),
                MenuEntry::Befehlsprotokoll);
    m_mnuBefehlsprotokoll->setCheckable(true);

    QMenu* lok = menuBar()->addMenu(QStringLiteral("&Lok"));
    forward(add(lok, "mnuLokEditor", QStringLiteral("&Info (Zusi Fahrzeug Editor)")),
            MenuEntry::LokEditor);
    QMenu* hilfe = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    QAction* handbuch = add(hilfe, "mnuHilfeHandbuch", QStringLiteral("&Handbuch"));
    handbuch->setShortcut(QKeySequence::HelpContents);
    connect(handbuch, &QAction::triggered, this, [this] { openHandbook(); });
    connect(add(hilfe, "mnuHilfeInfo", QStringLiteral("&Info")), &QAction::triggered, this, [this] {
        if (m_actions)
            openAboutBox();
    });
}

void frmKordan::printSheet(const ZusiProfile& profile) {
    FileChoice choice = m_services.dialogs.saveFile("PDF-Dokument (*.pdf)|*.pdf",
                                                    m_services.programDir, sheetFileName(profile));
    if (choice.result != FileChoice::Result::Chosen)
        return;
    if (!writeSheetPdf(buildSheet(profile), QString::fromStdString(choice.path)))
        m_services.dialogs.message(choice.path + " kann nicht geschrieben werden", MsgButtons::Ok,
                                   MsgIcon::Exclamation);
}

QAction* frmKordan::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

} // namespace kordan
