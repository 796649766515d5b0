#pragma once

#include "device/PieHid.h"

#include <memory>
#include <string>

namespace kordan {

// The controller library loaded at run time (LoadLibrary + GetProcAddress of its five
// calls). nullptr when the library cannot be loaded or lacks one of the calls; nothing
// is called then. `path` is UTF-8; a bare name is searched where Windows searches DLLs,
// the program's own directory first.
std::unique_ptr<IPieHid> loadPieHidDll(const std::string& path);

// The controller backend for Windows: the library `dllName` when it is usable, otherwise
// hidapi where the build has it, otherwise a backend that lists no device. Never null.
std::unique_ptr<IPieHid> createWin32PieHid(const std::string& dllName = "PieHid.dll");

} // namespace kordan
