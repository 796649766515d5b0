#pragma once

#include "dialogs/CommandChoice.h"
#include "send/CommandList.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kordan {

class IDialogs;
struct ZusiButton;

// The button dialog's behaviour: it shows one button's assignment and writes it back on
// OK, only after every field has passed its check, so a rejected OK leaves the button as
// it was. The window forwards the user's edits into the fields below.
class KnopfDialog {
    // First, because the command choices below refer to the list.
    ZusiButton& m_knopf;
    int16_t m_element;
    IDialogs& m_dialogs;
    CommandList m_commands;
    std::string m_funktionText; // the text of the last press command chosen

public:
    // The controls a rejected OK sends the focus back to.
    enum class Field { txtBezeichnung, cboFunktion, txtRepeat, cboLos, cboFunktion2 };

    KnopfDialog(ZusiButton& knopf, int16_t element, IDialogs& dialogs);
    KnopfDialog(const KnopfDialog&) = delete;
    KnopfDialog& operator=(const KnopfDialog&) = delete;

    // "Knopf 7 konfigurieren".
    std::string title() const;
    // The entries of all three command lists ("<Nicht definiert>" first).
    const CommandList& commands() const { return m_commands; }

    // The fields as the user edits them; filled from the button when the dialog opens.
    std::string Bezeichnung;
    CommandChoice Funktion;
    CommandChoice Los;
    CommandChoice Funktion2;
    bool Halten = false;
    bool Shift = false;
    std::string Repeat;

    // OK: nullopt when the button was written (the dialog closes); otherwise the message
    // has been shown and the field to focus is returned, and nothing was written.
    std::optional<Field> ok();
    // "&Löschen": the button is no longer assigned.
    void loeschen();
    // After the press command changed: a name that is still the previous command's text,
    // or empty, becomes the new command's text. True when the name changed.
    bool offerBezeichnung();

    // The whole number a repeat field holds: digits only, surrounding blanks allowed;
    // nullopt for anything else, so "" or "abc" never silently become "no repeat".
    static std::optional<int32_t> repeatValue(const std::string& text);
};

} // namespace kordan
