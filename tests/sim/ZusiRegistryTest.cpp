#include "sim/ZusiRegistry.h"

#include "fakes/FakeRegistry.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

using test::FakeRegistry;

TEST(ZusiRegistry, MissingValueThenExistingValueOfTheSameKey) {
    FakeRegistry backend;
    backend.set("Software\\Zusi\\Zusi", "T0", "38");
    ZusiRegistry reg(backend);
    reg.schluessel("Software\\zusi\\zusi");
    EXPECT_EQ(reg.Value("T99"), "");
    EXPECT_EQ(reg.Value("t0"), "38");
    EXPECT_EQ(backend.opens, 1); // the key stays open between the reads
}

TEST(ZusiRegistry, ChangingTheKeyReadsFromTheNewKeyAndClosesTheOld) {
    FakeRegistry backend;
    backend.set("Software\\zusi\\zusi", "km/h", "80");
    backend.set("Software\\zusi", "ZusiDir", "C:\\Programme\\Zusi");
    ZusiRegistry reg(backend);
    reg.schluessel("Software\\zusi\\zusi");
    EXPECT_EQ(reg.Value("km/h"), "80");
    reg.schluessel("software\\zusi");
    EXPECT_EQ(reg.schluessel(), "software\\zusi");
    EXPECT_EQ(backend.openKeys(), 0);
    EXPECT_EQ(reg.Value("ZusiDir"), "C:\\Programme\\Zusi");
    EXPECT_EQ(reg.Value("km/h"), "");
    EXPECT_EQ(backend.openKeys(), 1);
}

TEST(ZusiRegistry, MissingKeyIsTriedAgainAtTheNextRead) {
    FakeRegistry backend;
    ZusiRegistry reg(backend);
    reg.schluessel("Software\\zusi\\zusi");
    EXPECT_EQ(reg.Value("km"), "");
    backend.set("Software\\zusi\\zusi", "km", "12,5");
    EXPECT_EQ(reg.Value("km"), "12,5");
    EXPECT_EQ(backend.failedOpens, 1);
}

TEST(ZusiRegistry, ValuesOf256CharactersOrMoreGiveEmptyAndTextEndsAtNul) {
    FakeRegistry backend;
    backend.set("k", "255", std::string(255, 'a'));
    backend.set("k", "256", std::string(256, 'a'));
    backend.set("k", "1000", std::string(1000, 'a'));
    backend.set("k", "empty", "");
    backend.set("k", "nul", std::string("ab\0cd", 5));
    backend.set("k", "dir", "C:\\Z\u00fcge");
    ZusiRegistry reg(backend);
    reg.schluessel("k");
    EXPECT_EQ(reg.Value("255"), std::string(255, 'a'));
    EXPECT_EQ(reg.Value("256"), "");
    EXPECT_EQ(reg.Value("1000"), "");
    EXPECT_EQ(reg.Value("empty"), "");
    // Text ends at the first NUL and comes back as UTF-8.
    EXPECT_EQ(reg.Value("nul"), "ab");
    EXPECT_EQ(reg.Value("dir"), "C:\\Z\u00fcge");
}

TEST(ZusiRegistry, ReleasingTheReaderClosesItsKey) {
    FakeRegistry backend;
    backend.set("k", "v", "1");
    {
        ZusiRegistry reg(backend);
        reg.schluessel("k");
        reg.Value("v");
        EXPECT_EQ(backend.openKeys(), 1);
    }
    EXPECT_EQ(backend.openKeys(), 0);
    EXPECT_EQ(backend.closes, 1);
}

} // namespace
} // namespace kordan
