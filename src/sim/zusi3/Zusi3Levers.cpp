#include "sim/zusi3/Zusi3Levers.h"

#include <algorithm>

namespace kordan::zusi3 {

LeverRole roleOfFunction(uint16_t f) {
    if ((f >= 0x01 && f <= 0x05) || (f >= 0x10 && f <= 0x14))
        return LeverRole::Power;
    if (f >= 0x06 && f <= 0x0A)
        return LeverRole::DynamicBrake;
    if (f >= 0x0B && f <= 0x0F)
        return LeverRole::Afb;
    if (f >= 0x15 && f <= 0x19)
        return LeverRole::BrakeValve;
    if (f >= 0x1B && f <= 0x1D)
        return LeverRole::IndependentBrake;
    if (f >= 0x23 && f <= 0x26)
        return LeverRole::Reverser;
    if (f >= 0x31 && f <= 0x33)
        return LeverRole::MainBreaker;
    return LeverRole::Unknown;
}

uint16_t zuordnungOf(LeverRole role) {
    switch (role) {
    case LeverRole::Power:
        return 0x01;
    case LeverRole::DynamicBrake:
        return 0x02;
    case LeverRole::Afb:
        return 0x03;
    case LeverRole::BrakeValve:
        return 0x04;
    case LeverRole::IndependentBrake:
        return 0x05;
    case LeverRole::Reverser:
        return 0x07;
    case LeverRole::MainBreaker:
        return 0x11;
    case LeverRole::Unknown:
        break;
    }
    return 0;
}

const char* roleName(LeverRole role) {
    switch (role) {
    case LeverRole::Power:
        return "Fahrschalter";
    case LeverRole::DynamicBrake:
        return "Dynamische Bremse";
    case LeverRole::Afb:
        return "AFB";
    case LeverRole::BrakeValve:
        return "F\u00fchrerbremsventil";
    case LeverRole::IndependentBrake:
        return "Zusatzbremsventil";
    case LeverRole::Reverser:
        return "Richtungsschalter";
    case LeverRole::MainBreaker:
        return "Hauptschalter";
    case LeverRole::Unknown:
        break;
    }
    return "Hebel";
}

bool isTractionFunction(uint16_t f) {
    return f == FnFahrstufe || f == FnZugkraft;
}

std::optional<int32_t> tapOffset(uint16_t f) {
    switch (f) {
    case FnSchnellaus:
    case FnZugkraftSchnellaus:
        return 0;
    case FnAbschalten:
    case FnZugkraftAbschalten:
        return 1;
    case FnKonstant:
    case FnZugkraftKonstant:
        return 2;
    case FnAufschalten:
    case FnZugkraftAufschalten:
        return 3;
    default:
        return std::nullopt;
    }
}

bool Lever::has(int32_t notch, uint16_t function) const {
    const auto it = seen.find(notch);
    return it != seen.end() &&
           std::find(it->second.begin(), it->second.end(), function) != it->second.end();
}

std::optional<int32_t> Lever::notchWith(uint16_t function) const {
    return notchWhere([function](uint16_t f) { return f == function; });
}

Lever* LeverModel::report(const LeverPosition& position) {
    if (!position.current)
        return nullptr;
    // A lever the simulator does not name goes by what its notch does.
    std::string name = position.name;
    for (uint16_t f : position.functions)
        if (name.empty() && roleOfFunction(f) != LeverRole::Unknown)
            name = roleName(roleOfFunction(f));
    if (name.empty())
        return nullptr;
    auto it = std::find_if(m_levers.begin(), m_levers.end(),
                           [&](const Lever& l) { return l.name == name; });
    const bool fresh = it == m_levers.end();
    Lever& lever = fresh ? m_levers.emplace_back() : *it;
    lever.name = name;
    lever.current = *position.current;
    lever.centre = position.centre.value_or(lever.centre);
    lever.highest = std::max(position.highest.value_or(lever.highest), 0);
    if (fresh)
        lever.first = lever.current;
    lever.seen[lever.current] = position.functions;
    ++lever.reports;
    for (uint16_t f : position.functions) {
        const LeverRole role = roleOfFunction(f);
        // A combined lever with braking notches is operated as the power controller.
        if (lever.role == LeverRole::Unknown ||
            (lever.role == LeverRole::DynamicBrake && role == LeverRole::Power))
            lever.role = role == LeverRole::Unknown ? lever.role : role;
    }
    return &lever;
}

Lever* LeverModel::find(LeverRole role) {
    auto it = std::find_if(m_levers.begin(), m_levers.end(),
                           [role](const Lever& l) { return l.role == role; });
    return it == m_levers.end() ? nullptr : &*it;
}

const Lever* LeverModel::find(LeverRole role) const {
    return const_cast<LeverModel*>(this)->find(role);
}

void LeverModel::clear() {
    m_levers.clear();
    ++m_generation;
}

} // namespace kordan::zusi3
