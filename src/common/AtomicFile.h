#pragma once

#include "common/LoadResult.h"

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

// Saves `bytes` as `path` with writeFileAtomically. When `keepFirst` (the program could not
// read the file there), a copy of it is kept beside it first under "<name>.bak" (or
// "<name>.<n>.bak" with the first free n, so no earlier copy is replaced), named in the
// report's keptCopy; a file that is gone needs no copy. When no copy can be made nothing is
// written. The report's result is Saved or Failed.
SaveReport saveFile(const std::string& path, std::string_view bytes, bool keepFirst);

} // namespace kordan
