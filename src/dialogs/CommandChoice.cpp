#include "dialogs/CommandChoice.h"

namespace kordan {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

} // namespace

int findCommandEntry(const CommandList& list, std::string_view text) {
    text = trimmed(text);
    const auto& texts = list.texts();
    for (size_t i = 0; i < texts.size(); ++i)
        if (sameText(texts[i], text))
            return static_cast<int>(i);
    return -1;
}

CommandChoice::CommandChoice(const CommandList& list, int32_t storedCode)
    : m_list(&list), m_stored(storedCode) {
    const int found = list.indexOf(storedCode);
    m_index = found < 0 ? 0 : found;
}

void CommandChoice::pick(int index) {
    m_index = (index >= 0 && index < m_list->size()) ? index : -1;
    m_touched = true;
}

void CommandChoice::type(std::string_view text) {
    const int found = findCommandEntry(*m_list, text);
    if (!m_touched && found == m_index)
        return;
    m_index = found;
    m_touched = true;
}

int32_t CommandChoice::code() const {
    if (!m_touched || m_index < 0)
        return m_stored;
    return m_list->codeAt(m_index);
}

} // namespace kordan
