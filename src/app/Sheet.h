#pragma once

#include <string>
#include <vector>

namespace kordan {

class ZusiProfile;

// What the assignment sheet of a profile shows, worked out without any drawing: the window
// that prints it and the command line that writes it place these texts and nothing else.
struct Sheet {
    // A piece of the controller's picture, placed in twips as in the main window but moved
    // to start at 0, 0: a lever's or a button's field with its number, or a caption.
    struct Field {
        enum class Kind { Lever, Button, Caption } kind;
        int left, top, width, height;
        std::string text;
        bool assigned; // the field has an assignment; drawn stronger than one without
    };
    struct Button {
        int number;       // 1-44, also written in its field of the picture
        std::string text; // its Bezeichnung, the shift layer marked
    };
    struct Zone {
        std::string range, label, command;
    };
    struct Lever {
        std::string caption; // "Hebel 2 (Throttle): +Fahrschalter_20.axr"
        std::vector<Zone> zones;
    };

    std::string title;
    std::vector<Field> picture;
    int pictureWidth = 0, pictureHeight = 0; // twips
    std::vector<Button> buttons;             // the defined ones, in number order
    std::vector<Lever> levers;               // all seven; an unassigned one has no zones
};

Sheet buildSheet(const ZusiProfile& profile);

// The name offered for the profile's sheet: its own with ".pdf", "Belegung.pdf" for a new one.
std::string sheetFileName(const ZusiProfile& profile);

} // namespace kordan
