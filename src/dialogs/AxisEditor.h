#pragma once

#include "axis/ZusiAxis.h"
#include "common/Dialogs.h"
#include "dialogs/CommandChoice.h"
#include "send/CommandList.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kordan {

// What the axis editor shows of the selected zone.
struct ZoneFields {
    std::string Zone, von, Bis, Repeat, Stufen;
    bool Hold = false;
    int Funktion = 0, Release = 0, Regler = 0; // list entries
};

// The three command lists of a zone.
enum class ZoneList { Funktion, Release, Regler };

// What the axis editor asks of its window. All calls come from the UI thread.
class IAxisView {
public:
    virtual ~IAxisView() = default;
    // `txtBezeichnung`: the axis file's name without its directory.
    virtual void setBezeichnung(const std::string& text) = 0;
    // Replaces the zone list; afterwards no entry is selected.
    virtual void setZoneList(const std::vector<std::string>& entries) = 0;
    virtual void setZoneEntry(int index, const std::string& text) = 0;
    virtual void selectZone(int index) = 0;
    // Disabled fields keep their contents.
    virtual void setZoneFieldsEnabled(bool enabled) = 0;
    // Fills the fields; must not come back as edits.
    virtual void showZoneFields(const ZoneFields& fields) = 0;
    // The zones or the axis changed in a way the zone bar draws.
    virtual void zonesChanged() = 0;
    // The text a command list shows right now, typed or selected.
    virtual std::string listText(ZoneList list) const = 0;
};

// The axis editor's behaviour: one axis of its own, edited zone by zone. Field edits
// write through to the selected zone at once; every save hands the file to the main
// window through `axisReload`, so it takes effect in the running profile.
class AxisEditor {
public:
    using List = ZoneList;

    AxisEditor(IDialogs& dialogs, std::string programDir, IAxisView& view,
               std::function<std::string()> axisFile, std::function<void()> axisReload);
    AxisEditor(const AxisEditor&) = delete;
    AxisEditor& operator=(const AxisEditor&) = delete;

    // The window is built: fill the lists' owner, start a new axis, then load the file the
    // main window has pending, if any.
    void start();

    const ZusiAxis& Achse() const { return m_achse; }
    bool geaendert() const { return m_geaendert; }
    // The selected zone, -1 for none.
    int selected() const { return m_selected; }
    const CommandList& funktionen() const { return m_funktionen; }
    const CommandList& regler() const { return m_regler; }

    // "0;40; Aus".
    static std::string ZonenText(const ZusiZone& zone);

    // The user clicked entry `index` of the zone list (-1: the selection went away).
    void zoneClicked(int index);

    // Edits of the selected zone's fields; ignored while no zone is selected.
    void zoneEdited(const std::string& text);
    void vonEdited(const std::string& text);
    void bisEdited(const std::string& text);
    void repeatEdited(const std::string& text);
    void stufenEdited(const std::string& text);
    void holdClicked(bool checked);
    // A command list: an entry picked, or text typed. A choice that names an entry is
    // stored at once, so a change made just before closing is never lost; a text that
    // names no entry leaves the zone's command as it was.
    void listPicked(List list, int index);
    void listTyped(List list, const std::string& text);
    // Takes the lists' texts as they stand and writes their choices into the zone (on
    // leaving a list, before a save).
    void commitLists();

    // The focus left `txtBis` with these field texts. False when the focus must go back.
    bool bisLeft(const std::string& vonText, const std::string& bisText);

    void cmdNeu();
    void cmdDel();

    void mnuNeu();
    void mnuOeffnen();
    void mnuSpeichern();
    void mnuSpeichernUnter();
    // The window is about to close (frame or "&Ende"): true when it may.
    bool queryClose();

private:
    ZusiZone* zone();
    CommandChoice& choice(List list);
    void rebuildChoices();
    void rewriteEntry();
    void edited();
    void ZonenListe();
    void ZeigeZone();
    void showAxis();
    // Commit, Save, AxisReload: true when the file now holds the axis.
    bool saveForLeaving();
    // The unsaved-changes question before leaving the axis: true when the action may run.
    bool mayLeave();
    void openFile();

    IDialogs& m_dialogs;
    IAxisView& m_view;
    std::function<std::string()> m_axisFile;
    std::function<void()> m_axisReload;
    CommandList m_funktionen;
    CommandList m_regler;
    ZusiAxis m_achse;
    bool m_geaendert = false;
    int m_selected = -1;
    std::optional<CommandChoice> m_funktion, m_release, m_reglerChoice;
};

// The zones whose range holds `value` (Start <= value <= Ende), in index order.
std::vector<int> zonesAt(const ZusiAxis& axis, int value);

} // namespace kordan
