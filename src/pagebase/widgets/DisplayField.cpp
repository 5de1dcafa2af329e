#include "pagebase/widgets/DisplayField.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace trx {

namespace {

class DisplayFieldAccessible final : public QAccessibleWidget {
  public:
    explicit DisplayFieldAccessible(DisplayField* field)
        : QAccessibleWidget(field, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return static_cast<const DisplayField*>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        s.focusable = false;
        return s;
    }
};

QAccessibleInterface* displayFieldFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("trx::DisplayField") && object->isWidgetType()) {
        return new DisplayFieldAccessible(static_cast<DisplayField*>(object));
    }
    return nullptr;
}

}  // namespace

DisplayField::DisplayField(QWidget* parent) : QLabel(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(displayFieldFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
}

}  // namespace trx
