#pragma once

#include "send/CommandSender.h"
#include "send/SimWindow.h"
#include "send/ZusiSendKonstanten.h"

#include <array>
#include <cstdint>
#include <functional>
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

// Routes ICommandSender's delivery to `send`: a class may not declare a member function
// of its own name, and the delivery class is called ZusiSend like its operation.
class ZusiSendDelivery : public ICommandSender {
public:
    void ZusiSend(int32_t pFunktion, int32_t pBefehl) final { send(pFunktion, pBefehl); }
    virtual void send(int32_t pFunktion, int32_t pBefehl) = 0;
};

// Delivers commands to the simulator: finds its window as the foreground window whose
// title begins with "Zusi", keeps it, posts key messages to it, types the four keystroke
// commands into the active window, expands the emergency brake and regulator counts, and
// releases the emergency brake's key six ticks later. One instance lives as long as the
// main window; everything runs on the user-interface thread.
class ZusiSend : public ZusiSendDelivery {
public:
    // What became of one delivery, for an observer such as a command log.
    enum class Outcome {
        Delivered, // handed to the window system (posted, typed, expanded or a no-op Befehl)
        Dropped,   // the simulator's window was not found
        Rejected,  // the code has no meaning; nothing happened
    };
    // Called for every delivery, also those the sender makes itself: the ten presses of
    // the emergency brake, the steps of a regulator count and the delayed release. They
    // are marked `internal`.
    using Observer =
        std::function<void(int32_t pFunktion, int32_t pBefehl, Outcome outcome, bool internal)>;

    // `keys` is read once, when the sender is made: changed simulator settings apply at the
    // next start. `window` must outlive the sender.
    ZusiSend(ISimWindow& window, const KeyTable& keys);

    // The delivery (ICommandSender::ZusiSend ends here). A code outside 0-45 and
    // 1000-1003 is rejected without any effect.
    void send(int32_t pFunktion, int32_t pBefehl) override;

    // Once per 100 ms tick: counts down the emergency brake's delayed release.
    void Timer();

    // True when the simulator's window is known and still carries its title; looks at
    // the foreground window first when none is known.
    bool GetConnect();

    // The command's display text ("" for codes without one).
    static std::string Befehlstext(int32_t Befehl);

    void setObserver(Observer observer) { m_observer = std::move(observer); }

    // Sends the key-up for every key still held down (a button or zone with Hold, the
    // emergency brake waiting for its release), so the simulator is not left with a stuck
    // key when the program ends or the controller is switched.
    void releaseHeldKeys();

    // Read-only views for the main window's display and for tests.
    WindowHandle zusiWnd() const { return m_zusiWnd; }
    bool connected() const { return m_connected; }

private:
    void Connect();
    bool IsZusiWindow();
    void deliver(int32_t pFunktion, int32_t pBefehl, bool internal);
    void notify(int32_t pFunktion, int32_t pBefehl, Outcome outcome, bool internal);

    ISimWindow& m_window;
    WindowHandle m_zusiWnd = 0;
    bool m_connected = false;
    KeyTable m_keyTable;
    int32_t m_brakeReleaseCount = 0;
    std::set<std::pair<WindowHandle, int32_t>>
        m_held; // (window, virtual key) pressed, not released
    Observer m_observer;
};

} // namespace kordan
