// Any bytes as "Kalibrierung.dat": the reader must not crash, and every lever must scale
// every raw byte without undefined behaviour whatever limits the file gave.
#include "calibration/ZusiKalibrierung.h"

#include "FuzzSupport.h"

using namespace kordan;
using namespace kordan::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedDialogs dialogs;
    const std::string path = writeInput("Kalibrierung.dat", data, size);
    ZusiKalibrierung k(dialogs, path);
    for (int lever = 1; lever <= k.maxHebel(); ++lever)
        for (int raw = 0; raw <= 255; ++raw)
            k.Calculate(lever, uint8_t(raw));
    return 0; // the destructor writes the file back, which exercises the writer too
}
