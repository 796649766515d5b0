#include "app/ExampleProfiles.h"

#include "common/Dialogs.h"

#include <filesystem>

namespace kordan {

int offerExampleProfiles(IDialogs& dialogs, const std::string& programDir,
                         const std::string& examplesDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (examplesDir.empty() || !fs::is_directory(examplesDir, ec))
        return 0;
    // Anything in the directory, if only a calibration, means the program has run here.
    if (!fs::is_empty(programDir, ec) || ec)
        return 0;
    if (dialogs.message("Beispielprofile übernehmen?", MsgButtons::YesNo, MsgIcon::Question,
                        "Erster Start") != MsgAnswer::Yes)
        return 0;
    int copied = 0;
    for (fs::recursive_directory_iterator it(examplesDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const fs::path target = fs::path(programDir) / fs::relative(it->path(), examplesDir, ec);
        fs::create_directories(target.parent_path(), ec);
        if (fs::copy_file(it->path(), target, fs::copy_options::skip_existing, ec))
            ++copied;
    }
    return copied;
}

int enterProgramDir(IDialogs& dialogs, const std::string& programDir,
                    const std::string& examplesDir, std::string& profile) {
    std::error_code ec;
    if (std::filesystem::exists(profile, ec)) // never for an empty name
        profile = std::filesystem::absolute(profile, ec).string();
    std::filesystem::current_path(programDir, ec);
    return offerExampleProfiles(dialogs, programDir, examplesDir);
}

} // namespace kordan
