#include "sim/zusi3/Zusi3Routes.h"

#include "send/Catalogue.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <gtest/gtest.h>

namespace kordan::zusi3 {
namespace {

// The messages of the inputs; zuordnung 0xFFFF stands for the toggle of the control node
// given as the command.
std::vector<Node> messagesOf(const std::vector<Tastatureingabe>& inputs) {
    std::vector<Node> out;
    for (const Tastatureingabe& in : inputs)
        out.push_back(in.zuordnung == 0xFFFF ? controlToggleMessage(in.kommando)
                                             : inputMessage(in));
    return out;
}

TEST(Zusi3Routes, EveryCatalogueCodeHasARoute) {
    for (int32_t code = 1; code <= 1003; ++code) {
        if (!isDeliverableCode(code))
            continue;
        const Route r = routeOf(code);
        // A code with a text is offered to the user and so must lead somewhere.
        EXPECT_TRUE(befehlstext(code).empty() || code == 45 || r.kind != RouteKind::NotAvailable)
            << code;
        EXPECT_TRUE(r.kind != RouteKind::Input || r.zuordnung != 0) << code;
    }
    for (int32_t code : {0, 46, 999, 1004, -1})
        EXPECT_EQ(routeOf(code).kind, RouteKind::NotAvailable) << code;
}

TEST(Zusi3Routes, CommandsBecomeInputs) {
    using In = Tastatureingabe;
    const In pause{0xFFFF, 0x01, 0, 0};
    const In fsAuf{0x01, 0, AktionAufDown, 0}, fsAufUp{0x01, 0, AktionAufUp, 0};
    const In fsAb{0x01, 0, AktionAbDown, 0}, fsAbUp{0x01, 0, AktionAbUp, 0};
    const In fbv{0x04, 0, AktionAbDown, 0}, fbvUp{0x04, 0, AktionAbUp, 0};
    const struct {
        int32_t code, befehl;
        std::vector<In> inputs;
    } cases[] = {
        {28, 3, {{0x0C, 0, AktionDown, 0}, {0x0C, 0, AktionUp, 0}}},
        {30, 1, {{0x0F, 0x33, 0, 0}}},
        {32, 3, {{0x0F, 0x37, 0, 0}, {0x0F, 0x38, 0, 0}}},
        {16, 3, {{0x01, 0x05, 0, 0}}}, // back to zero: its command once
        {25, 2, {{0x04, 0, AktionAufUp, 0}}},
        {8, 1, {{0xFFFF, 0x08, 0, 0}}}, // Zeitraffer and Zeitsprung: program controls
        {9, 3, {{0xFFFF, 0x07, 0, 0}}},
        {2, 3, {pause}},
        {2, 2, {}},
        {28, 0, {}},
        {11, 1, {}}, // still a key
        {45, 1, {}}, // not available
        {1000, 3, {fsAuf, fsAuf, fsAuf, fsAufUp}},
        {1000, -2, {fsAb, fsAb, fsAbUp}},
        {1002, 1, {fbv, fbvUp}},
        {1003, -1, {{0x03, 0, AktionAbDown, 0}, {0x03, 0, AktionAbUp, 0}}},
        {1001, 1, {{0x02, 0, AktionAufDown, 0}, {0x02, 0, AktionAufUp, 0}}},
        {37, 1, {}}, // the lever control's
    };
    for (const auto& c : cases)
        EXPECT_EQ(messagesFor(c.code, c.befehl), messagesOf(c.inputs)) << c.code << "/" << c.befehl;
}

} // namespace
} // namespace kordan::zusi3
