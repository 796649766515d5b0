// kordan-replay: plays a scenario of lever movements and button presses through the
// program's own engine and prints every key the simulator's window would receive.
#include "app/Replay.h"
#include "app/Scenario.h"
#include "common/TextFile.h"
#include "sim/winereg/WineRegistry.h"
#include "sim/zusi3/posix/PosixTcpSocket.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

namespace {

int usage(const char* why) {
    if (why)
        std::cerr << "kordan-replay: " << why << '\n';
    std::cerr << "usage: kordan-replay [--dir DIR] [--calibration FILE] [--registry USER.REG] "
                 "[--poll MS] [--zusi3 HOST[:PORT]] PROFILE SCENARIO\n";
    return 2;
}

std::string absolute(const std::string& path) {
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

} // namespace

int main(int argc, char** argv) {
    kordan::ReplayOptions options;
    options.programDir = ".";
    std::string registryFile;
    std::vector<std::string> positional;
    std::optional<kordan::Zusi3Endpoint> zusi3;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                usage((std::string(name) + " needs a value").c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--dir") {
            options.programDir = value("--dir");
        } else if (a == "--calibration") {
            options.calibrationFile = value("--calibration");
        } else if (a == "--registry") {
            registryFile = value("--registry");
        } else if (a == "--poll") {
            std::string v = value("--poll");
            int ms = -1;
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), ms);
            if (ec != std::errc() || end != v.data() + v.size() || ms < 0)
                return usage("--poll needs a whole number of milliseconds");
            options.pollMs = ms;
        } else if (a == "--zusi3") {
            zusi3 = kordan::parseZusi3Endpoint(value("--zusi3"));
            if (!zusi3)
                return usage("--zusi3 needs HOST or HOST:PORT");
        } else if (a == "--help" || a == "-h") {
            usage(nullptr);
            return 0;
        } else if (a.size() > 1 && a[0] == '-' && a.rfind("--", 0) == 0) {
            return usage(("unknown option " + a).c_str());
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return usage("PROFILE and SCENARIO are needed");
    options.profile = positional[0];

    // Everything named relative to the current directory is fixed before the engine makes
    // the program's directory current.
    options.programDir = absolute(options.programDir);
    if (!options.calibrationFile.empty())
        options.calibrationFile = absolute(options.calibrationFile);

    auto text = kordan::readFileBytes(positional[1], kordan::kScriptFileLimit);
    if (!text) {
        std::cerr << "kordan-replay: " << positional[1] << " kann nicht gelesen werden\n";
        return 2;
    }
    auto parsed = kordan::parseScenario(*text);
    if (auto* error = std::get_if<kordan::ScenarioError>(&parsed)) {
        std::cerr << positional[1] << ":" << error->line << ": " << error->text << '\n';
        return 2;
    }
    auto registry = registryFile.empty()
                        ? kordan::makeWineRegistry(std::filesystem::path{})
                        : kordan::makeWineRegistry(std::filesystem::absolute(registryFile));
    auto socket = kordan::makePosixTcpSocket();
    std::optional<kordan::ReplayZusi3> server;
    if (zusi3)
        server.emplace(kordan::ReplayZusi3{*socket, *zusi3});
    return kordan::runReplay(options, std::get<std::vector<kordan::ScenarioStep>>(parsed),
                             std::move(registry), std::cout, std::cerr,
                             server ? &*server : nullptr);
}
