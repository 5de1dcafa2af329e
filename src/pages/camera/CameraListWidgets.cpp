#include "pages/camera/CameraListWidgets.h"

#include <QComboBox>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>

#include "pagebase/widgets/DisplayField.h"
#include "pagebase/widgets/PageControls.h"

namespace trx::camera_widgets {

QComboBox* makeList(const QString& name, const QString& objectName, QWidget* parent) {
    auto* combo = new GridComboBox(parent);
    combo->setObjectName(objectName);
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->setAccessibleName(name);
    combo->setAccessibleDescription(name);
    return combo;
}

DisplayField* makeDisplayField(const QString& name, const QString& objectName, QWidget* parent) {
    auto* field = new DisplayField(parent);
    field->setObjectName(objectName);
    field->setAccessibleName(name);
    return field;
}

// A radio button in its group's row.
QRadioButton* makeRadio(const QString& text, const QString& objectName, QWidget* group) {
    auto* radio = new QRadioButton(text, group);
    radio->setObjectName(objectName);
    radio->setAccessibleName(text);
    group->layout()->addWidget(radio);
    return radio;
}

// "CAMERA PORT NO" -> "cameraPortNoHeading".
QString headingName(const QString& text) {
    QString name;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        name += name.isEmpty() ? word.toLower() : word.left(1) + word.mid(1).toLower();
    }
    return name + QStringLiteral("Heading");
}

void fillList(QComboBox* combo, const std::vector<std::string>& entries) {
    // Most refreshes leave the lists as they were; refilling 38 lists each time costs more than
    // the exchange with the panel.
    bool same = combo->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < combo->count(); ++i) {
        same = combo->itemText(i) == QString::fromStdString(entries[static_cast<std::size_t>(i)]);
    }
    if (same) {
        return;
    }
    combo->clear();
    for (const std::string& entry : entries) {
        combo->addItem(QString::fromStdString(entry));
    }
}

}  // namespace trx::camera_widgets
