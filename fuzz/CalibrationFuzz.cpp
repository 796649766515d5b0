// Any bytes as "Kalibrierung.dat": the reader must not crash, what it accepts must be written
// back and read again unchanged, and every lever must scale every raw byte without undefined
// behaviour whatever limits the file gave.
#include "calibration/ZusiKalibrierung.h"

#include "FuzzSupport.h"

#include <cstdlib>

using namespace kordan;
using namespace kordan::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto parsed = parseCalibration(bytes);
    if (auto* values = std::get_if<CalibrationValues>(&parsed)) {
        auto again = parseCalibration(writeCalibration(*values));
        if (std::get_if<CalibrationValues>(&again) == nullptr ||
            std::get<CalibrationValues>(again) != *values)
            std::abort();
    }
    ScriptedDialogs dialogs;
    ZusiKalibrierung k(dialogs, writeInput("Kalibrierung.dat", data, size));
    for (int lever = 1; lever <= k.maxHebel(); ++lever)
        for (int raw = 0; raw <= 255; ++raw)
            k.Calculate(lever, uint8_t(raw));
    k.Save(); // the writer, as at the program's end
    return 0;
}
