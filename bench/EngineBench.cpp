// Time of one controller report through the program's own poll (KordanMain::PollController:
// read, calibrate, dispatch to a fully assigned profile of 44 buttons and 7 axes of 32
// zones each, send the keys) and of one 100 ms tick (KordanMain::PeriodicTick). Target: at
// most 5 us per report.
#include "BenchRig.h"

#include "device/PieHid.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace kordan;
using namespace kordan::bench;

namespace {

// One controller whose every read hands over the report set last.
class FeedHid : public IPieHid {
public:
    int32_t EnumeratePIE(int32_t, DeviceInfoTable& info, int32_t& count) override {
        info.fill(0);
        info[0] = kKordanProductId;
        info[1] = 4;
        info[2] = kKordanUsagePage;
        info[3] = 1;
        count = 1;
        return 0;
    }
    int32_t SetupInterface(int32_t) override { return 0; }
    int32_t ReadData(int32_t, InputReport& r) override { return r = report, 0; }
    int32_t WriteData(int32_t, const OutputReport&) override { return 0; }
    void CloseInterface(int32_t) override {}
    InputReport report{};
};

InputReport makeReport(uint8_t lever, uint8_t buttonBits) {
    InputReport r{};
    for (int i = 1; i <= 7; ++i)
        r[i] = lever;
    for (int b = 8; b <= 13; ++b)
        r[b] = buttonBits;
    return r;
}

struct FullRig {
    FeedHid hid;
    QuietSimWindow window;
    Rig rig{hid, window, 10};
    FullRig() { rig.fillProfile(); }
    void poll(const InputReport& r) {
        hid.report = r;
        rig.main().PollController();
    }
};

// Every lever across its whole range (all 32 zones each) and every button toggled.
void BM_ReportFullSweep(benchmark::State& state) {
    FullRig f;
    const InputReport up = makeReport(255, 0xFF), down = makeReport(0, 0x00);
    bool flip = false;
    for (auto _ : state) {
        f.poll(flip ? up : down);
        flip = !flip;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["keys"] = double(f.window.posted) / double(state.iterations());
}
BENCHMARK(BM_ReportFullSweep);

// The usual case: all levers move by a few values inside or into a zone, one button edge.
void BM_ReportSmallMove(benchmark::State& state) {
    FullRig f;
    std::array<InputReport, 4> reports;
    for (int n = 0; n < 4; ++n)
        reports[n] = makeReport(uint8_t(100 + 3 * n), uint8_t(n % 2));
    size_t n = 0;
    for (auto _ : state)
        f.poll(reports[n++ % reports.size()]);
    state.SetItemsProcessed(state.iterations());
    state.counters["keys"] = double(f.window.posted) / double(state.iterations());
}
BENCHMARK(BM_ReportSmallMove);

// A report that changes nothing: what every poll of a controller at rest costs.
void BM_ReportUnchanged(benchmark::State& state) {
    FullRig f;
    f.poll(makeReport(123, 0x0F));
    for (auto _ : state)
        f.poll(makeReport(123, 0x0F));
}
BENCHMARK(BM_ReportUnchanged);

// One 100 ms tick with every button held and repeating and every lever resting in a
// repeating zone; every 6th and 21st tick also refresh the display and look for
// controllers and the locomotive, as in the program.
void BM_Tick(benchmark::State& state) {
    FullRig f;
    f.poll(makeReport(0, 0));
    f.poll(makeReport(123, 0xFF));
    for (auto _ : state)
        f.rig.main().PeriodicTick();
}
BENCHMARK(BM_Tick);

} // namespace
