#pragma once

#include <string>
#include <string_view>

namespace kordan {

// Replaces the file at `path` with `bytes` so that a crash or a full disk during the
// write never destroys the previous file: the data goes to a temporary file in the same
// directory, is flushed, and then renamed over the target, and the directory is synced.
// A symbolic link is written through (the link stays, its target gets the data), and the
// target keeps its permissions. Temporary files an earlier, interrupted write of the same
// file left behind are removed. Returns false (with a short reason in `error` when given)
// when anything fails; the target is then untouched.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

class IDialogs;

// Before the program writes over a file it could not read, a copy is kept beside it under
// "<name>.bak" (or "<name>.<n>.bak" with the first free n, so no earlier copy is replaced),
// and the user is told its name. A file that is gone needs no copy. False (with a reason in
// `error`) when no copy could be made: then nothing may be written over the file.
bool keepRefusedFile(IDialogs& dialogs, const std::string& path, std::string* error);

} // namespace kordan
