#pragma once

#include "app/WindowActions.h"

#include <functional>
#include <memory>
#include <utility>

namespace kordan {

class CommandLog;
class ControllerOutputs;
class ControllerSession;
class DeviceList;
class IWindowsHost;
class LokFollow;
class OperatingMode;
class ProfileSession;
class ReportStep;
class SimulatorLink;

// What the window's menus, lists and double-clicks do: each goes to the piece it concerns.
// The pieces made at start-up are reached through their owners' pointers, so that an action
// before start-up or after the end does nothing.
class ActionRouter : public IWindowActions {
public:
    struct Pieces {
        const std::unique_ptr<SimulatorLink>& sim;
        const std::unique_ptr<ProfileSession>& profiles;
        const std::unique_ptr<LokFollow>& follow;
        OperatingMode& modes;
        ControllerOutputs& outputs;
        CommandLog& log;
        ReportStep& reports;
        DeviceList& devices;
        ControllerSession& controllers;
        IWindowsHost& windows;
        std::function<bool()> running;
        std::function<void()> close;
    };
    explicit ActionRouter(Pieces pieces) : m_p(std::move(pieces)) {}

    void menu(MenuEntry entry) override;
    void ledChosen(int index) override;
    void deviceClicked(int index) override;
    void loadModeSelected(int mode) override;
    void buttonDoubleClicked(int index) override;
    void leverDoubleClicked(int index) override;
    void axisSaved() override;
    void closing() override { m_p.close(); }

private:
    Pieces m_p;
};

} // namespace kordan
