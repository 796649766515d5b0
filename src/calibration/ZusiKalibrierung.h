#pragma once

#include "common/LoadResult.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kordan {

class IDialogs;

// What "Kalibrierung.dat" stores for one lever.
struct LeverLimits {
    uint8_t hysterese = 4;
    uint8_t Untere = 0;
    uint8_t Obere = 255;
    bool operator==(const LeverLimits&) const = default;
};
using CalibrationValues = std::array<LeverLimits, 7>;

enum class CalibrationError { WrongVersion, BadFormat, TooShort, OutOfRange };

// The file's bytes to values, or why they are refused. Value lines are read leniently
// (blanks anywhere, a fraction rounded half to even) but must lie within 0-255.
std::variant<CalibrationValues, CalibrationError> parseCalibration(std::string_view bytes);
// The file's bytes for the values.
std::string writeCalibration(const CalibrationValues& values);

// Calibration of the seven levers: raw limits and a hysteresis per lever, the scaling of
// a raw byte to 0-255, and the file "Kalibrierung.dat". Indices are 1..maxHebel; any
// other index throws std::out_of_range and changes nothing.
class ZusiKalibrierung {
public:
    static constexpr int16_t kMaxHebel = 7;

    // Sets the initial values and loads `filePath` (the program's "Kalibrierung.dat").
    ZusiKalibrierung(IDialogs& dialogs, std::string filePath);
    // The initial values and no file, for runs that must leave the user's file alone.
    explicit ZusiKalibrierung(IDialogs& dialogs);
    ZusiKalibrierung(const ZusiKalibrierung&) = delete;
    ZusiKalibrierung& operator=(const ZusiKalibrierung&) = delete;

    int16_t maxHebel() const { return kMaxHebel; }

    uint8_t hysterese(int index) const;
    void setHysterese(int index, uint8_t value);
    uint8_t Untere(int index) const;
    void setUntere(int index, uint8_t value);
    uint8_t Obere(int index) const;
    void setObere(int index, uint8_t value);

    // One-sided hysteresis filter; advances the lever's held value.
    uint8_t HystWert(int index, uint8_t Rohwert);
    // The lever value 0-255 of a raw byte.
    uint8_t Calculate(int index, uint8_t Rohwert);

    bool IsConfigured() const { return m_configured; }
    // Reads the file; a refused one is told to the dialogs and changes nothing. A missing
    // one is no news: the program has not been calibrated yet.
    LoadResult load();
    // Writes the file and then derives the working limits from the stored ones, also when
    // the file could not be written. The program calls it at its regular end.
    SaveReport Save();

    const std::string& filePath() const { return m_path; }
    // True when the lever's limits leave no working range, so it cannot cover 0-255.
    bool hasNoWorkingRange(int index) const;

private:
    struct HebelDaten {
        uint8_t hysterese = 4;
        uint8_t Untere = 0;
        uint8_t Obere = 255;
        uint8_t Maximum = 255;
        uint8_t Minimum = 4;
        int Spanne = 251;
        uint8_t Letzter = 0;
    };

    HebelDaten& at(int index);
    const HebelDaten& at(int index) const;
    void Recalculate();

    IDialogs& m_dialogs;
    std::string m_path;
    std::array<HebelDaten, kMaxHebel> m_hebel{};
    bool m_configured = false;
    // The file was there but refused: it is kept as a copy before the first write over it.
    bool m_keepBeforeWriting = false;
};

} // namespace kordan
