#include "sim/zusi3/Zusi3LeverControl.h"

#include <gtest/gtest.h>

namespace kordan::zusi3 {
namespace {

TEST(Zusi3LeverModel, RolesByFunctionAndAnUnnamedLeverByItsRole) {
    const struct {
        uint16_t function;
        LeverRole role;
    } roles[] = {{0x01, LeverRole::Power},        {0x14, LeverRole::Power},
                 {0x06, LeverRole::DynamicBrake}, {0x0F, LeverRole::Afb},
                 {0x19, LeverRole::BrakeValve},   {0x1B, LeverRole::IndependentBrake},
                 {0x26, LeverRole::Reverser},     {0x33, LeverRole::MainBreaker},
                 {0x1A, LeverRole::Unknown},      {0x34, LeverRole::Unknown}};
    for (const auto& r : roles)
        EXPECT_EQ(roleOfFunction(r.function), r.role) << r.function;
    LeverModel model;
    const Lever* unnamed = model.report({"", {0x15}, 9, 8, 9});
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->name, "F\u00fchrerbremsventil");
    EXPECT_FALSE(model.report({"", {0x00}, 1, 0, 2})); // nothing to name it by
    model.clear();
    EXPECT_FALSE(model.find(LeverRole::BrakeValve));
}

TEST(Zusi3LeverModel, BrakingEndFromWhatWasSeen) {
    const struct {
        const char* name;
        std::vector<std::pair<int32_t, uint16_t>> reports; // first report first
        int32_t end;
    } cases[] = {
        {"Schnellbremsung seen", {{8, 0x18}, {3, 0x19}}, 3},
        {"Fuellen seen at the top", {{9, 0x15}}, 0},
        {"Fuellen seen at the bottom", {{0, 0x15}}, 9},
        {"taken over near the top", {{8, 0x18}}, 0},
        {"taken over near the bottom", {{1, 0x18}}, 9},
        {"taken over in the middle", {{5, 0x16}}, 0},
    };
    for (const auto& c : cases) {
        LeverModel model;
        for (const auto& [notch, function] : c.reports)
            model.report({"Fbv", {function}, notch, 8, 9});
        EXPECT_EQ(brakingEnd(*model.find(LeverRole::BrakeValve)), c.end) << c.name;
    }
    LeverModel quarter; // taken over on notch 2 of 0-8: the outer quarter still
    quarter.report({"Fbv", {0x18}, 2, 4, 8});
    EXPECT_EQ(brakingEnd(*quarter.find(LeverRole::BrakeValve)), 8);
}

} // namespace
} // namespace kordan::zusi3
