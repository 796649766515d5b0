#include "calibration/ZusiKalibrierung.h"

#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/TextFile.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace kordan {

ZusiKalibrierung::ZusiKalibrierung(IDialogs& dialogs, std::string filePath)
    : m_dialogs(dialogs), m_path(std::move(filePath)) {
    Recalculate();
    Load();
}

ZusiKalibrierung::~ZusiKalibrierung() {
    try {
        Save();
    } catch (...) {
        // A failing message box at shutdown must not end the program abnormally.
    }
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
    int raised = int(Rohwert) + int(h.hysterese);
    if (Rohwert > h.Letzter)
        h.Letzter = Rohwert;
    else if (raised < h.Letzter)
        h.Letzter = uint8_t(raised); // raised < Letzter <= 255
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
    if (v > h.Maximum)
        v = h.Maximum;
    if (v < h.Minimum)
        v = h.Minimum;
    double scaled = double((v - h.Minimum) * 255) / double(h.Spanne);
    return toByte(scaled);
}

bool ZusiKalibrierung::hasNoWorkingRange(int index) const {
    return at(index).Spanne <= 0;
}

void ZusiKalibrierung::Recalculate() {
    for (HebelDaten& h : m_hebel) {
        int minimum = int(h.Untere) + int(h.hysterese);
        h.Minimum = uint8_t(minimum > 255 ? 255 : minimum);
        h.Maximum = h.Obere;
        h.Spanne = int(h.Maximum) - int(h.Minimum);
    }
}

bool ZusiKalibrierung::Save() {
    LineWriter w;
    w.text(kFileVersion);
    w.text("[Kalibrierung]");
    for (int i = 1; i <= kMaxHebel; ++i) {
        const HebelDaten& h = m_hebel[i - 1];
        w.text("[Hebel" + std::to_string(i) + "]");
        w.number(h.hysterese);
        w.number(h.Untere);
        w.number(h.Obere);
    }
    std::string reason;
    bool ok = writeFileAtomically(m_path, w.bytes(), &reason);
    Recalculate();
    if (!ok)
        m_dialogs.message(saveFailedMessage(m_path, reason), MsgButtons::Ok, MsgIcon::Exclamation);
    return ok;
}

void ZusiKalibrierung::Load() {
    auto reader = LineReader::open(m_path);
    if (!reader)
        return;
    auto version = reader->next();
    if (!version || *version != kFileVersion) {
        m_dialogs.message("Falsche Version der Datei");
        return;
    }
    const char* formatMessage = "Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig";
    auto header = reader->next();
    if (!header || *header != "[Kalibrierung]") {
        m_dialogs.message(formatMessage);
        return;
    }
    // Read everything first, so a short or damaged file changes nothing.
    std::array<HebelDaten, kMaxHebel> read = m_hebel;
    for (HebelDaten& h : read) {
        if (!reader->next()) { // lever header, read by position only
            m_dialogs.message(formatMessage);
            return;
        }
        for (uint8_t* field : {&h.hysterese, &h.Untere, &h.Obere}) {
            auto line = reader->next();
            if (!line) {
                m_dialogs.message(formatMessage);
                return;
            }
            int64_t value = roundHalfEven(readNumber(*line, Blanks::Anywhere));
            if (value < 0 || value > 255) {
                m_dialogs.message(formatMessage);
                return;
            }
            *field = uint8_t(value);
        }
    }
    for (int i = 0; i < kMaxHebel; ++i) {
        m_hebel[i].hysterese = read[i].hysterese;
        m_hebel[i].Untere = read[i].Untere;
        m_hebel[i].Obere = read[i].Obere;
    }
    m_configured = true;
    Recalculate();
}

} // namespace kordan
