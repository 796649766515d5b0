#include "app/frmKordan.h"

#include "app/KordanMain.h"
#include "app/ProfileSession.h"
#include "app/QtDialogs.h"
#include "app/QtPlatform.h"
#include "calibration/ZusiKalibrierung.h"
#include "device/VirtualController.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <unistd.h>

using namespace kordan;
using namespace kordan::test;

namespace {

struct WindowRig {
    TempDir dir;
    VirtualController hid, second;
    CombinedPieHid bus{{&hid, &second}};
    FakeSettings settings;
    FakeClock clock;
    FakeEventPump events;
    FakeDialogs dialogs;
    FakeSimWindow simWindow;
    FakeRegistry registry;
    RecordingStarter starter;
    ZusiKalibrierung calibration{dialogs};
    frmKordan window{{dialogs, settings, dir.path()}};
    KordanMain main{{bus, settings, clock, events, dialogs, simWindow, registry, starter,
                     [](const std::string&) { return std::string(); }, dir.path(), calibration},
                    window};
    WindowRig() {
        settings.values["Modus"] = "Test";
        second.setPlugged(false);
        window.setActions(&main.actions());
    }
    ~WindowRig() { window.setActions(nullptr); }
};

} // namespace

TEST(frmKordan, ShowsTheControllerLiveAndPassesMenusAndDoubleClicksToTheLogic) {
    WindowRig rig;
    rig.hid.setLever(2, 255);
    rig.hid.setButton(3, true);
    rig.main.startUp();
    rig.window.show();
    rig.main.loopPass();
    EXPECT_EQ(rig.window.modeLabel()->text(), "Hardware - Test / Konfiguratrion");
    EXPECT_EQ(rig.window.leverField(1)->text(), "255");
    EXPECT_EQ(rig.window.buttonField(2)->palette().color(QPalette::Base), QColor(0, 255, 0));
    rig.window.action("mnuBefehlsprotokoll")->trigger();
    rig.window.appendCommandLog("0.1 s  28 Pfeife: Down");
    rig.window.findChild<QPushButton*>("cmdProtokollLeeren")->click();
    EXPECT_TRUE(rig.window.commandLogDock()->isVisible());
    EXPECT_TRUE(rig.window.commandLog()->toPlainText().isEmpty());
    // The About box's System-Info opens beside it; its text can be copied whole.
    rig.window.setDiagnostics([] { return std::string("Kordan für Zusi 1.0.2\nQt"); });
    rig.window.action("mnuHilfeInfo")->trigger();
    rig.window.findChild<QPushButton*>("cmdSystemInfo")->click();
    rig.window.findChild<QPushButton*>("cmdKopieren")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Kordan für Zusi 1.0.2\nQt"));
    EXPECT_TRUE(rig.window.findChild<QWidget*>("cmdSystemInfo")->isVisible())
        << "the About box stays open";
    // The sheet goes where the user says; a file that cannot be written is reported.
    for (auto name : {"b.pdf", "fehlt/b.pdf"}) {
        rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file(name)));
        rig.window.action("mnuDateiBelegung")->trigger();
    }
    QFile pdf(QString::fromStdString(rig.dir.file("b.pdf")));
    EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.read(5), "%PDF-");
    EXPECT_EQ(rig.dialogs.fileRequests.at(0).offeredName, "Belegung.pdf");
    EXPECT_EQ(rig.dialogs.texts().back(),
              rig.dir.file("fehlt/b.pdf") + " kann nicht geschrieben werden");
    // The dialogs are modal: close each one as soon as it is shown.
    QString title;
    auto closeDialog = [&] {
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                title = w->windowTitle();
                w->close();
            }
        });
    };
    closeDialog();
    QTest::mouseDClick(rig.window.buttonField(6), Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Knopf 7 konfigurieren"));
    EXPECT_FALSE(rig.main.profiles()->changed()) << "closed without OK";
    closeDialog();
    QTest::mouseDClick(rig.window.leverField(2), Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Hebel 3 konfigurieren"));
    // Only one axis editor: asking again, as the lever action "edit" does, brings it forward.
    rig.window.action("mnuAchsenKonfig")->trigger();
    QWidget* editor = rig.window.axisEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    rig.window.openAxisEditor(2, {});
    EXPECT_EQ(rig.window.axisEditor(), editor);
    // Unsaved zones: Abbrechen keeps the editor and the program running; Nein ends both.
    editor->findChild<QPushButton*>("cmdNeu")->click();
    rig.dialogs.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_FALSE(rig.window.close());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(rig.main.loopPass());
    EXPECT_TRUE(rig.window.close());
    EXPECT_FALSE(rig.main.loopPass());
}

TEST(frmKordan, EscapeInTheButtonDialogKeepsTheAssignmentAndTheProfileUnmarked) {
    WindowRig rig;
    ProfileFile file;
    file.buttons[6] = ProfileFile::Button{"Sand", 35, 0, 0, 0, 0, 0};
    rig.dir.write("p.cfr", profileFileBytes(file));
    rig.main.startUp();
    rig.window.show();
    ASSERT_TRUE(rig.main.profiles()->loadByName("p.cfr"));
    EXPECT_EQ(rig.window.buttonField(6)->text(), QStringLiteral("7"));
    EXPECT_TRUE(rig.window.buttonField(6)->property("assigned").toBool());
    // Does `what` in the button dialog of button 7 as soon as it is open.
    auto inDialog = [&](std::function<void(QWidget*)> what) {
        QTimer::singleShot(0, [=] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                what(dialog);
        });
        QTest::mouseDClick(rig.window.buttonField(6), Qt::LeftButton);
    };
    inDialog([](QWidget* dialog) {
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible()) << "Escape closes it";
        dialog->close(); // should it not have
    });
    EXPECT_EQ(rig.main.profiles()->profile().buttons(7).Press, 35);
    EXPECT_FALSE(rig.main.profiles()->changed());
    // "&Löschen" is still at hand, on its button and Alt+L.
    inDialog([](QWidget* dialog) {
        auto* del = dialog->findChild<QPushButton*>("cmdDel");
        EXPECT_EQ(del->shortcut(), QKeySequence(QStringLiteral("Alt+L")));
        del->click();
    });
    EXPECT_FALSE(rig.main.profiles()->profile().buttons(7).Defined);
    EXPECT_TRUE(rig.main.profiles()->changed());
}

// The load modes' "siehe Doku" opens the handbook at its part on them.
TEST(frmKordan, TheLoadModesLinkOpensTheHandbookThere) {
    WindowRig rig;
    rig.window.setHandbook(KORDAN_SOURCE_DIR "/docs/Handbuch.md");
    emit rig.window.findChild<QLabel*>("lblDoku")->linkActivated(QStringLiteral("Lademodi"));
    auto* book = rig.window.findChild<QTextBrowser*>("frmHandbuch");
    ASSERT_NE(book, nullptr);
    EXPECT_TRUE(book->isVisible());
    EXPECT_TRUE(book->textCursor().block().text().contains(QStringLiteral("Lademodi")));
}

TEST(frmKordan, KeysChooseControllersTheHighlightShowsTheOneInUseAndTheTitleMarksChanges) {
    WindowRig rig;
    rig.second.setPlugged(true);
    rig.main.startUp();
    rig.window.show();
    QListWidget* list = rig.window.deviceList();
    ASSERT_EQ(list->count(), 2);
    QTest::keyClick(list, Qt::Key_Down); // the highlight's move opens the controller
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_TRUE(rig.second.isOpen());
    EXPECT_FALSE(rig.hid.isOpen());
    QTest::keyClick(list, Qt::Key_Up);
    rig.hid.CloseInterface(VirtualController::kHandle);
    QTest::keyClick(list, Qt::Key_Return); // chooses the highlighted one again, as a click
    EXPECT_TRUE(rig.hid.isOpen());
    list->setCurrentRow(1); // not by a key: nothing is chosen
    EXPECT_FALSE(rig.second.isOpen());
    // The title names the profile and marks unsaved changes; a note in the status bar goes
    // and leaves the connection shown.
    rig.window.setProfilText("BR 111_1");
    rig.main.profiles()->setChanged(true);
    EXPECT_EQ(std::tuple(rig.window.windowTitle(), rig.window.isWindowModified()),
              std::tuple(QStringLiteral("BR 111_1[*] - Kordan für Zusi"), true));
    rig.window.setConnectionStatus("Kordan getrennt");
    rig.window.showStatusMessage("Profil gespeichert: BR 111_1.cfr");
    EXPECT_EQ(rig.window.statusBar()->currentMessage(), "Profil gespeichert: BR 111_1.cfr");
    rig.window.statusBar()->clearMessage(); // as its time runs out
    EXPECT_EQ(rig.window.statusBar()->currentMessage(), "Kordan getrennt");
    // To the front: a minimised window comes back as it was, here maximised.
    rig.window.showMaximized();
    rig.window.showMinimized();
    rig.window.bringToFront();
    EXPECT_FALSE(rig.window.isMinimized());
    EXPECT_TRUE(rig.window.isMaximized());
}

TEST(QtDialogs, QtsOwnButtonsSpeakGerman) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
        GTEST_SKIP() << "Qt's German translation is not installed (qt6-translations-l10n)";
    ASSERT_TRUE(loadQtGerman());
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), "&Ja");
}

TEST(QtDialogs, ANameTypedWithoutExtensionGetsTheChosenFiltersOne) {
    TempDir dir;
    QtDialogs dialogs;
    for (auto [filter, saved] : {std::pair{0, "SifaTest.axr"}, {1, "SifaTest"}}) {
        QTimer::singleShot(0, [filter] {
            auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            box->selectNameFilter(box->nameFilters().at(filter));
            emit box->filterSelected(box->selectedNameFilter());
            box->selectFile(QStringLiteral("SifaTest"));
            QMetaObject::invokeMethod(box, "accept");
        });
        EXPECT_EQ(dialogs.saveFile("(*.axr)|*.axr|(*.*)|*.*", dir.path(), "").path,
                  dir.file(saved));
    }
}

// The loop's wait watches a controller's node: something to read ends the wait at once, and
// a node that has gone is no longer watched (it would wake the loop on and on).
TEST(QtClock, AWatchedDescriptorEndsTheWaitAndAGoneOneIsLeftAlone) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    int calls = 0;
    auto watch = QtClock::watch(fds[0], [&] {
        ++calls;
        char scratch[16];
        return ::read(fds[0], scratch, sizeof scratch) > 0;
    });
    QtClock loop;
    ASSERT_EQ(::write(fds[1], "r", 1), 1);
    loop.waitForEvents(10000);
    EXPECT_EQ(calls, 1) << "the report is told";
    ::close(fds[1]);
    loop.waitForEvents(10000);
    EXPECT_EQ(calls, 2) << "the end is told";
    loop.waitForEvents(50);
    EXPECT_EQ(calls, 2) << "and then left alone";
    watch.reset();
    ::close(fds[0]);
}
