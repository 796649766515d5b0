#pragma once

#include <optional>
#include <string>

namespace kordan {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct LoadReport;
struct SaveReport;
struct LokReport;

// What a file dialog came back with.
struct FileChoice {
    enum class Result { Chosen, Cancelled, Failed } result = Result::Cancelled;
    std::string path;      // the chosen file, for Chosen
    int errorNumber = 0;   // for Failed
    std::string errorText; // for Failed
};

// The user-facing dialogs the core asks through. Questions come with the core's texts; what
// became of a file comes as a report, which the app layer words. All calls are modal and
// come from the UI thread.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    // An empty title means the application's title ("Kordan für Zusi").
    virtual MsgAnswer message(const std::string& text, MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None, const std::string& title = {}) = 0;

    // `filter` uses the "Text (*.ext)|*.ext|Text|*.*" notation. The open dialog requires
    // an existing file; the save dialog asks before overwriting and requires an existing
    // directory. `initialDir` is the program's directory; `offeredName` may be empty.
    virtual FileChoice openFile(const std::string& filter, const std::string& initialDir) = 0;
    virtual FileChoice saveFile(const std::string& filter, const std::string& initialDir,
                                const std::string& offeredName) = 0;

    // Tells the user what became of a load, a save or of reading a locomotive file, if
    // anything is worth telling.
    virtual void tell(const LoadReport& report) = 0;
    virtual void tell(const SaveReport& report) = 0;
    virtual void tell(const LokReport& report) = 0;
};

} // namespace kordan
