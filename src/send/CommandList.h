#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kordan {

// A selection list of commands as the editors show it: entry 0 stands for code 0 under a
// caption the editor chooses, the further entries are the catalogue texts of one range of
// codes, in ascending code order, without the codes that have no text.
class CommandList {
public:
    // Codes 1-45 (44 entries after entry 0; code 5 has no text).
    static CommandList singleCommands(std::string captionForNone);
    // Codes 1000-1003 (4 entries after entry 0).
    static CommandList regulatorCommands(std::string captionForNone);

    const std::vector<std::string>& texts() const { return m_texts; }
    int size() const { return static_cast<int>(m_codes.size()); }

    // The code of list position `index`; 0 for a position outside the list.
    int32_t codeAt(int index) const;
    // The list position of `code`, or -1 when the list does not offer it.
    int indexOf(int32_t code) const;

private:
    CommandList(std::string captionForNone, int32_t first, int32_t last);

    std::vector<std::string> m_texts;
    std::vector<int32_t> m_codes;
};

} // namespace kordan
