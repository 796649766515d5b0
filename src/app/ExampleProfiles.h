#pragma once

#include <string>

namespace kordan {

class IDialogs;

// On a first start, while the program's directory is still empty, the example profiles that
// come with the program (and their axis files) are offered for copying there ("Beispielprofile
// übernehmen?"). A file already there is never overwritten. The number of files copied.
int offerExampleProfiles(IDialogs& dialogs, const std::string& programDir,
                         const std::string& examplesDir);
// Start-up in the program's directory: a start `profile` found where the program was started
// is made absolute, the program's directory made current (relative names refer to it), and
// the example profiles offered there. The number of files copied.
int enterProgramDir(IDialogs& dialogs, const std::string& programDir,
                    const std::string& examplesDir, std::string& profile);

} // namespace kordan
