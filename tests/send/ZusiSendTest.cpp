#include "send/ZusiSend.h"

#include "fakes/FakeSimWindow.h"
#include "send/Catalogue.h"
#include "send/CommandList.h"
#include "send/Keystrokes.h"
#include "send/MissedSteps.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace kordan {
namespace {

using test::FakeSimWindow;
using Event = FakeSimWindow::Event;
using Events = std::vector<Event>;
constexpr WindowHandle kZusi = 0x4200001;
constexpr WindowHandle kOther = 0x4200002;

Event ev(uint32_t message, int32_t key, WindowHandle w = kZusi) {
    return {Event::Post, w, message, key, {}};
}
const auto down = [](int32_t key) { return ev(WM_Const::WM_KEYDOWN, key); };
const auto up = [](int32_t key) { return ev(WM_Const::WM_KEYUP, key); };
const auto typed = [](std::string keys) { return Event{Event::Type, 0, 0, 0, keys}; };
const auto vk = [](int32_t code, bool ctrl = 0) { return KeyStroke{ctrl, 0, 0, code, 0}; };
KeyStroke ch(char32_t c, bool ctrl = false, bool shift = false, bool alt = false) {
    return {ctrl, shift, alt, 0, c};
}

KeyTable keysFrom(std::map<std::string, std::string> settings) {
    return makeKeyTable([&](std::string_view name) { return settings[std::string(name)]; });
}

TEST(Keystrokes, ParsedWithModifiersNamedKeysRepeatsAndLiteralsAndBrokenPartsSkipped) {
    const std::pair<const char*, std::vector<KeyStroke>> cases[] = {
        {"^{F8}", {vk(0x77, true)}},                     // the catalogue's strings
        {"+%ab", {ch('a', false, true, true), ch('b')}}, // the next key or group only
        {"^(ab)c", {ch('a', true), ch('b', true), ch('c')}},
        {"+(^x)", {ch('x', true, true)}},
        {"{enter}{Tab}{F24}~", {vk(0x0D), vk(0x09), vk(0x87), vk(0x0D)}},
        {"{F1}", {vk(0x70)}},
        {"{LEFT 3}", {vk(0x25), vk(0x25), vk(0x25)}},
        {"{+}{^}{{}{}}{%}", {ch('+'), ch('^'), ch('{'), ch('}'), ch('%')}},
        {"{\u00fc}\u00e4", {ch(0xFC), ch(0xE4)}},
        {"{NOSUCHKEY}{F25}{F0}{F01}a{F8", {ch('a')}},
        {"a)b", {ch('a'), ch('b')}},
        {"^", {}},
        {"", {}},
        {"\xff", {ch(0xFF)}},
        // A count has at most four digits: a longer one is no count, and the braces name no
        // key, rather than a slip of the keyboard typing a key a hundred thousand times.
        {"{LEFT 1234}", std::vector<KeyStroke>(1234, vk(0x25))},
        {"{LEFT 12345}", {}},
    };
    for (const auto& [keys, strokes] : cases) // escaped: not every row is text
        EXPECT_EQ(parseKeystrokes(keys), strokes) << testing::PrintToString(std::string(keys));
    // In the command log a typed character shows as its key; one beyond ASCII as "?".
    EXPECT_EQ(keystrokesText("^a\u0080"), "Strg+A ?");
}

TEST(MissedSteps, EachLeversNetCountPerRegulatorOnceInLeverOrder) {
    MissedSteps missed;
    for (auto [lever, regulator, steps] :
         {std::tuple{3, 1000, 40000}, {2, 1000, 5}, {2, 1001, 1}, {2, 1000, -3}})
        missed.add(lever, regulator, steps);
    using Sent = std::vector<std::tuple<int, int32_t, int32_t>>;
    Sent sent;
    missed.replay([&](int l, int32_t r, int32_t n) { sent.emplace_back(l, r, n); });
    // A count is at most what a regulator command carries.
    EXPECT_EQ(sent, (Sent{{2, 1000, 2}, {2, 1001, 1}, {3, 1000, 32767}}));
    EXPECT_TRUE(missed.empty());
}

TEST(Catalogue, TextsAndListsOfCodesWithMeaning) {
    for (int32_t code : {0, 5, 46, 999, 1004, INT32_MIN})
        EXPECT_EQ(befehlstext(code), "") << code;
    const CommandList list = CommandList::singleCommands("(keine)");
    ASSERT_EQ(list.size(), 45); // entry 0 and 44 commands: code 5 is skipped
    const std::pair<int, int32_t> codes[] = {{0, 0}, {4, 4}, {5, 6}, {44, 45}, {45, 0}, {-1, 0}};
    for (auto [index, code] : codes)
        EXPECT_EQ(list.codeAt(index), code) << index;
    EXPECT_EQ(CommandList::regulatorCommands("").size(), 5);
}

TEST(KeyTable, SettingsAreReadAsTheSimulatorWritesThem) {
    const KeyTable table = keysFrom({{"T17", " 1 2 "},  // blanks inside a number are skipped
                                     {"T2", "\t4\t8x"}, // so are tabs; reading stops at "x"
                                     {"T12", "72.5"},   // halves go to the even neighbour
                                     {"T20", "73.5"},
                                     {"T21", "F5"}}); // no number at all
    // T28 missing; fixed keys (2) and typed commands (11) need no setting.
    const std::pair<int, int> codes[] = {
        {10, 12}, {16, 48}, {19, 72}, {22, 74}, {23, 0},  {28, 0},  {11, 255}, {1, 255},
        {2, 113}, {3, 114}, {4, 115}, {5, 117}, {6, 118}, {7, 123}, {8, 120},  {9, 122}};
    for (auto [code, key] : codes)
        EXPECT_EQ(table[size_t(code)], key) << code;
    std::set<std::string> asked; // each of the simulator's 32 key settings, none twice
    makeKeyTable([&](std::string_view name) { return *asked.emplace(name).first; });
    EXPECT_EQ(asked.size(), 32u);
}

class ZusiSendTest : public ::testing::Test {
protected:
    void connect() {
        window.addWindow(kZusi, "Zusi - Testfahrt");
        window.setForeground(kZusi);
        ASSERT_TRUE(s.GetConnect());
        window.events.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            s.Timer();
    }
    FakeSimWindow window;
    // Fahrschalter auf/ab, Dyn Bremse auf, Bremsventil bremsen, AFB ab, Pfeife.
    ZusiSend s{window, keysFrom({{"T0", "38"},
                                 {"T1", "40"},
                                 {"T10", "65"},
                                 {"T14", "186"},
                                 {"T19", "105"},
                                 {"T9", "72"}})};
};

TEST_F(ZusiSendTest, KeyMessagesFollowTheBefehl) {
    connect();
    // Codes 0 and 5 (no text) are key messages too; keystrokes are typed on Down and DownUp.
    const std::pair<int32_t, int32_t> sends[] = {
        {2, DownUp}, {14, Down}, {14, Up}, {14, 0}, {14, 4},    {14, -1},   {14, 1000},
        {5, Down},   {0, Up},    {11, Up}, {11, 0}, {11, Down}, {1, DownUp}};
    for (auto [code, befehl] : sends)
        s.send(code, befehl);
    EXPECT_EQ(window.events, (Events{down(113), up(113), down(38), up(38), down(117), up(0),
                                     typed("^m"), typed("^{F8}")}));
}

TEST_F(ZusiSendTest, ConnectsToATitleBeginningWithZusiKeepsItAndDropsItClosedOrRetitled) {
    window.setForeground(kOther);
    for (const char* title : {"zusi - kleingeschrieben", "Zus", ""}) {
        window.addWindow(kOther, title);
        for (int32_t code : {2, 11, 37})
            s.send(code, code == 2 ? DownUp : Down);
        EXPECT_FALSE(s.GetConnect()) << title;
    }
    // Found at the first command while it is in the foreground, then kept without asking
    // for the foreground again.
    window.addWindow(kZusi, "Zusi 2");
    window.setForeground(kZusi);
    s.send(2, Down);
    const int queries = window.foregroundQueries;
    window.setForeground(kOther);
    s.send(3, Down);
    EXPECT_EQ(window.foregroundQueries, queries);
    // Once closed it is dropped and the foreground examined again.
    window.closeWindow(kZusi);
    EXPECT_FALSE(s.GetConnect());
    constexpr WindowHandle kNewZusi = 0x4200007;
    window.addWindow(kNewZusi, "Zusi 3");
    window.setForeground(kNewZusi);
    s.send(2, Down);
    EXPECT_EQ(window.events,
              (Events{down(113), down(114), ev(WM_Const::WM_KEYDOWN, 113, kNewZusi)}));
    window.addWindow(kNewZusi, "Fahrplan");
    EXPECT_FALSE(s.GetConnect());
}

TEST_F(ZusiSendTest, RegulatorCountsExpandIntoPressesAndOneRelease) {
    connect();
    for (auto [code, count] : {std::pair{1000, -3}, {1001, 0}, {1001, 1}, {1003, -1}})
        s.send(code, count);
    EXPECT_EQ(window.events,
              (Events{down(40), down(40), down(40), up(40), down(65), up(65), down(105), up(105)}));
    for (int32_t count : {40000, INT32_MIN}) { // the count is cut to 16 bits
        window.events.clear();
        s.send(1000, count);
        ASSERT_EQ(window.events.size(), 32768u) << count;
        EXPECT_EQ(window.events.back(), up(count > 0 ? 38 : 40)) << count;
    }
}

TEST_F(ZusiSendTest, EmergencyBrakeTenPressesAndReleaseOnTheSixthTick) {
    connect();
    // Only Down brakes, ten presses each; another restarts the release count; one release.
    for (int32_t b : {int32_t(Up), int32_t(DownUp), 0, int32_t(Down)})
        s.send(37, b);
    ticks(4);
    s.send(37, Down);
    ticks(5);
    EXPECT_EQ(window.events, Events(20, down(186)));
    ticks(1);
    EXPECT_EQ(window.events.back(), up(186));
    ticks(10);
    EXPECT_EQ(window.events.size(), 21u);
}

TEST_F(ZusiSendTest, ObserverSeesEveryDeliveryAndItsOutcome) {
    using Outcome = ZusiSend::Outcome;
    using T = std::tuple<int32_t, int32_t, Outcome, bool, int>;
    std::vector<T> seen; // the holder as lever * 100 + zone
    s.setObserver([&](const ZusiSend::Event& e) {
        seen.emplace_back(e.pFunktion, e.pBefehl, e.outcome, e.internal,
                          e.holder.index * 100 + e.holder.zone);
    });
    s.send(2, Down);                             // nothing in the foreground
    for (int32_t code : {77, -1, 46, 999, 1004}) // rejected before the window is looked for
        s.send(code, Down);
    EXPECT_EQ(window.foregroundQueries, 1);
    connect();
    HolderSender lever(s, {KeyHolder::Kind::Axis, 2});
    lever.fromZone(3);
    lever.ZusiSend(1000, 2);
    // Where keys reach only the active window, those posted while it is not are marked.
    window.needsActive = true;
    window.setForeground(kOther);
    for (int32_t code : {2, 11, 37}) // the brake's presses go as its own, whatever is in front
        lever.ZusiSend(code, Down);
    std::vector<T> want{{2, Down, Outcome::Dropped, false, 0}};
    for (int32_t code : {77, -1, 46, 999, 1004})
        want.emplace_back(code, Down, Outcome::Rejected, false, 0);
    const Outcome d = Outcome::Delivered; // the regulator's steps are internal
    want.insert(want.end(), {{1000, 2, d, false, 203}, {14, Down, d, true, 203}});
    want.insert(want.end(), {{14, Down, d, true, 203}, {14, Up, d, true, 203}});
    want.insert(want.end(), {{2, Down, Outcome::NotActive, false, 203}, {11, Down, d, false, 203}});
    want.emplace_back(37, Down, Outcome::NotActive, false, 203);
    want.insert(want.end(), 10, {24, Down, d, true, 0}); // the brake valve's, the brake's own
    ticks(6);
    want.emplace_back(24, Up, d, true, 0); // let go on its tick, as the brake's own too
    EXPECT_EQ(seen, want);
    // The keys as a log names them: a regulator's by its direction, the emergency brake's
    // as the brake valve's, a keystroke string's with its modifiers.
    const std::tuple<int32_t, int32_t, const char*> keys[] = {
        {1000, -2, "Taste Pfeil ab"}, {1000, 0, ""}, {37, 1, "Taste Ü"}, {1, 3, "Taste Strg+F8"},
        {11, 1, "Taste Strg+M"},      {23, 1, ""},   {46, 1, ""},        {21, 2, "Taste Num 9"}};
    for (auto [code, befehl, text] : keys)
        EXPECT_EQ(s.keyText(code, befehl), text) << code << " " << befehl;
}

TEST_F(ZusiSendTest, HeldKeysAreReleasedByTheirHolderOnceAndTheirLateKeyUpIsNotSentAgain) {
    using Kind = KeyHolder::Kind;
    connect();
    const KeyHolder button{Kind::Button, 1};
    const KeyHolder axis{Kind::Axis, 2};
    s.send(28, Down, button);   // held horn
    s.send(14, DownUp, button); // a tap: not held
    s.send(1000, 3, button);    // regulator steps end with their own up
    s.send(21, Down, axis);     // AFB ab
    s.send(37, Down, axis);     // the brake's key belongs to the brake
    window.events.clear();
    s.releaseKeys([](const KeyHolder& k) { return k.kind == Kind::Axis; });
    s.send(21, Up, axis); // the axis lets go late: its key is up already
    s.releaseKeys([](const KeyHolder& k) { return k == KeyHolder{Kind::Button, 1}; });
    ticks(6); // the brake's release comes on its tick
    s.send(21, DownUp);
    EXPECT_EQ(window.events, (Events{up(105), up(72), up(186), down(105), up(105)}));
    s.send(37, Down);
    s.send(28, Down);
    window.events.clear();
    s.releaseHeldKeys();
    s.releaseHeldKeys();
    ticks(6); // the emergency brake's delayed release is cancelled
    EXPECT_EQ(window.events, (Events{up(72), up(186)}));
}

} // namespace
} // namespace kordan
