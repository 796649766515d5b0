#include "send/CommandList.h"

#include "send/Catalogue.h"
#include "send/ZusiSendKonstanten.h"

#include <algorithm>

namespace kordan {

namespace K = ZusiSendKonstanten;

CommandList::CommandList(std::string captionForNone, int32_t first, int32_t last) {
    m_texts.push_back(std::move(captionForNone));
    m_codes.push_back(K::KeinBefehl);
    for (int32_t code = first; code <= last; ++code) {
        std::string text = befehlstext(code);
        if (text.empty())
            continue;
        m_texts.push_back(std::move(text));
        m_codes.push_back(code);
    }
}

CommandList CommandList::singleCommands(std::string captionForNone) {
    return CommandList(std::move(captionForNone), K::ErsterEinzelbefehl, K::LetzterEinzelbefehl);
}

CommandList CommandList::regulatorCommands(std::string captionForNone) {
    return CommandList(std::move(captionForNone), K::ErsterRegelbefehl, K::LetzterRegelbefehl);
}

int32_t CommandList::codeAt(int index) const {
    if (index < 0 || index >= size())
        return K::KeinBefehl;
    return m_codes[static_cast<size_t>(index)];
}

int CommandList::indexOf(int32_t code) const {
    const auto found = std::find(m_codes.begin(), m_codes.end(), code);
    return found == m_codes.end() ? -1 : static_cast<int>(found - m_codes.begin());
}

} // namespace kordan
