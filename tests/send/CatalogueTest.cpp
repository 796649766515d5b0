#include "send/Catalogue.h"

#include "send/CommandList.h"
#include "send/ZusiSend.h"

#include <gtest/gtest.h>

#include <set>

namespace kordan {
namespace {

TEST(Catalogue, TextsOfCodesWithAndWithoutMeaning) {
    const std::pair<int32_t, const char*> texts[] = {{1, "Schummelfenster"},
                                                     {11, "Ansicht F\u00fchrerstand"},
                                                     {25, "Bremsventil loesen"},
                                                     {37, "Schnellbremsung"},
                                                     {42, "Fahrtrichtung zur\u00fcck"},
                                                     {45, "Block, bis Strecke frei ist"},
                                                     {1000, "Regelbereich Fahrschalter"},
                                                     {1001, "Regelbereich E/H-Bremse"},
                                                     {1003, "Regelbereich AFB"}};
    for (auto [code, text] : texts)
        EXPECT_EQ(ZusiSend::Befehlstext(code), text) << code;
    for (int32_t code : {0, 5, -1, 46, 999, 1004, INT32_MIN, INT32_MAX})
        EXPECT_EQ(ZusiSend::Befehlstext(code), "") << code;
}

TEST(Catalogue, DeliveryKindsAndKeySources) {
    EXPECT_EQ(deliveryOf(0), Delivery::KeyMessage);
    EXPECT_EQ(deliveryOf(5), Delivery::KeyMessage);
    for (int32_t code : {1, 11, 12, 13})
        EXPECT_EQ(deliveryOf(code), Delivery::Keystrokes) << code;
    EXPECT_EQ(deliveryOf(37), Delivery::Composite);
    EXPECT_EQ(deliveryOf(1002), Delivery::Regulator);
    EXPECT_EQ(deliveryOf(46), Delivery::None);
    EXPECT_EQ(deliveryOf(-3), Delivery::None);

    EXPECT_EQ(keystrokeString(1), "^{F8}");
    EXPECT_EQ(keystrokeString(13), "^d");
    EXPECT_EQ(keySettingName(10), "T17");
    EXPECT_EQ(keySettingName(24), "T14");
    EXPECT_EQ(keySettingName(45), "T34");
    EXPECT_EQ(keySettingName(37), "");
    EXPECT_EQ(keySettingName(2), "");
    // Every code with a setting is read, and no setting is read twice.
    EXPECT_EQ(keySettingCodes().size(), 32u);
    std::set<std::string_view> names;
    for (int32_t code : keySettingCodes())
        names.insert(keySettingName(code));
    EXPECT_EQ(names.size(), 32u);
    EXPECT_FALSE(names.contains("T15") || names.contains("T16") || names.contains("T26"));
}

TEST(Catalogue, RegulatorStepsBySign) {
    // {regulator, count, up-step, down-step}
    const int32_t cases[][4] = {
        {1000, 3, 14, 15}, {1001, 1, 17, 18}, {1002, 1, 24, 25}, {1003, 1, 20, 21}};
    for (const auto& c : cases) {
        EXPECT_EQ(regulatorStepCode(c[0], c[1]), c[2]) << c[0];
        EXPECT_EQ(regulatorStepCode(c[0], -c[1]), c[3]) << c[0];
    }
    EXPECT_EQ(regulatorStepCode(1003, 0), 0);
    EXPECT_EQ(regulatorStepCode(14, 1), 0);
}

TEST(CommandList, SingleCommandsSkipCodeFiveAndMapPositionsBack) {
    const CommandList list = CommandList::singleCommands("(keine)");
    ASSERT_EQ(list.size(), 45); // entry 0 and 44 commands
    EXPECT_EQ(list.texts()[0], "(keine)");
    EXPECT_EQ(list.texts()[1], "Schummelfenster");
    EXPECT_EQ(list.texts()[44], "Block, bis Strecke frei ist");
    EXPECT_EQ(list.codeAt(0), 0);
    EXPECT_EQ(list.codeAt(4), 4);
    EXPECT_EQ(list.codeAt(5), 6); // code 5 has no entry
    EXPECT_EQ(list.codeAt(44), 45);
    EXPECT_EQ(list.codeAt(45), 0);
    EXPECT_EQ(list.codeAt(-1), 0);
    EXPECT_EQ(list.indexOf(6), 5);
    EXPECT_EQ(list.indexOf(5), -1);
    EXPECT_EQ(list.indexOf(1000), -1);
    for (int i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.indexOf(list.codeAt(i)), i);
}

TEST(CommandList, RegulatorCommands) {
    const CommandList list = CommandList::regulatorCommands("");
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list.texts()[1], "Regelbereich Fahrschalter");
    EXPECT_EQ(list.texts()[4], "Regelbereich AFB");
    EXPECT_EQ(list.codeAt(1), 1000);
    EXPECT_EQ(list.codeAt(4), 1003);
    EXPECT_EQ(list.indexOf(1002), 3);
    EXPECT_EQ(list.indexOf(0), 0);
}

} // namespace
} // namespace kordan
