#pragma once

#include "app/ResultMessages.h"

class QWidget;

namespace kordan {

// Shows the core's messages and file dialogs with Qt. The parent is the window that is
// active when the call is made, so boxes stay on top of the window that asked.
class QtDialogs : public WordingDialogs {
public:
    // A scripted run never waits on a dialog: every message box is answered with its default
    // button and its text printed on standard error as "message: TEXT"; file dialogs are
    // cancelled.
    void setScripted(bool scripted) { m_scripted = scripted; }

    MsgAnswer message(const std::string& text, MsgButtons buttons, MsgIcon icon,
                      const std::string& title) override;
    FileChoice openFile(const std::string& filter, const std::string& initialDir) override;
    FileChoice saveFile(const std::string& filter, const std::string& initialDir,
                        const std::string& offeredName) override;

private:
    bool m_scripted = false;
};

// Qt's own texts (standard buttons, file dialogs) in German, for the application's lifetime.
// False when Qt's German translation is not installed; the texts then stay English.
bool loadQtGerman();

// "Text (*.ext)|*.ext|Alle Dateien (*.*)|*.*" in Qt's notation: "Text (*.ext);;Alle ...".
std::string qtFilterFromPipes(const std::string& filter);

} // namespace kordan
