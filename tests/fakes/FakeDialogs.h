#pragma once

#include "common/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kordan::test {

// Records every message and file dialog and answers from a script.
class FakeDialogs : public IDialogs {
public:
    struct Message {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
    };

    MsgAnswer message(const std::string& text, MsgButtons buttons, MsgIcon icon,
                      const std::string& title) override;
    FileChoice openFile(const std::string& filter, const std::string& initialDir) override;
    FileChoice saveFile(const std::string& filter, const std::string& initialDir,
                        const std::string& offeredName) override;

    // Answers for the next message boxes, in order; without one, Ok/Yes is answered.
    std::deque<MsgAnswer> answers;
    // Results for the next file dialogs, in order; without one, the dialog is cancelled.
    std::deque<FileChoice> fileChoices;

    std::vector<Message> messages;
    // Runs while a message is up (window events run under a modal box too).
    std::function<void(const std::string&)> onMessage;
    struct FileRequest {
        bool save;
        std::string filter;
        std::string initialDir;
        std::string offeredName;
    };
    std::vector<FileRequest> fileRequests;

    std::vector<std::string> texts() const;

    static FileChoice chosen(std::string path) {
        return {FileChoice::Result::Chosen, std::move(path), 0, {}};
    }
    static FileChoice cancelled() { return {}; }
};

} // namespace kordan::test
