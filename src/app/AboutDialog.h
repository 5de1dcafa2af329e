#pragma once

#include <QDialog>

namespace trx {

// The program's name and version, opened from the main window's system menu.
class CAboutDlg final : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace trx
