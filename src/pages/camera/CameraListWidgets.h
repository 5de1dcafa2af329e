#pragma once

#include <QString>

#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QRadioButton;
class QWidget;

namespace trx {
class DisplayField;
}

// The Camera List page's controls, each named for people and tests as it is made.
namespace trx::camera_widgets {

// A drop-down list that ignores the mouse wheel unless it has the focus.
QComboBox* makeList(const QString& name, const QString& objectName, QWidget* parent);
// A bordered, centred text field that shows a value and takes no input.
DisplayField* makeDisplayField(const QString& name, const QString& objectName, QWidget* parent);
// A radio button added to its group's row.
QRadioButton* makeRadio(const QString& text, const QString& objectName, QWidget* group);
// "CAMERA PORT NO" -> "cameraPortNoHeading".
QString headingName(const QString& text);
// Replaces a list's entries; the selection is left to the caller.
void fillList(QComboBox* combo, const std::vector<std::string>& entries);

}  // namespace trx::camera_widgets
