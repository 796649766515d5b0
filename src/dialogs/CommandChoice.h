#pragma once

#include "send/CommandList.h"

#include <cstdint>
#include <string_view>

namespace kordan {

// The entry of `list` whose text is `text` (surrounding blanks and ASCII case ignored);
// -1 when no entry has that text. Entries with equal texts resolve to the first.
int findCommandEntry(const CommandList& list, std::string_view text);

// One command list of an editor while it edits a stored command code. A stored code that
// the list does not offer is shown as entry 0, but it is kept until the user actually
// chooses something in that list: opening and confirming an editor must not wipe a code
// that only a newer program version (or a hand-edited file) knows.
class CommandChoice {
public:
    CommandChoice(const CommandList& list, int32_t storedCode);

    // The entry the list shows; -1 while typed text matches no entry.
    int index() const { return m_index; }
    bool valid() const { return m_index >= 0; }
    // True once the user picked an entry or typed a text that changed the selection.
    bool touched() const { return m_touched; }

    // The user picked entry `index` from the drop-down.
    void pick(int index);
    // The user typed: the selection follows the text. A text that names the entry already
    // shown is no change, so leaving an untouched list does not count as a choice.
    void type(std::string_view text);

    // The code to store: the stored one while untouched, else the selected entry's code.
    // Meaningful only while valid().
    int32_t code() const;

private:
    const CommandList* m_list;
    int32_t m_stored;
    int m_index;
    bool m_touched = false;
};

} // namespace kordan
