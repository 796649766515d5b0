#include "profile/ZusiProfile.h"

#include "axis/StoredFiles.h"
#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "send/CommandSender.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

namespace kordan {

namespace {

constexpr const char* kFilter = "Kordan Einstellungen (*.cfr)|*.cfr|Alle Dateien (*.*)|*.*";

// A defined button's label as it can be written: "#" alone would read back as an undefined
// button and lose the assignment, so it gets a trailing blank.
std::string storableLabel(const std::string& label) {
    std::string out = singleLine(label);
    if (out == kAbsentRecord)
        out += ' ';
    return out;
}

} // namespace

ZusiProfile::ZusiProfile(IDialogs& dialogs, std::string programDir)
    : m_dialogs(dialogs), m_programDir(std::move(programDir)) {
    for (auto& axis : m_axes)
        axis = std::make_unique<ZusiAxis>(dialogs, m_programDir);
}

ZusiProfile::~ZusiProfile() = default;

ZusiButton& ZusiProfile::buttons(int index) {
    if (index < 1 || index > MaxButtons)
        throw std::out_of_range("Tastennummer ausserhalb 1-44");
    return m_buttons[size_t(index - 1)];
}

const ZusiButton& ZusiProfile::buttons(int index) const {
    return const_cast<ZusiProfile*>(this)->buttons(index);
}

ZusiAxis& ZusiProfile::Axis(int index) {
    if (index < 1 || index > MaxAxes)
        throw std::out_of_range("Achsennummer ausserhalb 1-7");
    return *m_axes[size_t(index - 1)];
}

const ZusiAxis& ZusiProfile::Axis(int index) const {
    return const_cast<ZusiProfile*>(this)->Axis(index);
}

std::string ZusiProfile::Bezeichnung() const {
    return baseName(m_dateiname);
}

void ZusiProfile::doButton(ICommandSender& se, int32_t Button, int16_t State) {
    if (Button < 1 || Button > MaxButtons)
        return;
    ZusiButton& b = m_buttons[size_t(Button - 1)];
    if (!b.Defined)
        return;
    if (State == 0) {
        // Any non-zero Hold kept the key down on press, so any non-zero Hold lets it up.
        if (b.Hold != 0)
            se.ZusiSend(b.Press, Up);
        b.Timer = 0;
        if (b.Release != 0) {
            se.ZusiSend(b.Release, Down);
            se.ZusiSend(b.Release, Up);
        }
        if (b.Shift != 0)
            m_shiftActive = false;
    } else if (State == 1) {
        if (m_shiftActive) {
            if (b.press2 != 0) {
                se.ZusiSend(b.press2, Down);
                se.ZusiSend(b.press2, Up);
            }
        } else {
            if (b.Press != 0)
                pressCommand(se, b.Press, b.Hold);
            if (b.Repeat != 0)
                b.Timer = firstCountdown(b.Repeat);
        }
        if (b.Shift != 0)
            m_shiftActive = true;
    }
}

void ZusiProfile::Timer(ICommandSender& se) {
    for (int32_t k = 1; k <= MaxButtons; ++k)
        buttonTimer(se, k);
    for (auto& axis : m_axes)
        axis->Timer(se);
}

void ZusiProfile::buttonTimer(ICommandSender& se, int32_t Button) {
    ZusiButton& b = m_buttons[size_t(Button - 1)];
    if (b.Defined)
        repeatTick(se, b.Timer, b.Repeat, b.Press, b.Hold);
}

void ZusiProfile::stopRepeat(int32_t Button) {
    if (Button >= 1 && Button <= MaxButtons)
        m_buttons[size_t(Button - 1)].Timer = 0;
}

bool ZusiProfile::repeating() const {
    return std::any_of(m_buttons.begin(), m_buttons.end(),
                       [](const ZusiButton& b) { return b.Timer > 0; }) ||
           std::any_of(m_axes.begin(), m_axes.end(), [](const auto& a) { return a->repeating(); });
}

void ZusiProfile::stopRepeats() {
    for (ZusiButton& b : m_buttons)
        b.Timer = 0;
    for (auto& axis : m_axes)
        axis->stopRepeats();
    m_shiftActive = false;
}

void ZusiProfile::Neu() {
    m_buttons.fill(ZusiButton{});
    for (auto& axis : m_axes)
        axis->Neu();
    m_dateiname.clear();
    m_refusedPath.clear();
    m_shiftActive = false;
}

SaveReport ZusiProfile::Save() {
    return SaveFile(false, {});
}

SaveReport ZusiProfile::SaveAs() {
    return SaveFile(true, {});
}

SaveReport ZusiProfile::SaveAuto(const std::string& pDatei) {
    return SaveFile(true, pDatei);
}

SaveReport ZusiProfile::SaveFile(bool bSaveAs, const std::string& pDatei) {
    std::string target = m_dateiname;
    if (target.empty() || bSaveAs) {
        SaveReport asked;
        asked.dialog =
            askForFile(m_dialogs, kFilter, m_programDir, pDatei.empty() ? m_dateiname : pDatei);
        if (asked.dialog.result != FileChoice::Result::Chosen)
            return asked;
        target = asked.dialog.path;
    }

    ProfileFile file;
    for (size_t k = 0; k < m_buttons.size(); ++k) {
        const ZusiButton& b = m_buttons[k];
        if (b.Defined)
            file.buttons[k] = ProfileFile::Button{b.Bezeichnung, b.Press, b.Release, b.Repeat,
                                                  b.Hold,        b.Shift, b.press2};
    }
    for (size_t i = 0; i < m_axes.size(); ++i)
        if (!m_axes[i]->Dateiname().empty())
            file.axes[i] = ProfileFile::AxisEntry{m_axes[i]->Dateiname(), m_axes[i]->Flip()};

    const std::string path = openablePath(m_programDir, target);
    SaveReport report = saveFile(path, profileFileBytes(file), path == m_refusedPath);
    if (report.result != SaveResult::Saved)
        return report;
    if (path == m_refusedPath)
        m_refusedPath.clear();
    // Only a file that now holds this profile becomes the profile's file.
    m_dateiname = target;
    return report;
}

LoadResult ZusiProfile::load(const std::string& sDatei) {
    LoadReport report = read(sDatei);
    if (report.result != LoadResult::Loaded)
        m_dialogs.tell(report);
    return report.result;
}

LoadReport ZusiProfile::read(const std::string& sDatei) {
    LoadReport report{LoadReport::File::Profile, LoadResult::Loaded, {}, {}, {}};
    std::string name = sDatei;
    if (name.empty()) {
        report.dialog = askForFile(m_dialogs, kFilter, m_programDir);
        if (report.dialog.result != FileChoice::Result::Chosen) {
            report.result = LoadResult::Cancelled;
            return report;
        }
        name = report.dialog.path;
    }
    const std::string& path = report.path = openablePath(m_programDir, name);
    bool tooLarge = false;
    auto bytes = readFileBytes(path, kOwnFileLimit, &tooLarge);
    if (!bytes && !tooLarge) {
        report.result = LoadResult::NotFound;
        return report;
    }
    // The whole file is read before anything changes. A refused file leaves the profile
    // exactly as it was, its Dateiname included: otherwise the next Save would overwrite
    // the refused file with the previous profile.
    const auto file = bytes ? parseProfileFile(*bytes) : refusedFile<ProfileFile>();
    m_fileVersion = file.version();
    if (!file.ok()) {
        m_refusedPath = path; // kept aside before a save replaces it
        report.result = LoadResult::Rejected;
        report.error = tooLarge ? std::nullopt : file.error();
        return report;
    }

    m_dateiname = name;
    for (size_t k = 0; k < m_buttons.size(); ++k) {
        ZusiButton& b = m_buttons[k];
        const auto& entry = file.contents().buttons[k];
        b.Defined = entry.has_value();
        if (!entry)
            continue; // an undefined button keeps its other fields
        b.Bezeichnung = entry->Bezeichnung;
        b.Press = entry->Press;
        b.Release = entry->Release;
        b.Repeat = entry->Repeat;
        b.Hold = entry->Hold;
        // The button dialog knows only 0 and 1; other values would show as neither.
        b.Shift = entry->Shift != 0 ? 1 : 0;
        b.press2 = entry->press2;
    }
    for (size_t i = 0; i < m_axes.size(); ++i) {
        ZusiAxis& axis = *m_axes[i];
        const auto& entry = file.contents().axes[i];
        // An empty name would make the axis ask with a dialog in the middle of a load;
        // it can only mean "no file".
        if (!entry || entry->Dateiname.empty()) {
            axis.setDateiname({});
        } else {
            axis.load(entry->Dateiname); // tells its own failures; the profile goes on
        }
        if (entry)
            axis.setFlip(entry->Flip);
    }
    return report;
}

std::string profileFileBytes(const ProfileFile& file) {
    LineWriter w;
    w.text(kFileVersion);
    w.text("[Buttons]");
    for (const auto& b : file.buttons) {
        if (!b) {
            w.text(kAbsentRecord);
            continue;
        }
        w.text(storableLabel(b->Bezeichnung));
        for (int32_t v : {b->Press, b->Release, b->Repeat, b->Hold, b->Shift, b->press2})
            w.number(v);
    }
    w.text("[Axis]");
    for (const auto& axis : file.axes) {
        if (!axis) {
            w.text(kAbsentRecord);
            continue;
        }
        w.text(axis->Dateiname);
        w.number(axis->Flip);
    }
    return w.bytes();
}

Parsed<ProfileFile> parseProfileFile(std::string_view bytes) {
    LineReader in(bytes);
    auto version = in.next();
    auto refuse = [&version](FileError error) {
        return Parsed<ProfileFile>(version.value_or(""), error);
    };
    ProfileFile contents;
    if (!version || *version != kFileVersion)
        return refuse(FileError::WrongVersion);
    auto header = in.next();
    if (!header)
        return refuse(FileError::TooShort);
    if (*header != "[Buttons]")
        return refuse(FileError::BadFormat);
    for (auto& entry : contents.buttons) {
        auto label = in.next();
        if (!label)
            return refuse(FileError::TooShort);
        if (*label == kAbsentRecord)
            continue;
        ProfileFile::Button b{*label, 0, 0, 0, 0, 0, 0};
        for (int32_t* field : {&b.Press, &b.Release, &b.Repeat, &b.Hold, &b.Shift, &b.press2}) {
            auto line = in.next();
            if (!line)
                return refuse(FileError::TooShort);
            *field = readInt32(*line);
        }
        entry = std::move(b);
    }
    auto axisHeader = in.next();
    if (!axisHeader)
        return refuse(FileError::TooShort);
    if (*axisHeader != "[Axis]")
        return refuse(FileError::BadFormat);
    for (auto& entry : contents.axes) {
        auto axisName = in.next();
        if (!axisName)
            return refuse(FileError::TooShort);
        if (*axisName == kAbsentRecord)
            continue;
        auto flip = in.next();
        if (!flip)
            return refuse(FileError::TooShort);
        entry = ProfileFile::AxisEntry{*axisName, readInt32(*flip)};
    }
    return Parsed<ProfileFile>(*version, std::move(contents));
}

} // namespace kordan
