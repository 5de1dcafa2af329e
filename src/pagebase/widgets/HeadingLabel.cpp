#include "pagebase/widgets/HeadingLabel.h"

namespace trx {

HeadingLabel::HeadingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette colours = palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Window, QColor(0, 0, 255));
        colours.setColor(group, QPalette::WindowText, Qt::white);
    }
    setPalette(colours);
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);
    setAutoFillBackground(true);
    setAccessibleName(text);
}

}  // namespace trx
