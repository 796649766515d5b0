#include "dialogs/frmAxis.h"

#include "common/NumberText.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"
#include "send/ZusiSendKonstanten.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::TempDir;
namespace K = kordan::ZusiSendKonstanten;

namespace {

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

struct Rig {
    TempDir dir;
    FakeDialogs dialogs;
    std::string pending;
    int reloads = 0;
    QPointer<frmAxis> window;

    explicit Rig(std::string pendingName = {}, std::string bytes = {}) {
        if (!pendingName.empty()) {
            dir.write(pendingName, bytes);
            pending = pendingName;
        }
        window = new frmAxis(
            dialogs, dir.path(), [this] { return std::exchange(pending, std::string()); },
            [this] { ++reloads; });
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    ~Rig() { delete window.data(); }

    template <typename T> T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QListWidget* list() { return child<QListWidget>("lstZone"); }
    QStringList entries() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    void type(const char* field, const QString& text) {
        auto* f = child<QLineEdit>(field);
        f->setFocus();
        f->selectAll();
        QTest::keyClicks(f, text);
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
};

std::string threeZones() {
    std::string s = "1.0\r\n[Zones]\r\n 3 \r\n";
    const auto zone = [&](const char* name, std::initializer_list<int> v) {
        s += std::string(name) + "\r\n";
        for (int x : v)
            s += formatFileNumber(x) + "\r\n";
    };
    zone("Aus", {0, 40, K::Pfeife, 0, 0, 0, 0, 0});
    zone("Mitte", {41, 100, K::SiFa, 1, 5, K::RegelbereichFahrschalter, 8, K::Glocke});
    zone("Voll", {101, 255, K::Licht, 0, 2, 0, -3, K::Tueren});
    return s;
}

} // namespace

TEST(frmAxis, TypingWritesThroughAndTxtBisIsCheckedOnLeaving) {
    Rig rig;
    EXPECT_EQ(rig.window->windowTitle(), QStringLiteral("Achsen konfigurieren"));
    EXPECT_TRUE(rig.child<QLineEdit>("txtBezeichnung")->isReadOnly());
    EXPECT_FALSE(rig.child<QComboBox>("cboRelease")->isEnabled());
    EXPECT_FALSE(rig.child<QWidget>("barHebel")->isVisible());
    rig.child<QPushButton>("cmdNeu")->click();
    EXPECT_EQ(rig.list()->currentRow(), 0);
    EXPECT_TRUE(rig.child<QComboBox>("cboRelease")->isEnabled());
    rig.type("txtZone", QStringLiteral("Aus"));
    rig.type("txtBis", QStringLiteral("300"));
    EXPECT_EQ(rig.entries(), QStringList{QStringLiteral("0;300; Aus")});
    QTest::keyClick(rig.child<QLineEdit>("txtBis"), Qt::Key_Tab);
    settle();
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Maximal 255 möglich!"});
    EXPECT_EQ(QApplication::focusWidget(), rig.child<QLineEdit>("txtBis"));
    EXPECT_EQ(rig.window->editor().Achse().Zone(0).Ende, 300); // the typed number stays

    // Still 300 when leaving for another field: the same message again.
    rig.type("txtBis", QStringLiteral("20"));
    rig.type("txtvon", QStringLiteral("20"));
    settle();
    EXPECT_EQ(rig.dialogs.texts().size(), 1u);
    rig.dialogs.messages.clear();
    rig.type("txtBis", QStringLiteral("20"));
    QTest::keyClick(rig.child<QLineEdit>("txtBis"), Qt::Key_Tab);
    settle();
    EXPECT_EQ(rig.dialogs.texts(),
              std::vector<std::string>{"Achtung, Bereich bis muss grösser sein, als Bereich von!"});
    EXPECT_NE(QApplication::focusWidget(), rig.child<QLineEdit>("txtBis"));
    EXPECT_EQ(rig.entries(), QStringList{QStringLiteral("20;20; Aus")});
}

TEST(frmAxis, ReleaseChosenWhileFocusedIsSaved) {
    Rig rig("Lok.axr", threeZones());
    rig.list()->setCurrentRow(0);
    auto* release = rig.child<QComboBox>("cboRelease");
    release->setFocus();
    // Selected without any signal of a user's choice, as completion may do.
    release->setCurrentIndex(rig.window->editor().funktionen().indexOf(K::Glocke));
    ASSERT_EQ(QApplication::focusWidget(), release);
    rig.trigger("mnuSpeichern");
    EXPECT_NE(rig.dir.read("Lok.axr").find("Aus\r\n 0 \r\n 40 \r\n 28 \r\n 0 \r\n 0 \r\n 0 \r\n "
                                           "0 \r\n 38 \r\n"),
              std::string::npos);
    EXPECT_FALSE(rig.window->editor().geaendert());
}

TEST(frmAxis, ClosingAfterAnEditAsks) {
    Rig rig("Lok.axr", threeZones());
    rig.list()->setCurrentRow(0);
    rig.child<QCheckBox>("chkHold")->click();
    rig.dialogs.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(rig.window->close());
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Aenderungen speichern?"});
    EXPECT_TRUE(rig.window);
    rig.dialogs.answers = {MsgAnswer::No};
    rig.trigger("mnuEnde");
    settle();
    EXPECT_FALSE(rig.window); // deleted on close
    EXPECT_EQ(rig.reloads, 0);
}

TEST(frmAxis, LiveLeverShowsOverTheZones) {
    Rig rig("Lok.axr", threeZones());
    auto* bar = rig.child<QWidget>("barHebel");
    auto* label = rig.child<QLabel>("lblHebel");
    rig.window->setLeverValue(50);
    EXPECT_FALSE(bar->isVisible());
    rig.window->setLiveLever(2);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Hebel 2 (Throttle): 50 – Zone 1: Mitte"));
    rig.window->setLeverValue(255);
    EXPECT_TRUE(label->text().contains(QStringLiteral("Zone 2: Voll")));
    // Edits show at once.
    rig.list()->setCurrentRow(2);
    rig.type("txtZone", QStringLiteral("Ende"));
    EXPECT_TRUE(label->text().contains(QStringLiteral("Zone 2: Ende")));
    rig.window->setLiveLever(0);
    EXPECT_FALSE(bar->isVisible());
}
