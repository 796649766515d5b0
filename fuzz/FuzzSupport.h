#pragma once

#include "common/LoadResult.h"
#include "sim/RegistryBackend.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace kordan::fuzz {

// Dialogs that answer every message with OK and every file dialog with one fixed file, so
// a reader can be driven through its save path too.
class ScriptedDialogs : public IDialogs {
public:
    MsgAnswer message(const std::string&, MsgButtons buttons, MsgIcon,
                      const std::string&) override {
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    FileChoice openFile(const std::string&, const std::string&) override { return {}; }
    FileChoice saveFile(const std::string&, const std::string&, const std::string&) override {
        return {FileChoice::Result::Chosen, saveTo, 0, {}};
    }
    void tell(const LoadReport&) override {}
    void tell(const SaveReport&) override {}
    void tell(const LokReport&) override {}
    std::string saveTo;
};

// A registry that knows only the simulator's directory.
class DirOnlyRegistry : public IRegistryBackend {
public:
    std::optional<std::string> readString(const std::string&, const std::string& name) override {
        return name == "ZusiDir" ? std::optional<std::string>("C:\\Zusi") : std::nullopt;
    }
};

// A private working directory for the files a target reads and writes, made once per
// process (the readers work on files, not on memory).
inline const std::string& workDir() {
    static const std::string dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("kordan-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

inline std::string writeInput(const std::string& name, const uint8_t* data, size_t size) {
    std::string path = (std::filesystem::path(workDir()) / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A property violation: stop like a sanitizer report does, so libFuzzer keeps the input.
inline void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace kordan::fuzz
