#include "calibration/ZusiKalibrierung.h"

#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/TextFile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kordan {

std::variant<CalibrationValues, CalibrationError> parseCalibration(std::string_view bytes) {
    LineReader reader(bytes);
    auto version = reader.next();
    if (!version || *version != kFileVersion)
        return CalibrationError::WrongVersion;
    auto header = reader.next();
    if (!header || *header != "[Kalibrierung]")
        return CalibrationError::BadFormat;
    CalibrationValues values{};
    for (LeverLimits& h : values) {
        if (!reader.next()) // the lever's header, read by position only
            return CalibrationError::TooShort;
        for (uint8_t* field : {&h.hysterese, &h.Untere, &h.Obere}) {
            auto line = reader.next();
            if (!line)
                return CalibrationError::TooShort;
            int64_t value = roundHalfEven(readNumber(*line, Blanks::Anywhere));
            if (value < 0 || value > 255)
                return CalibrationError::OutOfRange;
            *field = uint8_t(value);
        }
    }
    return values;
}

std::string writeCalibration(const CalibrationValues& values) {
    LineWriter w;
    w.text(kFileVersion);
    w.text("[Kalibrierung]");
    for (size_t i = 0; i < values.size(); ++i) {
        w.text("[Hebel" + std::to_string(i + 1) + "]");
        w.number(values[i].hysterese);
        w.number(values[i].Untere);
        w.number(values[i].Obere);
    }
    return w.bytes();
}

ZusiKalibrierung::ZusiKalibrierung(IDialogs& dialogs, std::string filePath)
    : m_dialogs(dialogs), m_path(std::move(filePath)) {
    Recalculate();
    load();
}

ZusiKalibrierung::ZusiKalibrierung(IDialogs& dialogs) : m_dialogs(dialogs) {
    Recalculate();
}

ZusiKalibrierung::HebelDaten& ZusiKalibrierung::at(int index) {
    if (index < 1 || index > kMaxHebel)
        throw std::out_of_range("Hebelnummer ausserhalb 1-7");
    return m_hebel[index - 1];
}

const ZusiKalibrierung::HebelDaten& ZusiKalibrierung::at(int index) const {
    return const_cast<ZusiKalibrierung*>(this)->at(index);
}

uint8_t ZusiKalibrierung::hysterese(int index) const {
    return at(index).hysterese;
}
void ZusiKalibrierung::setHysterese(int index, uint8_t value) {
    at(index).hysterese = value;
}
uint8_t ZusiKalibrierung::Untere(int index) const {
    return at(index).Untere;
}
void ZusiKalibrierung::setUntere(int index, uint8_t value) {
    at(index).Untere = value;
}
uint8_t ZusiKalibrierung::Obere(int index) const {
    return at(index).Obere;
}
void ZusiKalibrierung::setObere(int index, uint8_t value) {
    at(index).Obere = value;
}

uint8_t ZusiKalibrierung::HystWert(int index, uint8_t Rohwert) {
    HebelDaten& h = at(index);
    // A rise is followed at once, a fall only once it is more than the hysteresis.
    h.Letzter = uint8_t(std::clamp(int(h.Letzter), int(Rohwert), int(Rohwert) + int(h.hysterese)));
    return h.Letzter;
}

uint8_t ZusiKalibrierung::Calculate(int index, uint8_t Rohwert) {
    HebelDaten& h = at(index);
    int v = HystWert(index, Rohwert);
    if (h.Spanne <= 0) {
        // The limits leave no working range (hand-edited file, or a hysteresis as large as
        // the lever's travel): the lever then acts as a switch at its lower working limit
        // instead of dividing by zero.
        return v >= h.Minimum ? 255 : 0;
    }
    v = std::clamp(v, int(h.Minimum), int(h.Maximum));
    double scaled = double((v - h.Minimum) * 255) / double(h.Spanne);
    return toByte(scaled);
}

bool ZusiKalibrierung::hasNoWorkingRange(int index) const {
    return at(index).Spanne <= 0;
}

void ZusiKalibrierung::Recalculate() {
    for (HebelDaten& h : m_hebel) {
        h.Minimum = uint8_t(std::min(int(h.Untere) + int(h.hysterese), 255));
        h.Maximum = h.Obere;
        h.Spanne = int(h.Maximum) - int(h.Minimum);
    }
}

SaveReport ZusiKalibrierung::Save() {
    CalibrationValues values;
    for (int i = 0; i < kMaxHebel; ++i)
        values[i] = {m_hebel[i].hysterese, m_hebel[i].Untere, m_hebel[i].Obere};
    // The user's measured values are in a refused file more often than not (one value out
    // of range, a file of another version): it is never replaced without keeping it.
    SaveReport report = saveFile(m_path, writeCalibration(values), m_keepBeforeWriting);
    if (report.result == SaveResult::Saved)
        m_keepBeforeWriting = false;
    Recalculate();
    return report;
}

LoadResult ZusiKalibrierung::load() {
    LoadReport report{LoadReport::File::Calibration, LoadResult::NotFound, m_path, {}, {}};
    bool tooLarge = false;
    auto bytes = readFileBytes(m_path, kOwnFileLimit, &tooLarge);
    if (!bytes && !tooLarge)
        return report.result;
    auto parsed = bytes ? parseCalibration(*bytes) : CalibrationError::BadFormat;
    if (auto* error = std::get_if<CalibrationError>(&parsed)) {
        m_keepBeforeWriting = true;
        report.result = LoadResult::Rejected;
        if (!tooLarge)
            report.error = *error == CalibrationError::WrongVersion ? FileError::WrongVersion
                           : *error == CalibrationError::TooShort   ? FileError::TooShort
                                                                    : FileError::BadFormat;
        m_dialogs.tell(report);
        return report.result;
    }
    const CalibrationValues& values = std::get<CalibrationValues>(parsed);
    for (int i = 0; i < kMaxHebel; ++i) {
        m_hebel[i].hysterese = values[i].hysterese;
        m_hebel[i].Untere = values[i].Untere;
        m_hebel[i].Obere = values[i].Obere;
    }
    m_configured = true;
    Recalculate();
    return LoadResult::Loaded;
}

} // namespace kordan
