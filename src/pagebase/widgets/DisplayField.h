#pragma once

#include <QLabel>

namespace trx {

// A value the page shows but nobody may change: it looks like a read-only line edit (bordered,
// centred, on the base colour), takes no focus and no text input, and tells assistive technology
// that it is read-only text whose value is what it shows. A read-only QLineEdit is not enough:
// its accessibility interface still accepts text.
class DisplayField final : public QLabel {
    Q_OBJECT
  public:
    explicit DisplayField(QWidget* parent = nullptr);
};

}  // namespace trx
