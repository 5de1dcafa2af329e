#include "pagebase/widgets/PageControls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QWheelEvent>

namespace trx {

void GridComboBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

QPushButton* makePageButton(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAccessibleName(QString(caption).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    button->setAutoDefault(false);
    return button;
}

QWidget* makeButtonRow(std::initializer_list<QPushButton*> buttons, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    for (QPushButton* button : buttons) {
        button->setFixedWidth(100);
        layout->addWidget(button);
    }
    return row;
}

bool isDialogClosingKey(const QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            return false;
    }
}

}  // namespace trx
