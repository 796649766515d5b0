#include "dialogs/KnopfDialog.h"

#include "common/Dialogs.h"
#include "profile/ZusiButton.h"
#include "send/Catalogue.h"

#include <limits>

namespace kordan {

namespace {

constexpr const char* kInvalidFunction = "Bitte gültige Funktion wählen";

} // namespace

KnopfDialog::KnopfDialog(ZusiButton& knopf, int16_t element, IDialogs& dialogs)
    : m_knopf(knopf), m_element(element), m_dialogs(dialogs),
      m_commands(CommandList::singleCommands("<Nicht definiert>")),
      Funktion(m_commands, knopf.Press), Los(m_commands, knopf.Release),
      Funktion2(m_commands, knopf.press2) {
    Bezeichnung = knopf.Bezeichnung;
    Halten = knopf.Hold == 1;
    Shift = knopf.Shift == 1;
    Repeat = std::to_string(knopf.Repeat);
    m_funktionText = befehlstext(knopf.Press);
}

bool KnopfDialog::offerBezeichnung() {
    // Typed text that names no command, and "<Nicht definiert>", offer nothing.
    const std::string text = Funktion.valid() ? befehlstext(Funktion.code()) : "";
    if (text.empty() || text == m_funktionText)
        return false;
    const bool offer = Bezeichnung.empty() || Bezeichnung == m_funktionText;
    m_funktionText = text;
    if (offer)
        Bezeichnung = text;
    return offer;
}

std::string KnopfDialog::title() const {
    return "Knopf " + std::to_string(m_element) + " konfigurieren";
}

std::optional<int32_t> KnopfDialog::repeatValue(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    int64_t value = 0;
    for (size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max())
            return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<KnopfDialog::Field> KnopfDialog::ok() {
    if (Bezeichnung.empty()) {
        m_dialogs.message("Bitte Bezeichnung eingeben", MsgButtons::Ok, MsgIcon::Exclamation,
                          "Unvollständig");
        return Field::txtBezeichnung;
    }
    if (!Funktion.valid()) {
        m_dialogs.message(kInvalidFunction);
        return Field::cboFunktion;
    }
    const std::optional<int32_t> repeat = repeatValue(Repeat);
    if (!repeat) {
        m_dialogs.message("Bitte für Autorepeat eine ganze Zahl ab 0 eingeben (0 = Kein)",
                          MsgButtons::Ok, MsgIcon::Exclamation, "Ungültiger Wert");
        return Field::txtRepeat;
    }
    if (!Los.valid()) {
        m_dialogs.message(kInvalidFunction);
        return Field::cboLos;
    }
    if (!Funktion2.valid()) {
        m_dialogs.message(kInvalidFunction);
        return Field::cboFunktion2;
    }

    m_knopf.Bezeichnung = Bezeichnung;
    m_knopf.Press = Funktion.code();
    m_knopf.press2 = Funktion2.code();
    m_knopf.Release = Los.code();
    m_knopf.Shift = Shift ? 1 : 0;
    m_knopf.Hold = Halten ? 1 : 0;
    m_knopf.Repeat = *repeat;
    m_knopf.Defined = true;
    return std::nullopt;
}

void KnopfDialog::loeschen() {
    m_knopf.Bezeichnung.clear();
    m_knopf.Defined = false;
    m_knopf.Hold = 0;
    m_knopf.Press = 0;
    m_knopf.Release = 0;
    m_knopf.Repeat = 0;
    m_knopf.Shift = 0;
    m_knopf.press2 = 0;
}

} // namespace kordan
