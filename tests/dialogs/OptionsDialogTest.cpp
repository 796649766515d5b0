#include "dialogs/OptionsDialog.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::FakeSettings;

namespace {

constexpr const char* kNextStart =
    "Die Einstellung wird erst beim nächsten Start der Software wirksam!";
constexpr const char* kRange = "Bitte Zahl zwischen 1 und 100 eingeben";

} // namespace

TEST(OptionsDialog, OpensFromTheStoredSetting) {
    struct Case {
        std::optional<std::string> stored;
        bool fullSpeed;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {std::nullopt, false, "10"}, {"0", true, "10"},   {"7.5", false, "8"},
        {"6.5", false, "6"},         {"25", false, "25"}, {" 40ms", false, "40"},
        {"abc", true, "10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("<missing>"));
        FakeSettings settings;
        if (c.stored)
            settings.values["Polling"] = *c.stored;
        FakeDialogs dialogs;
        OptionsDialog d(settings, dialogs);
        EXPECT_TRUE(d.fullSpeed() == c.fullSpeed && d.msEnabled() == !c.fullSpeed);
        EXPECT_EQ(d.msText(), c.shown);
    }
}

TEST(OptionsDialog, OkWritesWhatIsShownAndTellsWhenItTakesEffect) {
    FakeSettings settings;
    FakeDialogs dialogs;
    EXPECT_TRUE(OptionsDialog(settings, dialogs).ok());
    settings.values["Polling"] = "0";
    EXPECT_TRUE(OptionsDialog(settings, dialogs).ok());
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"Polling=10", "Polling=0"}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const auto& m = dialogs.messages[0];
    EXPECT_TRUE(m.text == kNextStart && m.title == "Achtung" && m.icon == MsgIcon::Information);
}

TEST(OptionsDialog, IntervalCheckOnLeavingTheField) {
    FakeSettings settings;
    FakeDialogs dialogs;
    OptionsDialog d(settings, dialogs);
    for (const char* bad : {"0", "101", "", "abc", "0.5", "100.5", "-5"}) {
        SCOPED_TRACE(bad);
        dialogs.messages.clear();
        d.setMsText(bad);
        EXPECT_FALSE(d.leaveMs());
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const auto& m = dialogs.messages[0];
        EXPECT_TRUE(m.text == kRange && m.title == "Ungültier Wert" &&
                    m.icon == MsgIcon::Exclamation);
    }
    for (const char* good : {"1", "100", "50ms", " 7", "99.9"}) {
        SCOPED_TRACE(good);
        dialogs.messages.clear();
        d.setMsText(good);
        EXPECT_TRUE(d.leaveMs());
        EXPECT_TRUE(dialogs.messages.empty());
    }
    EXPECT_TRUE(settings.writes.empty());
}

TEST(OptionsDialog, RejectedIntervalWritesNothingUnlessFullSpeedIsChosen) {
    FakeSettings settings;
    FakeDialogs dialogs;
    OptionsDialog d(settings, dialogs);
    d.setMsText("500");
    EXPECT_FALSE(d.apply());
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(settings.writes.empty());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, kRange);

    // Full speed does not look at the field at all.
    d.selectFullSpeed();
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Polling=0"});
    // Switching back keeps the text as it was.
    d.selectMs();
    EXPECT_EQ(d.msText(), "500");
    // A valid interval is written as typed.
    d.setMsText("50ms");
    EXPECT_TRUE(d.apply());
    EXPECT_EQ(settings.values["Polling"], "50ms");
}
