#include "app/Scenario.h"

#include "device/VirtualController.h"

#include <cctype>
#include <charconv>
#include <sstream>

namespace kordan {

namespace {

// A whole number written with digits only, within [lo, hi].
bool parseInt(const std::string& word, int lo, int hi, int& out) {
    int v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty() || word[0] == '+' ||
        word[0] == '-')
        return false;
    if (v < lo || v > hi)
        return false;
    out = v;
    return true;
}

} // namespace

std::variant<std::vector<ScenarioStep>, ScenarioError> parseScenario(std::string_view text) {
    std::vector<ScenarioStep> steps;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        // A file name may hold blanks: it is the rest of the line.
        std::string_view rest = line;
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
            rest.remove_suffix(1);
        if (rest.starts_with("load ") || rest.starts_with("load\t")) {
            std::string_view file = rest.substr(5);
            while (!file.empty() && (file.front() == ' ' || file.front() == '\t'))
                file.remove_prefix(1);
            steps.push_back({ScenarioStep::Kind::Load, 0, 0, lineNo, std::string(file)});
            continue;
        }
        std::istringstream in{std::string(line)};
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        if (words.empty())
            continue;
        ScenarioStep step{ScenarioStep::Kind::Wait, 0, 0, lineNo, {}};
        const std::string& verb = words[0];
        bool ok = false;
        std::string expected;
        if (verb == "lever") {
            step.kind = ScenarioStep::Kind::Lever;
            expected = "lever I RAW (I 1-7, RAW 0-255)";
            ok = words.size() == 3 && parseInt(words[1], 1, 7, step.a) &&
                 parseInt(words[2], 0, 255, step.b);
        } else if (verb == "press" || verb == "release") {
            step.kind = verb == "press" ? ScenarioStep::Kind::Press : ScenarioStep::Kind::Release;
            expected = verb + " K (K 1-44)";
            ok = words.size() == 2 && parseInt(words[1], 1, 44, step.a);
        } else if (verb == "wait") {
            step.kind = ScenarioStep::Kind::Wait;
            expected = "wait MS (MS 0-86400000)";
            ok = words.size() == 2 && parseInt(words[1], 0, 86400000, step.a);
        } else if (verb == "load") {
            expected = "load FILE";
        } else if (verb == "mode") {
            step.kind = ScenarioStep::Kind::Mode;
            expected = "mode test|active";
            ok = words.size() == 2 && (words[1] == "test" || words[1] == "active");
            step.a = ok && words[1] == "active" ? 1 : 0;
        } else if (verb == "unplug" || verb == "replug") {
            // The panel's Trennen and Verbinden: the one way a controller goes and comes.
            step.kind = verb == "unplug" ? ScenarioStep::Kind::Unplug : ScenarioStep::Kind::Replug;
            expected = verb;
            ok = words.size() == 1;
        } else {
            return ScenarioError{lineNo, "unbekannte Anweisung \"" + verb + "\""};
        }
        if (!ok)
            return ScenarioError{lineNo, "erwartet: " + expected};
        steps.push_back(step);
    }
    return steps;
}

void applyStep(const ScenarioStep& s, const ScenarioTarget& target) {
    switch (s.kind) {
    case ScenarioStep::Kind::Lever:
        target.controller.setLever(s.a, static_cast<uint8_t>(s.b));
        break;
    case ScenarioStep::Kind::Press:
    case ScenarioStep::Kind::Release:
        target.controller.setButton(s.a, s.kind == ScenarioStep::Kind::Press);
        break;
    case ScenarioStep::Kind::Unplug:
    case ScenarioStep::Kind::Replug:
        target.controller.setPlugged(s.kind == ScenarioStep::Kind::Replug);
        break;
    case ScenarioStep::Kind::Load:
        target.load(s.file);
        break;
    case ScenarioStep::Kind::Mode:
        target.mode(s.a == 1);
        break;
    case ScenarioStep::Kind::Wait:
        break;
    }
}

bool ScenarioPlayer::run(uint64_t elapsedMs) {
    while (m_next < m_steps.size() && elapsedMs >= m_due) {
        const ScenarioStep& s = m_steps[m_next++];
        if (s.kind == ScenarioStep::Kind::Wait)
            m_due += static_cast<uint64_t>(s.a);
        else
            applyStep(s, m_target);
    }
    return m_next < m_steps.size() || elapsedMs < m_due;
}

} // namespace kordan
