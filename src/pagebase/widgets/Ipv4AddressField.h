#pragma once

#include <QWidget>

#include <array>

#include "wire/PanelAddress.h"

class QKeyEvent;
class QLineEdit;

namespace trx {

// A classic four-octet address control. Blank octets read as 0, and a cleared field (all four
// blank) is distinct from one showing 0.0.0.0. Typing "." or a third digit moves to the next
// octet; Backspace in an empty octet moves back; an octet above 255 is corrected to 255 and the
// user is told so beside the field.
class Ipv4AddressField final : public QWidget {
    Q_OBJECT
  public:
    explicit Ipv4AddressField(QWidget* parent = nullptr);
    ~Ipv4AddressField() override;

    // Shows all four octets.
    void setAddress(PanelAddress address);
    // Blank octets read as 0.
    PanelAddress address() const;
    // Blanks all four octets.
    void clear();
    // True when all four octets are blank.
    bool isBlank() const;

    // Names the field for people and tests ("C03 IP ADDRESS"); its octets are named
    // "<name> octet 1" to "<name> octet 4".
    void setFieldName(const QString& name);

    QLineEdit* octetEdit(int index) const;

  Q_SIGNALS:
    // The user changed an octet's value, or moved the focus from one octet to another.
    // Changes made through setAddress or clear do not notify.
    void fieldChanged(int octetIndex);
    // An octet typed above 255 was corrected to 255.
    void octetCorrected(int octetIndex, int typedValue);

  private:
    class OctetWatcher;

    int octetIndexOf(const QObject* object) const;
    void octetEdited(int index, const QString& text);
    // True when the key was taken by the field.
    bool octetKeyPress(int index, const QKeyEvent& event);
    void octetFocusIn(int index);
    void octetFocusOut(int index);
    void moveToOctet(int index, Qt::FocusReason reason);
    void leaveBackwards();

    std::array<QLineEdit*, 4> m_octets{};
    OctetWatcher* m_watcher = nullptr;
    // The octet that just lost the focus to another octet of this field, or -1.
    int m_octetLeft = -1;
};

}  // namespace trx
