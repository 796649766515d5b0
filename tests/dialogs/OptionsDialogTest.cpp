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

TEST(OptionsDialog, IntervalIsCheckedOnLeavingTheFieldAndBeforeWriting) {
    FakeSettings settings;
    FakeDialogs dialogs;
    OptionsDialog d(settings, dialogs);
    for (const auto& [text, good] : std::vector<std::pair<const char*, bool>>{{"0", false},
                                                                              {"101", false},
                                                                              {"", false},
                                                                              {"abc", false},
                                                                              {"0.5", false},
                                                                              {"100.5", false},
                                                                              {"-5", false},
                                                                              {"1", true},
                                                                              {"100", true},
                                                                              {"50ms", true},
                                                                              {" 7", true},
                                                                              {"99.9", true}}) {
        dialogs.messages.clear();
        d.setMsText(text);
        EXPECT_EQ(d.leaveMs(), good) << text;
        EXPECT_EQ(dialogs.messages.size(), good ? 0u : 1u) << text;
    }
    d.setMsText("500");
    dialogs.messages.clear();
    EXPECT_FALSE(d.apply());
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(settings.writes.empty());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const auto& m = dialogs.messages[1];
    EXPECT_TRUE(m.text == kRange && m.title == "Ungültier Wert" && m.icon == MsgIcon::Exclamation);

    // Full speed does not look at the field at all; switching back keeps the text.
    d.selectFullSpeed();
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Polling=0"});
    const auto& n = dialogs.messages.back();
    EXPECT_TRUE(n.text == kNextStart && n.title == "Achtung" && n.icon == MsgIcon::Information);
    d.selectMs();
    EXPECT_EQ(d.msText(), "500");
    // A valid interval is written as typed.
    d.setMsText("50ms");
    EXPECT_TRUE(d.apply());
    EXPECT_EQ(settings.values["Polling"], "50ms");
}
