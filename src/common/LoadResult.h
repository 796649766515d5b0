#pragma once

namespace kordan {

// How loading one of the program's files ended, after any messages were shown: callers act
// on it without having to watch the dialogs.
enum class LoadResult {
    Loaded,    // the file's values are in use
    Cancelled, // the user cancelled the file dialog
    NotFound,  // there is no such file (or it cannot be opened)
    Rejected,  // the file was read and refused; the values in use are unchanged
};

} // namespace kordan
