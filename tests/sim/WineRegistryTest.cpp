#include "sim/winereg/WineRegistry.h"

#include "fakes/TempDir.h"
#include "sim/ZusiRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace kordan {
namespace {

namespace fs = std::filesystem;

// Shaped like the file a Wine prefix holds after the simulator has run once.
const char* const kUserReg = R"(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Wine\\Fonts] 1700000001
"Codepages"="1252,437"

[Software\\zusi] 1700000002
#time=1da1e2d3c4b5a70
"ZusiDir"="C:\\Programme\\Zusi"

[Software\\Zusi\\Zusi] 1700000003
#time=1da1e2d3c4b5a71
@="Standard"
"T0"="38"
"T1"="40"
"km/h"="87.5"
"Quote"="Er sagte \"Hp 0\"\tund\nhielt"
"Umlaut"="Fahrmotorenl\x00fcfter \x20ac5 T\xfcren"
"Flag"=dword:00000001
"Multi"=str(7):"a\0b\0"
"Hex1"=hex(1):5a,00,fc,00,\
  AC,20,00,00,78,00
"Blob"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\
  17,18,19,1a
"Nach"="Blob"
"Offen"="ohne Ende
"Kaputt="fehlt
[Software\\Kaputt 1700000004
"Verloren"="1"
)";

class WineRegistryTest : public ::testing::Test {
protected:
    WineRegistryTest() { dir.write("user.reg", kUserReg); }
    static std::string value(IRegistryBackend& backend, const std::string& key,
                             const std::string& name = "T0") {
        ZusiRegistry reg(backend);
        reg.schluessel(key);
        return reg.Value(name);
    }
    test::TempDir dir;
};

TEST_F(WineRegistryTest, ReadsStringValuesWithWinesEscapesAndNothingElse) {
    // Other value types, broken lines and what follows a broken key read as empty.
    auto backend = makeWineRegistry(dir.file("user.reg"));
    const char* const zusi = "Software\\zusi\\zusi";
    const std::tuple<const char*, const char*, const char*> values[] = {
        {zusi, "t1", "40"},
        {zusi, "", "Standard"},
        {zusi, "Quote", "Er sagte \"Hp 0\"\tund\nhielt"},
        // "\x" takes up to four hex digits: Wine writes all four when a hex digit follows.
        {zusi, "Umlaut", "Fahrmotorenl\u00fcfter \u20ac5 T\u00fcren"},
        {zusi, "Nach", "Blob"}, // read past the continued hex data
        {"software\\ZUSI", "ZusiDir", "C:\\Programme\\Zusi"},
        {"Software\\Kaputt", "Verloren", ""},
        {"Software\\Wine", "Codepages", ""},
        {zusi, "Offen", ""}}; // no closing quote: nothing of the next line is taken in
    for (const auto& [key, name, expected] : values)
        EXPECT_EQ(value(*backend, key, name), expected) << key << " " << name;
    // The backend itself ends a UTF-16 text at its first NUL, although more follows.
    EXPECT_EQ(backend->readString(zusi, "Hex1"), std::string("Z\xfc\x80"));
    for (const char* name : {"T99", "Flag", "Multi", "Blob", "Kaputt", "Verloren"})
        EXPECT_EQ(value(*backend, zusi, name), "") << name;
}

TEST_F(WineRegistryTest, MissingOrCutFileReadsSoundly) {
    const std::string zusi = "Software\\Zusi\\Zusi";
    EXPECT_EQ(value(*makeWineRegistry(dir.file("nicht-da.reg")), zusi), "");
    // Wine could be caught writing; whatever part of the file is there reads soundly.
    const std::string full(kUserReg);
    for (size_t length = 0; length <= full.size(); ++length) {
        dir.write("cut.reg", full.substr(0, length));
        auto backend = makeWineRegistry(dir.file("cut.reg"));
        const std::string t0 = value(*backend, zusi), quote = value(*backend, zusi, "Quote");
        EXPECT_TRUE(t0.empty() || t0 == "38") << length;
        EXPECT_TRUE(quote.empty() || quote == "Er sagte \"Hp 0\"\tund\nhielt") << length;
    }
}

TEST_F(WineRegistryTest, ReadsAgainWhenTheFileChanges) {
    auto backend = makeWineRegistry(dir.file("user.reg"));
    ZusiRegistry reg(*backend);
    reg.schluessel("Software\\Zusi\\Zusi");
    EXPECT_EQ(reg.Value("km/h"), "87.5");
    std::string changed(kUserReg);
    changed.replace(changed.find("87.5"), 4, "91.5");
    dir.write("user.reg", changed);
    // The same size as before: only the newer time that a save leaves tells the change.
    fs::last_write_time(dir.file("user.reg"),
                        fs::last_write_time(dir.file("user.reg")) + std::chrono::seconds(2));
    EXPECT_EQ(reg.Value("km/h"), "91.5");
}

} // namespace
} // namespace kordan
