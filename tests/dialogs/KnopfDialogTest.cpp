#include "dialogs/KnopfDialog.h"

#include "fakes/FakeDialogs.h"
#include "profile/ZusiButton.h"
#include "send/ZusiSendKonstanten.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kordan;
using kordan::test::FakeDialogs;
namespace K = kordan::ZusiSendKonstanten;

namespace {

ZusiButton assigned() {
    ZusiButton b;
    b.Bezeichnung = "Pfeife";
    b.Press = K::Pfeife;
    b.Release = K::SiFa;
    b.press2 = K::Pause;
    b.Repeat = 3;
    b.Hold = 1;
    b.Shift = 1;
    b.Defined = true;
    return b;
}

void expectSame(const ZusiButton& a, const ZusiButton& b) {
    EXPECT_EQ(
        std::tie(a.Bezeichnung, a.Press, a.Release, a.press2, a.Repeat, a.Hold, a.Shift, a.Defined),
        std::tie(b.Bezeichnung, b.Press, b.Release, b.press2, b.Repeat, b.Hold, b.Shift,
                 b.Defined));
}

} // namespace

TEST(KnopfDialog, NeverAssignedButtonOpensEmptyAndOkStoresNameWithoutCommands) {
    ZusiButton b;
    FakeDialogs dialogs;
    KnopfDialog d(b, 7, dialogs);
    EXPECT_EQ(d.Funktion.index() + d.Los.index() + d.Funktion2.index(), 0);
    EXPECT_FALSE(d.Halten || d.Shift);
    EXPECT_EQ(d.Repeat, "0");

    // Without a name: its own title and icon, nothing stored.
    EXPECT_EQ(d.ok(), KnopfDialog::Field::txtBezeichnung);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Unvollständig");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(b.Defined);

    dialogs.messages.clear();
    d.Bezeichnung = "Leer";
    EXPECT_EQ(d.ok(), std::nullopt);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(b.Bezeichnung, "Leer");
    EXPECT_EQ(b.Press + b.press2 + b.Release, 0);
    EXPECT_TRUE(b.Defined);
}

TEST(KnopfDialog, OpensWithTheButtonsAssignmentAndWritesTheEditedOne) {
    ZusiButton b = assigned();
    FakeDialogs dialogs;
    KnopfDialog d(b, 1, dialogs);
    EXPECT_EQ(d.Bezeichnung, "Pfeife");
    EXPECT_EQ(d.commands().codeAt(d.Los.index()), K::SiFa);
    EXPECT_EQ(d.commands().codeAt(d.Funktion2.index()), K::Pause);
    EXPECT_TRUE(d.Halten && d.Shift);
    EXPECT_EQ(d.Repeat, "3");

    // A typed text naming an entry, in other case and with spaces, selects it.
    std::string typed = d.commands().texts().at(size_t(d.commands().indexOf(K::Autopilot)));
    for (char& c : typed)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    d.Funktion.type("  " + typed + " ");
    d.Los.pick(0);
    d.Halten = false;
    d.Shift = false;
    d.Repeat = " 12 ";
    ASSERT_EQ(d.ok(), std::nullopt);
    EXPECT_EQ(std::tie(b.Press, b.Release, b.press2, b.Hold, b.Shift, b.Repeat),
              std::make_tuple(K::Autopilot, 0, K::Pause, 0, 0, 12));
}

TEST(KnopfDialog, EveryRejectedOkLeavesTheButtonUnchanged) {
    struct Case {
        const char* what;
        std::function<void(KnopfDialog&)> edit;
        KnopfDialog::Field focus;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty name", [](KnopfDialog& d) { d.Bezeichnung.clear(); },
         KnopfDialog::Field::txtBezeichnung, "Bitte Bezeichnung eingeben"},
        {"unknown function", [](KnopfDialog& d) { d.Funktion.type("Kaffee kochen"); },
         KnopfDialog::Field::cboFunktion, "Bitte gültige Funktion wählen"},
        {"repeat empty", [](KnopfDialog& d) { d.Repeat = ""; }, KnopfDialog::Field::txtRepeat, ""},
        {"repeat letters", [](KnopfDialog& d) { d.Repeat = "abc"; }, KnopfDialog::Field::txtRepeat,
         ""},
        {"repeat fraction", [](KnopfDialog& d) { d.Repeat = "2.5"; }, KnopfDialog::Field::txtRepeat,
         ""},
        {"repeat negative", [](KnopfDialog& d) { d.Repeat = "-1"; }, KnopfDialog::Field::txtRepeat,
         ""},
        {"repeat too large", [](KnopfDialog& d) { d.Repeat = "99999999999"; },
         KnopfDialog::Field::txtRepeat, ""},
        {"unknown release", [](KnopfDialog& d) { d.Los.type("xyz"); }, KnopfDialog::Field::cboLos,
         "Bitte gültige Funktion wählen"},
        {"unknown second layer", [](KnopfDialog& d) { d.Funktion2.type("xyz"); },
         KnopfDialog::Field::cboFunktion2, "Bitte gültige Funktion wählen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZusiButton b = assigned();
        const ZusiButton before = b;
        FakeDialogs dialogs;
        KnopfDialog d(b, 3, dialogs);
        // Edits in other fields must not reach the button either.
        d.Bezeichnung = "Neu";
        d.Shift = false;
        d.Funktion2.pick(0);
        c.edit(d);
        EXPECT_EQ(d.ok(), c.focus);
        expectSame(b, before);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(dialogs.messages[0].text, c.message);
        }
    }
}

TEST(KnopfDialog, UnlistedStoredCodeShowsEntryZeroAndSurvivesUntilTouched) {
    ZusiButton b = assigned();
    b.Press = 5; // a code without a text of its own
    b.Release = 777;
    FakeDialogs dialogs;
    {
        KnopfDialog d(b, 1, dialogs);
        EXPECT_EQ(d.Funktion.index() + d.Los.index(), 0);
        d.Funktion.type("<Nicht definiert>"); // the shown text: no choice
        ASSERT_EQ(d.ok(), std::nullopt);
        EXPECT_EQ(b.Press + b.Release, 782);
    }
    KnopfDialog d(b, 1, dialogs);
    d.Los.pick(0); // chosen on purpose
    d.Funktion.type("xyz");
    d.Funktion.type("<Nicht definiert>");
    ASSERT_EQ(d.ok(), std::nullopt);
    EXPECT_EQ(b.Release + b.Press, 0);
}

TEST(KnopfDialog, LoeschenClearsTheWholeAssignment) {
    ZusiButton b = assigned();
    FakeDialogs dialogs;
    KnopfDialog d(b, 1, dialogs);
    d.loeschen();
    expectSame(b, ZusiButton{});
    EXPECT_TRUE(dialogs.messages.empty());
}
