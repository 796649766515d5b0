#include "sim/ZusiLokParser.h"

#include "common/LoadResult.h"
#include "common/NumberText.h"
#include "common/TextFile.h"
#include "sim/ZusiRegistry.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

namespace kordan {

namespace {

constexpr const char* kDefaultZusiDir = "\\programme\\zusi";

// Where the brake value of each drive system lies: lines read after the 13th line behind
// the fourth "#IF" before looking for the next "#IF", and the line after that "#IF".
struct DriveSystem {
    std::string_view name;
    int linesBefore;
    int brakeLine;
};
constexpr std::array<DriveSystem, 7> kDriveSystems = {{
    {"Dieselhydraulisch", 3, 7},
    {"Dieselmechanisch", 3, 7},
    {"DieselelektrischKonventionell", 3, 10},
    {"DieselelektrischDrehstrom", 3, 8},
    {"ElektrischReihenschluss", 2, 10},
    {"Akkumulator", 2, 10},
    {"ElektrischDrehstrom", 1, 8},
}};

// Walks through the lines of a file. Every step reports whether the file still had the
// lines it needed; a file that ends early stops the parse instead of reading past it.
class Cursor {
public:
    explicit Cursor(LineReader& in) : m_in(in) {}

    const std::string& current() const { return m_current; }

    // Reads n further lines; the last becomes the current line.
    bool read(int n) {
        for (int i = 0; i < n; ++i) {
            auto line = m_in.next();
            if (!line)
                return false;
            m_current = std::move(*line);
        }
        return true;
    }
    // Reads on until the current line is the marker; stays when it already is.
    bool advanceTo(std::string_view marker) {
        while (m_current != marker)
            if (!read(1))
                return false;
        return true;
    }
    // Reads at least one line, then on until the current line is the marker.
    bool moveOnTo(std::string_view marker) { return read(1) && advanceTo(marker); }

    double number() const { return readNumber(m_current, Blanks::Anywhere); }

private:
    LineReader& m_in;
    std::string m_current;
};

} // namespace

ZusiLokParser::ZusiLokParser(IRegistryBackend& registry, PathMapper mapPath)
    : m_mapPath(std::move(mapPath)) {
    ZusiRegistry reader(registry);
    reader.schluessel("software\\zusi");
    m_zusiDir = reader.Value("ZusiDir");
    if (m_zusiDir.empty())
        m_zusiDir = kDefaultZusiDir;
}

int16_t ZusiLokParser::Raste() const {
    return toInt16(m_raste);
}
int16_t ZusiLokParser::EBremse() const {
    return toInt16(m_eBremse);
}
int16_t ZusiLokParser::AFB() const {
    return toInt16(m_afb);
}

LokReport ZusiLokParser::Parse(const std::string& lokPfad) {
    const std::string windowsPath = m_zusiDir + "\\" + lokPfad;
    const std::string localPath = m_mapPath ? m_mapPath(windowsPath) : std::string();
    using R = LokReport::Result;
    auto reported = [](R result, const std::string& path) {
        LokReport report;
        report.result = result;
        report.path = path;
        return report;
    };
    auto refused = [&](R result) { return reported(result, windowsPath); };
    // Only a regular file: a device or pipe named by a broken current-train file would
    // never end or never answer.
    std::optional<LineReader> in;
    std::error_code ec;
    bool tooLarge = false;
    if (!localPath.empty() && std::filesystem::is_regular_file(localPath, ec))
        in = LineReader::open(localPath, kLokFileLimit, &tooLarge);
    if (tooLarge)
        return reported(R::TooLarge, localPath);
    if (!in)
        return refused(R::NotOpened);

    Cursor c(*in);
    // An empty file has no first line and so is no "2.3" file either.
    if (!c.read(1) || c.current() != "2.3")
        return refused(R::WrongFormat);

    auto endsEarly = [&] { return refused(R::EndsEarly); };
    // Read into locals first, so a file that ends early leaves the last good values.
    if (!c.advanceTo("#") || !c.read(3))
        return endsEarly();
    std::string fbv = c.current();
    if (!c.advanceTo("#IF") || !c.read(12))
        return endsEarly();
    const double raste = c.number();
    // Lines B, C and D: the first "#IF" from the notch line on, and the two after it.
    if (!c.advanceTo("#IF") || !c.moveOnTo("#IF") || !c.moveOnTo("#IF"))
        return endsEarly();
    // Lines 3, 4, 6, 7 and 9 after D, then on to the 13th.
    if (!c.read(3))
        return endsEarly();
    std::string antriebssystem = c.current();
    if (!c.read(1))
        return endsEarly();
    const double leistung = c.number();
    if (!c.read(2))
        return endsEarly();
    std::string fahrschalter = c.current();
    if (!c.read(1))
        return endsEarly();
    const double fahrstufen = c.number();
    if (!c.read(2))
        return endsEarly();
    const double afb = c.number();
    if (!c.read(4))
        return endsEarly();

    const DriveSystem* drive = nullptr;
    for (const DriveSystem& d : kDriveSystems)
        if (d.name == antriebssystem)
            drive = &d;
    double eBremse = 0;
    if (drive != nullptr) {
        if (!c.read(drive->linesBefore) || !c.advanceTo("#IF") || !c.read(drive->brakeLine))
            return endsEarly();
        eBremse = c.number();
    }
    LokReport report = reported(R::Read, windowsPath);
    if (drive == nullptr)
        report.unknownDrive = antriebssystem;

    m_fbv = std::move(fbv);
    m_antriebssystem = std::move(antriebssystem);
    m_fahrschalter = std::move(fahrschalter);
    m_raste = raste;
    m_leistung = toInt32(leistung);
    m_fahrstufen = toInt16(fahrstufen);
    m_afb = afb;
    m_eBremse = eBremse;
    return report;
}

} // namespace kordan
