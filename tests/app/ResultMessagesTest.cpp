#include "app/ResultMessages.h"

#include "common/LoadResult.h"
#include "common/TextFile.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kordan {

void PrintTo(const Notice& n, std::ostream* os) {
    *os << '"' << n.text << "\" icon " << int(n.icon) << " title \"" << n.title << '"';
}

namespace {

using File = LoadReport::File;
using Lok = LokReport::Result;

Notice shown(std::string text, MsgIcon icon = MsgIcon::None) {
    return {std::move(text), MsgButtons::Ok, icon, {}};
}
Notice autoConfig(std::string text) {
    return {std::move(text), MsgButtons::Ok, MsgIcon::Exclamation,
            "Automatische Konfiguration nicht möglich"};
}

std::vector<Notice> load(File file, LoadResult result, std::optional<FileError> error,
                         std::string path = "a") {
    return noticesFor(LoadReport{file, result, std::move(path), error, {}});
}
SaveReport save(std::string path, std::string reason, std::string kept = {}) {
    return {SaveResult::Failed, std::move(path), std::move(reason), std::move(kept), {}};
}
LokReport lok(Lok result, std::string path = "C:\\Zusi\\a.lok") {
    LokReport report;
    report.result = result;
    report.path = std::move(path);
    return report;
}

TEST(ResultMessages, EveryReportInTheWordsTheUserKnows) {
    test::TempDir dir;
    dir.write("gross.cfr", std::string(kOwnFileLimit + 1, ' '));
    const std::string large = dir.file("gross.cfr");
    const FileChoice failed{FileChoice::Result::Failed, {}, 32755, "Fehler"};
    const LoadReport openDialog{File::Axis, LoadResult::Cancelled, {}, {}, failed};
    LokReport generated = lok(Lok::Read);
    generated.unknownDrive = "Dampf";
    generated.unknownFahrschalter = "Auf/Ab";
    generated.unwritten = {save("/p/a.axr", "voll"), save("/p/b.axr", {})};
    const Notice runtime = shown("Laufzeitfehler: 32755 Fehler");
    const struct {
        const char* name;
        std::vector<Notice> got, want;
    } rows[] = {
        {"axis missing",
         load(File::Axis, LoadResult::NotFound, {}),
         {shown("Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird "
                "gelöscht",
                MsgIcon::Information)}},
        // The caller words it: it knows the name it asked for.
        {"profile missing", load(File::Profile, LoadResult::NotFound, {}), {}},
        {"open dialog failed", noticesFor(openDialog), {runtime}},
        {"format",
         load(File::Axis, LoadResult::Rejected, FileError::TooShort),
         {shown("Dateiformat ungültig")}},
        {"too large",
         load(File::Profile, LoadResult::Rejected, {}, large),
         {shown("Datei zu groß: gross.cfr (2 MB)")}},
        {"kept, then not written",
         noticesFor(save("/p/a.cfr", "Keine Berechtigung", "/p/a.cfr.bak")),
         {shown("Die Datei a.cfr konnte nicht gelesen werden; sie bleibt als a.cfr.bak erhalten.",
                MsgIcon::Information),
          shown("Die Datei /p/a.cfr konnte nicht gespeichert werden.\n(Keine Berechtigung)",
                MsgIcon::Exclamation)}},
        {"lok missing",
         noticesFor(lok(Lok::NotOpened)),
         {autoConfig("Lok-Datei C:\\Zusi\\a.lok kann nicht geöffnet werden!")}},
        {"lok format",
         noticesFor(lok(Lok::WrongFormat)),
         {autoConfig(
             "Lok-Datei kann nicht gelesen werden, da nicht im Zusi 2.3 Format vorliegend!")}},
        {"lok ends early",
         noticesFor(lok(Lok::EndsEarly)),
         {autoConfig("Lok-Datei C:\\Zusi\\a.lok endet vorzeitig und kann nicht gelesen werden!")}},
        // One message for all unwritten files: an unwritable directory fails every one.
        {"lok generated",
         noticesFor(generated),
         {autoConfig("Unbekanntes Antriebssystem: Dampf"),
          autoConfig("Unbekannte Fahschalterart Auf/Ab"),
          autoConfig("Die Datei /p/a.axr konnte nicht gespeichert werden.\n(voll)\n"
                     "Die Datei /p/b.axr konnte nicht gespeichert werden.")}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.want) << row.name;
}

} // namespace
} // namespace kordan
