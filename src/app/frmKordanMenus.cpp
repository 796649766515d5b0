// The main window's menu bar: each entry forwards to one operation of the logic.
#include "app/frmKordan.h"

#include "app/KordanMain.h"
#include "app/ProfileSession.h"
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
    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    // Each entry calls one operation of the logic, while there is one.
    auto forward = [this](QAction* a, std::function<void(KordanMain&)> call) {
        connect(a, &QAction::triggered, this, [this, call] {
            if (m_logic)
                call(*m_logic);
        });
        return a;
    };
    forward(add(datei, "mnuDateiNeu", QStringLiteral("&Neu")), [](KordanMain& m) {
        if (m.profiles())
            m.profiles()->newProfile();
    });
    forward(add(datei, "mnuDateiOeffnen", QStringLiteral("&Oeffnen...")), [](KordanMain& m) {
        if (m.profiles())
            m.profiles()->open();
    });
    forward(add(datei, "mnuDateiSpeichern", QStringLiteral("&Speichern")), [](KordanMain& m) {
        if (m.profiles())
            m.profiles()->save();
    });
    forward(add(datei, "mnuDateiSaveAs", QStringLiteral("Speichern &unter...")),
            [](KordanMain& m) { m.mnuDateiSaveAs(); });
    forward(add(datei, "mnuDateiBelegung", QStringLiteral("Belegung &drucken...")),
            [this](KordanMain&) { printSheet(); });
    datei->addSeparator();
    forward(add(datei, "mnuSettings", QStringLiteral("E&instellungen")),
            [this](KordanMain&) { openOptionsDialog(); });
    datei->addSeparator();
    connect(add(datei, "mnuDateiEnde", QStringLiteral("&Ende")), &QAction::triggered, this,
            [this] { close(); });

    QMenu* modus = menuBar()->addMenu(QStringLiteral("&Modus"));
    connect(add(modus, "mnuModusTest", QStringLiteral("&Hardware Test")), &QAction::triggered, this,
            [this] {
                if (m_logic)
                    m_logic->mnuModusTest();
            });
    connect(add(modus, "mnuModusAktiv", QStringLiteral("&Aktiv")), &QAction::triggered, this,
            [this] {
                if (m_logic)
                    m_logic->mnuModusAktiv();
            });
    modus->addSeparator();
    connect(add(modus, "mnuModusKalibrieren", QStringLiteral("&Kalibrieren...")),
            &QAction::triggered, this, [this] {
                if (m_logic)
                    m_logic->mnuModusKalibrieren();
            });

    QMenu* achsen = menuBar()->addMenu(QStringLiteral("&Achsen"));
    forward(add(achsen, "mnuAchsenKonfig", QStringLiteral("&Konfigurieren")),
            [this](KordanMain&) { openAxisEditor(0); });

    QMenu* ausgabe = menuBar()->addMenu(QStringLiteral("A&usgabe"));
    ausgabe->setObjectName("mnuAusgabe");
    m_mnuLautsprecher =
        add(ausgabe, "mnuAusgabeLautsprecher", QStringLiteral("&Lautsprecher aktiv"));
    m_mnuLautsprecher->setCheckable(true);
    connect(m_mnuLautsprecher, &QAction::triggered, this, [this] {
        if (m_logic)
            m_logic->mnuAusgabeLautsprecher();
    });
    ausgabe->addSeparator();
    const QString led[3] = {QStringLiteral("Anzeige &aus"),
                            QStringLiteral("Anzeige &Geschwindigkeit"),
                            QStringLiteral("Anzeige &Kilometrierung")};
    for (int i = 0; i < 3; ++i) {
        m_mnuLed[i] = add(ausgabe, QStringLiteral("mnuAusgabeLed%1").arg(i), led[i]);
        m_mnuLed[i]->setCheckable(true);
        connect(m_mnuLed[i], &QAction::triggered, this, [this, i] {
            if (m_logic)
                m_logic->mnuAusgabeLed(i);
        });
    }

    ausgabe->addSeparator();
    m_mnuBefehlsprotokoll =
        add(ausgabe, "mnuBefehlsprotokoll", QStringLiteral("&Befehlsprotokoll"));
    m_mnuBefehlsprotokoll->setCheckable(true);
    connect(m_mnuBefehlsprotokoll, &QAction::triggered, this, [this] {
        if (m_logic)
            m_logic->mnuBefehlsprotokoll();
    });

    QMenu* lok = menuBar()->addMenu(QStringLiteral("&Lok"));
    forward(add(lok, "mnuLokEditor", QStringLiteral("&Info (Zusi Fahrzeug Editor)")),
            [](KordanMain& m) { m.mnuLokEditor(); });
    QMenu* hilfe = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    QAction* handbuch = add(hilfe, "mnuHilfeHandbuch", QStringLiteral("&Handbuch"));
    handbuch->setShortcut(QKeySequence::HelpContents);
    connect(handbuch, &QAction::triggered, this, [this] { openHandbook(); });
    forward(add(hilfe, "mnuHilfeInfo", QStringLiteral("&Info")),
            [this](KordanMain&) { openAboutBox(); });
}

void frmKordan::printSheet() {
    if (!m_logic || !m_logic->Profil())
        return;
    const ZusiProfile& profile = *m_logic->Profil();
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
