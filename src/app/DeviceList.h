#pragma once

#include "app/LedPresenter.h"

#include <functional>

namespace kordan {

class ControllerOutputs;
class ControllerSession;
class IControllerView;
class IStatusView;
class ReportStep;

// The window's device list and what happens in it: the user's choice of a controller, and
// controllers that are lost, come back or are plugged in while the program runs.
class DeviceList {
public:
    struct Hooks {
        std::function<void()> releaseAll; // lets go of what the controller in use holds
        std::function<void()> chosen;     // another controller is in use (once running)
        std::function<bool()> running;    // the loop runs
        std::function<LedPresenter::ValueReader()> simValue; // for a returned display
    };
    DeviceList(ControllerSession& controllers, ControllerOutputs& outputs, ReportStep& reports,
               IControllerView& list, IStatusView& status, Hooks hooks)
        : m_controllers(controllers), m_outputs(outputs), m_reports(reports), m_list(list),
          m_status(status), m_hooks(std::move(hooks)) {}

    // Lists the controllers at start-up.
    void list();
    // Opens the only controller there is, without asking.
    void openSingle();
    void clicked(int index);
    // The controllers were looked at again (every 2.1 s).
    void rescan();
    // The open controller went away, here or in a failed read.
    void lost();

private:
    void show();

    ControllerSession& m_controllers;
    ControllerOutputs& m_outputs;
    ReportStep& m_reports;
    IControllerView& m_list;
    IStatusView& m_status;
    Hooks m_hooks;
};

} // namespace kordan
