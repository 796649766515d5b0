#include "calibration/KalibWizard.h"

#include "calibration/ZusiKalibrierung.h"
#include "common/Dialogs.h"
#include "device/Levers.h"

#include <algorithm>

namespace kordan {

namespace {

// `Schritt` values. Each waiting value (odd) is followed by its sampling value (the next
// even one); the order of the steps is 0, 5, 6, 7, 8, 1, 2, 3, 4, 9.
constexpr int kHysterese = 0;
constexpr int kWaitMin = 5;
constexpr int kSampleMin = 6;
constexpr int kWaitBailHinten = 7;
constexpr int kSampleBailHinten = 8;
constexpr int kWaitMax = 1;
constexpr int kSampleMax = 2;
constexpr int kWaitBailVorne = 3;
constexpr int kSampleBailVorne = 4;
constexpr int kFertig = 9;

constexpr int kBailOff = 5; // the bail-off channel: lever 4 pushed to the right
constexpr int kBailRow = kBailOff - 1;

const char* const kCrLf = "\r\n";

std::string explanationText() {
    return std::string("Probieren Sie die Hebel in verschiedenen Stellungen aus. Beobachten Sie "
                       "die ") +
           "Werte 'korrigiert'. Verändern Sie die Einstellung mit den Pfeiltasten. Wählen Sie "
           "die Einstellung so klein wie möglich, aber mindestens so " +
           "gross, dass bei stillstehenden Hebel kein Springen der Werte mehr stattfindet. Ist "
           "der " +
           "Wert zu klein eingestellt, wird ein Springen/Zittern stattfinden. Zu grosse Werte "
           "führen " +
           "zu kleinerem Regelbereich und grösseren Reaktionswegen wenn die Hebelrichtung "
           "geändert wird. " +
           "Tests haben gezeigt, das so ca. 4-5 ein optimaler Wert darstellen. " +
           "Kann aber je nach Gerät etwas varieren.";
}

std::string textA() {
    return std::string("Bitte alle Hebel nach hinten (vom Benutzer weg) in den Anschlag drücken") +
           kCrLf + "Die beiden Schalter bitte in die Position aus (nach links) drehen" + kCrLf +
           kCrLf + "Klicken Sie weiter, wenn Bereit";
}

std::string textB() {
    return std::string("Bitte den Hebel 4 (Ind Brake) nach rechts drücken und während des "
                       "nächsten ") +
           "Kalibriervorganges in dieser Position festhalten" + kCrLf + kCrLf +
           "Kicken Sie Weiter, wenn bereit.";
}

std::string textC() {
    return std::string("Bitte alle Hebel nach vorne (zum Benutzer hin) in den Anschlag ziehen") +
           kCrLf + "Die beiden Schalter bitte in die Position ein (nach rechts) drehen" + kCrLf +
           kCrLf + "Klicken Sie weiter, wenn Bereit";
}

const char* const kNoValuesText =
    "Vom Fahrpult sind keine Werte angekommen. Bitte prüfen, ob ein Kordan angeschlossen und "
    "im Hauptfenster ausgewählt ist, dann diesen Schritt wiederholen.";

const char* const kTextD =
    "Kontrolieren Sie bitte im Hauptfenster, dass alle Hebel Werte von 0-255 liefern";

bool isSampling(int schritt) {
    return schritt == kSampleMin || schritt == kSampleBailHinten || schritt == kSampleMax ||
           schritt == kSampleBailVorne;
}

} // namespace

KalibWizard::KalibWizard(ZusiKalibrierung& kalib, IDialogs& dialogs, IKalibView& view)
    : m_kalib(kalib), m_dialogs(dialogs), m_view(view) {}

void KalibWizard::start() {
    m_schritt = kHysterese;
    m_view.setTitle("Kalibrierung Schritt 1, Springen der Werte verhindern");
    m_view.setAction(explanationText());
    m_view.setActionVisible(true);
    m_view.setWartenVisible(false);
    m_view.setSettingColumnsVisible(true);
    m_view.setWeiterCaption("&Weiter");
    m_view.setWeiterEnabled(true);
    for (int row = 0; row < kRows; ++row) {
        int h = m_kalib.hysterese(row + 1);
        // A hand-edited file may hold more than the slider can show: park the slider at
        // its top end and show the true value; it changes only when the user moves it.
        m_view.setSlider(row, std::max(0, 100 - h));
        m_tracked[row] = h;
        m_view.setHebel(row, h);
    }
}

void KalibWizard::ZeigeDaten(const LeverBytes& levers) {
    m_last = levers;
    m_haveLast = true;
    for (int row = 0; row < kRows; ++row) {
        const uint8_t raw = levers[size_t(row)];
        m_view.setRohwert(row, raw);
        m_view.setKorr(row, m_kalib.HystWert(row + 1, raw));
    }
    track(levers);
}

void KalibWizard::track(const LeverBytes& levers) {
    for (int row = 0; row < kRows; ++row) {
        const int raw = levers[size_t(row)];
        const int t = m_tracked[row];
        int next = t;
        switch (m_schritt) {
        case kSampleMin:
            next = std::max(t, raw);
            break;
        case kSampleMax:
            next = std::min(t, raw);
            break;
        case kSampleBailHinten:
        case kSampleBailVorne:
            if (row == kBailRow)
                next = std::min(t, raw);
            break;
        default:
            break;
        }
        if (next != t)
            setTracked(row, next);
    }
}

void KalibWizard::sliderChanged(int row, int position) {
    // The sliders are only on screen in step 1; later txtHebel holds measurements, which a
    // stray slider event must not overwrite.
    if (m_schritt != kHysterese || row < 0 || row >= kRows)
        return;
    const int h = 100 - std::clamp(position, 0, 100);
    m_kalib.setHysterese(row + 1, uint8_t(h));
    setTracked(row, h);
}

void KalibWizard::cmdWeiterClicked() {
    switch (m_schritt) {
    case kHysterese:
        m_view.setSettingColumnsVisible(false);
        resetTracked(0);
        m_view.setTitle("Kalibrierung Schritt 2, Minimalwerte");
        m_view.setAction(textA());
        m_schritt = kWaitMin;
        break;
    case kWaitMax:
    case kWaitBailVorne:
    case kWaitMin:
    case kWaitBailHinten:
        m_view.setActionVisible(false);
        m_view.setWartenVisible(true);
        m_view.startSamplingTimer();
        m_view.setWeiterEnabled(false);
        m_schritt += 1;
        // The controller reports only changes: levers held still as asked would send
        // nothing during the sampling, so it starts from where they were last seen.
        if (m_haveLast)
            track(m_last);
        break;
    case kFertig:
        m_view.closeWindow();
        break;
    default: // sampling: the button is disabled
        break;
    }
}

std::optional<std::string> KalibWizard::failure(int lever, int v) const {
    const std::string n = std::to_string(lever);
    const std::string sw = std::to_string(lever - 5);
    const char* const bailPressed = "Hebel 4(ind Brake) darf nicht nach rechts gedrückt werden!";
    switch (m_schritt) {
    case kSampleMin:
        if (lever <= 4 && v > 90)
            return "Hebel " + n + " ist nicht hinten!";
        if (lever == kBailOff && v > 150)
            return bailPressed;
        if (lever >= 6 && v > 120)
            return "Schalter " + sw + " ist nicht auf aus (position links)!";
        break;
    case kSampleMax:
        if (lever <= 4 && v < 130)
            return "Hebel " + n + " ist nicht vorne!";
        if (lever == kBailOff && v > 150)
            return bailPressed;
        if (lever >= 6 && v < 150)
            return "Schalter " + sw + " ist nicht auf ein (position rechts)!";
        break;
    case kSampleBailHinten:
    case kSampleBailVorne:
        if (lever == kBailOff && v < 150)
            return "Hebel 4 nicht nach rechts gedrückt!";
        break;
    default:
        break;
    }
    return std::nullopt;
}

void KalibWizard::timerTick() {
    m_view.stopSamplingTimer();
    if (!isSampling(m_schritt))
        return;
    // Without a single report the fields hold only their start values, and the checks
    // would judge those: the step is not judged, and nothing is stored.
    if (!m_haveLast) {
        m_dialogs.message(kNoValuesText, MsgButtons::Ok, MsgIcon::Exclamation, "Wiederholen");
        discardSampling();
        endSampling();
        return;
    }

    bool passed = true;
    for (int i = 1; i <= kRows; ++i) {
        if (auto text = failure(i, m_tracked[i - 1])) {
            passed = false;
            m_dialogs.message(*text, MsgButtons::Ok, MsgIcon::Exclamation, "Wiederholen");
        }
    }

    if (passed) {
        storePassed();
    } else {
        discardSampling();
    }
    endSampling();
}

void KalibWizard::storePassed() {
    const int bail = m_tracked[kBailRow];
    switch (m_schritt) {
    case kSampleMin:
        for (int i = 1; i <= kRows; ++i)
            m_kalib.setUntere(i, uint8_t(m_tracked[i - 1]));
        m_dialogs.tell(m_kalib.Save());
        m_view.setTitle("Kalibrierung Schritt 3, Bail off, hinten");
        m_view.setAction(textB());
        setTracked(kBailRow, 255);
        m_schritt = kWaitBailHinten;
        break;
    case kSampleBailHinten:
        m_kalib.setObere(kBailOff, uint8_t(bail));
        m_dialogs.tell(m_kalib.Save());
        m_view.setTitle("Kalibrierung Schritt 4, Maximalwerte");
        m_view.setAction(textC());
        resetTracked(255);
        m_schritt = kWaitMax;
        break;
    case kSampleMax:
        for (int i = 1; i <= kRows; ++i) {
            if (i != kBailOff)
                m_kalib.setObere(i, uint8_t(m_tracked[i - 1]));
        }
        // The bail-off channel's rest value may sit higher with the levers in front.
        m_kalib.setUntere(kBailOff, uint8_t(std::max<int>(bail, m_kalib.Untere(kBailOff))));
        m_dialogs.tell(m_kalib.Save());
        m_view.setTitle("Kalibrierung Schritt 5, Bail off, vorne");
        m_view.setAction(textB());
        setTracked(kBailRow, 255);
        m_schritt = kWaitBailVorne;
        break;
    case kSampleBailVorne:
        m_kalib.setObere(kBailOff, uint8_t(std::min<int>(bail, m_kalib.Obere(kBailOff))));
        m_dialogs.tell(m_kalib.Save());
        m_schritt = kFertig;
        m_view.setTitle("Kalibrierung beendet");
        m_view.setAction(finalText());
        m_view.setWeiterCaption("&Fertig");
        break;
    default:
        break;
    }
}

std::string KalibWizard::finalText() const {
    std::string text = kTextD;
    std::string unusable;
    for (int i = 1; i <= kRows; ++i) {
        if (m_kalib.hasNoWorkingRange(i))
            unusable += std::string(kCrLf) + kLeverCaptions[size_t(i - 1)];
    }
    // The checks accept limits that leave no room above lower limit + hysteresis; such a
    // lever would only jump between 0 and 255, which the user should learn here rather
    // than while driving.
    if (!unusable.empty()) {
        text += std::string(kCrLf) + kCrLf +
                "Achtung: Diese Hebel können nicht den Bereich 0-255 liefern, weil ihr "
                "Maximalwert nicht grösser ist als der Minimalwert plus Einstellung:" +
                unusable + kCrLf + kCrLf +
                "Bitte die Kalibrierung mit einer kleineren Einstellung wiederholen.";
    }
    return text;
}

void KalibWizard::windowClosed() {
    if (!isSampling(m_schritt))
        return;
    m_view.stopSamplingTimer();
    discardSampling();
    endSampling();
}

void KalibWizard::discardSampling() {
    // Back to the step's waiting value, with the tracked values it starts from.
    switch (m_schritt) {
    case kSampleMin:
        resetTracked(0);
        break;
    case kSampleMax:
        resetTracked(255);
        break;
    default: // the bail-off samplings track lever 5 only
        setTracked(kBailRow, 255);
        break;
    }
    m_schritt -= 1;
}

void KalibWizard::endSampling() {
    m_view.setWartenVisible(false);
    m_view.setActionVisible(true);
    m_view.setWeiterEnabled(true);
}

void KalibWizard::resetTracked(int value) {
    for (int row = 0; row < kRows; ++row)
        setTracked(row, value);
}

void KalibWizard::setTracked(int row, int value) {
    m_tracked[row] = value;
    m_view.setHebel(row, value);
}

} // namespace kordan
