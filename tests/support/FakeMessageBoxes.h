#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "pagebase/MessageBoxes.h"

namespace trx::test {

// Records every message box a page shows and answers confirmations from a script. With the
// script empty, a confirmation is answered OK.
class FakeMessageBoxes final : public MessageBoxes {
  public:
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    Answer show(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;

    // Answers for the next confirmations, in order.
    void script(std::initializer_list<Answer> answers) {
        m_answers.insert(m_answers.end(), answers);
    }
    // Runs while a box is "open", e.g. to try a second operation from inside the first.
    void onShow(std::function<void(const Shown&)> hook) { m_hook = std::move(hook); }

    const std::vector<Shown>& shown() const { return m_shown; }
    std::vector<QString> texts() const;
    // Every box since the last call as "<icon number>: <text>", forgotten then.
    std::vector<std::string> takeTold();
    void clear() { m_shown.clear(); }

  private:
    std::vector<Shown> m_shown;
    std::deque<Answer> m_answers;
    std::function<void(const Shown&)> m_hook;
};

}  // namespace trx::test
