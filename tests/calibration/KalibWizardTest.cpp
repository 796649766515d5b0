#include "calibration/KalibWizard.h"

#include "calibration/ZusiKalibrierung.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

using namespace kordan;
using kordan::test::FakeDialogs;
using Row = std::array<int, 7>;
using Texts = std::vector<std::string>;

namespace {

// Records what the wizard shows, as a window would hold it.
class RecordingView : public IKalibView {
public:
    void setTitle(const std::string& t) override { title = t; }
    void setAction(const std::string& t) override { action = t; }
    void setActionVisible(bool v) override { actionVisible = v; }
    void setWartenVisible(bool v) override { wartenVisible = v; }
    void setSettingColumnsVisible(bool v) override { settingsVisible = v; }
    void setRohwert(int row, int v) override { rohwert.at(row) = v; }
    void setKorr(int row, int v) override { korr.at(row) = v; }
    void setHebel(int row, int v) override { hebel.at(row) = v; }
    void setSlider(int row, int p) override { slider.at(row) = p; }
    void setWeiterEnabled(bool e) override { weiterEnabled = e; }
    void setWeiterCaption(const std::string& c) override { caption = c; }
    void startSamplingTimer() override { timerRunning = true; }
    void stopSamplingTimer() override { timerRunning = false; }
    void closeWindow() override { closed = true; }

    std::string title, action, caption;
    bool actionVisible = false, wartenVisible = true, settingsVisible = false;
    bool weiterEnabled = false, timerRunning = false, closed = false;
    Row rohwert{}, korr{}, hebel{}, slider{};
};

// Plausible positions of a controller: levers at the rear stop, in front, bail-off pressed.
const LeverBytes kRear{10, 12, 8, 20, 30, 5, 6}, kRearBail{10, 12, 8, 20, 220, 5, 6};
const LeverBytes kFront{240, 245, 250, 200, 40, 250, 251},
    kFrontBail{240, 245, 250, 200, 210, 250, 251};

struct Fixture {
    kordan::test::TempDir dir;
    FakeDialogs kalibDialogs, dialogs, readerDialogs;
    ZusiKalibrierung kalib{kalibDialogs, dir.file("Kalibrierung.dat")};
    RecordingView view;
    KalibWizard wizard{kalib, dialogs, view};

    // With `hysteresis`, the file holds it for lever 3 before the start.
    explicit Fixture(int hysteresis = -1) {
        if (hysteresis >= 0) {
            CalibrationValues values{};
            values[2].hysterese = uint8_t(hysteresis);
            dir.write("Kalibrierung.dat", writeCalibration(values));
            kalib.load();
        }
        wizard.start();
    }

    // The levers are put in place while the step waits (the first report); Weiter starts
    // the sampling from there, the other reports come during it, then the timer runs out.
    void sample(const std::vector<LeverBytes>& reports) {
        wizard.ZeigeDaten(reports.at(0));
        wizard.cmdWeiterClicked();
        for (size_t i = 1; i < reports.size(); ++i)
            wizard.ZeigeDaten(reports[i]);
        wizard.timerTick();
    }
    // What a fresh object reads from the file.
    std::unique_ptr<ZusiKalibrierung> saved() {
        return std::make_unique<ZusiKalibrierung>(readerDialogs, dir.file("Kalibrierung.dat"));
    }
};

} // namespace

TEST(KalibWizard, WalksThroughAllStepsAndSavesEachPass) {
    Fixture f;
    EXPECT_EQ(std::tuple(f.view.settingsVisible, f.view.caption, f.view.slider[0], f.view.hebel[0]),
              std::tuple(true, "&Weiter", 96, 4)); // hysteresis 4

    f.wizard.sliderChanged(1, 95); // hysteresis 5 for lever 2
    f.wizard.cmdWeiterClicked();
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.view.settingsVisible, f.view.title),
              std::tuple(5, false, "Kalibrierung Schritt 2, Minimalwerte"));
    f.wizard.ZeigeDaten(kRear);
    EXPECT_EQ(std::tuple(f.view.rohwert, f.view.hebel),
              std::tuple(Row{10, 12, 8, 20, 30, 5, 6}, Row{}))
        << "waiting: nothing tracked";

    f.wizard.cmdWeiterClicked();
    f.wizard.cmdWeiterClicked(); // a click while sampling does nothing
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.view.timerRunning, f.view.wartenVisible,
                         f.view.weiterEnabled, f.view.actionVisible),
              std::tuple(6, true, true, false, false));
    EXPECT_EQ(f.view.hebel, (Row{10, 12, 8, 20, 30, 5, 6})) << "from the last report";
    f.wizard.ZeigeDaten({11, 12, 7, 21, 30, 5, 6});
    f.wizard.timerTick();
    EXPECT_EQ(std::tuple(f.view.timerRunning, f.wizard.Schritt(), f.view.title),
              std::tuple(false, 7, "Kalibrierung Schritt 3, Bail off, hinten"));
    // Running maximum at the rear, saved at once together with the chosen hysteresis.
    EXPECT_EQ(std::tuple(f.saved()->Untere(4), f.saved()->hysterese(2), f.view.hebel[4]),
              std::tuple(21, 5, 255));

    f.sample({kRearBail, {10, 12, 8, 20, 200, 5, 6}});
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.saved()->Obere(5), f.view.title),
              std::tuple(1, 200, "Kalibrierung Schritt 4, Maximalwerte"));

    // The bail-off channel keeps its pressed value, and its rest value in front (40) beats
    // the rear (30).
    f.sample({kFront, {241, 244, 250, 200, 45, 250, 251}});
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.saved()->Obere(2), f.saved()->Obere(5),
                         f.saved()->Untere(5), f.view.title),
              std::tuple(3, 244, 200, 40, "Kalibrierung Schritt 5, Bail off, vorne"));

    f.sample({kFrontBail, {240, 245, 250, 200, 190, 250, 251}});
    // Running minimum while pressed.
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.saved()->Obere(5), f.view.title, f.view.caption),
              std::tuple(9, 190, "Kalibrierung beendet", "&Fertig"));
    EXPECT_TRUE(f.dialogs.messages.empty() && f.saved()->IsConfigured());
    f.wizard.cmdWeiterClicked();
    EXPECT_TRUE(f.view.closed);
}

// Each sampling's checks, at their thresholds and beyond: a failure stores nothing and
// leaves the same step waiting to be repeated.
TEST(KalibWizard, ChecksPassAtTheirThresholdAndFailBeyond) {
    const std::string bail = "Hebel 4(ind Brake) darf nicht nach rechts gedrückt werden!";
    const std::string notPressed = "Hebel 4 nicht nach rechts gedrückt!";
    struct Case {
        int before; // samplings passed first: 0 rear, 1 bail rear, 2 front, 3 bail front
        LeverBytes values;
        Texts messages;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {0, {90, 90, 90, 90, 150, 120, 120}, {}},
        {0, {10, 91, 10, 10, 30, 5, 5}, {"Hebel 2 ist nicht hinten!"}},
        {0, {10, 10, 10, 10, 151, 5, 5}, {bail}},
        {0, {91, 10, 10, 255, 151, 121, 121}, {"Hebel 1 ist nicht hinten!", "Hebel 4 ist nicht hinten!", bail,
            "Schalter 1 ist nicht auf aus (position links)!", "Schalter 2 ist nicht auf aus (position links)!"}},
        // Other levers are neither tracked nor checked in the bail-off steps.
        {1, {255, 255, 255, 255, 150, 255, 255}, {}},
        {1, {0, 0, 0, 0, 149, 0, 0}, {notPressed}},
        {2, {130, 130, 130, 130, 150, 150, 150}, {}},
        {2, {130, 130, 129, 130, 150, 150, 150}, {"Hebel 3 ist nicht vorne!"}},
        {2, {130, 130, 130, 130, 151, 150, 150}, {bail}},
        {2, {0, 130, 130, 130, 150, 149, 0}, {"Hebel 1 ist nicht vorne!",
            "Schalter 1 ist nicht auf ein (position rechts)!", "Schalter 2 ist nicht auf ein (position rechts)!"}},
        {3, {0, 0, 0, 0, 150, 0, 0}, {}},
        {3, {255, 255, 255, 255, 149, 255, 255}, {notPressed}},
    };
    // clang-format on
    const LeverBytes path[3] = {kRear, kRearBail, kFront};
    const int waiting[4] = {5, 7, 1, 3}, next[4] = {7, 1, 3, 9};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << " " << int(c.values[4]));
        Fixture f;
        f.wizard.cmdWeiterClicked();
        for (int i = 0; i < c.before; ++i)
            f.sample({path[i]});
        const auto before = f.saved();
        f.sample({c.values}); // reported while waiting, nothing during the sampling
        EXPECT_EQ(f.dialogs.texts(), c.messages);
        for (auto& m : f.dialogs.messages)
            EXPECT_EQ(std::tuple(m.title, m.icon, m.buttons),
                      std::tuple("Wiederholen", MsgIcon::Exclamation, MsgButtons::Ok));
        EXPECT_TRUE(f.view.weiterEnabled && f.view.actionVisible && !f.view.wartenVisible);
        EXPECT_EQ(f.wizard.Schritt(), (c.messages.empty() ? next : waiting)[c.before]);
        if (c.messages.empty())
            continue;
        for (int i = 1; i <= 7; ++i)
            EXPECT_TRUE(f.kalib.Untere(i) == before->Untere(i) &&
                        f.kalib.Obere(i) == before->Obere(i) &&
                        f.saved()->Obere(i) == before->Obere(i))
                << i;
        EXPECT_EQ(f.view.hebel[4], c.before == 0 ? 0 : 255);
    }
}

TEST(KalibWizard, BailOffLimitsKeepTheBetterValue) {
    Fixture f;
    f.wizard.cmdWeiterClicked();
    f.sample({kRear}); // Untere(5) = 30
    f.sample({kRearBail});
    EXPECT_EQ(f.kalib.Obere(5), 220);
    // Rest value in front lower than at the rear: Untere(5) stays.
    f.sample({{240, 245, 250, 200, 25, 250, 251}});
    EXPECT_EQ(f.kalib.Untere(5), 30);
    // Pressed value in front higher than at the rear: Obere(5) stays, yet the step passes.
    f.sample({{240, 245, 250, 200, 230, 250, 251}});
    EXPECT_EQ(std::tuple(f.wizard.Schritt(), f.kalib.Obere(5), f.dialogs.messages.size()),
              std::tuple(9, 220, 0u));
}

TEST(KalibWizard, SliderSetsHysteresisInStepOneOnly) {
    Fixture f(180);
    auto [kalib, view, wizard] = std::tie(f.kalib, f.view, f.wizard);
    // More than the slider can show: parked at its top, the true value stays until moved.
    EXPECT_EQ(std::tuple(view.slider[2], view.hebel[2], kalib.hysterese(3)),
              std::tuple(0, 180, 180));
    wizard.sliderChanged(2, 1);
    wizard.sliderChanged(0, 0);
    wizard.sliderChanged(6, 100);
    EXPECT_EQ(std::tuple(kalib.hysterese(3), kalib.hysterese(1), view.hebel[0], kalib.hysterese(7),
                         view.hebel[6]),
              std::tuple(99, 100, 100, 0, 0));
    // The new hysteresis filters at once.
    wizard.ZeigeDaten({200, 0, 0, 0, 0, 0, 0});
    wizard.ZeigeDaten({150, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(view.korr[0], 200);
    wizard.sliderChanged(2, 250); // out of range: clamped to the bottom
    EXPECT_EQ(kalib.hysterese(3), 0);
    wizard.cmdWeiterClicked();
    wizard.sliderChanged(3, 50);
    EXPECT_EQ(std::tuple(kalib.hysterese(4), view.hebel[3]), std::tuple(4, 0));
}

TEST(KalibWizard, FinalTextNamesLeversWithoutWorkingRange) {
    Fixture f;
    f.wizard.sliderChanged(1, 50); // hysteresis 50 for the throttle
    f.wizard.cmdWeiterClicked();
    f.sample({{10, 90, 8, 20, 30, 5, 6}});
    f.sample({kRearBail});
    // Throttle 90..130 with hysteresis 50, switch 2 at 6..150 with hysteresis 4: the
    // throttle has no working range, the switch has.
    f.sample({{240, 130, 250, 200, 40, 250, 150}});
    f.sample({kFrontBail});
    ASSERT_EQ(f.wizard.Schritt(), 9);
    EXPECT_TRUE(f.dialogs.messages.empty());
    EXPECT_EQ(f.kalib.Obere(2) - f.kalib.Untere(2), 40); // stored as measured
    EXPECT_TRUE(f.view.action.starts_with("Kontrolieren Sie bitte im Hauptfenster, dass alle "
                                          "Hebel Werte von 0-255 liefern\r\n\r\nAchtung:"));
    EXPECT_NE(f.view.action.find("\r\nHebel 2 (Throttle)\r\n"), std::string::npos);
    EXPECT_EQ(f.view.action.find("Schalter unten"), std::string::npos);
}
