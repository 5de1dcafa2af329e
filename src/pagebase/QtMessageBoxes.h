#pragma once

#include "pagebase/MessageBoxes.h"

class QWidget;

namespace trx {

// Real message boxes, modal to the given window.
class QtMessageBoxes final : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer show(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;

  private:
    QWidget* m_parent;
};

}  // namespace trx
