#include "Train.h"

#include "common/NumberText.h"
#include "common/TextFile.h"

#include <gtest/gtest.h>

#include <map>

namespace standin {
namespace {

// What the program takes from a locomotive file, found the way it finds it: by counting
// lines from the marker lines "#" and "#IF". Throws when the file ends too early.
struct LokValues {
    std::string fbv, system, fahrschalter;
    double raste = 0, fahrstufen = 0, leistung = 0, afb = 0, ebremse = 0;
};

class Walker {
public:
    explicit Walker(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    const std::string& read(int n = 1) {
        m_pos += n;
        if (m_pos >= m_lines.size())
            throw std::runtime_error("file ends at line " + std::to_string(m_lines.size()));
        return m_lines[m_pos];
    }
    const std::string& advanceTo(const std::string& marker) {
        while (m_lines.at(m_pos) != marker)
            read();
        return m_lines[m_pos];
    }
    const std::string& moveOnTo(const std::string& marker) {
        read();
        return advanceTo(marker);
    }

private:
    std::vector<std::string> m_lines;
    size_t m_pos = 0;
};

LokValues walk(const std::string& bytes) {
    Walker w(kordan::splitLines(bytes));
    LokValues v;
    auto number = [](const std::string& line) {
        return kordan::readNumber(line, kordan::Blanks::Anywhere);
    };
    w.advanceTo("#");
    v.fbv = w.read(3);
    w.advanceTo("#IF");
    v.raste = number(w.read(12));
    w.advanceTo("#IF");
    w.moveOnTo("#IF");
    w.moveOnTo("#IF");
    v.system = w.read(3);
    v.leistung = number(w.read());
    v.fahrschalter = w.read(2);
    v.fahrstufen = number(w.read());
    v.afb = number(w.read(2));
    w.read(4);
    const std::map<std::string, std::pair<int, int>> bySystem{
        {"ElektrischReihenschluss", {2, 10}},
        {"ElektrischDrehstrom", {1, 8}},
        {"Dieselhydraulisch", {3, 7}},
        {"Dieselmechanisch", {3, 7}},
        {"DieselelektrischKonventionell", {3, 10}},
        {"DieselelektrischDrehstrom", {3, 8}},
        {"Akkumulator", {2, 10}}};
    const auto& [before, at] = bySystem.at(v.system);
    w.read(before);
    w.advanceTo("#IF");
    v.ebremse = number(w.read(at));
    return v;
}

std::string demoFile(const std::string& windowsPath) {
    std::string p = windowsPath;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return std::string(KORDAN_SOURCE_DIR) + "/demo/zusi/" + p;
}

// The stand-in's locomotives and the shipped files must tell the same story, or the
// generated axes would not fit the train the stand-in drives.
TEST(DemoData, EveryDemoLocoFileMatchesTheStandinsTable) {
    std::map<std::string, int> cases;
    for (const auto& loco : demoLocos()) {
        SCOPED_TRACE(loco.path);
        const auto bytes = kordan::readFileBytes(demoFile(loco.path));
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(bytes->starts_with("2.3\r\n"));
        LokValues v;
        ASSERT_NO_THROW(v = walk(*bytes));
        EXPECT_EQ(v.fahrschalter, loco.fahrschalter);
        EXPECT_EQ(v.fahrstufen, loco.notches);
        EXPECT_EQ(v.afb, loco.afbSteps);
        EXPECT_EQ(v.ebremse, loco.dynSteps);
        EXPECT_EQ(v.leistung, loco.powerKw);
        EXPECT_EQ(loco.brakeSteps, v.fbv == "D5/D2" ? 7 : 3);
        ++cases[v.fahrschalter + " Raste " + std::to_string(int(v.raste))];
        ++cases[v.system];
    }
    // One locomotive per kind of master controller the generation knows, and more than
    // one drive system.
    EXPECT_EQ(cases["Auf/Ab Raste 0"], 1);
    EXPECT_EQ(cases["Auf/Ab Raste 1"], 1);
    EXPECT_EQ(cases["Standard Raste 0"] + cases["Kombihebel Raste 0"], 2);
    EXPECT_GE(cases["ElektrischDrehstrom"] + cases["Dieselhydraulisch"], 2);
}

} // namespace
} // namespace standin
