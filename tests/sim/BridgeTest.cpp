#include "send/SimWindow.h"
#include "sim/bridge/BridgeBackends.h"
#include "sim/bridge/BridgeClient.h"
#include "sim/bridge/BridgeProtocol.h"
#include "sim/bridge/BridgeServer.h"

#include "fakes/FakeBridge.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>

namespace kordan {
namespace {

using test::FakeBridge;
using test::FakeClock;
using test::FakeSimWindow;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

struct BridgeTest : testing::Test {
    FakeSimWindow window;
    test::FakeRegistry registry;
    test::RecordingStarter programs;
    BridgeServer server{{window, [this](WindowHandle w) { return !window.windowTitle(w).empty(); },
                         registry,
                         [this](unsigned, const std::string& p, const std::vector<std::string>& a) {
                             return programs.start(p, a);
                         }}};
    FakeClock clock;
    std::vector<FakeBridge*> started; // each start's child, owned by the client
    std::deque<Lines> inputs;         // what each child was given
    bool startable = true;
    bool hungAtStart = false;
    BridgeClient::Timing timing;
    Lines log;
    std::optional<BridgeClient> client;
    BridgeTest() { makeClient(); }
    void makeClient() {
        client.emplace(
            [this]() -> std::unique_ptr<IChildProcess> {
                if (!startable)
                    return nullptr;
                auto child = std::make_unique<FakeBridge>(server, clock, inputs.emplace_back());
                child->hung = hungAtStart;
                started.push_back(child.get());
                return child;
            },
            clock, [this](const std::string& line) { log.push_back(line); }, timing);
    }
    // The last bridge's input from line `from` on, without the numbers.
    Lines sentSince(size_t from) const {
        Lines sent;
        for (size_t i = from; i < inputs.back().size(); ++i)
            sent.push_back(inputs.back()[i].substr(inputs.back()[i].find(' ') + 1));
        return sent;
    }
};

TEST(BridgeProtocol, FieldsOfAnyBytesSurviveTheLineAndMalformedLinesAreRefused) {
    const Lines fields{"7", "", "Zusi 2 \xC4 100%", "a\tb\r\n\0c"s, "~!"};
    const std::string line = bridge::joinLine(fields);
    EXPECT_EQ(line, "7  Zusi%202%20%C4%20100%25 a%09b%0D%0A%00c ~!\n");
    EXPECT_EQ(bridge::splitLine(line.substr(0, line.size() - 1) + "\r"), fields);
    for (const char* bad : {"", "1 %4", "1 %zz", "1 a\tb", "1 %0a", "1 \xC4"})
        EXPECT_EQ(bridge::splitLine(bad), std::nullopt) << testing::PrintToString(std::string(bad));
    for (auto [text, value] : {std::pair{"1", std::optional<int64_t>(1)},
                               {"9", 9},
                               {"0", std::nullopt},
                               {"10", std::nullopt},
                               {"1x", std::nullopt}})
        EXPECT_EQ(bridge::parseInteger(text, 1, 9), value) << text;
}

TEST_F(BridgeTest, WindowKeysRegistryAndStartGoThroughTheBridgeAndOddLinesAreCounted) {
    ASSERT_TRUE(client->start());
    auto sim = makeBridgeSimWindow(*client);
    auto reg = makeBridgeRegistry(*client);
    auto starter = makeBridgeProcessStarter(*client);
    window.addWindow(4000000001u, "Zusi 2 \xC4 Strecke");
    window.setForeground(4000000001u);
    registry.set("Software\\zusi\\zusi", "km/h", "87");
    EXPECT_EQ(sim->foregroundWindow(), 4000000001u);
    EXPECT_EQ(sim->windowTitle(4000000001u), "Zusi 2 \xC4 Strecke");
    EXPECT_EQ(sim->windowTitle(7), "");
    sim->postKey(4000000001u, 256, 80);
    sim->typeKeys("^{F8} x");
    EXPECT_EQ(window.events, (std::vector<FakeSimWindow::Event>{
                                 {FakeSimWindow::Event::Post, 4000000001u, 256, 80, {}},
                                 {FakeSimWindow::Event::Type, 0, 0, 0, "^{F8} x"}}));
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km/h"), "87");
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km"), std::nullopt);
    EXPECT_FALSE(reg->takeUnanswered()) << "a missing value is an answer";
    EXPECT_TRUE(starter->start("C:\\Zusi\\Fahrzeug Editor", {"C:\\Loks\\BR 218.fzg", ""}));
    EXPECT_EQ(programs.started.at(0).args, (Lines{"C:\\Loks\\BR 218.fzg", ""}));
    // An early end comes when it comes, only the last start's counts; nonsense is counted.
    EXPECT_EQ(starter->endedWith(), std::nullopt);
    started[0]->output = "junk\n9 exit 3\n%zz ok\n\n12 exit\n11 exit -1073741515\n";
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km/h"), "87");
    EXPECT_EQ(starter->endedWith(), 3);
    EXPECT_EQ(client->badLines(), 4u);
    // A prefetched value is read without a wait, once; a later read asks anew.
    reg->prefetch("Software\\zusi\\zusi", "km/h");
    registry.set("Software\\zusi\\zusi", "km/h", "88");
    for (const char* shown : {"87", "88"})
        EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km/h"), shown);
    // The bridge's own end refuses a request of keys with a bad one and presses none of them:
    // the bad one might have been the release of the good one.
    EXPECT_EQ(server.handle("5 keys 1 256 72 1 x 80"), "5 bad\n");
    EXPECT_EQ(window.events.size(), 2u);
}

// A fresh prefix may take long to boot, but no longer than the greeting's time.
TEST_F(BridgeTest, ABridgeThatNeverGreetsIsGivenUpWhenTheGreetingsTimeIsOver) {
    timing.greetingMs = 250;
    hungAtStart = true;
    makeClient();
    const uint32_t before = clock.now;
    EXPECT_FALSE(client->start());
    EXPECT_EQ(clock.now - before, 250u);
}

// Wine may fail to run it: a bridge that ends before it greets is not waited for.
TEST_F(BridgeTest, ABridgeThatEndsBeforeItGreetsIsGivenUpAtOnce) {
    struct Ended : IChildProcess {
        explicit Ended(FakeClock& clock) : clock(clock) {}
        bool write(std::string_view) override { return true; }
        bool read(std::string&, int waitMs) override {
            clock.now += static_cast<uint32_t>(waitMs);
            return false;
        }
        void giveUp() override {}
        FakeClock& clock;
    };
    BridgeClient ended([this] { return std::make_unique<Ended>(clock); }, clock, {}, timing);
    const uint32_t before = clock.now;
    EXPECT_FALSE(ended.start());
    EXPECT_LT(clock.now - before, static_cast<uint32_t>(timing.greetingMs));
}

TEST_F(BridgeTest, SilentBridgeGivenUpDeadOneReplacedAtOnceThenEveryTenSecondsEndedAfterItsKeys) {
    ASSERT_TRUE(client->start());
    auto sim = makeBridgeSimWindow(*client);
    auto reg = makeBridgeRegistry(*client);
    window.addWindow(9, "Zusi");
    EXPECT_EQ(sim->windowTitle(9), "Zusi");
    started[0]->hung = true;
    const uint32_t before = clock.now;
    EXPECT_EQ(reg->readString("k", "v"), std::nullopt); // given up after its wait
    EXPECT_EQ(clock.now - before, 10u);
    EXPECT_TRUE(reg->takeUnanswered());
    EXPECT_FALSE(reg->takeUnanswered()) << "told once";
    started[0]->output = "3 ok late\n"; // the late answer is no answer to the next
    EXPECT_EQ(reg->readString("k", "v"), std::nullopt);
    EXPECT_EQ(client->givenUp(), 2u);
    // A window seen before is answered from its last title without a wait; that it was
    // closed shows at the look after.
    started[0]->hung = false;
    window.closeWindow(9);
    EXPECT_EQ(sim->windowTitle(9), "Zusi");
    EXPECT_EQ(clock.now - before, 20u);
    EXPECT_EQ(sim->windowTitle(9), "");
    started[0]->dead = true;
    sim->postKey(9, 256, 38); // finds it ended
    EXPECT_EQ(log, (Lines{"Brücke zu Wine beendet"}));
    sim->postKey(9, 257, 38); // one that worked comes back at once
    ASSERT_EQ(started.size(), 2u);
    started[1]->dead = true;
    clock.now += 9000;
    EXPECT_EQ(sim->foregroundWindow(), 0u) << "dead again: no answer";
    EXPECT_EQ(started.size(), 2u) << "ten seconds' rest before the next start";
    clock.now += 1000;
    startable = false;
    sim->postKey(9, 257, 38); // and it cannot be started again
    EXPECT_FALSE(client->available());
    EXPECT_EQ(log,
              (Lines{"Brücke zu Wine beendet", "Brücke neu gestartet",
                     "Zusi-Fenster geschlossen: Tasten 38 nicht nachgeholt", // closed above
                     "Brücke zu Wine beendet", "Brücke zu Wine lässt sich nicht neu starten"}));
    startable = true;
    clock.now += 10000;
    sim->postKey(9, 257, 40);
    // Twenty requests without a word back end it as hung, at once; it comes back like a dead one.
    started[2]->hung = true;
    for (int i = 0; i < 19; ++i)
        sim->windowTitle(9);
    EXPECT_EQ(inputs[2].back(), "35 title 9");
    sim->windowTitle(9);
    EXPECT_EQ(Lines(inputs[2].end() - 2, inputs[2].end()), (Lines{"36 title 9", "(given up)"}));
    clock.now += 10000;
    sim->postKey(9, 257, 40);
    client.reset();
    EXPECT_EQ(Lines(inputs.back().begin() + 1, inputs.back().end()),
              (Lines{"38 key 9 257 40", "39 title 9", "40 quit"}));
}

// A bridge that worked is replaced at once when the last such replacement lies ten seconds back.
TEST_F(BridgeTest, TheNextQuickReplacementComesTenSecondsAfterTheLast) {
    ASSERT_TRUE(client->start());
    auto sim = makeBridgeSimWindow(*client);
    started.back()->dead = true;
    sim->foregroundWindow(); // finds it ended
    clock.now += 1;
    sim->foregroundWindow(); // from a new one, started a moment later
    started.back()->dead = true;
    clock.now += timing.restartMs - 1;
    sim->foregroundWindow(); // finds it ended too
    sim->foregroundWindow();
    EXPECT_EQ(started.size(), 3u);
}

// Whistle held (72), the bridge dies or stops, the whistle is let go and the horn (80)
// pressed: the next bridge does all of it first.
TEST_F(BridgeTest, KeysADeadOrHungBridgeMayHaveLostAreTheNextBridgesFirstLines) {
    struct Row {
        const char* name;
        bool hangs, batched;
        Lines log;
    };
    const Row rows[] = {
        {"killed", false, false, {"Brücke zu Wine beendet", "Brücke neu gestartet"}},
        {"stopped",
         true,
         false,
         {"Brücke zu Wine antwortet nicht", "Brücke zu Wine beendet", "Brücke neu gestartet"}},
        {"killed, the keys of each report in one request",
         false,
         true,
         {"Brücke zu Wine beendet", "Brücke neu gestartet"}},
    };
    for (const Row& row : rows) {
        makeClient();
        log.clear();
        window.addWindow(9, "Zusi");
        ASSERT_TRUE(client->start()) << row.name;
        auto sim = makeBridgeSimWindow(*client);
        std::optional<KeyBatch> report;
        if (row.batched)
            report.emplace(*sim);
        sim->postKey(9, 256, 72);
        report.reset();
        (row.hangs ? started.back()->hung : started.back()->dead) = true;
        const size_t first = inputs.size();
        if (row.batched)
            report.emplace(*sim);
        sim->postKey(9, 257, 72);
        sim->postKey(9, 256, 80);
        report.reset();
        for (int i = 0; row.hangs && i < 20; ++i)
            sim->foregroundWindow();
        sim->foregroundWindow(); // the bridge is back
        ASSERT_EQ(inputs.size(), first + 1) << row.name;
        // The whistle's down too: nothing vouched for it before the fault.
        const Lines sent = sentSince(1);
        EXPECT_EQ(Lines(sent.begin(), sent.begin() + std::min<size_t>(3, sent.size())),
                  (Lines{"key 9 256 72", "key 9 257 72", "key 9 256 80"}))
            << row.name;
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "key 9 257 80"), 0) << row.name;
        EXPECT_EQ(log, row.log) << row.name;
    }
}

} // namespace
} // namespace kordan
