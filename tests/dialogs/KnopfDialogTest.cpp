#include "dialogs/KnopfDialog.h"

#include "fakes/FakeDialogs.h"
#include "profile/ZusiButton.h"
#include "send/ZusiSendKonstanten.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kordan;
using kordan::test::FakeDialogs;
namespace K = kordan::ZusiSendKonstanten;
using Field = KnopfDialog::Field;

namespace {

const ZusiButton kAssigned{"Pfeife", K::Pfeife, K::SiFa, 3, 1, 1, K::Pause, true};

auto fields(const ZusiButton& b) {
    return std::tie(b.Bezeichnung, b.Press, b.Release, b.press2, b.Repeat, b.Hold, b.Shift,
                    b.Defined);
}

} // namespace

TEST(KnopfDialog, NeverAssignedButtonOpensEmptyAndOkStoresNameWithoutCommands) {
    ZusiButton b;
    FakeDialogs dialogs;
    KnopfDialog d(b, 7, dialogs);
    // Without a name: its own title and icon, nothing stored.
    EXPECT_EQ(d.ok(), Field::txtBezeichnung);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(std::tie(dialogs.messages[0].title, dialogs.messages[0].icon),
              std::tuple("Unvollständig", MsgIcon::Exclamation));
    EXPECT_FALSE(b.Defined);
    // A new command's text is offered while the name is empty or the last command's text.
    std::string names;
    for (int32_t code : {K::Pfeife, 0, K::SiFa, K::SiFa, K::Pause}) {
        d.Funktion.pick(d.commands().indexOf(code));
        names += std::to_string(d.offerBezeichnung()) + d.Bezeichnung + "|";
        d.Bezeichnung = code == K::SiFa ? "Leer" : d.Bezeichnung;
    }
    EXPECT_EQ(names, "1Pfeife|0Pfeife|1SiFa|0Leer|0Leer|");
    d.Funktion.pick(0);
    EXPECT_EQ(d.ok(), std::nullopt);
    EXPECT_EQ(dialogs.messages.size(), 1u) << "no further message";
    EXPECT_EQ(b.Bezeichnung, "Leer");
    EXPECT_TRUE(b.Defined);
    EXPECT_EQ(b.Press, 0);
    EXPECT_EQ(b.press2, 0);
    EXPECT_EQ(b.Release, 0);
}

TEST(KnopfDialog, OpensWithTheButtonsAssignmentAndWritesTheEditedOne) {
    ZusiButton b = kAssigned;
    FakeDialogs dialogs;
    KnopfDialog d(b, 1, dialogs);
    EXPECT_EQ(d.Bezeichnung, "Pfeife");
    EXPECT_EQ(d.commands().codeAt(d.Los.index()), K::SiFa);
    EXPECT_EQ(d.commands().codeAt(d.Funktion2.index()), K::Pause);
    EXPECT_TRUE(d.Halten);
    EXPECT_TRUE(d.Shift);
    EXPECT_EQ(d.Repeat, "3");
    d.Funktion.pick(d.commands().indexOf(K::Autopilot));
    EXPECT_TRUE(d.offerBezeichnung()) << "the name was the old command's text";
    d.Los.pick(0);
    d.Halten = d.Shift = false;
    d.Repeat = " 12 ";
    ASSERT_EQ(d.ok(), std::nullopt);
    EXPECT_EQ(b.Press, K::Autopilot);
    EXPECT_EQ(b.Release, 0);
    EXPECT_EQ(b.press2, K::Pause) << "untouched";
    EXPECT_EQ(b.Hold, 0);
    EXPECT_EQ(b.Shift, 0);
    EXPECT_EQ(b.Repeat, 12) << "blanks around it";
}

TEST(KnopfDialog, EveryRejectedOkLeavesTheButtonUnchanged) {
    const std::string invalid = "Bitte gültige Funktion wählen";
    // The field edited, its text, and the message ("" when only its presence is checked).
    const std::tuple<Field, const char*, std::string> cases[] = {
        {Field::txtBezeichnung, "", "Bitte Bezeichnung eingeben"},
        {Field::cboFunktion, "Kaffee kochen", invalid},
        {Field::txtRepeat, "", ""},
        {Field::txtRepeat, "-1", ""},
        {Field::cboLos, "xyz", invalid},
        {Field::cboFunktion2, "xyz", invalid},
    };
    for (const auto& [field, text, message] : cases) {
        SCOPED_TRACE(::testing::Message() << int(field) << " " << text);
        ZusiButton b = kAssigned;
        FakeDialogs dialogs;
        KnopfDialog d(b, 3, dialogs);
        // Edits in other fields must not reach the button either.
        d.Bezeichnung = "Neu";
        d.Shift = false;
        d.Funktion2.pick(0);
        CommandChoice* list[] = {nullptr, &d.Funktion, nullptr, &d.Los, &d.Funktion2};
        if (list[int(field)])
            list[int(field)]->type(text);
        else
            (field == Field::txtRepeat ? d.Repeat : d.Bezeichnung) = text;
        EXPECT_EQ(d.ok(), field);
        EXPECT_EQ(fields(b), fields(kAssigned));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(message.empty() || dialogs.messages[0].text == message);
    }
}

TEST(KnopfDialog, UnlistedStoredCodeShowsEntryZeroAndSurvivesUntilTouched) {
    ZusiButton b = kAssigned;
    b.Press = 5; // a code without a text of its own
    b.Release = 777;
    FakeDialogs dialogs;
    {
        KnopfDialog d(b, 1, dialogs);
        EXPECT_EQ(d.Funktion.index(), 0);
        EXPECT_EQ(d.Los.index(), 0);
        d.Funktion.type("<Nicht definiert>"); // the shown text: no choice
        ASSERT_EQ(d.ok(), std::nullopt);
        EXPECT_EQ(b.Press, 5);
        EXPECT_EQ(b.Release, 777);
    }
    KnopfDialog d(b, 1, dialogs);
    d.Los.pick(0); // chosen on purpose
    d.Funktion.type("xyz");
    d.Funktion.type("<Nicht definiert>");
    ASSERT_EQ(d.ok(), std::nullopt);
    EXPECT_EQ(b.Release, 0);
    EXPECT_EQ(b.Press, 0);
    d.loeschen(); // "&Löschen" clears the whole assignment
    EXPECT_EQ(fields(b), fields(ZusiButton{}));
    EXPECT_TRUE(dialogs.messages.empty());
}
