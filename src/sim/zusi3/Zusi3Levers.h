#pragma once

#include "sim/zusi3/Zusi3Messages.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The combined levers of the train in the simulator as it reports them: where each stands,
// its range, and what each notch it has stood on does. The simulator tells only the
// functions of the notch a lever is on, so the picture fills in as the levers move; the
// rest is inferred from the published notch orders and checked against the next report.
namespace kordan::zusi3 {

enum class LeverRole {
    Unknown,
    Power,            // Fahrschalter: traction notches, tap-changer positions
    DynamicBrake,     // Dyn Bremse
    Afb,              // speed control
    BrakeValve,       // Führerbremsventil
    IndependentBrake, // Zusatzbremsventil
    Reverser,         // Richtungsschalter
    MainBreaker,      // Hauptschalter
};

// The role a notch function tells; Unknown for functions of no lever the program drives.
LeverRole roleOfFunction(uint16_t function);
// The control group inputs for a lever of this role go to (0 for Unknown).
uint16_t zuordnungOf(LeverRole role);
// The lever's name in the command log when the simulator has not named it.
const char* roleName(LeverRole role);

// Notch functions the program looks for.
enum LeverFunction : uint16_t {
    FnFahrstufe = 0x01,
    FnSchnellaus = 0x02,
    FnAufschalten = 0x03,
    FnKonstant = 0x04,
    FnAbschalten = 0x05,
    FnDynAuf0 = 0x07,
    FnAfb0 = 0x0C,
    FnZugkraft = 0x10,
    FnZugkraftSchnellaus = 0x11,
    FnZugkraftAufschalten = 0x12,
    FnZugkraftKonstant = 0x13,
    FnZugkraftAbschalten = 0x14,
    FnHllFuellen = 0x15,
    FnHllSchnellbremsung = 0x19,
    FnZbvLoesen = 0x1B,
    FnZbvBremsen = 0x1D,
    FnRischaV = 0x23,
    FnRischaR = 0x26,
    FnHauptschalterAus = 0x31,
    FnHauptschalterEin = 0x33,
};

// A notch function that sets traction by itself (Fahrstufe, Zugkraft absolut).
bool isTractionFunction(uint16_t function);
// A tap-changer position: where in the order Schnellaus, Ab, Fahrt, Auf it stands (0-3);
// nullopt for other functions.
std::optional<int32_t> tapOffset(uint16_t function);

struct Lever {
    std::string name;
    LeverRole role = LeverRole::Unknown;
    int32_t current = 0;
    int32_t centre = 0;
    int32_t highest = 0;
    // Where the lever stood at its first report: where the train was taken over, usually
    // the running position.
    int32_t first = 0;
    std::map<int32_t, std::vector<uint16_t>> seen; // functions of every notch reported
    uint32_t reports = 0;                          // positions reported since the train began
    // The notch change one "Auf" step makes. Assumed +1 (as on the power controller) until a
    // step is seen to go the other way on this train.
    int32_t aufDelta = 1;

    bool has(int32_t notch, uint16_t function) const;
    // The notch last seen with `function`, if any.
    std::optional<int32_t> notchWith(uint16_t function) const;
    // The notch last seen with one of the functions `pred` accepts.
    template <class Pred> std::optional<int32_t> notchWhere(Pred pred) const {
        std::optional<int32_t> found;
        for (const auto& [notch, functions] : seen)
            for (uint16_t f : functions)
                if (pred(f))
                    found = notch;
        return found;
    }
    // The end of the lever (0 or highest) that is not `notch`'s: a function known at one end
    // puts its opposite at the other.
    int32_t otherEnd(int32_t notch) const { return notch * 2 >= highest ? 0 : highest; }
};

// The levers of one train, by the name the simulator gives them.
class LeverModel {
public:
    // Takes one reported lever position; the lever it updated. A lever without a name is
    // named by its role; one with neither, or without a current notch, is not taken (nullptr).
    Lever* report(const LeverPosition& position);
    // The first lever of `role`; nullptr when the simulator has reported none.
    Lever* find(LeverRole role);
    const Lever* find(LeverRole role) const;
    const std::vector<Lever>& levers() const { return m_levers; }
    // A train newly taken over, or the connection gone: nothing known any more.
    void clear();
    // Counts the clears, so that whoever keeps state about the levers can tell.
    uint32_t generation() const { return m_generation; }

private:
    std::vector<Lever> m_levers;
    uint32_t m_generation = 0;
};

} // namespace kordan::zusi3
