#include "profile/ZusiProfile.h"

#include "axis/StoredFiles.h"
#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "send/CommandSender.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace kordan {

namespace {

constexpr const char* kFilter = "Kordan Einstellungen (*.cfr)|*.cfr|Alle Dateien (*.*)|*.*";
constexpr const char* kWrongVersion = "Falsche Version der Datei";
constexpr const char* kBadFormat = "Dateiformat ungültig";

// Repeat + 1 without overflowing on a hand-edited maximum.
int32_t firstCountdown(int32_t repeat) {
    return repeat == INT32_MAX ? repeat : repeat + 1;
}

// A defined button's label as it can be written: "#" alone would read back as an undefined
// button and lose the assignment, so it gets a trailing blank.
std::string storableLabel(const std::string& label) {
    std::string out = singleLine(label);
    if (out == kAbsentRecord)
        out += ' ';
    return out;
}

} // namespace

// Everything a profile file holds, read completely before any record is touched.
struct ZusiProfile::FileContents {
    struct Button {
        std::string Bezeichnung;
        int32_t Press, Release, Repeat, Hold, Shift, press2;
    };
    struct AxisEntry {
        std::string Dateiname;
        int32_t Flip;
    };
    std::array<std::optional<Button>, MaxButtons> buttons;
    std::array<std::optional<AxisEntry>, MaxAxes> axes;
};

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
            if (b.Press != 0) {
                se.ZusiSend(b.Press, Down);
                if (b.Hold == 0)
                    se.ZusiSend(b.Press, Up);
            }
            if (b.Repeat != 0)
                b.Timer = firstCountdown(b.Repeat);
        }
        if (b.Shift != 0)
            m_shiftActive = true;
    }
}

void ZusiProfile::Timer(ICommandSender& se) {
    for (ZusiButton& b : m_buttons) {
        // A negative Repeat arms a negative countdown that can never expire; counting it
        // down would only run into overflow.
        if (b.Timer <= 0)
            continue;
        if (--b.Timer == 0) {
            b.Timer = b.Repeat;
            se.ZusiSend(b.Press, Down);
            if (b.Hold == 0)
                se.ZusiSend(b.Press, Up);
        }
    }
    for (auto& axis : m_axes)
        axis->Timer(se);
}

bool ZusiProfile::Save() {
    return SaveFile(false, {});
}

bool ZusiProfile::SaveAs() {
    return SaveFile(true, {});
}

bool ZusiProfile::SaveAuto(const std::string& pDatei) {
    return SaveFile(true, pDatei);
}

bool ZusiProfile::load(const std::string& sDatei) {
    return LoadFile(sDatei);
}

bool ZusiProfile::SaveFile(bool bSaveAs, const std::string& pDatei) {
    std::string target = m_dateiname;
    if (target.empty() || bSaveAs) {
        const std::string& offered = pDatei.empty() ? m_dateiname : pDatei;
        FileChoice choice = m_dialogs.saveFile(kFilter, m_programDir, nativePath(offered));
        if (choice.result == FileChoice::Result::Failed)
            m_dialogs.message(runtimeErrorMessage(choice));
        if (choice.result != FileChoice::Result::Chosen)
            return false;
        target = choice.path;
    }

    LineWriter w;
    w.text(kFileVersion);
    w.text("[Buttons]");
    for (const ZusiButton& b : m_buttons) {
        if (!b.Defined) {
            w.text(kAbsentRecord);
            continue;
        }
        w.text(storableLabel(b.Bezeichnung));
        for (int32_t v : {b.Press, b.Release, b.Repeat, b.Hold, b.Shift, b.press2})
            w.number(v);
    }
    w.text("[Axis]");
    for (const auto& axis : m_axes) {
        if (axis->Dateiname().empty()) {
            w.text(kAbsentRecord);
            continue;
        }
        w.text(axis->Dateiname());
        w.number(axis->Flip());
    }

    const std::string path = openablePath(m_programDir, target);
    std::string reason;
    if (!writeFileAtomically(path, w.bytes(), &reason)) {
        m_dialogs.message(saveFailedMessage(path, reason), MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    // Only a file that now holds this profile becomes the profile's file.
    m_dateiname = target;
    return true;
}

bool ZusiProfile::LoadFile(const std::string& sDatei) {
    std::string name = sDatei;
    if (name.empty()) {
        FileChoice choice = m_dialogs.openFile(kFilter, m_programDir);
        if (choice.result == FileChoice::Result::Failed)
            m_dialogs.message(runtimeErrorMessage(choice));
        if (choice.result != FileChoice::Result::Chosen)
            return false;
        name = choice.path;
    }
    auto in = LineReader::open(openablePath(m_programDir, name));
    if (!in)
        return false;

    // The whole file is read before anything changes. A rejected file leaves the profile
    // exactly as it was, its Dateiname included: otherwise the next Save would overwrite
    // the rejected file with the previous profile.
    auto version = in->next();
    m_fileVersion = version.value_or("");
    if (!version || *version != kFileVersion) {
        m_dialogs.message(kWrongVersion);
        return false;
    }
    auto badFormat = [this] {
        m_dialogs.message(kBadFormat);
        return false;
    };
    auto header = in->next();
    if (!header || *header != "[Buttons]")
        return badFormat();

    FileContents file;
    for (auto& entry : file.buttons) {
        auto label = in->next();
        if (!label)
            return badFormat();
        if (*label == kAbsentRecord)
            continue;
        FileContents::Button b{*label, 0, 0, 0, 0, 0, 0};
        for (int32_t* field : {&b.Press, &b.Release, &b.Repeat, &b.Hold, &b.Shift, &b.press2}) {
            auto line = in->next();
            if (!line)
                return badFormat();
            *field = readInt32(*line);
        }
        entry = std::move(b);
    }
    auto axisHeader = in->next();
    if (!axisHeader || *axisHeader != "[Axis]")
        return badFormat();
    for (auto& entry : file.axes) {
        auto axisName = in->next();
        if (!axisName)
            return badFormat();
        if (*axisName == kAbsentRecord)
            continue;
        auto flip = in->next();
        if (!flip)
            return badFormat();
        entry = FileContents::AxisEntry{*axisName, readInt32(*flip)};
    }

    m_dateiname = name;
    for (size_t k = 0; k < m_buttons.size(); ++k) {
        ZusiButton& b = m_buttons[k];
        const auto& entry = file.buttons[k];
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
        const auto& entry = file.axes[i];
        // An empty name would make the axis ask with a dialog in the middle of a load;
        // it can only mean "no file".
        if (!entry || entry->Dateiname.empty()) {
            axis.setDateiname({});
        } else {
            axis.load(entry->Dateiname); // reports its own failures; the profile goes on
        }
        if (entry)
            axis.setFlip(entry->Flip);
    }
    return true;
}

} // namespace kordan
