#include "app/CommandLine.h"

#include <filesystem>

namespace kordan {

CommandLineResult parseCommandLine(const std::vector<std::string>& args) {
    CommandLineResult r;
    CommandLine& o = r.line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The value after an option that needs one; sets the error when it is missing.
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                r.error = "Option " + a + " braucht einen Wert";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--diagnose") {
            o.diagnose = true;
        } else if (a == "--virtual") {
            o.virtualController = true;
        } else if (a == "--quit") {
            o.quitAfterScenario = true;
        } else if (a == "--dir") {
            if (!value(o.dir))
                return r;
        } else if (a == "--scenario") {
            if (!value(o.scenario))
                return r;
        } else if (a == "--profile") {
            if (!value(o.profile))
                return r;
        } else if (a == "--mode") {
            if (!value(v))
                return r;
            if (v != "test" && v != "aktiv") {
                r.error = "--mode erwartet test oder aktiv, nicht " + v;
                return r;
            }
            o.activeMode = v == "aktiv";
        } else if (a == "--sheet") {
            if (i + 2 >= args.size()) {
                r.error = "Option --sheet braucht zwei Werte: PROFIL AUSGABE";
                return r;
            }
            o.sheetProfile = args[++i];
            o.sheetOut = args[++i];
        } else if (a == "--zusi3") {
            if (!value(v))
                return r;
            o.zusi3 = v;
        } else if (a == "--delivery") {
            if (!value(v))
                return r;
            if (v != "bridge" && v != "x11") {
                r.error = "--delivery erwartet bridge oder x11, nicht " + v;
                return r;
            }
            o.delivery = v;
        } else {
            r.error = "unbekannte Option " + a + "; alle Optionen nennt kordan --help";
            return r;
        }
    }
    if (!o.scenario.empty())
        o.virtualController = true; // a scenario plays on the virtual controller
    return r;
}

std::string profileArgumentPath(const std::string& name, const std::string& programDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(name, ec))
        return fs::absolute(name, ec).string();
    if (fs::path(name).is_relative() && !programDir.empty() &&
        fs::exists(fs::path(programDir) / name, ec))
        return (fs::path(programDir) / name).string();
    return name;
}

const char* commandLineHelp() {
    return "Aufruf: kordan [OPTIONEN]\n"
           "Bedient den Zugsimulator mit dem Fahrpult.\n"
           "\n"
           "  --profile DATEI        startet mit diesem Profil (.cfr)\n"
           "  --mode test|aktiv      startet in diesem Modus (statt im zuletzt benutzten)\n"
           "  --sheet PROFIL AUSGABE schreibt die Belegung des Profils als PDF und endet\n"
           "  --diagnose             gibt die System-Info aus und endet\n"
           "  --zusi3 HOST[:PORT]    verbindet sich für diesen Lauf über TCP mit Zusi 3\n"
           "                         (Port 1436, wenn keiner angegeben ist)\n"
           "  --delivery bridge|x11  unter Wine: Tasten über die Brücke im Simulator-Prefix\n"
           "                         oder direkt über X11 senden\n"
           "  --virtual              ein virtuelles Fahrpult mit seinem Bedienfeld\n"
           "  --dir VERZEICHNIS      Programmverzeichnis (Profile, Achsdateien, Kalibrierung)\n"
           "  --scenario DATEI       spielt ein Szenario auf dem virtuellen Fahrpult ab\n"
           "  --quit                 endet nach dem Szenario und gibt aus, was die Anzeige\n"
           "                         des Fahrpults zeigt, dazu Profil und Modus\n"
           "  --version              gibt die Version aus und endet\n"
           "  --help                 diese Hilfe\n";
}

} // namespace kordan
