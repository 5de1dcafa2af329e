#pragma once

#include <QString>

#include <deque>
#include <string>
#include <vector>

#include "pagebase/MessageBoxes.h"

namespace trx::test {

using Told = std::vector<std::string>;

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
    // The boxes shown since the last call, one line each: the icon ("Box" for none), the caption
    // in brackets unless it is the application's, "?" for OK and Cancel, then the text:
    // "Error: No Connect!!", "Box[Status]: Write OK", "Warning?: Do you agree ...".
    Told told();
    const std::vector<Shown>& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

  private:
    std::vector<Shown> m_shown;
    std::deque<Answer> m_answers;
};

}  // namespace trx::test
