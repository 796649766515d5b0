#include "dialogs/OptionsDialog.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::FakeSettings;

TEST(OptionsDialog, OpensFromTheStoredSetting) {
    const std::tuple<const char*, bool, std::string> cases[] = {
        {nullptr, false, "10"}, {"0", true, "10"}, {"7.5", false, "8"}};
    for (const auto& [stored, fullSpeed, shown] : cases) {
        FakeSettings settings;
        if (stored)
            settings.values["Polling"] = stored;
        FakeDialogs dialogs;
        OptionsDialog d(settings, dialogs);
        const char* name = stored ? stored : "<missing>";
        EXPECT_EQ(std::tuple(d.fullSpeed(), d.msEnabled()), std::tuple(fullSpeed, !fullSpeed))
            << name;
        EXPECT_EQ(d.msText(), shown) << name;
    }
}

TEST(OptionsDialog, IntervalIsCheckedOnLeavingTheFieldAndBeforeWriting) {
    FakeSettings settings;
    FakeDialogs dialogs;
    OptionsDialog d(settings, dialogs);
    for (const char* bad : {"0", "101", "abc", "100.5"})
        EXPECT_FALSE((d.setMsText(bad), d.leaveMs())) << bad;
    EXPECT_EQ(dialogs.messages.size(), 4u);
    for (const char* good : {"1", "100", "50ms"})
        EXPECT_TRUE((d.setMsText(good), d.leaveMs())) << good;
    EXPECT_EQ(dialogs.messages.size(), 4u);
    d.setMsText("500");
    dialogs.messages.clear();
    EXPECT_FALSE(d.apply());
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(settings.writes.empty());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const auto& m = dialogs.messages[1];
    EXPECT_EQ(std::tuple(m.text, m.title, m.icon),
              std::tuple("Bitte Zahl zwischen 1 und 100 eingeben", "Ungültier Wert",
                         MsgIcon::Exclamation));

    // Full speed does not look at the field at all.
    d.selectFullSpeed();
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Polling=0"});
    const auto& n = dialogs.messages.back();
    EXPECT_EQ(std::tuple(n.text, n.title, n.icon),
              std::tuple("Die Einstellung wird erst beim nächsten Start der Software wirksam!",
                         "Achtung", MsgIcon::Information));
}

TEST(OptionsDialog, SimulatorServerIsCheckedAndStoredWithZusi3Only) {
    FakeSettings settings;
    FakeDialogs dialogs;
    OptionsDialog d(settings, dialogs);
    EXPECT_FALSE(d.zusi3());
    EXPECT_EQ(std::tuple(d.hostText(), d.portText()), std::tuple("127.0.0.1", "1436"));
    d.selectZusi3(true);
    const std::tuple<const char*, const char*, OptionsDialog::Field> bad[] = {
        {"", "1436", OptionsDialog::Field::Host},
        {"zusi pc", "1436", OptionsDialog::Field::Host},
        {"zusi", "0", OptionsDialog::Field::Port}};
    for (const auto& [host, port, field] : bad) {
        d.setHostText(host);
        d.setPortText(port);
        EXPECT_FALSE(d.ok()) << host << ":" << port;
        EXPECT_EQ(d.failedField(), field) << host << ":" << port;
    }
    EXPECT_TRUE(settings.writes.empty());
    d.setHostText("zusi-pc");
    d.setPortText("1437");
    EXPECT_TRUE(d.apply());
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"Polling=10", "Simulator=3",
                                                         "Zusi3Host=zusi-pc", "Zusi3Port=1437"}));
    // Back to keys: the server stays stored, unchecked.
    OptionsDialog again(settings, dialogs);
    EXPECT_TRUE(again.zusi3());
    again.selectZusi3(false);
    again.setPortText("bad");
    EXPECT_TRUE(again.apply());
    EXPECT_EQ(settings.values["Simulator"], "2");
}
