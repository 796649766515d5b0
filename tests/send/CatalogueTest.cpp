#include "send/Catalogue.h"

#include "send/CommandList.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(befehlstext(code), text) << code;
    for (int32_t code : {0, 5, -1, 46, 999, 1004, INT32_MIN, INT32_MAX})
        EXPECT_EQ(befehlstext(code), "") << code;
}

TEST(CommandList, SingleCommandsSkipCodeFiveAndRegulatorsAreTheirOwnList) {
    const CommandList list = CommandList::singleCommands("(keine)");
    ASSERT_EQ(list.size(), 45); // entry 0 and 44 commands
    EXPECT_EQ(list.texts()[0], "(keine)");
    EXPECT_EQ(list.texts()[44], "Block, bis Strecke frei ist");
    const std::pair<int, int32_t> codes[] = {{0, 0}, {4, 4}, {5, 6}, {44, 45}, {45, 0}, {-1, 0}};
    for (auto [index, code] : codes)
        EXPECT_EQ(list.codeAt(index), code) << index;
    EXPECT_EQ(list.indexOf(5), -1);
    EXPECT_EQ(list.indexOf(1000), -1);
    for (int i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.indexOf(list.codeAt(i)), i);

    const CommandList regler = CommandList::regulatorCommands("");
    ASSERT_EQ(regler.size(), 5);
    EXPECT_EQ(regler.texts()[4], "Regelbereich AFB");
    EXPECT_EQ(regler.codeAt(1), 1000);
    EXPECT_EQ(regler.indexOf(1002), 3);
    EXPECT_EQ(regler.indexOf(0), 0);
}

} // namespace
} // namespace kordan
