#pragma once

#include "axis/ZusiZone.h"
#include "common/LoadResult.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kordan {

class IDialogs;
class ICommandSender;

// One lever's zones and the engine that turns a change of the lever's value into simulator
// commands; also the axis file ("*.axr") that holds the zones. The zone records are created
// with the axis and only ever overwritten, so editors may keep references to them.
class ZusiAxis {
public:
    static constexpr int32_t MaxZones = 32;

    // `programDir` is where names without a directory of their own live.
    ZusiAxis(IDialogs& dialogs, std::string programDir);
    ZusiAxis(const ZusiAxis&) = delete;
    ZusiAxis& operator=(const ZusiAxis&) = delete;

    int32_t ZoneCount() const { return m_zoneCount; }
    // Values outside 0..MaxZones are clamped: the zone table has no more records.
    void setZoneCount(int32_t count);
    // Slots 0..MaxZones-1; any other index throws std::out_of_range.
    ZusiZone& Zone(int index);
    const ZusiZone& Zone(int index) const;

    int32_t Flip() const { return m_flip; }
    void setFlip(int32_t flip) { m_flip = flip; }

    // Empty = unassigned: the engine then ignores lever movements.
    const std::string& Dateiname() const { return m_dateiname; }
    void setDateiname(std::string name) { m_dateiname = std::move(name); }
    std::string Bezeichnung() const;
    const std::string& FileVersion() const { return m_fileVersion; }

    void Neu();

    // Called by the polling loop whenever the lever's calibrated value changed. `POV` true
    // suppresses the Funktion of zones that are passed over.
    void NewValue(int32_t oldVal, int32_t newVal, bool POV, ICommandSender& se);
    // One tick of 100 ms: zone auto-repeat, only while the axis has a file.
    void Timer(ICommandSender& se);
    // Stops every zone's repetition and forgets the keys its zones hold (they are the
    // sender's to release): leaving such a zone later sends no second key-up.
    void stopRepeats();
    bool repeating() const; // a zone's repetition counts ticks

    // Reads the axis file; an empty name asks with the open dialog first. What failed is
    // told to the dialogs as a report; the result tells the caller what happened.
    LoadResult load(const std::string& Dateiname = {});
    // What the user is to be told is in the report; the axis tells nobody.
    SaveReport Save();
    SaveReport SaveAs();

private:
    LoadReport read(const std::string& Dateiname);
    SaveReport SaveFile(bool bSaveAs);

    IDialogs& m_dialogs;
    std::string m_programDir;
    std::string m_fileVersion;
    int32_t m_zoneCount = 0;
    std::array<ZusiZone, MaxZones> m_zones{};
    int32_t m_flip = 0;
    std::string m_dateiname;
    // The file last refused under this axis's name, copied aside before a save replaces it.
    std::string m_refusedPath;
};

// The zones of an axis file's bytes, or why the file is refused. The one reader of the
// format, beside its one writer below.
Parsed<std::vector<ZusiZone>> parseAxisFile(std::string_view bytes);

// The bytes of an axis file holding `zones` in slot order. The one writer of the format:
// the axis saves through it, and so do the files generated for a locomotive.
std::string axisFileBytes(std::span<const ZusiZone> zones);

} // namespace kordan
