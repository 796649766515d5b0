#include "sim/ZusiLok.h"

#include "common/Dialogs.h"
#include "common/LoadResult.h"
#include "common/TextFile.h"
#include "sim/AutomaticAxes.h"
#include "sim/ZusiLokParser.h"
#include "sim/ZusiRegistry.h"

namespace kordan {

namespace fs = std::filesystem;

namespace {

// Long enough for Wine to give up on a missing program, even in a prefix it first sets up.
constexpr int kEditorWatchTicks = 100;

std::string editorProgram(const std::string& zusiDir) {
    return zusiDir + "\\ZusiFahrzeugEditor";
}

} // namespace

ZusiLok::ZusiLok(IRegistryBackend& registry, IDialogs& dialogs, IProcessStarter& starter,
                 std::string programDir, PathMapper mapPath)
    : m_registry(registry), m_dialogs(dialogs), m_starter(starter),
      m_programDir(std::move(programDir)), m_mapPath(std::move(mapPath)) {
    ZusiRegistry reader(registry);
    reader.schluessel("software\\zusi");
    m_zusiDir = reader.Value("ZusiDir");
    if (m_zusiDir.empty())
        m_zusiDir = "\\programme\\zusi";
}

bool ZusiLok::Timer() {
    // Without a way to the simulator's files there is no file to watch.
    const std::string path =
        m_mapPath ? m_mapPath(m_zusiDir + "\\temp\\aktuellerzug.txt") : std::string();
    if (path.empty())
        return false;
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(path, ec);
    if (ec || !fs::is_regular_file(path, ec))
        return false;
    if (m_letzteZeit && time <= *m_letzteZeit)
        return false;

    // The simulator may be writing the file right now. The time counts as seen only after
    // a complete read, so a read that fails, finds the file still empty or overlaps a
    // further write is tried again on the next call instead of losing the change.
    // Only the first line counts, so nothing past its end is read.
    if (fs::file_size(path, ec) == 0 || ec)
        return false;
    const auto first = readFirstLine(path, kOwnFileLimit);
    if (!first)
        return false;
    const fs::file_time_type after = fs::last_write_time(path, ec);
    if (ec || after != time)
        return false;
    m_letzteZeit = time;

    std::string line = fromWindows1252(*first);
    if (line == m_lokPfad)
        return false;
    m_lokPfad = std::move(line);
    // An empty line names no locomotive file; there is nothing to generate from.
    if (!m_lokPfad.empty())
        generateAxes();
    return true;
}

void ZusiLok::generateAxes() {
    ZusiLokParser parser(m_registry, m_mapPath);
    LokReport report = parser.Parse(m_lokPfad);
    if (report.read())
        generateAutomaticAxes(parser, m_programDir, report);
    m_dialogs.tell(report);
}

std::string ZusiLok::Lok() const {
    std::string name = m_lokPfad.substr(0, m_lokPfad.rfind('.'));
    // Either separator ends a directory: a name that kept one could lead the profile
    // looked up by it out of the program's directory.
    const size_t slash = name.find_last_of("\\/:"); // and a drive
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

void ZusiLok::StartEditor() {
    if (m_lokPfad.empty())
        return;
    // Program and locomotive path go separately: a path with blanks, quotes or ";" stays one
    // argument and is never read as a command.
    m_editorWatch = 0;
    if (m_starter.start(editorProgram(m_zusiDir), {m_zusiDir + "\\" + m_lokPfad})) {
        m_editorWatch = kEditorWatchTicks;
        return;
    }
    m_dialogs.message("Der Zusi Fahrzeug Editor konnte nicht gestartet werden:\n" +
                          editorProgram(m_zusiDir),
                      MsgButtons::Ok, MsgIcon::Exclamation);
}

void ZusiLok::EditorTick() {
    if (m_editorWatch == 0)
        return;
    --m_editorWatch;
    const std::optional<int> code = m_starter.endedWith();
    if (!code)
        return;
    m_editorWatch = 0; // one message per start; an editor closed at once is no failure
    if (*code != 0)
        m_dialogs.message("Der Zusi Fahrzeug Editor wurde gleich nach dem Start beendet (Code " +
                              std::to_string(*code) + "):\n" + editorProgram(m_zusiDir),
                          MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kordan
