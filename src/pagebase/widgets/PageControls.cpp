#include "pagebase/widgets/PageControls.h"

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
