// zusi-standin: a small window that takes the simulator's place for trying the program
// without it. See README.md beside this file.
#include "StandinWindow.h"
#include "Zusi3Serve.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

// Last: Xlib's macros would clash with Qt's names.
#include <X11/XKBlib.h>

namespace {

int usage(const std::string& why) {
    if (!why.empty())
        std::cerr << "zusi-standin: " << why << '\n';
    std::cerr << "usage: zusi-standin --prefix DIR [--log FILE [--log-times]] [--loco NAME] "
                 "[--commands]\n"
                 "  --prefix DIR  Wine-like prefix to publish user.reg and C:\\Zusi in\n"
                 "  --log FILE    append every received key as 'down VK' / 'up VK'\n"
                 "  --log-times   end each key line with the monotonic clock in ns\n"
                 "  --loco NAME   starting locomotive:";
    for (const auto& l : standin::demoLocos())
        std::cerr << " \"" << l.name << '"';
    std::cerr
        << "\n  --commands    read 'loco NAME', 'focus' and 'quit' lines from standard input\n"
           "       zusi-standin --zusi3 [PORT] [--loco NAME] [--cab 101|103|tap] "
           "[--reverse-steps]\n"
           "                    [--reverse-brake-valve] [--absolute-fbv-bug]\n"
           "  --zusi3 PORT  serve the TCP interface on 127.0.0.1 (1436; 0 = any free port)\n"
           "  --cab KIND    power lever: 101 traction demand (default), 103 follow-up control,\n"
           "                tap tap-changer\n"
           "  --reverse-steps        Auf steps a lever down, Ab up\n"
           "  --reverse-brake-valve  brake valve numbered from Fuellstellung (0) to\n"
           "                         Schnellbremsung\n"
           "  --absolute-fbv-bug     an absolute brake-valve position does not move it\n"
           "  standard input: 'train NAME' takes over a train led by the vehicle NAME\n";
    return 2;
}

// --zusi3 [PORT] [--loco NAME] [--cab KIND] [flags]: the TCP interface only, without a
// window.
int zusi3Main(int argc, char** argv) {
    long port = 1436;
    const standin::DemoLoco* loco = &standin::demoLocos().front();
    standin::CabOptions cab;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--loco" && i + 1 < argc) {
            loco = standin::findDemoLoco(argv[++i]);
            if (!loco)
                return usage("unknown locomotive \"" + std::string(argv[i]) + "\"");
        } else if (a == "--cab" && i + 1 < argc) {
            const std::string kind = argv[++i];
            if (kind == "101")
                cab.kind = standin::CabKind::Br101;
            else if (kind == "103")
                cab.kind = standin::CabKind::Br103;
            else if (kind == "tap")
                cab.kind = standin::CabKind::Tap;
            else
                return usage("unknown cab \"" + kind + "\"");
        } else if (a == "--reverse-steps") {
            cab.reverseSteps = true;
        } else if (a == "--reverse-brake-valve") {
            cab.reverseBrakeValve = true;
        } else if (a == "--absolute-fbv-bug") {
            cab.absoluteFbvBug = true;
        } else if (!a.empty() && a.find_first_not_of("0123456789") == std::string::npos &&
                   a.size() <= 5 && std::stol(a) <= 65535) {
            port = std::stol(a);
        } else {
            return usage("unknown argument " + a);
        }
    }
    return standin::serveZusi3(uint16_t(port), *loco, cab, stdout, STDIN_FILENO);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--zusi3")
        return zusi3Main(argc, argv);
    QApplication app(argc, argv);
    // The X server repeats a held key by itself, each time as a release and a press that
    // Qt cannot always tell from real ones. Asked to, it sends only the presses, and the
    // window drops a press of a key that is down: one press of the sender is one line.
    if (auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>()) {
        Bool supported = False;
        if (Display* display = x11->display())
            XkbSetDetectableAutoRepeat(display, True, &supported);
    }
    standin::StandinOptions options;
    bool commands = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                return {};
            return args[++i].toStdString();
        };
        if (a == QLatin1String("--prefix")) {
            options.prefix = value();
        } else if (a == QLatin1String("--log")) {
            options.logFile = value();
            if (options.logFile.empty())
                return usage("--log needs a file");
        } else if (a == QLatin1String("--log-times")) {
            options.logTimes = true;
        } else if (a == QLatin1String("--loco")) {
            const std::string name = value();
            options.loco = standin::findDemoLoco(name);
            if (!options.loco)
                return usage("unknown locomotive \"" + name + "\"");
        } else if (a == QLatin1String("--commands")) {
            commands = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage("");
            return 0;
        } else {
            return usage("unknown argument " + a.toStdString());
        }
    }
    if (options.prefix.empty())
        return usage("--prefix DIR is needed");
    // A real Wine prefix keeps its machine hive beside user.reg; the stand-in rewrites
    // user.reg whole and must never do that to one.
    std::error_code ec;
    if (std::filesystem::exists(options.prefix / "system.reg", ec))
        return usage(options.prefix.string() +
                     " is a real Wine prefix (it has system.reg); use a prefix of its own");

    standin::StandinWindow window(options);
    window.show();

    std::unique_ptr<QSocketNotifier> input;
    if (commands) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, [&] {
            std::string line;
            if (!std::getline(std::cin, line)) {
                input->setEnabled(false); // end of input: no more commands
                return;
            }
            if (line == "quit") {
                QApplication::quit();
            } else if (line == "focus") {
                window.takeFocus(); // another program's window came up in front
            } else if (line.rfind("loco ", 0) == 0) {
                if (const auto* loco = standin::findDemoLoco(line.substr(5)))
                    window.selectLoco(int(loco - standin::demoLocos().data()));
                else
                    std::cerr << "zusi-standin: unknown locomotive \"" << line.substr(5) << "\"\n";
            } else if (!line.empty()) {
                std::cerr << "zusi-standin: unknown command \"" << line << "\"\n";
            }
        });
    }
    return app.exec();
}
