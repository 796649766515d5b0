#pragma once

#include "common/Dialogs.h"

#include <string>
#include <vector>

namespace kordan {

// One message box, as the user sees it.
struct Notice {
    std::string text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    std::string title; // empty: the application's title
    bool operator==(const Notice&) const = default;
};

// The messages that tell the user what became of a file, in the order they are shown;
// none for a file loaded or saved, a cancelled choice, or a locomotive file that was read.
std::vector<Notice> noticesFor(const LoadReport& report);
std::vector<Notice> noticesFor(const SaveReport& report);
std::vector<Notice> noticesFor(const LokReport& report);

// Dialogs that show the core's reports as the messages above; `Dialogs` shows messages.
template <class Dialogs = IDialogs> class Wording : public Dialogs {
public:
    void tell(const LoadReport& report) override { show(noticesFor(report)); }
    void tell(const SaveReport& report) override { show(noticesFor(report)); }
    void tell(const LokReport& report) override { show(noticesFor(report)); }

private:
    void show(const std::vector<Notice>& notices) {
        for (const Notice& n : notices)
            this->message(n.text, n.buttons, n.icon, n.title);
    }
};
using WordingDialogs = Wording<>;

} // namespace kordan
