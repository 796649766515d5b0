// The backends of Windows: the simulator runs beside the program; its window, registry and
// paths are direct.
#include "app/SystemBackends.h"

#include "common/win32/Win32Settings.h"
#include "device/win32/PieHidDll.h"
#include "send/win32/Win32SimWindow.h"
#include "sim/win32/Win32ProcessStarter.h"
#include "sim/win32/Win32Registry.h"
#include "sim/zusi3/win32/Win32TcpSocket.h"

#include <QObject>

#include <csignal>
#include <windows.h>

namespace kordan {

namespace {

// Set by SIGTERM or SIGINT: the program then ends as when its window is closed.
volatile std::sig_atomic_t g_terminate = 0;

extern "C" void requestTermination(int) {
    g_terminate = 1;
}

} // namespace

QString defaultProgramDir() {
    return QString::fromStdString(win32ProgramDirectory());
}

std::unique_ptr<Backends> makeBackends(const std::optional<std::string>&) {
    auto b = std::make_unique<Backends>();
    b->controllers = createWin32PieHid();
    b->window = makeWin32SimWindow();
    b->registry = makeWin32Registry();
    b->starter = makeWin32ProcessStarter();
    b->mapSimPath = identityPathMapper();
    b->settings = makeWin32Settings();
    b->socket = makeWin32TcpSocket();
    b->programDir = defaultProgramDir().toStdString();
    b->delivery = "Windows";
    return b;
}

void raiseProgramPriority() {
    // Programs started from here still get the normal class.
    SetPriorityClass(GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS);
}

void catchTerminationSignals() {
    for (int sig : {SIGTERM, SIGINT})
        std::signal(sig, requestTermination);
}

bool terminationRequested() {
    return g_terminate != 0;
}

// No pipe wakes the loop here: it looks for the flag every 100 ms.
std::unique_ptr<QObject> wakeOnTermination(std::function<void()>) {
    return nullptr;
}

} // namespace kordan
