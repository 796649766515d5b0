#include "dialogs/AxisEditor.h"

#include "common/NumberText.h"

namespace kordan {

namespace {

constexpr const char* kNone = "<Keine Funktion>";

} // namespace

AxisEditor::AxisEditor(IDialogs& dialogs, std::string programDir, IAxisView& view,
                       std::function<std::string()> axisFile, std::function<void()> axisReload)
    : m_dialogs(dialogs), m_view(view), m_axisFile(std::move(axisFile)),
      m_axisReload(std::move(axisReload)), m_funktionen(CommandList::singleCommands(kNone)),
      m_regler(CommandList::regulatorCommands(kNone)), m_achse(dialogs, std::move(programDir)) {}

std::string AxisEditor::ZonenText(const ZusiZone& zone) {
    return std::to_string(zone.Start) + ";" + std::to_string(zone.Ende) + "; " + zone.Bezeichnung;
}

void AxisEditor::start() {
    m_achse.Neu();
    showAxis();
    const std::string file = m_axisFile ? m_axisFile() : std::string();
    if (file.empty())
        return;
    // A file that could not be read leaves no name behind: saving must never overwrite a
    // file whose zones the editor did not show.
    if (m_achse.load(file) != LoadResult::Loaded)
        m_achse.Neu();
    showAxis();
}

void AxisEditor::showAxis() {
    ZonenListe();
    ZeigeZone();
    m_geaendert = false;
}

void AxisEditor::ZonenListe() {
    std::vector<std::string> entries;
    for (int i = 0; i < m_achse.ZoneCount(); ++i)
        entries.push_back(ZonenText(m_achse.Zone(i)));
    m_selected = -1;
    m_funktion.reset();
    m_release.reset();
    m_reglerChoice.reset();
    m_view.setZoneList(entries);
    m_view.zonesChanged();
}

void AxisEditor::rebuildChoices() {
    const ZusiZone& z = m_achse.Zone(m_selected);
    m_funktion.emplace(m_funktionen, z.Funktion);
    m_release.emplace(m_funktionen, z.Release);
    m_reglerChoice.emplace(m_regler, z.RegelFunktion);
}

void AxisEditor::ZeigeZone() {
    m_view.setBezeichnung(m_achse.Bezeichnung());
    if (m_selected < 0) {
        m_view.setZoneFieldsEnabled(false);
        return;
    }
    rebuildChoices();
    const ZusiZone& z = m_achse.Zone(m_selected);
    ZoneFields f;
    f.Zone = z.Bezeichnung;
    f.von = std::to_string(z.Start);
    f.Bis = std::to_string(z.Ende);
    f.Repeat = std::to_string(z.Repeat);
    f.Stufen = std::to_string(z.RegelStep);
    f.Hold = z.Hold == 1;
    f.Funktion = m_funktion->index();
    f.Release = m_release->index();
    f.Regler = m_reglerChoice->index();
    m_view.setZoneFieldsEnabled(true);
    m_view.showZoneFields(f);
}

void AxisEditor::zoneClicked(int index) {
    m_selected = (index >= 0 && index < m_achse.ZoneCount()) ? index : -1;
    ZeigeZone();
    m_view.zonesChanged();
}

ZusiZone* AxisEditor::zone() {
    return m_selected < 0 ? nullptr : &m_achse.Zone(m_selected);
}

void AxisEditor::edited() {
    m_geaendert = true;
    m_view.zonesChanged();
}

void AxisEditor::rewriteEntry() {
    m_view.setZoneEntry(m_selected, ZonenText(m_achse.Zone(m_selected)));
}

void AxisEditor::zoneEdited(const std::string& text) {
    if (ZusiZone* z = zone()) {
        z->Bezeichnung = text;
        rewriteEntry();
        edited();
    }
}

void AxisEditor::vonEdited(const std::string& text) {
    if (ZusiZone* z = zone()) {
        z->Start = readInt32(text);
        rewriteEntry();
        edited();
    }
}

void AxisEditor::bisEdited(const std::string& text) {
    if (ZusiZone* z = zone()) {
        z->Ende = readInt32(text);
        rewriteEntry();
        edited();
    }
}

void AxisEditor::repeatEdited(const std::string& text) {
    if (ZusiZone* z = zone()) {
        z->Repeat = readInt32(text);
        edited();
    }
}

void AxisEditor::stufenEdited(const std::string& text) {
    if (ZusiZone* z = zone()) {
        z->RegelStep = readInt32(text);
        edited();
    }
}

void AxisEditor::holdClicked(bool checked) {
    if (ZusiZone* z = zone()) {
        z->Hold = checked ? 1 : 0;
        edited();
    }
}

CommandChoice& AxisEditor::choice(List list) {
    switch (list) {
    case List::Funktion:
        return *m_funktion;
    case List::Release:
        return *m_release;
    case List::Regler:
        break;
    }
    return *m_reglerChoice;
}

void AxisEditor::listPicked(List list, int index) {
    if (!zone())
        return;
    choice(list).pick(index);
    commitLists();
}

void AxisEditor::listTyped(List list, const std::string& text) {
    if (!zone())
        return;
    choice(list).type(text);
    commitLists();
}

void AxisEditor::commitLists() {
    ZusiZone* z = zone();
    if (!z)
        return;
    for (List list : {List::Funktion, List::Release, List::Regler})
        choice(list).type(m_view.listText(list));
    // An untouched list gives back the zone's own code, so nothing changes then.
    const auto commit = [this](CommandChoice& c, int32_t& field) {
        if (!c.valid() || c.code() == field)
            return;
        field = c.code();
        edited();
    };
    commit(*m_funktion, z->Funktion);
    commit(*m_release, z->Release);
    commit(*m_reglerChoice, z->RegelFunktion);
}

bool AxisEditor::bisLeft(const std::string& vonText, const std::string& bisText) {
    const int32_t bis = readInt32(bisText);
    bool mayLeave = true;
    if (bis > 255) {
        m_dialogs.message("Maximal 255 möglich!");
        mayLeave = false;
    }
    if (readInt32(vonText) >= bis)
        m_dialogs.message("Achtung, Bereich bis muss grösser sein, als Bereich von!",
                          MsgButtons::Ok, MsgIcon::Information);
    return mayLeave;
}

void AxisEditor::cmdNeu() {
    const int32_t k = m_achse.ZoneCount();
    if (k >= ZusiAxis::MaxZones) {
        m_dialogs.message("Maximale Zonenzahl ist erreicht");
        return;
    }
    ZusiZone& z = m_achse.Zone(k);
    z.Bezeichnung = "<Neu>";
    z.Start = z.Ende = z.Funktion = z.Hold = z.RegelFunktion = z.Release = z.RegelStep = z.Repeat =
        0;
    m_achse.setZoneCount(k + 1);
    ZonenListe();
    m_selected = k;
    m_view.selectZone(k);
    ZeigeZone();
    edited();
}

void AxisEditor::cmdDel() {
    if (m_selected < 0)
        return;
    const int32_t count = m_achse.ZoneCount();
    for (int32_t j = m_selected + 1; j < count; ++j) {
        const ZusiZone& from = m_achse.Zone(j);
        ZusiZone& to = m_achse.Zone(j - 1);
        to.Bezeichnung = from.Bezeichnung;
        to.Start = from.Start;
        to.Ende = from.Ende;
        to.Funktion = from.Funktion;
        to.Hold = from.Hold;
        to.Repeat = from.Repeat;
        to.RegelFunktion = from.RegelFunktion;
        to.RegelStep = from.RegelStep;
        to.Release = from.Release;
    }
    m_achse.setZoneCount(count - 1);
    ZonenListe();
    ZeigeZone();
    edited();
}

void AxisEditor::mnuSpeichern() {
    commitLists();
    // Done means written: a failed write keeps the changes marked as unsaved even though
    // the axis already has a file name.
    const SaveReport report = m_achse.Save();
    m_dialogs.tell(report);
    if (report.result == SaveResult::Saved) {
        ZonenListe();
        ZeigeZone();
        m_geaendert = false;
    }
    m_axisReload();
}

void AxisEditor::mnuSpeichernUnter() {
    commitLists();
    const SaveReport report = m_achse.SaveAs();
    m_dialogs.tell(report);
    const bool writeFailed = report.result == SaveResult::Failed;
    ZonenListe();
    ZeigeZone();
    // A cancelled choice ends the question of saving; a file that could not be written
    // does not, or closing would drop the zones without asking.
    if (!writeFailed)
        m_geaendert = false;
    m_axisReload();
}

bool AxisEditor::saveForLeaving() {
    commitLists();
    const SaveReport report = m_achse.Save();
    m_dialogs.tell(report);
    const bool saved = report.result == SaveResult::Saved;
    m_axisReload();
    if (saved) {
        m_geaendert = false;
        m_view.setBezeichnung(m_achse.Bezeichnung());
    }
    return saved;
}

bool AxisEditor::mayLeave() {
    if (!m_geaendert)
        return true;
    switch (
        m_dialogs.message("Aenderungen speichern?", MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgAnswer::Yes:
        return saveForLeaving();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

void AxisEditor::mnuNeu() {
    if (!mayLeave())
        return;
    m_achse.Neu();
    showAxis();
}

void AxisEditor::mnuOeffnen() {
    if (!mayLeave())
        return;
    openFile();
}

void AxisEditor::openFile() {
    const LoadResult result = m_achse.load();
    // A cancelled choice leaves the axis as it was, unsaved changes included.
    if (result == LoadResult::Cancelled)
        return;
    if (result != LoadResult::Loaded)
        m_achse.Neu();
    showAxis();
}

bool AxisEditor::queryClose() {
    return mayLeave();
}

std::vector<int> zonesAt(const ZusiAxis& axis, int value) {
    std::vector<int> found;
    for (int i = 0; i < axis.ZoneCount(); ++i) {
        const ZusiZone& z = axis.Zone(i);
        if (z.Start <= value && value <= z.Ende)
            found.push_back(i);
    }
    return found;
}

} // namespace kordan
