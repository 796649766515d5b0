#include "fakes/FakeDialogs.h"

namespace kordan::test {

MsgAnswer FakeDialogs::message(const std::string& text, MsgButtons buttons, MsgIcon icon,
                               const std::string& title) {
    messages.push_back({text, buttons, icon, title});
    if (onMessage)
        onMessage(text);
    if (!answers.empty()) {
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
}

FileChoice FakeDialogs::openFile(const std::string& filter, const std::string& initialDir) {
    fileRequests.push_back({false, filter, initialDir, {}});
    if (fileChoices.empty())
        return cancelled();
    FileChoice c = fileChoices.front();
    fileChoices.pop_front();
    return c;
}

FileChoice FakeDialogs::saveFile(const std::string& filter, const std::string& initialDir,
                                 const std::string& offeredName) {
    fileRequests.push_back({true, filter, initialDir, offeredName});
    if (fileChoices.empty())
        return cancelled();
    FileChoice c = fileChoices.front();
    fileChoices.pop_front();
    return c;
}

std::vector<std::string> FakeDialogs::texts() const {
    std::vector<std::string> out;
    for (auto& m : messages)
        out.push_back(m.text);
    return out;
}

} // namespace kordan::test
