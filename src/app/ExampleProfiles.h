#pragma once

#include <string>

namespace kordan {

class IDialogs;

// On a first start, while the program's directory is still empty, the example profiles that
// come with the program (and their axis files) are offered for copying there ("Beispielprofile
// übernehmen?"). A file already there is never overwritten. The number of files copied.
int offerExampleProfiles(IDialogs& dialogs, const std::string& programDir,
                         const std::string& examplesDir);

} // namespace kordan
