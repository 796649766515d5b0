#include "app/Sheet.h"

#include "axis/ZusiAxis.h"
#include "device/Layout.h"
#include "device/Levers.h"
#include "profile/ZusiProfile.h"
#include "send/Catalogue.h"

#include <algorithm>
#include <cstdlib>

namespace kordan {

namespace {

// The picture's corner in the main window: left of the first fields, above the captions.
constexpr int kLeft = 200, kTop = 4200;

// A number of ticks as seconds with a decimal comma: 5 -> "0,5".
std::string seconds(int32_t ticks) {
    return std::to_string(ticks / 10) + (ticks % 10 ? "," + std::to_string(ticks % 10) : "");
}

std::string zoneCommand(const ZusiZone& z) {
    std::vector<std::string> parts;
    if (z.Funktion != 0)
        parts.push_back(befehlstext(z.Funktion) + (z.Hold != 0 ? " (gehalten)" : "") +
                        (z.Repeat > 0 ? ", alle " + seconds(z.Repeat) + " s" : ""));
    if (z.RegelFunktion != 0)
        parts.push_back(befehlstext(z.RegelFunktion) + ", " +
                        std::to_string(std::abs(z.RegelStep)) + " Stufen" +
                        (z.RegelStep < 0 ? " von oben" : ""));
    if (z.Release != 0)
        parts.push_back("beim Verlassen " + befehlstext(z.Release));
    std::string text;
    for (const auto& p : parts)
        text += (text.empty() ? "" : "; ") + p;
    return text.empty() ? "-" : text;
}

} // namespace

Sheet buildSheet(const ZusiProfile& profile) {
    Sheet s;
    s.title = "Belegung " + (profile.Dateiname().empty() ? "eines neuen Profils"
                                                         : "des Profils " + profile.Bezeichnung());
    auto place = [&](Sheet::Field::Kind kind, const FieldPlace& p, std::string text,
                     bool assigned) {
        s.picture.push_back(
            {kind, p.left - kLeft, p.top - kTop, p.width, p.height, std::move(text), assigned});
        s.pictureWidth = std::max(s.pictureWidth, p.left - kLeft + p.width);
        s.pictureHeight = std::max(s.pictureHeight, p.top - kTop + p.height);
    };
    for (int i = 1; i <= 7; ++i) {
        const ZusiAxis& axis = profile.Axis(i);
        const FieldPlace& p = kLeverPlaces[size_t(i - 1)];
        place(Sheet::Field::Kind::Lever, p, "H" + std::to_string(i), !axis.Dateiname().empty());
        place(Sheet::Field::Kind::Caption, {p.left, p.top - 240, p.width, 240},
              kLeverShortCaptions[size_t(i - 1)], false);
        const std::string name = axis.Bezeichnung();
        Sheet::Lever lever{std::string(kLeverCaptions[size_t(i - 1)]) + ": " +
                               (name.empty()       ? "Nicht zugeordnet"
                                : axis.Flip() == 0 ? "+" + name
                                                   : "-" + name),
                           {}};
        for (int z = 0; !name.empty() && z < axis.ZoneCount(); ++z) {
            const ZusiZone& zone = axis.Zone(z);
            lever.zones.push_back({std::to_string(zone.Start) + "-" + std::to_string(zone.Ende),
                                   zone.Bezeichnung, zoneCommand(zone)});
        }
        s.levers.push_back(std::move(lever));
    }
    for (int k = 1; k <= 44; ++k) {
        const ZusiButton& b = profile.buttons(k);
        place(Sheet::Field::Kind::Button, kButtonPlaces[size_t(k - 1)], std::to_string(k),
              b.Defined);
        if (!b.Defined)
            continue;
        std::string text = b.Bezeichnung.empty() ? befehlstext(b.Press) : b.Bezeichnung;
        if (b.Shift != 0)
            text += " (Umschalttaste)";
        if (b.press2 != 0)
            text += " | mit Umschalttaste: " + befehlstext(b.press2);
        s.buttons.push_back({k, std::move(text)});
    }
    place(Sheet::Field::Kind::Caption, kUpCaption, "Up", false);
    place(Sheet::Field::Kind::Caption, kDownCaption, "Down", false);
    return s;
}

std::string sheetFileName(const ZusiProfile& profile) {
    const std::string name = profile.Dateiname().empty() ? "Belegung" : profile.Bezeichnung();
    return name.substr(0, name.rfind('.')) + ".pdf";
}

} // namespace kordan
