#include "app/Diagnostics.h"

#include "common/NumberText.h"
#include "common/TextFile.h"
#include "device/PieHid.h"
#include "sim/RegistryBackend.h"

namespace kordan {

namespace {

std::string controllerLines(IPieHid* hid) {
    if (!hid)
        return "  (in diesem Build keine Fahrpult-Bibliothek)\n";
    DeviceInfoTable info{};
    int32_t count = 0;
    if (hid->EnumeratePIE(kVendorId, info, count) != 0)
        return "  (die Geräteliste kann nicht gelesen werden)\n";
    std::string text;
    for (int32_t i = 0; i < count && i < kMaxDevices; ++i) {
        const int32_t* row = &info[size_t(4 * i)];
        const bool kordan = isKordan(row[0], row[2]);
        const IPieHid::DeviceCheck check = hid->check(row[3]);
        text += "  PID " + hexText(row[0], 3) + ", UP " + hexText(row[2], 3) +
                (kordan ? "" : " (kein Kordan)") + ": " +
                (check.path.empty() ? "Pfad unbekannt" : check.path) + " - " +
                (check.status == DeviceStatus::Present    ? "kann geöffnet werden"
                 : check.status == DeviceStatus::NoAccess ? "keine Berechtigung zum Öffnen"
                                                          : "kann nicht geöffnet werden") +
                "\n";
    }
    return text.empty() ? "  (keines gefunden)\n" : text;
}

std::string fileLine(const std::string& what, const std::filesystem::path& path,
                     std::filesystem::file_time_type now) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    if (ec)
        return what + ": " + path.string() + " - fehlt\n";
    return what + ": " + path.string() + " - geändert " +
           ageText(std::chrono::duration_cast<std::chrono::seconds>(now - time)) + "\n";
}

} // namespace

std::string tcpWayText(const Zusi3Endpoint& server) {
    return "Eingaben über TCP an " + server.host + ":" + std::to_string(server.port);
}

std::string ageText(std::chrono::seconds age) {
    const long long s = age.count();
    if (s < 1)
        return "gerade eben";
    if (s < 60)
        return "vor " + std::to_string(s) + " s";
    if (s < 3600)
        return "vor " + std::to_string(s / 60) + " min";
    if (s < 86400)
        return "vor " + std::to_string(s / 3600) + " h";
    return "vor " + std::to_string(s / 86400) + (s < 2 * 86400 ? " Tag" : " Tagen");
}

std::string diagnosticsText(const DiagnosticsSources& src, std::filesystem::file_time_type now) {
    std::string text = "Kordan für Zusi " + src.program + "\n";
    text += "Qt " + (src.qt.empty() ? "-" : src.qt) + ", hidapi " +
            (src.hidapi.empty() ? "nicht eingebaut" : src.hidapi) + "\n";
    text += "Betriebssystem: " + src.system + "\n";
    text += "Fahrpulte (Hersteller 05F3):\n" + controllerLines(src.controllers);
    if (src.winePrefix) {
        text += "Wine-Prefix des Simulators: " + src.winePrefix->string() + "\n";
        text += fileLine("user.reg", *src.winePrefix / "user.reg", now);
    }
    std::optional<std::string> zusiDir;
    if (src.registry)
        zusiDir = src.registry->readString("software\\zusi", "ZusiDir");
    if (!zusiDir || zusiDir->empty()) {
        text += "Zusi-Verzeichnis: nicht eingetragen (software\\zusi, ZusiDir)\n";
    } else {
        const std::string shown = fromWindows1252(*zusiDir);
        const std::string mapped = src.mapSimPath ? src.mapSimPath(*zusiDir) : std::string();
        std::error_code ec;
        text +=
            "Zusi-Verzeichnis: " + shown +
            (mapped.empty() || mapped == *zusiDir ? "" : " = " + mapped) +
            (std::filesystem::is_directory(mapped.empty() ? *zusiDir : mapped, ec) ? ""
                                                                                   : " - fehlt") +
            "\n";
    }
    if (!src.delivery.empty())
        text += "Weg zu Zusi: " + src.delivery + "\n";
    text += "Zusi 3 (TCP): " + (src.zusi3.empty() ? "nicht gewählt" : src.zusi3) + "\n";
    text += std::string("Zusi-Fenster: ") +
            (src.simWindowFound ? "gefunden"
                                : "nicht gefunden (gesucht: Fenster im Vordergrund, Titel "
                                  "beginnt mit \"Zusi\")") +
            "\n";
    return text;
}

} // namespace kordan
