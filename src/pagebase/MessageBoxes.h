#pragma once

#include <QString>

namespace trx {

// The one way pages talk to the operator in message boxes. The product shows real boxes; tests
// put a scripted fake in its place and read back every text, caption, icon and answer.
class MessageBoxes {
  public:
    enum class Icon { None, Error, Warning, Information };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~MessageBoxes() = default;

    virtual Answer show(const QString& text, const QString& caption, Icon icon,
                        Buttons buttons) = 0;
};

// The caption of every message box for which no other caption is named: the program file's
// base name.
QString applicationCaption();

}  // namespace trx
