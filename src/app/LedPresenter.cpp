#include "app/LedPresenter.h"

#include "app/LedDigits.h"
#include "device/Reports.h"

namespace kordan {

OutputReport LedPresenter::sign(uint8_t right, uint8_t middle, uint8_t left) {
    m_lastSpeedText.clear();
    m_lastKmText.clear();
    return displayReport(right, middle, left);
}

OutputReport LedPresenter::blank() {
    return sign(0, 0, 0);
}

OutputReport LedPresenter::dashes() {
    return sign(0x40, 0x40, 0x40);
}

OutputReport LedPresenter::missingProfile() {
    return sign(0x78, 0x5C, 0x38);
}

std::optional<OutputReport> LedPresenter::refresh(const ValueReader& read) {
    if (!m_active)
        return blank();
    if (m_simMissing || m_heldBack)
        return dashes();
    if (m_choice == 0)
        return blank();
    if (m_choice == 1) {
        std::string s = SpeedText(read("km/h"));
        if (s == m_lastSpeedText)
            return std::nullopt;
        Digits d = SpeedDigits(s);
        m_lastSpeedText = s;
        return displayReport(d.right, d.middle, d.left);
    }
    if (m_choice == 2) {
        std::string s = KmText(read("km"));
        if (!s.empty() && s[0] == '-')
            s.erase(0, 1);
        if (s == m_lastKmText)
            return std::nullopt;
        Digits d = KmDigits(s);
        m_lastKmText = s;
        return displayReport(d.right, d.middle, d.left);
    }
    return std::nullopt;
}

} // namespace kordan
