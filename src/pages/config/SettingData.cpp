#include "pages/config/SettingData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "exchange/PanelExchange.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/SettingPageTexts.h"
#include "pagebase/widgets/FormExchange.h"
#include "pagebase/widgets/HeadingLabel.h"
#include "pagebase/widgets/PageControls.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "wire/Commands.h"

namespace trx {

namespace {

constexpr int kItemColumnWidth = 300;
constexpr int kDataColumnWidth = 200;
constexpr int kRowHeight = 26;

QComboBox* makeList(const QString& rowName, const QString& objectName, const QStringList& items,
                    QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->addItems(items);
    combo->setAccessibleName(rowName);
    combo->setAccessibleDescription(rowName);
    return combo;
}

// A radio pair in a box of its own, so that each pair is exclusive on its own.
QWidget* makeRadioPair(const QString& rowName, const QString& firstText,
                       const QString& firstObjectName, QRadioButton*& first,
                       const QString& secondText, const QString& secondObjectName,
                       QRadioButton*& second, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    first = new QRadioButton(firstText, box);
    second = new QRadioButton(secondText, box);
    first->setObjectName(firstObjectName);
    second->setObjectName(secondObjectName);
    first->setAccessibleName(rowName + QLatin1Char(' ') + firstText);
    second->setAccessibleName(rowName + QLatin1Char(' ') + secondText);
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch(1);
    return box;
}

}  // namespace

SettingData::SettingData(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("settingDataPage"));
    setFixedSize(kPageWidth, kPageHeight);
    buildForm();
    loadForm();
}

void SettingData::buildForm() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(12);
    page->addWidget(m_selector, 0, Qt::AlignLeft);

    auto* form = new QWidget(this);
    form->setObjectName(QStringLiteral("settingsForm"));
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    grid->setColumnMinimumWidth(0, kItemColumnWidth);
    grid->setColumnMinimumWidth(1, kDataColumnWidth);

    auto* itemHeading = new HeadingLabel(QStringLiteral("SETTING ITEM"), form);
    itemHeading->setObjectName(QStringLiteral("settingItemHeadingLabel"));
    auto* dataHeading = new HeadingLabel(QStringLiteral("DATA"), form);
    dataHeading->setObjectName(QStringLiteral("dataHeadingLabel"));
    itemHeading->setFixedHeight(kRowHeight);
    dataHeading->setFixedHeight(kRowHeight);
    grid->addWidget(itemHeading, 0, 0);
    grid->addWidget(dataHeading, 0, 1);

    const QString portRow = QStringLiteral("RECEIVE PORT");
    m_portEdit = new QLineEdit(form);
    m_portEdit->setObjectName(QStringLiteral("receivePortEdit"));
    m_portEdit->setAccessibleName(portRow);
    m_portEdit->setFixedWidth(100);

    const QStringList levels{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
    const QString ledRow = QStringLiteral("DISPLAY BRIGHTNESS LED");
    const QString segmentRow = QStringLiteral("DISPLAY BRIGHTNESS SEGMENT DISPLAY");
    m_ledCombo = makeList(ledRow, QStringLiteral("ledBrightnessCombo"), levels, form);
    m_segmentCombo = makeList(segmentRow, QStringLiteral("segmentBrightnessCombo"), levels, form);

    const QString buzzerRow = QStringLiteral("BUZZER");
    const QString flareRow = QStringLiteral("FLARE/PED");
    const QString tallyRow = QStringLiteral("TALLY ENABLE");
    const QString on = QStringLiteral("ON");
    const QString off = QStringLiteral("OFF");
    QWidget* buzzer = makeRadioPair(buzzerRow, on, QStringLiteral("buzzerOnRadio"), m_buzzerOnRadio,
                                    off, QStringLiteral("buzzerOffRadio"), m_buzzerOffRadio, form);
    QWidget* flarePed =
        makeRadioPair(flareRow, QStringLiteral("FLARE"), QStringLiteral("flareRadio"), m_flareRadio,
                      QStringLiteral("PED"), QStringLiteral("pedRadio"), m_pedRadio, form);
    QWidget* tally = makeRadioPair(tallyRow, on, QStringLiteral("tallyOnRadio"), m_tallyOnRadio,
                                   off, QStringLiteral("tallyOffRadio"), m_tallyOffRadio, form);

    QStringList inputs{QStringLiteral("NoAsign")};
    for (int camera = 1; camera < SettingsValues::kTallyInputItems; ++camera) {
        inputs.append(QStringLiteral("Cam%1").arg(camera));
    }
    const QString inputRow = QStringLiteral("TALLY INPUT");
    m_tallyInputCombo = makeList(inputRow, QStringLiteral("tallyInputCombo"), inputs, form);

    const struct {
        QString text;
        QString objectName;
        QWidget* field;
        QWidget* buddy;
    } rows[] = {
        {portRow, QStringLiteral("receivePortLabel"), m_portEdit, m_portEdit},
        {ledRow, QStringLiteral("ledBrightnessLabel"), m_ledCombo, m_ledCombo},
        {segmentRow, QStringLiteral("segmentBrightnessLabel"), m_segmentCombo, m_segmentCombo},
        {buzzerRow, QStringLiteral("buzzerLabel"), buzzer, m_buzzerOnRadio},
        {flareRow, QStringLiteral("flarePedLabel"), flarePed, m_flareRadio},
        {tallyRow, QStringLiteral("tallyEnableLabel"), tally, m_tallyOnRadio},
        {inputRow, QStringLiteral("tallyInputLabel"), m_tallyInputCombo, m_tallyInputCombo},
    };
    int line = 1;
    for (const auto& row : rows) {
        auto* label = new QLabel(row.text, form);
        label->setObjectName(row.objectName);
        label->setBuddy(row.buddy);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(4);
        label->setFixedHeight(kRowHeight);
        grid->addWidget(label, line, 0);
        grid->addWidget(row.field, line, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++line;
    }
    m_ledCombo->setFixedWidth(100);
    m_segmentCombo->setFixedWidth(100);
    m_tallyInputCombo->setFixedWidth(100);
    page->addWidget(form, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_refreshButton =
        makePageButton(QStringLiteral("REFRESH"), QStringLiteral("refreshButton"), this);
    m_setButton = makePageButton(QStringLiteral("SET"), QStringLiteral("setButton"), this);
    for (QPushButton* button : {m_refreshButton, m_setButton}) {
        button->setFixedWidth(100);
        buttons->addWidget(button);
    }
    auto* buttonRow = new QWidget(this);
    buttonRow->setLayout(buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttonRow->setFixedWidth(kItemColumnWidth + kDataColumnWidth + 4);
    page->addWidget(buttonRow, 0, Qt::AlignLeft);
    page->addStretch(1);

    connect(m_refreshButton, &QPushButton::clicked, this, &SettingData::refresh);
    connect(m_setButton, &QPushButton::clicked, this, &SettingData::set);
}

void SettingData::exchangeForm(FormExchange& fx) {
    fx.selector(m_selector, context().selection);
    fx.comboIndex(m_ledCombo, m_values.ledBrightness);
    fx.comboIndex(m_segmentCombo, m_values.segmentBrightness);
    fx.radioGroup({m_buzzerOnRadio, m_buzzerOffRadio}, m_values.buzzer);
    fx.radioGroup({m_flareRadio, m_pedRadio}, m_values.flarePed);
    fx.radioGroup({m_tallyOnRadio, m_tallyOffRadio}, m_values.tallyEnable);
    fx.comboIndex(m_tallyInputCombo, m_values.tallyInput);
    fx.unsignedInRange(m_portEdit, m_values.receivePort, SettingsRecord::kPortMin,
                       SettingsRecord::kPortMax);
}

void SettingData::loadForm() {
    FormExchange fx(FormExchange::Direction::Load, context().messages);
    exchangeForm(fx);
}

bool SettingData::saveForm() {
    FormExchange fx(FormExchange::Direction::Save, context().messages);
    exchangeForm(fx);
    return !fx.failed();
}

void SettingData::refresh() {
    OperationGuard::Scope op(context().guard);
    if (!op) {
        return;
    }
    // Edits not yet written are dropped: the form shows what the page holds while it reads.
    loadForm();
    PanelExchange exchange(context().exchange);
    const ExchangeResult result = exchange.request(currentTarget(), command::kSetDataRequest);
    if (result.outcome != ExchangeOutcome::Ok) {
        showError(settingReadFailureText(result.outcome));
        return;
    }
    // An empty reply passes the checksum but holds no settings.
    const std::optional<SettingsRecord> record = SettingsRecord::fromReply(result.bytes);
    if (!record) {
        showError(settingCommandErrorText());
        return;
    }
    m_record = *record;
    m_values = m_record.decode();
    loadForm();
}

void SettingData::set() {
    OperationGuard::Scope op(context().guard);
    if (!op) {
        return;
    }
    if (!saveForm()) {
        return;
    }
    if (!confirmReboot()) {
        return;
    }
    m_record.encode(m_values);
    m_record.seal();
    PanelExchange exchange(context().exchange);
    const ExchangeResult result =
        exchange.write(currentTarget(), command::kSetDataChange, m_record.bytes());
    if (result.outcome != ExchangeOutcome::Ok) {
        showError(settingWriteFailureText(result.outcome));
        return;
    }
    if (settingsWriteTaken(result.bytes)) {
        showStatus(QStringLiteral("Write OK."), applicationCaption());
    } else {
        showError(QStringLiteral("Write error."));
    }
}

}  // namespace trx
