#include "profile/HeldKeys.h"

#include "profile/ZusiProfile.h"

namespace kordan {

using Kind = KeyHolder::Kind;

void HeldKeys::button(int k, int pressed) {
    HolderSender se(m_sender, {Kind::Button, k});
    m_profile.doButton(se, k, static_cast<int16_t>(pressed));
}

void HeldKeys::lever(int i, int from, int to) {
    HolderSender se(m_sender, {Kind::Axis, i});
    m_profile.Axis(i).NewValue(from, to, false, se);
}

void HeldKeys::tick(bool repeats) {
    // The profile's tick, a button or lever at a time: a repetition is its holder's own.
    for (int k = 1; repeats && k <= ZusiProfile::MaxButtons; ++k) {
        HolderSender se(m_sender, {Kind::Button, k});
        m_profile.buttonTimer(se, k);
    }
    for (int i = 1; repeats && i <= ZusiProfile::MaxAxes; ++i) {
        HolderSender se(m_sender, {Kind::Axis, i});
        m_profile.Axis(i).Timer(se);
    }
    m_sender.Timer();
}

bool HeldKeys::resting() const {
    return !m_profile.repeating() && !m_sender.waitsForTick();
}

void HeldKeys::releaseProfile() {
    m_sender.releaseKeys([](const KeyHolder& h) { return h.kind != Kind::Brake; });
    m_profile.stopRepeats();
}

void HeldKeys::releaseAxis(int i) {
    release(Kind::Axis, i);
    m_profile.Axis(i).stopRepeats();
}

void HeldKeys::releaseButton(int k) {
    release(Kind::Button, k);
    m_profile.stopRepeat(k);
}

void HeldKeys::releaseAll() {
    m_sender.releaseHeldKeys();
    m_profile.stopRepeats();
}

void HeldKeys::release(Kind kind, int index) {
    m_sender.releaseKeys([=](const KeyHolder& h) { return h.kind == kind && h.index == index; });
}

} // namespace kordan
