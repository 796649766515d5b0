#include "sim/win32/Win32ProcessStarter.h"
#include "common/win32/WinText.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kordan {
namespace {

TEST(WindowsCommandLine, ProgramAlwaysQuotedArgumentsOnlyWhereNeeded) {
    EXPECT_EQ(windowsCommandLine("C:\\Programme\\Zusi\\ZusiFahrzeugEditor",
                                 {"C:\\Programme\\Zusi\\Loks\\BR 101.lok"}),
              "\"C:\\Programme\\Zusi\\ZusiFahrzeugEditor\" "
              "\"C:\\Programme\\Zusi\\Loks\\BR 101.lok\"");
    EXPECT_EQ(windowsCommandLine("a", {"plain", ""}), "\"a\" plain \"\"");
    // Backslashes count only before a quote; a trailing one must not eat the closing quote.
    EXPECT_EQ(windowsCommandLine("a", {"C:\\dir with blank\\"}),
              "\"a\" \"C:\\dir with blank\\\\\"");
    EXPECT_EQ(windowsCommandLine("a", {"say \"hi\\\""}), "\"a\" \"say \\\"hi\\\\\\\"\"");
}

class ProcessStartTest : public ::testing::Test {
protected:
    ProcessStartTest() {
        m_dir = std::filesystem::temp_directory_path() /
                ("kordan-start-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(m_dir);
        m_dump = m_dir / "args.txt";
        SetEnvironmentVariableW(L"KORDAN_ARGDUMP", m_dump.wstring().c_str());
    }
    ~ProcessStartTest() override {
        SetEnvironmentVariableW(L"KORDAN_ARGDUMP", nullptr);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    // The arguments the started program wrote, once it has written them.
    std::vector<std::string> receivedArguments() {
        for (int i = 0; i < 500 && !std::filesystem::exists(m_dump); ++i)
            Sleep(20);
        std::ifstream in(m_dump, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_dump;
};

TEST_F(ProcessStartTest, ArgumentsWithBlanksQuotesAndUmlautsArriveWhole) {
    // The program copied into a folder with a blank in its name and started without its
    // ".exe", as the vehicle editor is.
    const std::filesystem::path folder = m_dir / "Zusi Ordner";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(toWide(test::testProgramDirectory() + "\\kordan_win32_argdump.exe"),
                               folder / "ZusiFahrzeugEditor.exe");
    const std::string program = fromWide((folder / "ZusiFahrzeugEditor").wstring());
    const std::vector<std::string> args = {fromWide(folder.wstring()) + "\\Loks\\BR 101.lok",
                                           "say \"hi\"", "C:\\trailing\\", "\xC3\x84nderung"};
    auto starter = makeWin32ProcessStarter();
    ASSERT_TRUE(starter->start(program, args));
    EXPECT_EQ(receivedArguments(), args);
}

TEST_F(ProcessStartTest, MissingProgramReportsFalse) {
    auto starter = makeWin32ProcessStarter();
    EXPECT_FALSE(
        starter->start(fromWide((m_dir / "nowhere" / "ZusiFahrzeugEditor").wstring()), {"x"}));
}

} // namespace
} // namespace kordan
