#include "BenchRig.h"

#include "axis/ZusiAxis.h"
#include "profile/ZusiProfile.h"

#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <thread>
#include <time.h>

namespace kordan::bench {

int64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

uint32_t RealClock::milliseconds() {
    return static_cast<uint32_t>(nowNs() / 1'000'000);
}

void RealClock::sleep(int32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

std::string freshDirectory() {
    char name[] = "/tmp/kordan-bench-XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error("no temporary directory");
    return name;
}

} // namespace

IPieHid::FdWatch Wakeup::watcher() {
    return [this](int fd, std::function<bool()> ready) {
        auto w = std::make_shared<Watched>(Watched{fd, std::move(ready)});
        m_watched.push_back(w);
        return std::shared_ptr<void>(w.get(), [this, w](void*) { std::erase(m_watched, w); });
    };
}

void Wakeup::wait(int32_t ms) {
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<Watched>> watched;
    for (const auto& w : m_watched)
        if (w->on) {
            fds.push_back({w->fd, POLLIN, 0});
            watched.push_back(w);
        }
    if (::poll(fds.data(), fds.size(), ms) <= 0)
        return;
    for (size_t i = 0; i < fds.size(); ++i)
        if (fds[i].revents != 0 && !watched[i]->ready())
            watched[i]->on = false;
}

Rig::Rig(IPieHid& hid, ISimWindow& window, int pollingMs, StartOptions start, Wakeup* wakeup)
    : m_dir(freshDirectory()) {
    m_clock.wakeup = wakeup;
    // The simulator's key for "Pfeife" (T9); the other commands keep their fixed keys.
    m_registry.set("Software\\zusi\\zusi", "T9", std::to_string(kWhistleKey));
    m_settings.values = {
        {"Polling", std::to_string(pollingMs)}, {"Modus", "Run"}, {"AutoLoad", "0"}, {"Led", "0"}};
    auto noSimulatorFiles = [](const std::string&) { return std::string(); };
    m_main = std::make_unique<KordanMain>(KordanServices{hid, m_settings, m_clock, m_clock,
                                                         m_dialogs, window, m_registry, m_starter,
                                                         noSimulatorFiles, m_dir, m_calibration},
                                          m_view, std::move(start));
    m_main->startUp();
    if (m_main->mode() != KordanMain::Mode::Active)
        throw std::runtime_error("the logic did not start in active mode");
}

Rig::~Rig() {
    m_main->profiles()->held().releaseAll();
    m_main.reset();
    std::error_code ec;
    std::filesystem::current_path("/tmp", ec);
    std::filesystem::remove_all(m_dir, ec);
}

void Rig::fillProfile() {
    for (int i = 1; i <= kLevers; ++i)
        m_calibration.setHysterese(i, 0); // every movement reaches the axes
    ZusiProfile& p = profile();
    for (int k = 1; k <= ZusiProfile::MaxButtons; ++k) {
        ZusiButton& b = p.buttons(k);
        b.Defined = true;
        b.Press = 14 + k % 30;
        b.Release = k % 3 == 0 ? 29 : 0;
        b.Repeat = k % 4;
        b.Hold = k % 2;
        b.press2 = 30;
        b.Shift = k == 44;
    }
    for (int i = 1; i <= ZusiProfile::MaxAxes; ++i) {
        ZusiAxis& axis = p.Axis(i);
        axis.setDateiname("bench.axr");
        axis.setFlip(i % 2);
        for (int z = 0; z < ZusiAxis::MaxZones; ++z) {
            ZusiZone& zone = axis.Zone(z);
            zone.Start = z * 8;
            zone.Ende = z * 8 + 7;
            zone.Funktion = 14 + z % 30;
            zone.Release = z % 2 ? 22 : 0;
            zone.Hold = z % 3 == 0;
            zone.Repeat = z % 5;
            zone.RegelFunktion = z % 2 ? 1000 : 0;
            zone.RegelStep = 4;
        }
        axis.setZoneCount(ZusiAxis::MaxZones);
    }
}

void Rig::whistleOnButton1() {
    ZusiButton& b = profile().buttons(kWhistleButton);
    b.Defined = true;
    b.Bezeichnung = "Pfeife";
    b.Press = 28; // "Pfeife"
    b.Hold = 1;
}

} // namespace kordan::bench
