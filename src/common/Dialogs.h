#pragma once

#include <optional>
#include <string>

namespace kordan {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// What a file dialog came back with.
struct FileChoice {
    enum class Result { Chosen, Cancelled, Failed } result = Result::Cancelled;
    std::string path;      // the chosen file, for Chosen
    int errorNumber = 0;   // for Failed
    std::string errorText; // for Failed
};

// The user-facing dialogs the core asks through. The core holds the exact German texts;
// an implementation only shows them. All calls are modal and come from the UI thread.
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
};

} // namespace kordan
