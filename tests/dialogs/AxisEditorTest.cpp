#include "dialogs/AxisEditor.h"

#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"
#include "send/ZusiSendKonstanten.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kordan;
using kordan::test::FakeDialogs;
using Texts = std::vector<std::string>;
namespace K = kordan::ZusiSendKonstanten;

namespace {

// Records what the editor shows, the way the window would hold it.
struct FakeAxisView : IAxisView {
    AxisEditor* editor = nullptr;
    std::string bezeichnung = "?", texts[3];
    Texts entries;
    int selected = -1;
    bool enabled = true;
    ZoneFields fields;

    const CommandList& list(ZoneList l) const {
        return l == ZoneList::Regler ? editor->regler() : editor->funktionen();
    }
    void setBezeichnung(const std::string& t) override { bezeichnung = t; }
    void setZoneList(const Texts& e) override { entries = e, selected = -1; }
    void setZoneEntry(int i, const std::string& t) override { entries.at(size_t(i)) = t; }
    void selectZone(int i) override { selected = i; }
    void setZoneFieldsEnabled(bool e) override { enabled = e; }
    void showZoneFields(const ZoneFields& f) override {
        fields = f;
        texts[0] = editor->funktionen().texts().at(size_t(f.Funktion));
        texts[1] = editor->funktionen().texts().at(size_t(f.Release));
        texts[2] = editor->regler().texts().at(size_t(f.Regler));
    }
    void zonesChanged() override {}
    std::string listText(ZoneList l) const override { return texts[int(l)]; }
    // The user picks or types an entry: the list shows its text, then the editor hears of it.
    void pick(ZoneList l, int i) {
        texts[int(l)] = list(l).texts().at(size_t(i)), editor->listPicked(l, i);
    }
    void type(ZoneList l, const std::string& t) { texts[int(l)] = t, editor->listTyped(l, t); }
    void click(int i) { selected = i, editor->zoneClicked(i); }
};

// Name, start, end, function, hold, repeat, regulator, step, release.
const std::vector<ZusiZone> kThree = {
    {"Aus", 0, 40, K::Pfeife},
    {"Mitte", 41, 100, K::SiFa, 1, 5, K::RegelbereichFahrschalter, 8, K::Glocke},
    {"Voll", 101, 255, K::Licht, 0, 2, 0, -3, K::Tueren},
};

struct Rig {
    kordan::test::TempDir dir;
    FakeDialogs dialogs;
    FakeAxisView view;
    std::string pending = "Lok.axr";
    int reloads = 0;
    AxisEditor editor{dialogs, dir.path(), view, [this] { return pending; }, [this] { ++reloads; }};

    explicit Rig(const std::vector<ZusiZone>& zones = kThree) {
        view.editor = &editor;
        dir.write("Lok.axr", axisFileBytes(zones));
        editor.start();
    }
    Texts messages() const { return dialogs.texts(); }
    bool saved(const std::string& lines) const {
        return dir.read("Lok.axr").find(lines) != std::string::npos;
    }
};

} // namespace

TEST(AxisEditor, StartShowsThePendingFileOrANewAxis) {
    Rig rig;
    EXPECT_EQ(rig.view.entries, (Texts{"0;40; Aus", "41;100; Mitte", "101;255; Voll"}));
    EXPECT_EQ(rig.view.bezeichnung, "Lok.axr");
    EXPECT_FALSE(rig.view.enabled) << "no zone selected";
    // Edits without a selected zone are ignored.
    rig.editor.zoneEdited("x");
    rig.editor.holdClicked(true);
    rig.editor.cmdDel();
    EXPECT_FALSE(rig.editor.geaendert());
    EXPECT_EQ(rig.editor.Achse().ZoneCount(), 3);
    rig.view.click(1); // showing is no edit
    const ZoneFields& f = rig.view.fields;
    EXPECT_TRUE(rig.view.enabled);
    // The zone's record as the fields show it.
    EXPECT_EQ(std::tuple(f.Zone, f.von, f.Bis, f.Repeat, f.Stufen, f.Hold,
                         rig.editor.funktionen().codeAt(f.Release),
                         rig.editor.regler().codeAt(f.Regler)),
              std::make_tuple("Mitte", "41", "100", "5", "8", true, K::Glocke,
                              K::RegelbereichFahrschalter));
    EXPECT_FALSE(rig.editor.geaendert());
    // An unreadable pending file leaves a new axis without a name.
    rig.dir.write("alt.axr", "0.9\r\n[Zones]\r\n 0 \r\n");
    rig.pending = "alt.axr";
    rig.editor.start();
    EXPECT_EQ(rig.dialogs.loads.size(), 1u) << "told to the user";
    EXPECT_EQ(rig.editor.Achse().Dateiname(), "");
    EXPECT_EQ(rig.view.bezeichnung, "");
}

TEST(AxisEditor, NewZonesUpTo32AndDeleteMovesTheLaterOnesDown) {
    Rig rig;
    rig.view.click(1);
    rig.editor.cmdDel();
    const ZusiZone& z = rig.editor.Achse().Zone(1);
    EXPECT_EQ(rig.view.entries, (Texts{"0;40; Aus", "101;255; Voll"}));
    // The later zone's whole record moved down.
    EXPECT_EQ(std::tuple(z.Bezeichnung, z.Start, z.Ende, z.Funktion, z.Hold, z.Repeat,
                         z.RegelFunktion, z.RegelStep, z.Release),
              std::make_tuple("Voll", 101, 255, K::Licht, 0, 2, 0, -3, K::Tueren));
    EXPECT_FALSE(rig.view.enabled) << "no zone selected after deleting";
    EXPECT_TRUE(rig.editor.geaendert());
    // A new zone resets the record left over from the longer axis.
    rig.editor.cmdNeu();
    const ZusiZone& n = rig.editor.Achse().Zone(2);
    EXPECT_EQ(std::tuple(n.Funktion, n.Release, n.Repeat, n.RegelStep, n.Ende),
              std::tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(rig.view.entries[2], "0;0; <Neu>");
    while (rig.editor.Achse().ZoneCount() < 32)
        rig.editor.cmdNeu();
    EXPECT_TRUE(rig.messages().empty());
    rig.editor.cmdNeu();
    EXPECT_EQ(std::tuple(rig.messages(), rig.dialogs.messages[0].icon),
              std::tuple(Texts{"Maximale Zonenzahl ist erreicht"}, MsgIcon::None));
    EXPECT_EQ(rig.editor.Achse().ZoneCount(), 32);
}

TEST(AxisEditor, FieldEditsWriteThroughAndBisIsCheckedOnLeaving) {
    Rig rig;
    rig.view.click(0);
    rig.editor.zoneEdited("Null");
    rig.editor.vonEdited(" 5");
    rig.editor.bisEdited("39.5");
    EXPECT_EQ(rig.view.entries[0], "5;40; Null");
    EXPECT_TRUE(rig.editor.geaendert());
    const ZusiZone& z = rig.editor.Achse().Zone(0);
    rig.editor.repeatEdited("3.5");
    EXPECT_EQ(z.Repeat, 4);
    rig.editor.stufenEdited("-4");
    EXPECT_EQ(z.RegelStep, -4);

    const std::string big = "Maximal 255 möglich!",
                      low = "Achtung, Bereich bis muss grösser sein, als Bereich von!";
    // von, bis, whether the field keeps the focus, the messages
    for (const auto& [von, bis, stays, messages] : {std::tuple{"0", "300", false, Texts{big}},
                                                    {"20", "20", true, Texts{low}},
                                                    {"400", "300", false, Texts{big, low}},
                                                    {"19", "20", true, Texts{}},
                                                    {"0", "255", true, Texts{}}}) {
        rig.dialogs.messages.clear();
        const bool kept = rig.editor.bisLeft(von, bis);
        EXPECT_EQ(kept, stays) << von << bis;
        EXPECT_EQ(rig.messages(), messages) << von << bis;
        for (const auto& m : rig.dialogs.messages) // only the order of the bounds informs
            EXPECT_EQ(m.icon, m.text == low ? MsgIcon::Information : MsgIcon::None) << von << bis;
    }
}

TEST(AxisEditor, CommandListsStoreChoicesAndKeepCodesTheyDoNotOffer) {
    std::vector<ZusiZone> zones = kThree;
    zones[0].Funktion = 999; // a function unknown to this program
    zones[0].Release = 5;    // a release without a text
    Rig rig(zones);
    rig.view.click(0);
    EXPECT_EQ(std::tuple(rig.view.fields.Funktion, rig.view.fields.Release), std::tuple(0, 0));
    rig.editor.commitLists();
    // A typed text matching nothing leaves the command as it was.
    rig.view.type(ZoneList::Funktion, "Kaffee");
    rig.editor.commitLists();
    const ZusiZone& z = rig.editor.Achse().Zone(0);
    EXPECT_EQ(z.Funktion, 999);
    EXPECT_EQ(z.Release, 5);
    EXPECT_FALSE(rig.editor.geaendert());

    rig.view.pick(ZoneList::Release, rig.editor.funktionen().indexOf(K::Glocke));
    EXPECT_EQ(z.Release, K::Glocke);
    EXPECT_TRUE(rig.editor.geaendert());
    rig.view.pick(ZoneList::Regler, rig.editor.regler().indexOf(K::RegelbereichAfb));
    rig.view.pick(ZoneList::Funktion, 0);
    EXPECT_EQ(z.RegelFunktion, K::RegelbereichAfb);
    EXPECT_EQ(z.Funktion, 0);
}

TEST(AxisEditor, SavingCommitsTheListsAndReloads) {
    Rig rig;
    rig.view.click(0);
    // The list shows a new choice that has not been handed over yet (still focused).
    rig.view.texts[int(ZoneList::Release)] =
        rig.editor.funktionen().texts().at(size_t(rig.editor.funktionen().indexOf(K::Pfeife)));
    rig.editor.mnuSpeichern();
    EXPECT_EQ(rig.reloads, 1);
    EXPECT_FALSE(rig.editor.geaendert());
    EXPECT_EQ(rig.editor.selected(), -1) << "the list is shown anew";
    EXPECT_TRUE(rig.saved("Aus\r\n 0 \r\n 40 \r\n 28 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 28 \r\n"));
}

TEST(AxisEditor, FailedWritesKeepTheChangesMarked) {
    Rig rig;
    rig.view.click(0);
    rig.editor.holdClicked(true);
    rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("fehlt/x.axr")));
    rig.editor.mnuSpeichernUnter();
    EXPECT_EQ(rig.dialogs.saves.at(0).result, SaveResult::Failed); // told to the user
    EXPECT_TRUE(rig.editor.geaendert());
    EXPECT_EQ(rig.editor.Achse().Dateiname(), "Lok.axr");
    // The file becomes unwritable: "&Speichern" must not count as done either.
    std::filesystem::remove(rig.dir.file("Lok.axr"));
    std::filesystem::create_directory(rig.dir.file("Lok.axr"));
    rig.editor.mnuSpeichern();
    EXPECT_TRUE(rig.editor.geaendert());
    // Nor may closing with "Yes" lose the zones.
    rig.dialogs.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(rig.editor.queryClose());
}

TEST(AxisEditor, CloseAfterOnlyAHoldChangeAsks) {
    for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::No, MsgAnswer::Yes}) {
        SCOPED_TRACE(int(answer));
        Rig rig;
        rig.view.click(1);
        rig.editor.holdClicked(false);
        rig.dialogs.answers = {answer};
        EXPECT_EQ(rig.editor.queryClose(), answer != MsgAnswer::Cancel);
        ASSERT_EQ(rig.messages(), Texts{"Aenderungen speichern?"});
        EXPECT_EQ(rig.dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
        const bool saved = rig.saved("Mitte\r\n 41 \r\n 100 \r\n 29 \r\n 0 ");
        EXPECT_EQ(saved, answer == MsgAnswer::Yes);
        EXPECT_EQ(rig.reloads, saved ? 1 : 0);
    }
}

TEST(AxisEditor, NewAndOpenAskFirstAndStopWhenCancelled) {
    Rig rig;
    rig.pending.clear(); // a new axis without a name
    rig.editor.start();
    rig.editor.cmdNeu();
    // Yes, then the save dialog is cancelled: nothing happens.
    rig.dialogs.answers = {MsgAnswer::Yes};
    rig.editor.mnuNeu();
    EXPECT_EQ(rig.editor.Achse().ZoneCount(), 1);
    rig.dialogs.answers = {MsgAnswer::Cancel};
    rig.editor.mnuOeffnen();
    EXPECT_EQ(rig.dialogs.fileRequests.size(), 1u); // only the save dialog so far
    // No, then the open dialog is cancelled: the axis stays as it was.
    rig.dialogs.answers = {MsgAnswer::No};
    rig.editor.mnuOeffnen();
    EXPECT_EQ(rig.editor.Achse().ZoneCount(), 1);
    EXPECT_TRUE(rig.editor.geaendert());
    // No: a new axis at once.
    rig.dialogs.answers = {MsgAnswer::No};
    rig.editor.mnuNeu();
    EXPECT_EQ(rig.editor.Achse().ZoneCount(), 0);
    EXPECT_FALSE(rig.editor.geaendert());
    // Without changes "&Oeffnen..." asks nothing and loads the chosen file.
    rig.dialogs.messages.clear();
    rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("Lok.axr")));
    rig.editor.mnuOeffnen();
    EXPECT_TRUE(rig.messages().empty());
    EXPECT_EQ(rig.view.entries.size(), 3u);
    EXPECT_EQ(rig.view.bezeichnung, "Lok.axr");
}
