// Renders each window of the program with sample content into PNG files, for the README.
// Usage: kordan-screenshots OUTPUT_DIR. Meant to run on a real X display (Xvfb), so the
// pictures show the platform style and fonts; tools/screenshots.sh sets that up.

#include "app/Diagnostics.h"
#include "app/DiagnosticsWindow.h"
#include "app/QtDialogs.h"
#include "app/Sheet.h"
#include "app/SheetPainter.h"
#include "app/frmKordan.h"
#include "common/NumberText.h"
#include "common/Settings.h"
#include "device/Reports.h"
#include "device/VirtualController.h"
#include "device/panel/frmPanel.h"
#include "dialogs/frmAktion.h"
#include "dialogs/frmAxis.h"
#include "dialogs/frmKnopf.h"
#include "dialogs/frmOptions.h"
#if defined(KORDAN_WITH_STANDIN)
#include "StandinWindow.h"
#endif
#if defined(KORDAN_HAVE_HIDAPI)
#include "device/hidapi/HidapiPieHid.h"
#endif
#include "profile/ZusiButton.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSendKonstanten.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace kordan;
namespace K = kordan::ZusiSendKonstanten;

namespace {

// Lets the window system map and paint the window.
void waitPainted(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QDir& dir, const QString& name) {
    w->show();
    w->raise();
    w->activateWindow();
    waitPainted(300);
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A throttle axis as a user might set it up: off, a regulator range, full power.
std::string throttleAxis() {
    struct Z {
        const char* name;
        int v[8];
    };
    const Z zones[] = {
        {"Aus", {0, 15, K::FahrschalterNull, 0, 0, 0, 0, 0}},
        {"Fahrstufen", {16, 239, 0, 0, 0, K::RegelbereichFahrschalter, 10, 0}},
        {"Voll", {240, 255, K::FahrschalterAuf, 1, 5, 0, 0, K::FahrschalterAuf}},
    };
    std::string s = "1.0\r\n[Zones]\r\n 3 \r\n";
    for (const Z& z : zones) {
        s += std::string(z.name) + "\r\n";
        for (int v : z.v)
            s += formatFileNumber(v) + "\r\n";
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kordan-screenshots OUTPUT_DIR\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    // The program's own dialogs, scripted: nothing waits for an answer while pictures are taken.
    QtDialogs dialogs;
    dialogs.setScripted(true);
    MemorySettings settings;

    frmKordan main({dialogs, settings, "."});
    main.setLokText("BR 101");
    main.setProfilText("BR 101_1.cfr");
    main.setDeviceList({"Kordan 1 (PID 210)"});
    main.setSelectedDevice(0);
    main.setModeLabel("Hardware Test", LabelColour::Green);
    main.setLoadMode(1);
    const int levers[7] = {0, 128, 64, 0, 0, 127, 255};
    for (int i = 0; i < 7; ++i)
        main.setLeverText(i, std::to_string(levers[i]));
    // The demo profile's buttons: 1-19, 28, 29 and the two stepping keys are assigned.
    for (int k = 0; k < 44; ++k)
        main.setButtonAssigned(k, k < 19 || k == 27 || k == 28 || k >= 42);
    main.setButtonLit(1, true);
    main.setDeliveryNote("Tasten erreichen Zusi nur, solange es im Vordergrund ist", false);
    ok &= save(&main, out, QStringLiteral("frmKordan"));

    ZusiButton knopf;
    knopf.Bezeichnung = "Pfeife";
    knopf.Press = K::Pfeife;
    knopf.Hold = 1;
    knopf.Release = 0;
    knopf.press2 = K::Glocke;
    knopf.Defined = true;
    frmKnopf knopfDialog(knopf, 7, dialogs);
    ok &= save(&knopfDialog, out, QStringLiteral("frmKnopf"));
    knopfDialog.hide();

    int32_t aktion = 0;
    frmAktion aktionDialog(2, aktion);
    ok &= save(&aktionDialog, out, QStringLiteral("frmAktion"));
    aktionDialog.hide();

    frmOptions options(settings, dialogs);
    ok &= save(&options, out, QStringLiteral("frmOptions"));
    options.hide();

    QTemporaryDir dir;
    const std::string file =
        QDir(dir.path()).filePath(QStringLiteral("Fahrschalter.axr")).toStdString();
    std::ofstream(file, std::ios::binary) << throttleAxis();
    frmAxis axis(
        dialogs, dir.path().toStdString(), [file] { return file; }, [] {});
    axis.setLiveLever(2);
    axis.setLeverValue(140);
    if (auto* list = axis.findChild<QListWidget*>(QStringLiteral("lstZone")))
        list->setCurrentRow(1);
    ok &= save(&axis, out, QStringLiteral("frmAxis"));
    axis.hide();

    // The virtual controller's panel, showing 87 km/h on its display.
    VirtualController controller;
    controller.SetupInterface(VirtualController::kHandle);
    controller.setLever(2, 160);
    controller.setLever(3, 40);
    controller.setButton(29, true);
    frmPanel panel(controller);
    controller.WriteData(VirtualController::kHandle, displayReport(0x07, 0x7F, 0));
    controller.WriteData(VirtualController::kHandle, speakerReport(true));
    ok &= save(&panel, out, QStringLiteral("frmPanel"));
    panel.hide();

    // The assignment sheet of a demo profile, as "Datei → Belegung drucken..." prints it.
    ZusiProfile demo(dialogs, KORDAN_DEMO_DIR);
    if (demo.load("BR 101_1.cfr") == LoadResult::Loaded &&
        sheetImage(buildSheet(demo), 900).save(out.filePath(QStringLiteral("Belegung.png"))))
        std::printf("%s\n", qPrintable(out.filePath(QStringLiteral("Belegung.png"))));
    else
        ok = false;

    // The About box's System-Info, here with the virtual controller and a sample prefix.
    DiagnosticsSources sources;
    sources.program = "1.0.2";
    sources.qt = qVersion();
    sources.system = "Debian GNU/Linux 12 (bookworm), linux 6.1.0";
    sources.controllers = &controller;
#if defined(KORDAN_HAVE_HIDAPI)
    sources.hidapi = hidapiVersion();
#endif
    sources.winePrefix = "/home/lokfuehrer/.wine";
    sources.delivery = "X11 und user.reg";
    DiagnosticsWindow info(QString::fromStdString(
        diagnosticsText(sources, std::filesystem::file_time_type::clock::now())));
    ok &= save(&info, out, QStringLiteral("SystemInfo"));
    info.hide();

#if defined(KORDAN_WITH_STANDIN)
    // The simulator stand-in, in a prefix of its own.
    QTemporaryDir prefix;
    standin::StandinOptions standinOptions;
    standinOptions.prefix = prefix.path().toStdString();
    standin::StandinWindow standin(standinOptions);
    ok &= save(&standin, out, QStringLiteral("zusi-standin"));
    standin.hide();
#endif

    return ok ? 0 : 1;
}
