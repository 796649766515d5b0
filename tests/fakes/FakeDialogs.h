#pragma once

#include "common/LoadResult.h"

#include <deque>
#include <string>
#include <vector>

namespace kordan::test {

// Records every message, report and file dialog and answers from a script.
class FakeDialogs : public IDialogs {
public:
    struct Message {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
    };
    struct FileRequest {
        bool save;
        std::string filter, initialDir, offeredName;
    };
    MsgAnswer message(const std::string& text, MsgButtons buttons, MsgIcon icon,
                      const std::string& title) override {
        messages.push_back({text, buttons, icon, title});
        if (answers.empty())
            return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
        return next(answers);
    }
    FileChoice openFile(const std::string& filter, const std::string& initialDir) override {
        fileRequests.push_back({false, filter, initialDir, {}});
        return fileChoices.empty() ? FileChoice{} : next(fileChoices);
    }
    FileChoice saveFile(const std::string& filter, const std::string& initialDir,
                        const std::string& offeredName) override {
        fileRequests.push_back({true, filter, initialDir, offeredName});
        return fileChoices.empty() ? FileChoice{} : next(fileChoices);
    }
    void tell(const LoadReport& report) override { loads.push_back(report); }
    void tell(const SaveReport& report) override { saves.push_back(report); }
    void tell(const LokReport& report) override { loks.push_back(report); }
    // Answers for the next message boxes, in order; without one, Ok/Yes is answered.
    std::deque<MsgAnswer> answers;
    // Results for the next file dialogs, in order; without one, the dialog is cancelled.
    std::deque<FileChoice> fileChoices;
    std::vector<Message> messages;
    std::vector<LoadReport> loads;
    std::vector<SaveReport> saves;
    std::vector<LokReport> loks;
    std::vector<FileRequest> fileRequests;
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (auto& m : messages)
            out.push_back(m.text);
        return out;
    }
    static FileChoice chosen(std::string path) {
        return {FileChoice::Result::Chosen, std::move(path), 0, {}};
    }
    template <typename T> static T next(std::deque<T>& queue) {
        T front = queue.front();
        queue.pop_front();
        return front;
    }
};

} // namespace kordan::test
