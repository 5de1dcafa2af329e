#include "support/FakeMessageBoxes.h"

namespace trx::test {

MessageBoxes::Answer FakeMessageBoxes::show(const QString& text, const QString& caption, Icon icon,
                                            Buttons buttons) {
    m_shown.push_back({text, caption, icon, buttons});
    if (m_hook) {
        m_hook(m_shown.back());
    }
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    if (m_answers.empty()) {
        return Answer::Ok;
    }
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<QString> FakeMessageBoxes::texts() const {
    std::vector<QString> result;
    result.reserve(m_shown.size());
    for (const Shown& s : m_shown) {
        result.push_back(s.text);
    }
    return result;
}

std::vector<std::string> FakeMessageBoxes::takeTold() {
    std::vector<std::string> told;
    for (const Shown& s : m_shown) {
        told.push_back(std::to_string(static_cast<int>(s.icon)) + ": " + s.text.toStdString());
    }
    m_shown.clear();
    return told;
}

}  // namespace trx::test
