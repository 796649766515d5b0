#pragma once

#include "sim/ProcessStarter.h"

#include <memory>
#include <string>
#include <vector>

namespace kordan {

// Starts programs with CreateProcess: window minimized and given the focus, no waiting.
// The program path is always quoted, so blanks in it stay part of it; a program named
// without extension gets ".exe".
std::unique_ptr<IProcessStarter> makeWin32ProcessStarter();

// Starts `program` as the starter does and returns its process handle, which the caller
// closes; nullptr when it did not start.
void* startMinimized(const std::string& program, const std::vector<std::string>& args);

// The command line CreateProcess receives: the quoted program, then each argument quoted
// where needed so the receiving program's argument parsing gives it back unchanged.
std::string windowsCommandLine(const std::string& program, const std::vector<std::string>& args);

} // namespace kordan
