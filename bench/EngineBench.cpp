// Time of one controller report dispatched through a fully assigned profile (44 buttons,
// 7 axes of 32 zones each) into a recording sender, and of one 100 ms tick. The dispatch
// follows the polling loop: calibrate each lever, buttons first, then levers, each only
// when it changed. Target: well under 5 us per report.
#include "calibration/ZusiKalibrierung.h"
#include "common/Dialogs.h"
#include "device/Reports.h"
#include "profile/ZusiProfile.h"
#include "send/CommandSender.h"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <vector>

using namespace kordan;

namespace {

class QuietDialogs : public IDialogs {
public:
    MsgAnswer message(const std::string&, MsgButtons, MsgIcon, const std::string&) override {
        return MsgAnswer::Ok;
    }
    FileChoice openFile(const std::string&, const std::string&) override { return {}; }
    FileChoice saveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

class RecordingSender : public ICommandSender {
public:
    void ZusiSend(int32_t pFunktion, int32_t pBefehl) override {
        calls.emplace_back(pFunktion, pBefehl);
    }
    std::vector<std::pair<int32_t, int32_t>> calls;
};

// Everything the dispatch of the polling loop touches.
struct Rig {
    QuietDialogs dialogs;
    std::string dir = std::filesystem::temp_directory_path().string();
    ZusiProfile profile{dialogs, dir};
    ZusiKalibrierung kalib{
        dialogs,
        (std::filesystem::temp_directory_path() / "kordan-bench-Kalibrierung.dat").string()};
    RecordingSender se;
    std::array<int32_t, kLevers + 1> lastLever{};
    std::array<int32_t, kButtons + 1> lastButton{};

    Rig() {
        for (int i = 1; i <= kLevers; ++i)
            kalib.setHysterese(i, 0); // every movement reaches the axes
        for (int k = 1; k <= ZusiProfile::MaxButtons; ++k) {
            ZusiButton& b = profile.buttons(k);
            b.Defined = true;
            b.Press = 14 + k % 30;
            b.Release = k % 3 == 0 ? 29 : 0;
            b.Repeat = k % 4;
            b.Hold = k % 2;
            b.press2 = 30;
            b.Shift = k == 44;
        }
        for (int i = 1; i <= ZusiProfile::MaxAxes; ++i) {
            ZusiAxis& axis = profile.Axis(i);
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

    void dispatch(const InputReport& report) {
        std::array<int32_t, kLevers + 1> value{};
        for (int i = 1; i <= kLevers; ++i)
            value[i] = kalib.Calculate(i, leverRaw(report, i));
        for (int k = 1; k <= kButtons; ++k) {
            const int32_t pressed = buttonPressed(report, k);
            if (pressed != lastButton[k]) {
                profile.doButton(se, k, int16_t(pressed));
                lastButton[k] = pressed;
            }
        }
        for (int i = 1; i <= kLevers; ++i) {
            if (value[i] != lastLever[i]) {
                profile.Axis(i).NewValue(lastLever[i], value[i], false, se);
                lastLever[i] = value[i];
            }
        }
    }
};

InputReport makeReport(uint8_t lever, uint8_t buttonBits) {
    InputReport r{};
    for (int i = 1; i <= kLevers; ++i)
        r[i] = lever;
    for (int b = 8; b <= 13; ++b)
        r[b] = buttonBits;
    return r;
}

// Every lever across its whole range (all 32 zones each) and every button toggled.
void BM_ReportFullSweep(benchmark::State& state) {
    Rig rig;
    const InputReport up = makeReport(255, 0xFF), down = makeReport(0, 0x00);
    bool flip = false;
    for (auto _ : state) {
        rig.dispatch(flip ? up : down);
        flip = !flip;
        benchmark::DoNotOptimize(rig.se.calls.data());
        rig.se.calls.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportFullSweep);

// The usual case: all levers move by a few values inside or into a zone, one button edge.
void BM_ReportSmallMove(benchmark::State& state) {
    Rig rig;
    std::array<InputReport, 4> reports;
    for (int n = 0; n < 4; ++n)
        reports[n] = makeReport(uint8_t(100 + 3 * n), uint8_t(n % 2));
    size_t n = 0;
    for (auto _ : state) {
        rig.dispatch(reports[n++ % reports.size()]);
        benchmark::DoNotOptimize(rig.se.calls.data());
        rig.se.calls.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportSmallMove);

// One 100 ms tick with every button held and repeating and every lever resting in a
// repeating zone.
void BM_Tick(benchmark::State& state) {
    Rig rig;
    rig.dispatch(makeReport(0, 0));
    rig.dispatch(makeReport(123, 0xFF));
    for (auto _ : state) {
        rig.profile.Timer(rig.se);
        benchmark::DoNotOptimize(rig.se.calls.data());
        rig.se.calls.clear();
    }
}
BENCHMARK(BM_Tick);

} // namespace
