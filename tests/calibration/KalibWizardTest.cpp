#include "calibration/KalibWizard.h"

#include "calibration/ZusiKalibrierung.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace kordan;
using kordan::test::FakeDialogs;
using Row = std::array<int, 7>;

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
const LeverBytes kRear{10, 90, 8, 20, 30, 5, 6}, kRearBail{10, 90, 8, 20, 220, 5, 6};
const LeverBytes kFront{240, 130, 250, 200, 40, 250, 251};

struct Fixture {
    kordan::test::TempDir dir;
    FakeDialogs kalibDialogs, dialogs, readerDialogs;
    ZusiKalibrierung kalib{kalibDialogs, dir.file("Kalibrierung.dat")};
    RecordingView view;
    KalibWizard wizard{kalib, dialogs, view};

    Fixture() { wizard.start(); }

    // The first report while the step waits, the others during the sampling, then the timer.
    void sample(const std::vector<LeverBytes>& reports) {
        wizard.ZeigeDaten(reports.at(0));
        wizard.cmdWeiterClicked();
        for (size_t i = 1; i < reports.size(); ++i)
            wizard.ZeigeDaten(reports[i]);
        wizard.timerTick();
    }
    // What a fresh object reads from the file.
    ZusiKalibrierung saved() {
        return ZusiKalibrierung(readerDialogs, dir.file("Kalibrierung.dat"));
    }
};

} // namespace

TEST(KalibWizard, WalksThroughAllStepsAndSavesEachPass) {
    Fixture f;
    EXPECT_TRUE(f.view.weiterEnabled); // the first step waits for the click
    EXPECT_TRUE(f.view.settingsVisible) << "the sliders of step 1";
    f.wizard.sliderChanged(1, 50); // hysteresis 50 for the throttle
    f.kalib.setHysterese(7, 250);  // more than the slider offers, as a hand-edited file may
    f.wizard.cmdWeiterClicked();
    f.wizard.ZeigeDaten(kRear);
    EXPECT_EQ(f.wizard.Schritt(), 5);
    EXPECT_FALSE(f.view.settingsVisible);
    EXPECT_EQ(f.view.rohwert, (Row{10, 90, 8, 20, 30, 5, 6}));
    EXPECT_EQ(f.view.hebel, Row{}) << "waiting: not tracked";
    f.wizard.cmdWeiterClicked();
    f.wizard.cmdWeiterClicked(); // a click while sampling does nothing
    EXPECT_EQ(f.wizard.Schritt(), 6);
    EXPECT_TRUE(f.view.timerRunning);
    EXPECT_TRUE(f.view.wartenVisible);
    EXPECT_FALSE(f.view.weiterEnabled);
    EXPECT_FALSE(f.view.actionVisible);
    EXPECT_EQ(f.view.hebel, (Row{10, 90, 8, 20, 30, 5, 6})) << "sampling: tracked";
    f.wizard.ZeigeDaten({11, 90, 7, 21, 30, 5, 6});
    f.wizard.timerTick();
    // Running maximum at the rear, saved at once together with the chosen hysteresis.
    EXPECT_FALSE(f.view.timerRunning);
    EXPECT_EQ(f.saved().Untere(4), 21);
    EXPECT_EQ(f.saved().hysterese(2), 50);
    EXPECT_EQ(f.view.hebel[4], 255) << "the bail-off channel starts over for the pressed one";
    EXPECT_EQ(f.view.title, "Kalibrierung Schritt 3, Bail off, hinten");
    EXPECT_EQ(f.saved().Untere(1), 11); // the first lever and the last too
    EXPECT_EQ(f.saved().Untere(7), 6);
    f.sample({kRearBail, {10, 90, 8, 20, 200, 5, 6}});
    EXPECT_EQ(f.view.hebel[4], 255); // the bail-off channel starts over for the front
    // Running minimum in front; the bail-off channel keeps its pressed value, and its rest
    // value in front (40) beats the rear (30).
    f.sample({kFront, {241, 130, 249, 200, 45, 250, 251}});
    EXPECT_EQ(f.saved().Obere(5), 200);
    EXPECT_EQ(f.saved().Obere(7), 251); // the last lever too
    f.sample({{240, 130, 250, 200, 210, 250, 251}, {240, 130, 250, 200, 190, 250, 251}});
    // Running minimum while pressed. The throttle, 90..130 with hysteresis 50, and the last
    // lever, 6..251 with 250, are stored as measured, yet have no working range: the final
    // text names them.
    EXPECT_EQ(f.saved().Obere(5), 190);
    EXPECT_EQ(f.saved().Untere(5), 40);
    EXPECT_EQ(f.saved().Obere(3), 249);
    EXPECT_EQ(f.saved().Untere(2), 90);
    EXPECT_EQ(f.view.title, "Kalibrierung beendet");
    EXPECT_EQ(f.view.caption, "&Fertig");
    EXPECT_TRUE(f.saved().IsConfigured());
    EXPECT_NE(f.view.action.find("\r\nHebel 2 (Throttle)\r\n3 Pos Schalter unten\r\n"),
              std::string::npos)
        << f.view.action;
    f.wizard.cmdWeiterClicked();
    EXPECT_TRUE(f.view.closed);
}

// Each sampling's checks, at their thresholds and beyond: a failure leaves the same step waiting
// to be repeated, its tracking reset.
TEST(KalibWizard, ChecksPassAtTheirThresholdAndFailBeyond) {
    const std::string bail = "Hebel 4(ind Brake) darf nicht nach rechts gedrückt werden!";
    const std::string notPressed = "Hebel 4 nicht nach rechts gedrückt!";
    struct Case {
        int before; // samplings passed first: 0 rear, 1 bail rear, 2 front, 3 bail front
        LeverBytes values;
        std::vector<std::string> messages;
        int bail = 0; // passed: the bail-off limit the step sets (rest: lower, pressed: upper)
    };
    // clang-format off
    const std::vector<Case> cases = {
        {0, {90, 90, 90, 90, 150, 120, 120}, {}, 150},
        {0, {91, 10, 10, 255, 151, 121, 121}, {"Hebel 1 ist nicht hinten!", "Hebel 4 ist nicht hinten!", bail,
            "Schalter 1 ist nicht auf aus (position links)!", "Schalter 2 ist nicht auf aus (position links)!"}},
        // Other levers are neither tracked nor checked in the bail-off steps.
        {1, {255, 255, 255, 255, 150, 255, 255}, {}, 150},
        {1, {0, 0, 0, 0, 149, 0, 0}, {notPressed}},
        {2, {130, 130, 130, 130, 150, 150, 150}, {}, 150},
        // A rest value in front lower, a pressed one higher than at the rear keeps the rear's.
        {2, {130, 130, 130, 130, 25, 150, 150}, {}, 30},
        {2, {130, 130, 130, 130, 151, 150, 150}, {bail}},
        {2, {130, 130, 129, 130, 150, 149, 0}, {"Hebel 3 ist nicht vorne!",
            "Schalter 1 ist nicht auf ein (position rechts)!", "Schalter 2 ist nicht auf ein (position rechts)!"}},
        {3, {0, 0, 0, 0, 230, 0, 0}, {}, 220},
    };
    // clang-format on
    const LeverBytes path[3] = {kRear, kRearBail, kFront};
    const int waiting[4] = {5, 7, 1, 3}, next[4] = {7, 1, 3, 9};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        Fixture f;
        f.wizard.cmdWeiterClicked();
        for (int i = 0; i < c.before; ++i)
            f.sample({path[i]});
        f.sample({c.values}); // reported while waiting, nothing during the sampling
        EXPECT_EQ(f.dialogs.texts(), c.messages);
        EXPECT_EQ(f.wizard.Schritt(), (c.messages.empty() ? next : waiting)[c.before]);
        EXPECT_TRUE(f.view.weiterEnabled);
        EXPECT_TRUE(f.view.actionVisible);
        EXPECT_FALSE(f.view.wartenVisible);
        if (c.messages.empty())
            EXPECT_EQ(c.before % 2 ? f.kalib.Obere(5) : f.kalib.Untere(5), c.bail);
        else
            EXPECT_EQ(f.view.hebel[4], c.before == 0 ? 0 : 255);
    }
}

TEST(KalibWizard, WithoutAnyReportASamplingIsNotJudged) {
    Fixture f;
    f.wizard.cmdWeiterClicked();
    f.wizard.cmdWeiterClicked();
    f.wizard.timerTick();
    EXPECT_EQ(f.dialogs.texts(),
              std::vector<std::string>{"Vom Fahrpult sind keine Werte angekommen. Bitte prüfen, "
                                       "ob ein Kordan angeschlossen und im Hauptfenster "
                                       "ausgewählt ist, dann diesen Schritt wiederholen."});
    EXPECT_EQ(f.wizard.Schritt(), 5) << "the step waits to be repeated";
    EXPECT_FALSE(f.saved().IsConfigured()) << "nothing stored";
}

TEST(KalibWizard, SliderSetsHysteresisInStepOneOnly) {
    Fixture f;
    auto [kalib, view, wizard] = std::tie(f.kalib, f.view, f.wizard);
    kalib.setHysterese(3, 180); // as a hand-edited file may hold it
    wizard.start();
    // More than the slider can show: parked at its top, the true value stays until moved.
    EXPECT_EQ(view.slider[2], 0);
    EXPECT_EQ(view.slider[0], 96) << "the stored hysteresis of 4, the slider's top being 0";
    EXPECT_EQ(view.hebel[2], 180) << "the value shown";
    EXPECT_EQ(kalib.hysterese(3), 180);
    for (auto [row, position] : {std::pair{2, 1}, {0, 0}, {6, 100}})
        wizard.sliderChanged(row, position);
    // The new hysteresis filters at once.
    wizard.ZeigeDaten({200, 0, 0, 0, 0, 0, 0});
    wizard.ZeigeDaten({150, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(kalib.hysterese(3), 99);
    EXPECT_EQ(kalib.hysterese(1), 100);
    EXPECT_EQ(view.hebel[0], 100) << "shown as the hysteresis";
    EXPECT_EQ(kalib.hysterese(7), 0);
    EXPECT_EQ(view.hebel[6], 0);
    EXPECT_EQ(view.korr[0], 200) << "the second report lies within the hysteresis";
    wizard.sliderChanged(2, 250); // out of range: clamped to the bottom
    wizard.cmdWeiterClicked();
    wizard.sliderChanged(3, 50); // not after step 1
    EXPECT_EQ(kalib.hysterese(3), 0);
    EXPECT_EQ(kalib.hysterese(4), 4);
    EXPECT_EQ(view.hebel[3], 0);
}
