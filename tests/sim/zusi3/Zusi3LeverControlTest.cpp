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

// Where the power lever's traction notches lie, what its rest is, and which notch each
// power zone sets, from the notches reported so far.
TEST(Zusi3LeverModel, PowerNotchesFromWhatWasSeen) {
    using Range = std::optional<std::pair<int32_t, int32_t>>;
    struct Power {
        int32_t zone, zones;
        std::optional<int32_t> notch;
    };
    const struct {
        const char* name;
        int32_t centre, highest;
        std::vector<std::pair<int32_t, uint16_t>> reports; // first report first
        std::optional<int32_t> base;
        int32_t neutral;
        Range traction;
        std::vector<Power> powers;
    } cases[] = {
        {"notches above a centre of 0",
         0,
         10,
         {{0, 0x01}},
         {},
         0,
         {{1, 10}},
         {{0, 8, 0}, {1, 8, 1}, {4, 8, 5}, {8, 8, 10}, {9, 8, 10}, {3, 0, 3}, {3, 1, 10}}},
        {"traction demand around notch 2",
         2,
         11,
         {{2, 0x10}},
         {},
         2,
         {{3, 11}},
         {{0, 8, 2}, {2, 8, 4}, {7, 8, 10}, {8, 8, 11}}},
        {"a top notch that does not pull",
         0,
         10,
         {{0, 0x01}, {10, 0x00}},
         {},
         0,
         {{1, 9}},
         {{8, 8, 9}}},
        {"tap changer on Fahrt", 0, 3, {{2, 0x04}}, 0, 2, {}, {{3, 8, {}}, {0, 8, {}}}},
        {"tap changer seen on Auf", 0, 3, {{3, 0x03}}, 0, 2, {}, {}},
        {"tap positions below traction notches",
         0,
         9,
         {{1, 0x14}},
         0,
         2,
         {{4, 9}},
         {{0, 8, 2}, {1, 8, 4}, {8, 8, 9}}},
        {"the notch it stands on decides", 0, 9, {{1, 0x02}, {3, 0x05}}, 2, 4, {{6, 9}}, {}},
        {"else the last tap position seen", 0, 9, {{1, 0x02}, {5, 0x01}}, 1, 3, {{5, 9}}, {}},
    };
    for (const auto& c : cases) {
        LeverModel model;
        for (const auto& [notch, function] : c.reports)
            model.report({"Fs", {function}, notch, c.centre, c.highest});
        const Lever& power = *model.find(LeverRole::Power);
        EXPECT_EQ(tapBase(power), c.base) << c.name;
        EXPECT_EQ(neutralNotch(power), c.neutral) << c.name;
        EXPECT_EQ(tractionNotches(power), c.traction) << c.name;
        for (const Power& p : c.powers)
            EXPECT_EQ(powerNotch(power, p.zone, p.zones), p.notch) << c.name << " zone " << p.zone;
    }
}

} // namespace
} // namespace kordan::zusi3
