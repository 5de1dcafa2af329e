#pragma once

#include <QString>

#include <initializer_list>

#include "wire/PanelAddress.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace trx {

class DisplayField;
class Ipv4AddressField;
class MessageBoxes;
class TargetSelection;

// A page's one form routine moves all of its values at once, in one direction: load (members
// into controls, the page's loadForm) or save (controls back into members, with validation, the
// page's saveForm). A save that meets a field it cannot take shows the standard validation text
// with a warning icon, focuses the field and stops: that field and every later one keep their
// member values.
//
//   void Page::exchangeForm(FormExchange& fx) {
//       fx.selector(m_selector, m_context.selection);
//       fx.unsignedInRange(m_portEdit, m_port, 35200, 35599);
//   }
class FormExchange {
  public:
    enum class Direction { Load, Save };

    FormExchange(Direction direction, MessageBoxes& messages);

    bool saving() const { return m_direction == Direction::Save; }
    // True once a save has stopped at a field.
    bool failed() const { return m_failed; }

    // Plain text; on load the field is limited to maxChars (when above 0), on save a longer
    // text fails with "Please enter no more than %1 characters.".
    void text(QLineEdit* edit, QString& value, int maxChars = 0);
    // A value that is only shown: load shows it, save leaves it, since nobody can change it.
    void display(DisplayField* field, const QString& value);
    // An unsigned decimal number; on save anything else fails with
    // "Please enter a positive integer.".
    void unsignedNumber(QLineEdit* edit, unsigned& value);
    // As unsignedNumber, then outside min..max fails with
    // "Please enter an integer between %1 and %2.".
    void unsignedInRange(QLineEdit* edit, unsigned& value, unsigned min, unsigned max);
    // A list's entry number; on load an entry outside the list selects nothing (-1).
    void comboIndex(QComboBox* combo, int& index);
    // A radio group's checked button as 0, 1, ...; on load a value outside the group checks
    // nothing, on save a group with nothing checked leaves the value.
    void radioGroup(std::initializer_list<QAbstractButton*> buttons, int& value);
    // An address field; blank octets save as 0.
    void address(Ipv4AddressField* field, PanelAddress& value);
    // The page's target selector and the shared selected position: load selects the position,
    // save takes the selector's position (the current target stays).
    void selector(QComboBox* combo, TargetSelection& selection);

  private:
    bool skip() const { return m_direction == Direction::Save && m_failed; }
    void fail(QWidget* field, const QString& text);

    Direction m_direction;
    MessageBoxes& m_messages;
    bool m_failed = false;
};

}  // namespace trx
