#include "app/ResultMessages.h"

#include "common/LoadResult.h"
#include "sim/ZusiLokParser.h"

#include <filesystem>

namespace kordan {

namespace {

std::string fileName(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

// A file dialog that failed for another reason than a cancel.
Notice dialogFailed(const FileChoice& choice) {
    return {"Laufzeitfehler: " + std::to_string(choice.errorNumber) + " " + choice.errorText,
            MsgButtons::Ok,
            MsgIcon::None,
            {}};
}

// The previous file stays as it was (saves are atomic), so the text says only that this
// save failed.
std::string saveFailedMessage(const std::string& path, const std::string& reason) {
    std::string text = "Die Datei " + path + " konnte nicht gespeichert werden.";
    if (!reason.empty())
        text += "\n(" + reason + ")";
    return text;
}

// "Datei zu groß: NAME (N MB)", N rounded up.
std::string tooLargeMessage(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    constexpr std::uintmax_t kMB = 1u << 20;
    // A file that grew past the limit while it was read may have no size to ask for.
    const std::uintmax_t mb = ec ? 0 : (size + kMB - 1) / kMB;
    return "Datei zu groß: " + fileName(path) +
           (ec ? std::string() : " (" + std::to_string(mb) + " MB)");
}

// Why a file's bytes were refused; the calibration names its file.
std::string refusedMessage(const LoadReport& report) {
    if (!report.error)
        return tooLargeMessage(report.path);
    if (*report.error == FileError::WrongVersion)
        return "Falsche Version der Datei";
    if (report.file == LoadReport::File::Calibration)
        return "Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig";
    return "Dateiformat ungültig";
}

} // namespace

std::vector<Notice> noticesFor(const LoadReport& report) {
    if (report.dialog.result == FileChoice::Result::Failed)
        return {dialogFailed(report.dialog)};
    if (report.result == LoadResult::Rejected)
        return {{refusedMessage(report), MsgButtons::Ok, MsgIcon::None, {}}};
    // A missing profile is worded by the caller, who knows the name it asked for; a
    // missing calibration only means none was made yet.
    if (report.result == LoadResult::NotFound && report.file == LoadReport::File::Axis)
        return {{"Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird "
                 "gelöscht",
                 MsgButtons::Ok,
                 MsgIcon::Information,
                 {}}};
    return {};
}

std::vector<Notice> noticesFor(const SaveReport& report) {
    std::vector<Notice> notices;
    if (report.dialog.result == FileChoice::Result::Failed)
        notices.push_back(dialogFailed(report.dialog));
    // The user's file is not lost: a copy of it is kept beside it.
    if (!report.keptCopy.empty())
        notices.push_back({"Die Datei " + fileName(report.path) +
                               " konnte nicht gelesen werden; sie bleibt als " +
                               fileName(report.keptCopy) + " erhalten.",
                           MsgButtons::Ok,
                           MsgIcon::Information,
                           {}});
    if (report.result == SaveResult::Failed)
        notices.push_back({saveFailedMessage(report.path, report.reason),
                           MsgButtons::Ok,
                           MsgIcon::Exclamation,
                           {}});
    return notices;
}

std::vector<Notice> noticesFor(const LokReport& report) {
    using R = LokReport::Result;
    auto notice = [](std::string text) {
        return Notice{std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, kAutoConfigTitle};
    };
    switch (report.result) {
    case R::TooLarge:
        return {notice(tooLargeMessage(report.path))};
    case R::NotOpened:
        // Without a word the user would only see that no automatic axes came.
        return {notice("Lok-Datei " + report.path + " kann nicht geöffnet werden!")};
    case R::WrongFormat:
        return {
            notice("Lok-Datei kann nicht gelesen werden, da nicht im Zusi 2.3 Format vorliegend!")};
    case R::EndsEarly:
        return {
            notice("Lok-Datei " + report.path + " endet vorzeitig und kann nicht gelesen werden!")};
    case R::Read:
        break;
    }
    std::vector<Notice> notices;
    if (report.unknownDrive)
        notices.push_back(notice("Unbekanntes Antriebssystem: " + *report.unknownDrive));
    if (report.unknownFahrschalter)
        notices.push_back(notice("Unbekannte Fahschalterart " + *report.unknownFahrschalter));
    // One message for all of them: an unwritable directory fails every file at once.
    std::string failures;
    for (const SaveReport& file : report.unwritten)
        failures += (failures.empty() ? "" : "\n") + saveFailedMessage(file.path, file.reason);
    if (!failures.empty())
        notices.push_back(notice(failures));
    return notices;
}

} // namespace kordan
