#pragma once

#include "send/ZusiSend.h"

namespace kordan {

class ZusiProfile;

// The one owner of what can leave a key down in the simulator or a repetition running: the
// keys the sender holds for buttons, lever zones and the emergency brake, and the repeat
// countdowns of the profile's buttons and zones. Everything the profile sends for a button
// or a lever goes through here, by a sender handle naming that button or axis, so each held
// key is known by its holder, and here all of it, or what one button, one axis or the
// profile holds, is let go.
class HeldKeys {
public:
    HeldKeys(ZusiSend& sender, ZusiProfile& profile) : m_sender(sender), m_profile(profile) {}

    // The polling loop's changes, sent on behalf of button k (1-44) or lever i (1-7).
    void button(int k, int pressed);
    void lever(int i, int from, int to);
    // One tick of 100 ms: the profile's repetitions when `repeats`, then the brake's release.
    void tick(bool repeats);
    // Nothing repeats and nothing waits for a tick: ticks would change nothing here.
    bool resting() const;

    // Before another profile replaces this one: the keys of its buttons and zones go up,
    // their repetitions stop, the shift layer ends. The emergency brake's release still
    // comes on its own tick.
    void releaseProfile();
    // Before lever i's axis file or direction changes: its zones' keys and repetitions.
    void releaseAxis(int i);
    // Before button k's assignment changes: its key and repetition.
    void releaseButton(int k);
    // Everything, the emergency brake at once: leaving active mode, a controller switched
    // or lost, the end of the program, a tick that failed.
    void releaseAll();

private:
    void release(KeyHolder::Kind kind, int index);

    ZusiSend& m_sender;
    ZusiProfile& m_profile;
};

} // namespace kordan
