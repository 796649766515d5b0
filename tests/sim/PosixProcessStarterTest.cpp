#include "sim/posix/PosixProcessStarter.h"
#include "sim/posix/PosixChildProcess.h"
#include "sim/posix/Priority.h"

#include "sim/bridge/BridgeLocation.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/resource.h>
#include <thread>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Waits (bounded) until the condition holds; a real child needs a moment to run.
template <typename F> bool eventually(F condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST(PosixProcessStarter, PassesArgumentsAsTheyAreAndTellsTheExitCode) {
    TempDir tmp;
    const std::string script = tmp.file("zeige argv");
    const std::string out = tmp.file("argv.txt");
    const std::string marker = tmp.file("marker");
    // Writes one argument per line, then "fertig"; a shell reading the arguments as a
    // command line would instead create the marker file.
    tmp.write("zeige argv", "#!/bin/sh\nout=\"$1\"; shift\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                            "echo fertig >> \"$out.tmp\"; mv \"$out.tmp\" \"$out\"\n");
    fs::permissions(script, fs::perms::owner_all);
    const std::string hostile = "C:\\Zusi\\Loks\\a b\\\"x\"; touch " + marker + " $(touch " +
                                marker + ") `touch " + marker + "`.lok";
    auto starter = makePosixProcessStarter();
    ASSERT_TRUE(starter->start(script, {out, hostile, ""}));
    ASSERT_TRUE(eventually([&] { return fs::exists(out); }));
    EXPECT_EQ(tmp.read("argv.txt"), hostile + "\n\nfertig\n");
    EXPECT_FALSE(fs::exists(marker));
    // A missing program is not started; the PATH search finds an ordinary one.
    for (const char* missing : {"/nonexistent/ZusiFahrzeugEditor", "kordan-kein-programm", ""})
        EXPECT_FALSE(starter->start(missing, {"x"})) << missing;
    EXPECT_TRUE(starter->start("true", {"a b", ";"}));
    EXPECT_TRUE(eventually([&] { return starter->endedWith() == 0; }));
    // The last start's exit code counts.
    ASSERT_TRUE(starter->start("sh", {"-c", "exit 53"}));
    EXPECT_TRUE(eventually([&] { return starter->endedWith() == 53; }));
}

// The bridge's pipes: what goes in comes out, an ended program is noticed, and one that
// closed its input costs a failed write, not this process (SIGPIPE).
TEST(PosixChild, TalksThroughPipesAndNoticesAnEndWithoutDyingOfIt) {
    auto cat = startPosixChild("cat", {});
    ASSERT_NE(cat, nullptr);
    ASSERT_TRUE(cat->write("1 hello\n"));
    std::string got; // read appends: wait for the whole line, or the output's end
    eventually([&] { return !cat->read(got, 10) || got.size() >= 8; });
    EXPECT_EQ(got, "1 hello\n");
    auto deaf = startPosixChild("sh", {"-c", "exec <&-; sleep 5"});
    EXPECT_TRUE(eventually([&] { return !deaf->write("x\n"); }));
    auto gone = startPosixChild("sh", {"-c", "exit 3"});
    EXPECT_TRUE(eventually([&] { return !gone->read(got, 10); }));
    EXPECT_FALSE(gone->write("2 fg\n"));
}

// With the program raised, the bridge shares the raised priority, and what the bridge starts
// in turn runs at normal priority again.
TEST(PosixPriority, StartedProgramsRunNormallyAndTheBridgeRaised) {
    if (!raiseOwnPriority())
        GTEST_SKIP() << "no raised priority granted here";
    struct Normal {
        ~Normal() { setpriority(PRIO_PROCESS, 0, 0); } // the other tests run as before
    } normal;
    // A shell's own nice value, read from outside it: anything it runs is a child of its own.
    const std::string shellNice = "cut -d' ' -f19 /proc/$$/stat";
    // The bridge is raised right after its start; the pause lets that happen first.
    auto bridge = startPosixChild("sh", {"-c", "sleep 0.2; " + shellNice + "; nice"});
    ASSERT_NE(bridge, nullptr);
    std::string got;
    eventually([&] { return !bridge->read(got, 10); });
    EXPECT_EQ(got, "-10\n0\n") << "the bridge, then what it started";
}

// Where the bridge and Wine are looked for: the first place that has the file, and only
// programs on the search path.
TEST(BridgeLocation, FirstPlaceThatHasItAndExecutablesOnThePath) {
    TempDir dir;
    fs::create_directories(dir.file("bin"));
    fs::create_directories(dir.file("lib/kordan"));
    const std::string bin = dir.file("bin"), installed = dir.file("lib/kordan/kordan-bridge.exe");
    EXPECT_EQ(findBridgeProgram(bin, ""), "");
    dir.write("lib/kordan/kordan-bridge.exe", "");
    EXPECT_EQ(findBridgeProgram(bin, ""), installed);
    dir.write("built.exe", "");
    EXPECT_EQ(findBridgeProgram(bin, dir.file("built.exe")), dir.file("built.exe"));
    dir.write("bin/kordan-bridge.exe", "");
    EXPECT_EQ(findBridgeProgram(bin, dir.file("built.exe")), bin + "/kordan-bridge.exe");

    dir.write("bin/wine", "");
    fs::permissions(dir.file("bin/wine"), fs::perms::owner_exec, fs::perm_options::add);
    const struct {
        const char* name;
        std::string path;
        bool found;
    } rows[] = {{"last entry", "/nowhere:" + bin, true},
                {"first entry", bin + ":/nowhere", true},
                {"not on the path", "/nowhere:/nowhere2", false},
                {"a directory of that name", dir.path(), false}};
    fs::create_directories(dir.file("wine"));
    for (const auto& row : rows)
        EXPECT_EQ(inSearchPath("wine", row.path), row.found) << row.name;
}

} // namespace
} // namespace kordan
