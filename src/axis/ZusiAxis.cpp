#include "axis/ZusiAxis.h"

#include "axis/StoredFiles.h"
#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "send/CommandSender.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace kordan {

namespace {

constexpr const char* kFilter = "Achsen-Konfiguration (*.axr)|*.axr|Alle Dateien (*.*)|*.*";
constexpr const char* kNotFound =
    "Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird gelöscht";
constexpr const char* kWrongVersion = "Falsche Version der Datei";
constexpr const char* kBadFormat = "Dateiformat ungültig";

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// Repeat + 1 without overflowing on a hand-edited maximum.
int32_t firstCountdown(int32_t repeat) {
    return repeat == INT32_MAX ? repeat : repeat + 1;
}

// The nine lines of a zone block; nullopt when the file ends inside it.
std::optional<ZusiZone> readZone(LineReader& in) {
    ZusiZone z;
    auto label = in.next();
    if (!label)
        return std::nullopt;
    z.Bezeichnung = *label;
    for (int32_t* field : {&z.Start, &z.Ende, &z.Funktion, &z.Hold, &z.Repeat, &z.RegelFunktion,
                           &z.RegelStep, &z.Release}) {
        auto line = in.next();
        if (!line)
            return std::nullopt;
        *field = readInt32(*line);
    }
    return z;
}

} // namespace

ZusiAxis::ZusiAxis(IDialogs& dialogs, std::string programDir)
    : m_dialogs(dialogs), m_programDir(std::move(programDir)) {}

void ZusiAxis::setZoneCount(int32_t count) {
    m_zoneCount = std::clamp<int32_t>(count, 0, MaxZones);
}

ZusiZone& ZusiAxis::Zone(int index) {
    if (index < 0 || index >= MaxZones)
        throw std::out_of_range("Zonennummer ausserhalb 0-31");
    return m_zones[size_t(index)];
}

const ZusiZone& ZusiAxis::Zone(int index) const {
    return const_cast<ZusiAxis*>(this)->Zone(index);
}

std::string ZusiAxis::Bezeichnung() const {
    return baseName(m_dateiname);
}

void ZusiAxis::Neu() {
    m_flip = 0;
    m_zoneCount = 0;
    m_dateiname.clear();
}

void ZusiAxis::NewValue(int32_t oldVal, int32_t newVal, bool POV, ICommandSender& se) {
    if (m_dateiname.empty())
        return;
    if (m_flip == 1) {
        oldVal = 255 - oldVal;
        newVal = 255 - newVal;
    }
    // Each zone is judged on its own, always in index order: the order of the commands
    // does not depend on the direction of the movement.
    for (int32_t i = 0; i < m_zoneCount; ++i) {
        ZusiZone& z = m_zones[size_t(i)];
        const int32_t s = z.Start, e = z.Ende;
        const bool touches = (newVal >= s || oldVal >= s) && (newVal <= e || oldVal <= e);
        if (!touches)
            continue;
        const bool oldInside = s <= oldVal && oldVal <= e;
        const bool newInside = s <= newVal && newVal <= e;
        if (oldInside && newInside) {
            // Innerhalb: only the regulator below.
        } else if ((oldVal < s && newVal > e) || (oldVal > e && newVal < s)) {
            // Ueberschaltet
            if (!POV && z.Funktion != 0) {
                se.ZusiSend(z.Funktion, Down);
                se.ZusiSend(z.Funktion, Up);
            }
        } else if (oldInside) {
            // Austritt
            if (z.Release != 0)
                se.ZusiSend(z.Release, DownUp);
            // Any non-zero Hold kept the key down on entry, so any non-zero Hold lets it
            // up here; testing for exactly 1 would leave a key stuck for other values.
            if (z.Hold != 0 && z.Funktion != 0)
                se.ZusiSend(z.Funktion, Up);
            if (z.Repeat != 0)
                z.Timer = 0;
        } else if (newInside) {
            // Eintritt
            if (z.Funktion != 0) {
                se.ZusiSend(z.Funktion, Down);
                if (z.Hold == 0)
                    se.ZusiSend(z.Funktion, Up);
                if (z.Repeat != 0)
                    z.Timer = firstCountdown(z.Repeat);
            }
        }
        if (z.RegelFunktion != 0)
            se.ZusiSend(z.RegelFunktion, z.CalculateRegler(oldVal, newVal));
    }
}

void ZusiAxis::Timer(ICommandSender& se) {
    for (int32_t i = 0; i < m_zoneCount; ++i) {
        ZusiZone& z = m_zones[size_t(i)];
        if (z.Timer <= 0)
            continue;
        if (--z.Timer == 0) {
            se.ZusiSend(z.Funktion, Down);
            if (z.Hold == 0)
                se.ZusiSend(z.Funktion, Up);
            z.Timer = z.Repeat;
        }
    }
}

bool ZusiAxis::load(const std::string& Dateiname) {
    return LoadFile(Dateiname);
}

bool ZusiAxis::Save() {
    return SaveFile(false);
}

bool ZusiAxis::SaveAs() {
    return SaveFile(true);
}

bool ZusiAxis::SaveFile(bool bSaveAs) {
    std::string target = m_dateiname;
    if (target.empty() || bSaveAs) {
        FileChoice choice = m_dialogs.saveFile(kFilter, m_programDir, nativePath(m_dateiname));
        if (choice.result == FileChoice::Result::Failed)
            m_dialogs.message(runtimeErrorMessage(choice));
        if (choice.result != FileChoice::Result::Chosen)
            return false;
        target = choice.path;
    }

    const std::string bytes =
        axisFileBytes(std::span<const ZusiZone>(m_zones).first(size_t(m_zoneCount)));
    const std::string path = openablePath(m_programDir, target);
    std::string reason;
    if (!writeFileAtomically(path, bytes, &reason)) {
        m_dialogs.message(saveFailedMessage(path, reason), MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    // Only a file that now holds these zones becomes the axis's file.
    m_dateiname = target;
    return true;
}

void ZusiAxis::rejectFile(const char* message) {
    m_dialogs.message(message);
    // The zones in memory belong to another file; leaving them active under this file's
    // name would let the lever give that file's commands. The records stay as they are.
    m_zoneCount = 0;
}

bool ZusiAxis::LoadFile(const std::string& Dateiname) {
    if (Dateiname.empty()) {
        FileChoice choice = m_dialogs.openFile(kFilter, m_programDir);
        if (choice.result == FileChoice::Result::Failed)
            m_dialogs.message(runtimeErrorMessage(choice));
        if (choice.result != FileChoice::Result::Chosen)
            return false;
        m_dateiname = choice.path;
        // Files in and below the program's directory are stored relative to it, so a
        // profile keeps working when the program's directory moves.
        std::string prefix = m_programDir;
        if (!prefix.empty() && prefix.back() != kSeparator)
            prefix += kSeparator;
        if (!m_programDir.empty() && m_dateiname.size() > prefix.size() &&
            m_dateiname.compare(0, prefix.size(), prefix) == 0)
            m_dateiname.erase(0, prefix.size());
    } else {
        m_dateiname = Dateiname;
    }

    auto in = LineReader::open(openablePath(m_programDir, m_dateiname));
    if (!in) {
        m_dialogs.message(kNotFound, MsgButtons::Ok, MsgIcon::Information);
        m_dateiname.clear();
        return false;
    }
    auto version = in->next();
    m_fileVersion = version.value_or("");
    if (!version || *version != kFileVersion) {
        rejectFile(kWrongVersion);
        return false;
    }
    auto header = in->next();
    if (!header || *header != "[Zones]") {
        rejectFile(kBadFormat);
        return false;
    }
    auto countLine = in->next();
    if (!countLine) {
        rejectFile(kBadFormat);
        return false;
    }
    // Counts beyond the zone table are rejected rather than cut, so no file is half-read
    // and saved back shortened.
    const int32_t count = readInt32(*countLine);
    if (count < 0 || count > MaxZones) {
        rejectFile(kBadFormat);
        return false;
    }
    std::array<ZusiZone, MaxZones> read{};
    for (int32_t i = 0; i < count; ++i) {
        auto z = readZone(*in);
        if (!z) {
            rejectFile(kBadFormat);
            return false;
        }
        read[size_t(i)] = std::move(*z);
    }
    // Overwrite the stored fields only; running repetition countdowns stay.
    for (int32_t i = 0; i < count; ++i) {
        ZusiZone& z = m_zones[size_t(i)];
        const int32_t timer = z.Timer;
        z = std::move(read[size_t(i)]);
        z.Timer = timer;
    }
    m_zoneCount = count;
    return true;
}

std::string axisFileBytes(std::span<const ZusiZone> zones) {
    LineWriter w;
    w.text(kFileVersion);
    w.text("[Zones]");
    w.number(static_cast<long long>(zones.size()));
    for (const ZusiZone& z : zones) {
        w.text(singleLine(z.Bezeichnung));
        for (int32_t v : {z.Start, z.Ende, z.Funktion, z.Hold, z.Repeat, z.RegelFunktion,
                          z.RegelStep, z.Release})
            w.number(v);
    }
    return w.bytes();
}

} // namespace kordan
