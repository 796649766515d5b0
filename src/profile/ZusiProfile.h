#pragma once

#include "axis/ZusiAxis.h"
#include "common/LoadResult.h"
#include "profile/ZusiButton.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kordan {

class IDialogs;
class ICommandSender;

// One complete assignment of the controller: 44 buttons and 7 lever axes, and the profile
// file ("*.cfr") that names them. Buttons and axes are created with the profile and only
// ever overwritten, so windows may keep references to them.
class ZusiProfile {
public:
    static constexpr int32_t MaxButtons = 44;
    static constexpr int16_t MaxAxes = 7;

    // `programDir` is where names without a directory of their own live.
    ZusiProfile(IDialogs& dialogs, std::string programDir);
    ~ZusiProfile();
    ZusiProfile(const ZusiProfile&) = delete;
    ZusiProfile& operator=(const ZusiProfile&) = delete;

    // Buttons 1..44 and axes 1..7; any other index throws std::out_of_range.
    ZusiButton& buttons(int index);
    const ZusiButton& buttons(int index) const;
    ZusiAxis& Axis(int index);
    const ZusiAxis& Axis(int index) const;

    bool ShiftActive() const { return m_shiftActive; }
    const std::string& Dateiname() const { return m_dateiname; }
    std::string Bezeichnung() const;
    const std::string& FileVersion() const { return m_fileVersion; }

    // A press (State 1) or release (State 0) edge of button `Button`; anything else,
    // including button numbers outside 1..44, does nothing.
    void doButton(ICommandSender& se, int32_t Button, int16_t State);
    // One tick of 100 ms: the auto-repeat of defined buttons, then the axes' zone repetition.
    void Timer(ICommandSender& se);
    // The same tick for button `Button` (1..44) alone.
    void buttonTimer(ICommandSender& se, int32_t Button);
    // Stops the repetition of button `Button` (1..44), or of every button and zone and ends
    // the shift layer; the keys they hold are the sender's to release.
    void stopRepeat(int32_t Button);
    void stopRepeats();
    bool repeating() const; // a button's or zone's repetition counts ticks

    // An empty profile, never saved: no button defined, no axis assigned ("Datei → Neu").
    void Neu();

    // Reads the profile file; an empty name asks with the open dialog first. What failed is
    // told to the dialogs as a report (the app says nothing of a missing profile: the
    // caller knows the name it wanted).
    LoadResult load(const std::string& sDatei = {});
    // What the user is to be told is in the report; the profile tells nobody.
    SaveReport Save();
    SaveReport SaveAs();
    // Always asks, offering the caller's name `pDatei`.
    SaveReport SaveAuto(const std::string& pDatei);

private:
    LoadReport read(const std::string& sDatei);
    SaveReport SaveFile(bool bSaveAs, const std::string& pDatei);

    IDialogs& m_dialogs;
    std::string m_programDir;
    std::string m_fileVersion;
    std::array<ZusiButton, MaxButtons> m_buttons{};
    std::array<std::unique_ptr<ZusiAxis>, MaxAxes> m_axes;
    std::string m_dateiname;
    // The file last refused by a load: copied aside before a save replaces it.
    std::string m_refusedPath;
    bool m_shiftActive = false;
};

// Everything a profile file holds; an absent record is nullopt.
struct ProfileFile {
    struct Button {
        std::string Bezeichnung;
        int32_t Press, Release, Repeat, Hold, Shift, press2;
    };
    struct AxisEntry {
        std::string Dateiname;
        int32_t Flip;
    };
    std::array<std::optional<Button>, ZusiProfile::MaxButtons> buttons;
    std::array<std::optional<AxisEntry>, ZusiProfile::MaxAxes> axes;
};

// The records of a profile file's bytes, or why the file is refused; and the bytes of a
// profile file. The one reader and the one writer of the format.
Parsed<ProfileFile> parseProfileFile(std::string_view bytes);
std::string profileFileBytes(const ProfileFile& file);

} // namespace kordan
