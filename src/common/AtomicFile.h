#pragma once

#include <string>
#include <string_view>

namespace kordan {

// Replaces the file at `path` with `bytes` so that a crash or a full disk during the
// write never destroys the previous file: the data goes to a temporary file in the same
// directory, is flushed, and then renamed over the target. Returns false (with a short
// reason in `error` when given) when anything fails; the target is then untouched.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

} // namespace kordan
