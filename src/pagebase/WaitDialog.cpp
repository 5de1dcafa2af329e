#include "pagebase/WaitDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace trx {

Wait_Dialog::Wait_Dialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("waitDialog"));
    setWindowTitle(QStringLiteral("TRX900Tool"));
    setModal(false);
    auto* line = new QLabel(QStringLiteral("Please wait for a few minutes."), this);
    line->setObjectName(QStringLiteral("waitLabel"));
    line->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 24, 36, 24);
    layout->addWidget(line);
    setFixedSize(sizeHint().expandedTo(QSize(280, 80)));
}

void Wait_Dialog::showEvent(QShowEvent* event) {
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void Wait_Dialog::keyPressEvent(QKeyEvent* event) {
    // Escape would reject the dialog; the registration it stands for cannot be stopped.
    event->accept();
}

void Wait_Dialog::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace trx
