#pragma once

#include <QComboBox>

#include <initializer_list>

class QKeyEvent;
class QPushButton;

namespace trx {

// A drop-down list in a dense grid: the wheel scrolls the page unless the list has the focus, so
// that rolling over a table never changes a row by accident.
class GridComboBox final : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;

  protected:
    void wheelEvent(QWheelEvent* event) override;
};

// A page's push button, named for tests and assistive technology by its caption (a caption on
// two lines reads as one). It never acts as a default button, so Enter does not press it.
QPushButton* makePageButton(const QString& caption, const QString& objectName, QWidget* parent);

// A row of page buttons, right-aligned, each 100 pixels wide.
QWidget* makeButtonRow(std::initializer_list<QPushButton*> buttons, QWidget* parent);

// Enter, Return and Escape: the keys on which a dialog would close. Pages and the main window
// swallow them, so a stray key never throws away an operator's edits.
bool isDialogClosingKey(const QKeyEvent* event);

}  // namespace trx
