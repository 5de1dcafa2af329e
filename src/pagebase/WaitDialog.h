#pragma once

#include <QDialog>

namespace trx {

// The modeless window that asks the operator to be patient while the ROP List page registers
// its list with every panel in turn. It has no buttons and cannot be closed by the operator;
// its owner shows and hides it.
class Wait_Dialog final : public QDialog {
    Q_OBJECT
  public:
    explicit Wait_Dialog(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace trx
