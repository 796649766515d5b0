#include "axis/ZusiAxis.h"

#include "axis/StoredFiles.h"
#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "send/CommandSender.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>

namespace kordan {

namespace {

constexpr const char* kFilter = "Achsen-Konfiguration (*.axr)|*.axr|Alle Dateien (*.*)|*.*";

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
        se.fromZone(i + 1);
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
            // Only a key this zone pressed goes up, whatever Hold says by now.
            if (std::exchange(z.Held, false) && z.Funktion != 0)
                se.ZusiSend(z.Funktion, Up);
            if (z.Repeat != 0)
                z.Timer = 0;
        } else if (newInside) {
            // Eintritt
            if (z.Funktion != 0) {
                pressCommand(se, z.Funktion, z.Hold);
                // Any non-zero Hold keeps the key down; testing for exactly 1 would leave
                // a key stuck for other values.
                z.Held = z.Hold != 0;
                if (z.Repeat != 0)
                    z.Timer = firstCountdown(z.Repeat);
            }
        }
        if (z.RegelFunktion != 0)
            se.ZusiRegler(z.RegelFunktion, z.CalculateRegler(oldVal, newVal),
                          z.RegelPosition(newVal),
                          int32_t(std::min<int64_t>(std::llabs(int64_t(z.RegelStep)), INT32_MAX)));
    }
    se.fromZone(0);
}

void ZusiAxis::Timer(ICommandSender& se) {
    // An axis without a file ignores its lever; nothing of it may repeat either.
    if (m_dateiname.empty())
        return;
    for (int32_t i = 0; i < m_zoneCount; ++i) {
        ZusiZone& z = m_zones[size_t(i)];
        se.fromZone(i + 1);
        repeatTick(se, z.Timer, z.Repeat, z.Funktion, z.Hold);
    }
    se.fromZone(0);
}

bool ZusiAxis::repeating() const {
    return std::any_of(m_zones.begin(), m_zones.end(),
                       [](const ZusiZone& z) { return z.Timer > 0; });
}

void ZusiAxis::stopRepeats() {
    for (ZusiZone& z : m_zones) {
        z.Timer = 0;
        z.Held = false;
    }
}

LoadResult ZusiAxis::load(const std::string& Dateiname) {
    LoadReport report = read(Dateiname);
    if (report.result != LoadResult::Loaded)
        m_dialogs.tell(report);
    return report.result;
}

LoadReport ZusiAxis::read(const std::string& Dateiname) {
    LoadReport report{LoadReport::File::Axis, LoadResult::Loaded, {}, {}, {}};
    if (Dateiname.empty()) {
        report.dialog = askForFile(m_dialogs, kFilter, m_programDir);
        if (report.dialog.result != FileChoice::Result::Chosen) {
            report.result = LoadResult::Cancelled;
            return report;
        }
        m_dateiname = storedPath(m_programDir, report.dialog.path);
    } else {
        m_dateiname = Dateiname;
    }

    report.path = openablePath(m_programDir, m_dateiname);
    bool tooLarge = false;
    auto bytes = readFileBytes(report.path, kOwnFileLimit, &tooLarge);
    if (!bytes && !tooLarge) {
        m_dateiname.clear();
        report.result = LoadResult::NotFound;
        return report;
    }
    auto file = bytes ? parseAxisFile(*bytes) : refusedFile<std::vector<ZusiZone>>();
    m_fileVersion = file.version();
    if (!file.ok()) {
        // The axis keeps the file's name, so a save would write over it.
        m_refusedPath = report.path;
        // The zones in memory belong to another file; leaving them active under this
        // file's name would let the lever give that file's commands. The records stay.
        m_zoneCount = 0;
        report.result = LoadResult::Rejected;
        report.error = tooLarge ? std::nullopt : file.error();
        return report;
    }
    m_refusedPath.clear();
    // Overwrite the stored fields only; running repetition countdowns stay. A lever resting
    // in a zone of the new file has not entered it (its key was let go before the load).
    auto& zones = file.contents();
    for (size_t i = 0; i < zones.size(); ++i) {
        const int32_t timer = m_zones[i].Timer;
        m_zones[i] = std::move(zones[i]);
        m_zones[i].Timer = timer;
    }
    m_zoneCount = static_cast<int32_t>(zones.size());
    return report;
}

SaveReport ZusiAxis::Save() {
    return SaveFile(false);
}

SaveReport ZusiAxis::SaveAs() {
    return SaveFile(true);
}

SaveReport ZusiAxis::SaveFile(bool bSaveAs) {
    std::string target = m_dateiname;
    if (target.empty() || bSaveAs) {
        SaveReport asked;
        asked.dialog = askForFile(m_dialogs, kFilter, m_programDir, m_dateiname);
        if (asked.dialog.result != FileChoice::Result::Chosen)
            return asked;
        target = asked.dialog.path;
    }

    const std::string bytes =
        axisFileBytes(std::span<const ZusiZone>(m_zones).first(size_t(m_zoneCount)));
    const std::string path = openablePath(m_programDir, target);
    SaveReport report = saveFile(path, bytes, path == m_refusedPath);
    if (report.result != SaveResult::Saved)
        return report;
    if (path == m_refusedPath)
        m_refusedPath.clear();
    // Only a file that now holds these zones becomes the axis's file.
    m_dateiname = target;
    return report;
}

Parsed<std::vector<ZusiZone>> parseAxisFile(std::string_view bytes) {
    LineReader in(bytes);
    auto version = in.next();
    auto refuse = [&version](FileError error) {
        return Parsed<std::vector<ZusiZone>>(version.value_or(""), error);
    };
    std::vector<ZusiZone> zones;
    if (!version || *version != kFileVersion)
        return refuse(FileError::WrongVersion);
    auto header = in.next();
    auto countLine = in.next();
    if (header && *header != "[Zones]")
        return refuse(FileError::BadFormat);
    if (!countLine)
        return refuse(FileError::TooShort);
    // Counts beyond the zone table are refused rather than cut, so no file is half-read
    // and saved back shortened.
    const int32_t count = readInt32(*countLine);
    if (count < 0 || count > ZusiAxis::MaxZones)
        return refuse(FileError::BadFormat);
    for (int32_t i = 0; i < count; ++i) {
        auto zone = readZone(in);
        if (!zone)
            return refuse(FileError::TooShort);
        zones.push_back(std::move(*zone));
    }
    return Parsed<std::vector<ZusiZone>>(*version, std::move(zones));
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
