#include "support/FakeMessageBoxes.h"

namespace trx::test {

MessageBoxes::Answer FakeMessageBoxes::show(const QString& text, const QString& caption, Icon icon,
                                            Buttons buttons) {
    m_shown.push_back({text, caption, icon, buttons});
    if (buttons == Buttons::Ok || m_answers.empty()) {
        return Answer::Ok;
    }
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

Told FakeMessageBoxes::told() {
    static const char* const kIcons[] = {"Box", "Error", "Warning", "Info"};
    Told lines;
    for (const Shown& box : m_shown) {
        std::string line = kIcons[static_cast<int>(box.icon)];
        if (box.caption != applicationCaption()) {
            line += '[' + box.caption.toStdString() + ']';
        }
        line += box.buttons == Buttons::OkCancel ? "?: " : ": ";
        lines.push_back(line + box.text.toStdString());
    }
    m_shown.clear();
    return lines;
}

}  // namespace trx::test
