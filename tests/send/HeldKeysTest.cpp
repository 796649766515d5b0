#include "send/ZusiSend.h"

#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"

#include <gtest/gtest.h>

using namespace kordan;
using namespace kordan::test;

namespace {

struct Rig {
    FakeSimWindow window;
    FakeRegistry registry;
    std::unique_ptr<ZusiSend> sender;
    Rig() {
        registry.set("Software\\zusi\\zusi", "T9", "72");  // Pfeife
        registry.set("Software\\zusi\\zusi", "T14", "90"); // Bremsventil Bremsen
        registry.set("Software\\zusi\\zusi", "T0", "65");  // Fahrschalter auf
        window.addWindow(5, "Zusi");
        window.setForeground(5);
        sender = std::make_unique<ZusiSend>(window, registry);
    }
    std::vector<FakeSimWindow::Event> ups() const {
        std::vector<FakeSimWindow::Event> out;
        for (auto& e : window.events)
            if (e.message == WM_Const::WM_KEYUP)
                out.push_back(e);
        return out;
    }
};

} // namespace

TEST(HeldKeys, OnlyKeysStillDownAreReleased) {
    Rig rig;
    rig.sender->send(28, Down);   // held horn
    rig.sender->send(14, DownUp); // a tap: not held
    rig.sender->send(1000, 3);    // regulator steps end with their own up
    EXPECT_EQ(rig.sender->heldKeyCount(), 1u);
    rig.window.events.clear();
    rig.sender->releaseHeldKeys();
    EXPECT_EQ(rig.window.events,
              (std::vector<FakeSimWindow::Event>{FakeSimWindow::post(5, WM_Const::WM_KEYUP, 72)}));
    rig.window.events.clear();
    rig.sender->releaseHeldKeys();
    EXPECT_TRUE(rig.window.events.empty()) << "released once only";

    // A key released by its own command is forgotten.
    rig.sender->send(28, Down);
    rig.sender->send(28, Up);
    EXPECT_EQ(rig.sender->heldKeyCount(), 0u);
}

TEST(HeldKeys, PendingEmergencyBrakeReleaseComesAtOnceAndNotAgain) {
    Rig rig;
    rig.sender->send(37, Down);
    EXPECT_EQ(rig.sender->brakeReleaseCount(), 6);
    rig.window.events.clear();
    rig.sender->releaseHeldKeys();
    EXPECT_EQ(rig.ups().size(), 1u);
    EXPECT_EQ(rig.ups()[0].virtualKey, 90);
    for (int i = 0; i < 6; ++i)
        rig.sender->Timer();
    EXPECT_EQ(rig.ups().size(), 1u) << "the delayed release is cancelled";
}
