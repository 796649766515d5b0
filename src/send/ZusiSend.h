#pragma once

#include "send/CommandSender.h"
#include "send/MissedSteps.h"
#include "send/SimChannel.h"
#include "send/SimWindow.h"
#include "send/ZusiSendKonstanten.h"

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace kordan {

// The virtual key of every command code, indexed by the code.
using KeyTable = std::array<int32_t, ZusiSendKonstanten::KeyTableSize>;

// The key table from the simulator's keyboard settings: the fixed keys, and for each key
// the user can set, the number `setting(name)` gives (a missing setting reads as "", 0).
KeyTable makeKeyTable(const std::function<std::string(std::string_view name)>& setting);

// Who a key held down belongs to: a button (1-44), a lever's axis (1-7), the emergency brake
// waiting for its release, or nobody in particular (sent outside any button or lever).
struct KeyHolder {
    enum class Kind : uint8_t { None, Button, Axis, Brake };
    Kind kind = Kind::None;
    int index = 0;
    int zone = 0; // of an axis: the zone (1-32) that sends, 0 for none; no part of holding
    bool operator==(const KeyHolder&) const = default;
};

// Delivers commands to the simulator: finds its window as the foreground window whose
// title begins with "Zusi", keeps it, posts key messages to it, types the four keystroke
// commands into the active window, expands the emergency brake and regulator counts, and
// releases the emergency brake's key six ticks later. One instance lives as long as the
// main window; everything runs on the user-interface thread.
class ZusiSend {
public:
    // What became of one delivery, for an observer such as a command log.
    enum class Outcome {
        Delivered,    // handed to the window system (posted, typed, expanded or a no-op Befehl)
        Dropped,      // the simulator's window was not found (or its channel is not connected)
        Rejected,     // the code has no meaning; nothing happened
        NotActive,    // posted, but the kept window is not the active one and the window
                      // system delivers keys only there (ISimWindow::keysNeedActiveWindow)
        NotAvailable, // the channel in use has no way for it; nothing happened
    };
    // One delivery, with all an observer shows of it.
    struct Event {
        int32_t pFunktion = 0;
        int32_t pBefehl = 0;
        Outcome outcome = Outcome::Delivered;
        // One the sender makes itself: the ten presses of the emergency brake, the steps of
        // a regulator count and the delayed release.
        bool internal = false;
        KeyHolder holder; // whoever the delivery is for
        // Befehlstext(pFunktion) and keyText(pFunktion, pBefehl) as it was when sent; ""
        // for an internal one, whose command was named already.
        std::string text;
        std::string key;
    };
    // Called for every delivery, also the sender's own.
    using Observer = std::function<void(const Event&)>;

    // `keys` is read once, when the sender is made: changed simulator settings apply at the
    // next start. `window` must outlive the sender.
    ZusiSend(ISimWindow& window, const KeyTable& keys);
    // Keys read again because the first read was incomplete; held keys keep theirs.
    void setKeyTable(const KeyTable& keys) { m_keyTable = keys; }

    // The delivery of a command for `holder`, who holds a key it leaves down. A code
    // outside 0-45 and 1000-1003 is rejected without any effect.
    void send(int32_t pFunktion, int32_t pBefehl, const KeyHolder& holder = {});
    // A regulator zone's movement: set absolutely where the channel can, else stepped.
    void ZusiRegler(int32_t pFunktion, int32_t steps, int32_t zoneNotch, int32_t zoneNotches,
                    const KeyHolder& holder = {});

    // From now on commands go by `channel`'s routes (null: all as keys again). Keys held
    // until now are the caller's to release first. `channel` must outlive its use here.
    void setChannel(ISimChannel* channel) { m_channel = channel; }

    // Once per 100 ms tick: counts down the emergency brake's delayed release. The release
    // lets go only what the brake still holds: a key its holder let go already, or one a
    // button took over, gets no second key-up.
    void Timer();
    // The brake's release or missed regulator steps wait for ticks.
    bool waitsForTick() const { return m_brakeReleaseCount > 0 || !m_missed.empty(); }

    // True when the simulator's window is known and still carries its title; looks at
    // the foreground window first when none is known. With a channel: its connection.
    bool GetConnect();

    // Where keys reach only the active window: true while the simulator's window is known
    // but behind another one, so keys sent now go nowhere. Once it is in front again, the
    // regulator steps the levers gave meanwhile are sent (MissedSteps). Once per tick.
    bool keysHeldBack();

    // The command's display text ("" for codes without one).
    static std::string Befehlstext(int32_t Befehl);
    // The keys a delivery presses, as the user names them: "Taste F8" (for a regulator count
    // the key of its direction, for the emergency brake the brake valve's), "Taste Strg+M" for
    // a keystroke string; "" when it presses none.
    std::string keyText(int32_t pFunktion, int32_t pBefehl) const;

    void setObserver(Observer observer) { m_observer = std::move(observer); }

    // Sends the key-up for every key still held down whose holder `which` accepts; the
    // emergency brake's pending release goes with its key. The key-up its holder sends
    // later for such a key is not sent a second time.
    void releaseKeys(const std::function<bool(const KeyHolder&)>& which);
    void releaseHeldKeys() {
        releaseKeys([](const KeyHolder&) { return true; });
    }

    // Read-only views for the main window's display and for tests.
    WindowHandle zusiWnd() const { return m_zusiWnd; }
    bool connected() const { return m_connected; }

private:
    void Connect();
    bool IsZusiWindow();
    void deliver(int32_t pFunktion, int32_t pBefehl, bool internal, const KeyHolder& holder);
    void notify(int32_t pFunktion, int32_t pBefehl, Outcome outcome, bool internal,
                const KeyHolder& holder);
    ISimChannel::Route routeOf(int32_t pFunktion) const;
    void press(int32_t pFunktion, int32_t pBefehl, bool channel, const KeyHolder& holder);
    // The emergency brake: ten presses of the brake valve's key, or over a channel the
    // channel's own emergency brake, held by the brake until the release.
    void pullBrake(bool channel);

    ISimWindow& m_window;
    WindowHandle m_zusiWnd = 0;
    bool m_connected = false;
    KeyTable m_keyTable;
    int32_t m_brakeReleaseCount = 0;
    // A key of a window, or a command the channel carries (then `id` is its code).
    struct Key {
        bool channel = false;
        WindowHandle window = 0;
        int32_t id = 0; // virtual key or command code
        auto operator<=>(const Key&) const = default;
    };
    void letGo(const Key& key);
    // The key a command presses: over the channel its code, else its key in the window.
    Key keyOf(int32_t pFunktion, bool channel) const;
    Key m_brakeKey;                  // what the emergency brake pressed last
    std::map<Key, KeyHolder> m_held; // pressed, not released; by its first holder
    std::set<Key> m_releasedEarly;   // let go by releaseKeys, before their holder did
    ISimChannel* m_channel = nullptr;
    Observer m_observer;
    MissedSteps m_missed;
};

// A button's or a lever's own way to the sender: what the profile sends through it is
// held by `holder`, and a lever's zones name themselves in it as they send.
class HolderSender final : public ICommandSender {
public:
    HolderSender(kordan::ZusiSend& sender, KeyHolder holder) : m_sender(sender), m_holder(holder) {}
    void ZusiSend(int32_t pFunktion, int32_t pBefehl) override {
        m_sender.send(pFunktion, pBefehl, m_holder);
    }
    void fromZone(int32_t zone) override { m_holder.zone = zone; }
    void ZusiRegler(int32_t pFunktion, int32_t steps, int32_t zoneNotch,
                    int32_t zoneNotches) override {
        m_sender.ZusiRegler(pFunktion, steps, zoneNotch, zoneNotches, m_holder);
    }

private:
    kordan::ZusiSend& m_sender;
    KeyHolder m_holder;
};

} // namespace kordan
