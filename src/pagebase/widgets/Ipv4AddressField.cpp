#include "pagebase/widgets/Ipv4AddressField.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolTip>

#include <algorithm>

namespace trx {

namespace {

constexpr int kOctetCount = 4;
constexpr unsigned kOctetMax = 255;

// Reads a blank octet as 0; the validator keeps octets to three digits.
unsigned octetValue(const QString& text) {
    return text.isEmpty() ? 0U : text.toUInt();
}

}  // namespace

// Watches the octets' keys and focus for the address field; a separate object so that the
// field's public interface stays free of an event filter.
class Ipv4AddressField::OctetWatcher final : public QObject {
  public:
    explicit OctetWatcher(Ipv4AddressField& field) : QObject(&field), m_field(field) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const int index = m_field.octetIndexOf(watched);
        if (index < 0) {
            return false;
        }
        switch (event->type()) {
            case QEvent::KeyPress:
                return m_field.octetKeyPress(index, *static_cast<QKeyEvent*>(event));
            case QEvent::FocusIn:
                m_field.octetFocusIn(index);
                return false;
            case QEvent::FocusOut:
                m_field.octetFocusOut(index);
                return false;
            default:
                return false;
        }
    }

  private:
    Ipv4AddressField& m_field;
};

Ipv4AddressField::Ipv4AddressField(QWidget* parent) : QWidget(parent) {
    // One sunken white box holds the four octets and their dots, so the field reads as a
    // single edit in the dense tables.
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("addressBox"));
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);

    const QFontMetrics metrics(font());
    const int octetWidth = metrics.horizontalAdvance(QStringLiteral("000")) + 6;
    m_watcher = new OctetWatcher(*this);
    const QRegularExpression digits(QStringLiteral("[0-9]{0,3}"));
    for (int i = 0; i < kOctetCount; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), box);
            dot->setAlignment(Qt::AlignCenter);
            dot->setFixedWidth(metrics.horizontalAdvance(QLatin1Char('.')) + 2);
            row->addWidget(dot);
        }
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QStringLiteral("octet%1Edit").arg(i + 1));
        edit->setFrame(false);
        edit->setMaxLength(3);
        edit->setAlignment(Qt::AlignCenter);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setFixedWidth(octetWidth);
        edit->setValidator(new QRegularExpressionValidator(digits, edit));
        // The field is one stop in the form's Tab order, as a single edit would be; the
        // octets behind the first are reached by ".", three digits, the arrows or the mouse.
        edit->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        edit->installEventFilter(m_watcher);
        connect(edit, &QLineEdit::textEdited, this,
                [this, i](const QString& text) { octetEdited(i, text); });
        row->addWidget(edit);
        m_octets[static_cast<std::size_t>(i)] = edit;
    }
    setFocusProxy(m_octets[0]);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(box->sizeHint().width(), std::max(22, metrics.height() + 6));
}

Ipv4AddressField::~Ipv4AddressField() {
    // The octets still send focus and hide events while the base class deletes them, when
    // this object is no address field any more.
    delete m_watcher;
}

void Ipv4AddressField::setAddress(PanelAddress address) {
    const auto octets = addressOctets(address);
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const QString text = QString::number(octets[i]);
        if (m_octets[i]->text() != text) {
            m_octets[i]->setText(text);
        }
    }
}

PanelAddress Ipv4AddressField::address() const {
    std::array<std::uint8_t, 4> octets{};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        // An octet a page set directly past 255 still reads as an octet.
        octets[i] = static_cast<std::uint8_t>(std::min(octetValue(m_octets[i]->text()), kOctetMax));
    }
    return makeAddress(octets[0], octets[1], octets[2], octets[3]);
}

void Ipv4AddressField::clear() {
    for (QLineEdit* edit : m_octets) {
        edit->clear();
    }
}

bool Ipv4AddressField::isBlank() const {
    return std::all_of(m_octets.begin(), m_octets.end(),
                       [](const QLineEdit* edit) { return edit->text().isEmpty(); });
}

void Ipv4AddressField::setFieldName(const QString& name) {
    setAccessibleName(name);
    for (int i = 0; i < kOctetCount; ++i) {
        octetEdit(i)->setAccessibleName(QStringLiteral("%1 octet %2").arg(name).arg(i + 1));
    }
}

QLineEdit* Ipv4AddressField::octetEdit(int index) const {
    return m_octets.at(static_cast<std::size_t>(index));
}

int Ipv4AddressField::octetIndexOf(const QObject* object) const {
    for (int i = 0; i < kOctetCount; ++i) {
        if (m_octets[static_cast<std::size_t>(i)] == object) {
            return i;
        }
    }
    return -1;
}

void Ipv4AddressField::octetEdited(int index, const QString& text) {
    QLineEdit* edit = octetEdit(index);
    const unsigned typed = octetValue(text);
    if (typed > kOctetMax) {
        edit->setText(QString::number(kOctetMax));
        edit->selectAll();
        QToolTip::showText(
            edit->mapToGlobal(QPoint(0, edit->height())),
            tr("%1 is not a valid entry. Please specify a value between 0 and 255.").arg(typed),
            edit);
        Q_EMIT octetCorrected(index, static_cast<int>(typed));
        Q_EMIT fieldChanged(index);
        return;
    }
    Q_EMIT fieldChanged(index);
    if (text.size() == 3 && edit->cursorPosition() == 3 && index + 1 < kOctetCount) {
        moveToOctet(index + 1, Qt::OtherFocusReason);
        octetEdit(index + 1)->selectAll();
    }
}

bool Ipv4AddressField::octetKeyPress(int index, const QKeyEvent& event) {
    QLineEdit* edit = octetEdit(index);
    const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
    switch (event.key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // As in the classic control, a separator in an empty octet is ignored, so a
            // doubled "." does not skip an octet.
            if (!edit->text().isEmpty() && index + 1 < kOctetCount) {
                moveToOctet(index + 1, Qt::OtherFocusReason);
                octetEdit(index + 1)->selectAll();
            }
            return true;
        case Qt::Key_Backspace:
            if (atStart && index > 0) {
                moveToOctet(index - 1, Qt::OtherFocusReason);
                octetEdit(index - 1)->end(false);
                return true;
            }
            return false;
        case Qt::Key_Left:
            if (atStart && index > 0 && event.modifiers() == Qt::NoModifier) {
                moveToOctet(index - 1, Qt::OtherFocusReason);
                octetEdit(index - 1)->end(false);
                return true;
            }
            return false;
        case Qt::Key_Right:
            if (atEnd && index + 1 < kOctetCount && event.modifiers() == Qt::NoModifier) {
                moveToOctet(index + 1, Qt::OtherFocusReason);
                octetEdit(index + 1)->home(false);
                return true;
            }
            return false;
        case Qt::Key_Backtab:
            // Only the first octet is in the Tab order; leave the field from whichever octet.
            if (index > 0) {
                leaveBackwards();
                return true;
            }
            return false;
        default:
            return false;
    }
}

void Ipv4AddressField::octetFocusIn(int index) {
    if (m_octetLeft >= 0 && m_octetLeft != index) {
        const int left = m_octetLeft;
        m_octetLeft = -1;
        Q_EMIT fieldChanged(left);
    }
    m_octetLeft = -1;
}

void Ipv4AddressField::octetFocusOut(int index) {
    // The new focus widget is already set while the old one hears of the loss.
    const int next = octetIndexOf(QApplication::focusWidget());
    m_octetLeft = next >= 0 && next != index ? index : -1;
}

void Ipv4AddressField::moveToOctet(int index, Qt::FocusReason reason) {
    octetEdit(index)->setFocus(reason);
}

void Ipv4AddressField::leaveBackwards() {
    QWidget* candidate = m_octets[0]->previousInFocusChain();
    while (candidate != nullptr && candidate != m_octets[0]) {
        if ((candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && candidate->isEnabled() &&
            candidate->isVisibleTo(window()) && candidate->focusProxy() == nullptr &&
            octetIndexOf(candidate) < 0) {
            candidate->setFocus(Qt::BacktabFocusReason);
            return;
        }
        candidate = candidate->previousInFocusChain();
    }
}

}  // namespace trx
