#include "pages/config/SettingData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pagebase/FailureTexts.h"
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

// The settings form: the two headings, then a row per setting, its sunken label left of its
// control, the label the control's buddy.
class SettingsGrid {
  public:
    using Choice = std::pair<QString, const char*>;  // a radio button's text and object name

    explicit SettingsGrid(QWidget* parent) : m_form(new QWidget(parent)) {
        m_form->setObjectName(QStringLiteral("settingsForm"));
        m_grid = new QGridLayout(m_form);
        m_grid->setContentsMargins(0, 0, 0, 0);
        m_grid->setHorizontalSpacing(4);
        m_grid->setVerticalSpacing(4);
        m_grid->setColumnMinimumWidth(0, kItemColumnWidth);
        m_grid->setColumnMinimumWidth(1, kDataColumnWidth);
        int column = 0;
        for (const auto& [text, name] : {std::pair{"SETTING ITEM", "settingItemHeadingLabel"},
                                         std::pair{"DATA", "dataHeadingLabel"}}) {
            auto* heading = new HeadingLabel(QLatin1String(text), m_form);
            heading->setObjectName(QLatin1String(name));
            heading->setFixedHeight(kRowHeight);
            m_grid->addWidget(heading, 0, column++);
        }
    }

    QWidget* form() const { return m_form; }

    void addRow(const QString& text, const char* labelName, QWidget* field, QWidget* buddy) {
        auto* label = new QLabel(text, m_form);
        label->setObjectName(QLatin1String(labelName));
        label->setBuddy(buddy);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(4);
        label->setFixedHeight(kRowHeight);
        const int row = m_grid->rowCount();
        m_grid->addWidget(label, row, 0);
        m_grid->addWidget(field, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
    }

    QComboBox* addList(const QString& text, const char* labelName, const char* listName,
                       const QStringList& items) {
        QComboBox* list = makeList(text, QLatin1String(listName), items, m_form);
        list->setFixedWidth(100);
        addRow(text, labelName, list, list);
        return list;
    }

    void addRadioPair(const QString& text, const char* labelName, const Choice& first,
                      QRadioButton*& firstRadio, const Choice& second, QRadioButton*& secondRadio) {
        QWidget* pair =
            makeRadioPair(text, first.first, QLatin1String(first.second), firstRadio, second.first,
                          QLatin1String(second.second), secondRadio, m_form);
        addRow(text, labelName, pair, firstRadio);
    }

  private:
    QWidget* m_form;
    QGridLayout* m_grid = nullptr;
};

}  // namespace

SettingData::SettingData(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("configurationPage"));
    setFixedSize(kPageWidth, kPageHeight);
    buildForm();
    loadForm();
}

void SettingData::buildForm() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(12);
    page->addWidget(m_selector, 0, Qt::AlignLeft);
    page->addWidget(buildSettingsGrid(), 0, Qt::AlignLeft);

    m_refreshButton =
        makePageButton(QStringLiteral("REFRESH"), QStringLiteral("refreshButton"), this);
    m_setButton = makePageButton(QStringLiteral("SET"), QStringLiteral("setButton"), this);
    QWidget* buttonRow = makeButtonRow({m_refreshButton, m_setButton}, this);
    buttonRow->setFixedWidth(kItemColumnWidth + kDataColumnWidth + 4);
    page->addWidget(buttonRow, 0, Qt::AlignLeft);
    page->addStretch(1);

    bindOperation(m_refreshButton, [this] { refresh(); });
    bindOperation(m_setButton, [this] { set(); });
}

// SETTING ITEM and DATA: one row per setting, its label left of its control.
QWidget* SettingData::buildSettingsGrid() {
    SettingsGrid grid(this);
    const QString portRow = QStringLiteral("RECEIVE PORT");
    m_portEdit = new QLineEdit(grid.form());
    m_portEdit->setObjectName(QStringLiteral("receivePortEdit"));
    m_portEdit->setAccessibleName(portRow);
    m_portEdit->setFixedWidth(100);
    grid.addRow(portRow, "receivePortLabel", m_portEdit, m_portEdit);
    const QStringList levels{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")};
    m_ledCombo = grid.addList(QStringLiteral("DISPLAY BRIGHTNESS LED"), "ledBrightnessLabel",
                              "ledBrightnessCombo", levels);
    m_segmentCombo = grid.addList(QStringLiteral("DISPLAY BRIGHTNESS SEGMENT DISPLAY"),
                                  "segmentBrightnessLabel", "segmentBrightnessCombo", levels);
    const QString on = QStringLiteral("ON");
    const QString off = QStringLiteral("OFF");
    grid.addRadioPair(QStringLiteral("BUZZER"), "buzzerLabel", {on, "buzzerOnRadio"},
                      m_buzzerOnRadio, {off, "buzzerOffRadio"}, m_buzzerOffRadio);
    grid.addRadioPair(QStringLiteral("FLARE/PED"), "flarePedLabel",
                      {QStringLiteral("FLARE"), "flareRadio"}, m_flareRadio,
                      {QStringLiteral("PED"), "pedRadio"}, m_pedRadio);
    grid.addRadioPair(QStringLiteral("TALLY ENABLE"), "tallyEnableLabel", {on, "tallyOnRadio"},
                      m_tallyOnRadio, {off, "tallyOffRadio"}, m_tallyOffRadio);
    QStringList inputs{QStringLiteral("NoAsign")};
    for (int camera = 1; camera < SettingsValues::kTallyInputItems; ++camera) {
        inputs.append(QStringLiteral("Cam%1").arg(camera));
    }
    m_tallyInputCombo =
        grid.addList(QStringLiteral("TALLY INPUT"), "tallyInputLabel", "tallyInputCombo", inputs);
    return grid.form();
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
    // Edits not yet written are dropped: the form shows what the page holds while it reads.
    loadForm();
    const ExchangeResult result = requestFromTarget(command::kSetDataRequest);
    if (!tellOutcome(settingReadFailures(), result.outcome)) {
        return;
    }
    // An empty reply passes the checksum but holds no settings.
    const std::optional<SettingsRecord> record = SettingsRecord::fromReply(result.bytes);
    if (!record) {
        showError(settingCommandErrorText());
        return;
    }
    loadRecord(*record);
}

std::optional<SettingsRecord> SettingData::recordForSaving() {
    if (!saveForm()) {
        return std::nullopt;
    }
    SettingsRecord record = m_record;
    record.encode(m_values);
    record.seal();
    return record;
}

void SettingData::loadRecord(const SettingsRecord& record) {
    m_record = record;
    m_values = m_record.decode();
    loadForm();
}

void SettingData::set() {
    if (!saveForm()) {
        return;
    }
    if (!confirmReboot()) {
        return;
    }
    m_record.encode(m_values);
    m_record.seal();
    const ExchangeResult result = writeToTarget(command::kSetDataChange, m_record.bytes());
    if (!tellOutcome(settingWriteFailures(), result.outcome)) {
        return;
    }
    if (settingsWriteTaken(result.bytes)) {
        showStatus(QStringLiteral("Write OK."), applicationCaption());
    } else {
        showError(QStringLiteral("Write error."));
    }
}

}  // namespace trx
