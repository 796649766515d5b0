#pragma once

#include "sim/ProcessStarter.h"
#include "sim/RegistryBackend.h"
#include "sim/SimPaths.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kordan {

class IDialogs;

// Follows the locomotive the simulator has loaded. The simulator names it in the first line
// of its current-train file; when that file is newer and names another locomotive, the
// four automatic axis files are generated for it and `Timer` says so. Also starts the
// simulator's vehicle editor on the current locomotive. UI thread only.
class ZusiLok {
public:
    // `registry` gives the simulator's directory ("software\zusi", "ZusiDir"); `mapPath`
    // turns its Windows paths into openable ones; `programDir` receives the axis files.
    // On Linux `starter` is expected to run Windows programs through Wine.
    ZusiLok(IRegistryBackend& registry, IDialogs& dialogs, IProcessStarter& starter,
            std::string programDir, PathMapper mapPath);

    // Looks at the current-train file; may generate the axis files (telling the dialogs what
    // became of the locomotive file and of them). True when the locomotive changed, after
    // the axis files were generated.
    bool Timer();
    // The locomotive's name: `LokPfad` without its extension and directories.
    std::string Lok() const;
    // Starts the vehicle editor on the current locomotive; nothing without one. An editor
    // that cannot be started, or ends with a failure within its first seconds (a missing
    // editor under Wine), is reported by a message that names it; nothing else changes.
    void StartEditor();
    // Every tick (100 ms): watches the editor just started for those first seconds.
    void EditorTick();
    bool editorWatched() const { return m_editorWatch != 0; }

    const std::string& ZusiDir() const { return m_zusiDir; }
    // The locomotive file relative to `ZusiDir`, as the current-train file names it.
    const std::string& LokPfad() const { return m_lokPfad; }
    // The current-train file's time at the last complete read; none before the first.
    const std::optional<std::filesystem::file_time_type>& LetzteZeit() const {
        return m_letzteZeit;
    }

private:
    void generateAxes();

    IRegistryBackend& m_registry;
    IDialogs& m_dialogs;
    IProcessStarter& m_starter;
    std::string m_programDir;
    PathMapper m_mapPath;
    std::string m_zusiDir;
    std::optional<std::filesystem::file_time_type> m_letzteZeit;
    std::string m_lokPfad;
    int m_editorWatch = 0; // ticks left to watch the editor just started
};

} // namespace kordan
