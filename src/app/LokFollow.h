#pragma once

#include <string>

namespace kordan {

class ControllerSession;
class ISettings;
class IStatusView;
class ProfileSession;
class SimulatorLink;

// Which profile follows the locomotive: the load mode (by hand, automatic, easy) shown and
// kept as "AutoLoad", and each change of locomotive shown and passed on to the profile for
// the controller marked.
class LokFollow {
public:
    LokFollow(ISettings& settings, IStatusView& status, ProfileSession& profiles,
              SimulatorLink& sim, ControllerSession& controllers)
        : m_settings(settings), m_status(status), m_profiles(profiles), m_sim(sim),
          m_controllers(controllers) {}

    // Start-up: no locomotive yet; the stored load mode is selected and written back, its
    // option shown even where this version hides it; nothing loads.
    void restore();
    // The user chose load mode `mode` (0-2); while `running`, an automatic one loads the
    // locomotive's profile at once.
    void choose(int mode, bool running);
    // The locomotive has changed: its profile replaces the current one as the load mode says.
    void lokChanged();
    // The profile asked for on the command line (none when empty), at start-up.
    void openStartProfile(const std::string& path);

private:
    ISettings& m_settings;
    IStatusView& m_status;
    ProfileSession& m_profiles;
    SimulatorLink& m_sim;
    ControllerSession& m_controllers;
};

} // namespace kordan
