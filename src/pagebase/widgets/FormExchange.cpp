#include "pagebase/widgets/FormExchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <limits>
#include <optional>

#include "pagebase/MessageBoxes.h"
#include "pagebase/widgets/DisplayField.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "records/TargetSelection.h"

namespace trx {

namespace {

// Loading rewrites every field of a page; a field whose text stands already keeps its caret and
// costs no relayout.
void setTextIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}

// Digits only, blanks around them allowed; a number past the unsigned range is not a number
// the field can hold, so it is refused rather than wrapped.
std::optional<unsigned> parseUnsigned(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    unsigned long long value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10U + static_cast<unsigned long long>(c.unicode() - u'0');
        if (value > std::numeric_limits<unsigned>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<unsigned>(value);
}

}  // namespace

FormExchange::FormExchange(Direction direction, MessageBoxes& messages)
    : m_direction(direction), m_messages(messages) {}

void FormExchange::display(DisplayField* field, const QString& value) {
    if (!saving() && field->text() != value) {
        field->setText(value);
    }
}

void FormExchange::text(QLineEdit* edit, QString& value, int maxChars) {
    if (!saving()) {
        if (maxChars > 0) {
            edit->setMaxLength(maxChars);
        }
        setTextIfChanged(edit, value);
        return;
    }
    if (skip()) {
        return;
    }
    const QString entered = edit->text();
    if (maxChars > 0 && entered.size() > maxChars) {
        fail(edit, QStringLiteral("Please enter no more than %1 characters.").arg(maxChars));
        return;
    }
    value = entered;
}

void FormExchange::unsignedNumber(QLineEdit* edit, unsigned& value) {
    if (!saving()) {
        setTextIfChanged(edit, QString::number(value));
        return;
    }
    if (skip()) {
        return;
    }
    const std::optional<unsigned> entered = parseUnsigned(edit->text());
    if (!entered) {
        fail(edit, QStringLiteral("Please enter a positive integer."));
        return;
    }
    value = *entered;
}

void FormExchange::unsignedInRange(QLineEdit* edit, unsigned& value, unsigned min, unsigned max) {
    unsigned entered = value;
    unsignedNumber(edit, entered);
    if (!saving() || m_failed) {
        return;
    }
    if (entered < min || entered > max) {
        fail(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max));
        return;
    }
    value = entered;
}

void FormExchange::comboIndex(QComboBox* combo, int& index) {
    if (!saving()) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        return;
    }
    if (skip()) {
        return;
    }
    index = combo->currentIndex();
}

void FormExchange::radioGroup(std::initializer_list<QAbstractButton*> buttons, int& value) {
    if (!saving()) {
        int position = 0;
        for (QAbstractButton* button : buttons) {
            // An exclusive button cannot be unchecked directly; the group may show none.
            const bool exclusive = button->autoExclusive();
            button->setAutoExclusive(false);
            button->setChecked(position == value);
            button->setAutoExclusive(exclusive);
            ++position;
        }
        return;
    }
    if (skip()) {
        return;
    }
    int position = 0;
    for (const QAbstractButton* button : buttons) {
        if (button->isChecked()) {
            value = position;
            return;
        }
        ++position;
    }
}

void FormExchange::address(Ipv4AddressField* field, PanelAddress& value) {
    if (!saving()) {
        field->setAddress(value);
        return;
    }
    if (skip()) {
        return;
    }
    value = field->address();
}

void FormExchange::selector(QComboBox* combo, TargetSelection& selection) {
    if (!saving()) {
        const int position = selection.selectorPosition();
        combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
        return;
    }
    if (skip()) {
        return;
    }
    selection.setSelectorPosition(combo->currentIndex());
}

void FormExchange::fail(QWidget* field, const QString& text) {
    m_failed = true;
    m_messages.show(text, applicationCaption(), MessageBoxes::Icon::Warning,
                    MessageBoxes::Buttons::Ok);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->selectAll();
    }
}

}  // namespace trx
