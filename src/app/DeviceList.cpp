#include "app/DeviceList.h"

#include "app/ControllerOutputs.h"
#include "app/ControllerSession.h"
#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "app/ReportStep.h"

namespace kordan {

void DeviceList::list() {
    m_controllers.enumerate(
        [this](const std::vector<std::string>& entries) { m_list.setDeviceList(entries); });
}

void DeviceList::openSingle() {
    if (m_controllers.entries().size() != 1)
        return;
    m_list.setSelectedDevice(0);
    clicked(0);
}

void DeviceList::show() {
    if (auto entries = m_controllers.changedEntries()) {
        m_list.setDeviceList(*entries);
        m_list.setSelectedDevice(m_controllers.selected());
    }
}

void DeviceList::clicked(int index) {
    // The highlight shows the controller in use, also when the choice came to nothing.
    if (!m_controllers.select(index, m_hooks.running(), m_hooks.releaseAll))
        return m_list.setSelectedDevice(m_controllers.selected());
    m_reports.forget(false); // the last report was the other controller's
    // A click on a controller that is away waits for it like a loss does.
    const bool away = m_controllers.link() == ControllerSession::Link::Lost;
    m_status.setConnectionStatus(away ? "Kordan getrennt" : "");
    show();
    ignoringErrors([&] { m_outputs.restoreSpeaker(); });
    ignoringErrors([&] {
        if (m_hooks.running())
            m_hooks.chosen(); // the profile for this controller
    });
}

void DeviceList::rescan() {
    ControllerSession::Rescan r = m_controllers.rescan();
    if (r.lost)
        lost();
    if (r.returned) {
        m_status.setConnectionStatus("");
        m_outputs.rewrite(m_hooks.running(), m_hooks.simValue());
    }
    show();
    // As at start-up with a single controller; a selection the user made is never changed.
    if (r.onlyOne) {
        m_list.setSelectedDevice(0);
        clicked(0);
    }
}

void DeviceList::lost() {
    // Nothing the lost controller pressed may stay down in the simulator.
    ignoringErrors([&] { m_hooks.releaseAll(); });
    m_reports.forget(true);
    m_status.setConnectionStatus("Kordan getrennt");
    show();
}

} // namespace kordan
