#pragma once

#include "common/Settings.h"

#include <memory>
#include <string>

namespace kordan {

// The settings of application "ZusiKordan", section "Settings", as string values in the
// current user's registry, at the location long used for such per-user program settings,
// so choices a user already stored there carry over.
std::unique_ptr<ISettings> makeWin32Settings();

// The same store below another key of the current user (UTF-8 path with "\"); tests use
// a key of their own so a real user's settings are never touched.
std::unique_ptr<ISettings> makeWin32Settings(const std::string& keyPath);

// The program's directory: the directory of the running executable when files can be
// created there, otherwise %APPDATA%\ZusiKordan (created when missing). UTF-8.
std::string win32ProgramDirectory();

// The rule behind win32ProgramDirectory: `exeDir` when a file can be created in it,
// otherwise `appDataDir` + "\ZusiKordan", created when missing.
std::string chooseProgramDirectory(const std::string& exeDir, const std::string& appDataDir);

} // namespace kordan
