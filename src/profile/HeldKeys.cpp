#include "profile/HeldKeys.h"

#include "profile/ZusiProfile.h"

namespace kordan {

using Kind = KeySource::Kind;

void HeldKeys::button(int k, int pressed) {
    SourceScope scope(m_sender, {Kind::Button, k});
    m_profile.doButton(m_sender, k, static_cast<int16_t>(pressed));
}

void HeldKeys::lever(int i, int from, int to) {
    SourceScope scope(m_sender, {Kind::Axis, i});
    m_profile.Axis(i).NewValue(from, to, false, m_sender);
}

void HeldKeys::tick(bool repeats) {
    // The profile's tick, a button or lever at a time: a repetition is its holder's own.
    for (int k = 1; repeats && k <= ZusiProfile::MaxButtons; ++k) {
        SourceScope scope(m_sender, {Kind::Button, k});
        m_profile.buttonTimer(m_sender, k);
    }
    for (int i = 1; repeats && i <= ZusiProfile::MaxAxes; ++i) {
        SourceScope scope(m_sender, {Kind::Axis, i});
        m_profile.Axis(i).Timer(m_sender);
    }
    m_sender.Timer();
}

void HeldKeys::releaseProfile() {
    m_sender.releaseKeys([](const KeySource& s) { return s.kind != Kind::Brake; });
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
    m_sender.releaseKeys([=](const KeySource& s) { return s.kind == kind && s.index == index; });
}

} // namespace kordan
