#include "pages/camera/IPSetting.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "pagebase/FailureTexts.h"
#include "pagebase/widgets/DisplayField.h"
#include "pagebase/widgets/FormExchange.h"
#include "pagebase/widgets/HeadingLabel.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pagebase/widgets/PageControls.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "pages/camera/CameraListWidgets.h"
#include "records/TargetSelection.h"
#include "wire/Commands.h"

namespace trx {

namespace {

using camera_widgets::fillList;
using camera_widgets::headingName;
using camera_widgets::makeDisplayField;
using camera_widgets::makeList;
using camera_widgets::makeRadio;

constexpr int kRows = CameraTable::kRowCount;
constexpr int kLineHeight = 22;
constexpr int kTopHeadingWidth = 230;
// CAMERA NO, CAMERA TYPE, CAMERA MODEL, MAC ADDRESS, IP ADDRESS, CAMERA PORT NO, SWAP CAMERA.
constexpr std::array<int, 7> kColumnWidths = {110, 210, 170, 210, 160, 160, 150};

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A read's failures; a reply that arrived but cannot fill the table is a command error too.
const FailureTexts& readFailures() {
    static const FailureTexts texts("Command Error!!",
                                    {{ExchangeOutcome::ConnectFailed, "No Connect!!"},
                                     {ExchangeOutcome::CommandSendFailed, "Socket Error!!"}});
    return texts;
}

// SET's failures: a block or result line that never made it is a socket error, so that no
// failed write looks sent.
const FailureTexts& writeFailures() {
    static const FailureTexts texts("Socket Error!!",
                                    {{ExchangeOutcome::ConnectFailed, "No Connect!!"},
                                     {ExchangeOutcome::NotAcknowledged, "Command Error!!"},
                                     {ExchangeOutcome::SocketCreateFailed, "Command Error!!"}});
    return texts;
}

QString commandErrorText() {
    return QStringLiteral("Command Error!!");
}

QString noCameraError() {
    return qs(noCameraText());
}

}  // namespace

IPSetting::IPSetting(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("cameraListPage"));
    buildForm();

    for (int number = 1; number <= kRows; ++number) {
        m_serialNumberCombo->addItem(QString::number(number));
    }
    showLists();
    loadForm();
    m_cancelButton->setEnabled(false);
    m_ccuRadio->setEnabled(false);
    m_remoteCameraRadio->setEnabled(false);
    m_serialNumberCombo->setEnabled(false);
    applyConnectionSettings();
}

void IPSetting::buildForm() {
    setFixedSize(kPageWidth, kPageHeight);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(6);

    auto* top = new QHBoxLayout;
    top->setSpacing(24);
    top->addWidget(m_selector, 0, Qt::AlignTop);
    top->addWidget(buildTopLines(), 0, Qt::AlignTop);
    top->addStretch(1);
    page->addLayout(top);
    page->addWidget(buildTable());
    page->addStretch(1);

    m_note = new QLabel(
        QStringLiteral(
            "Press \"Set\" button to activate setting data after \"Network Search\" button is "
            "pressed."),
        this);
    m_note->setObjectName(QStringLiteral("noteLabel"));
    QFont noteFont(QStringLiteral("Microsoft Sans Serif"));
    noteFont.setPointSizeF(11.5);
    m_note->setFont(noteFont);
    page->addWidget(m_note);
    page->addWidget(buildButtons());
}

QWidget* IPSetting::buildTopLines() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);

    const auto heading = [box, grid](const QString& text, const QString& objectName, int line) {
        auto* label = new HeadingLabel(text, box);
        label->setObjectName(objectName);
        label->setFixedSize(kTopHeadingWidth, kLineHeight);
        grid->addWidget(label, line, 0);
    };
    const auto radioLine = [box, grid](int line) {
        // Each group in a box of its own, so that its buttons are exclusive among themselves.
        auto* group = new QWidget(box);
        auto* layout = new QHBoxLayout(group);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(20);
        grid->addWidget(group, line, 1, Qt::AlignLeft);
        return group;
    };

    heading(QStringLiteral("CONNECTION MODE"), QStringLiteral("connectionModeHeading"), 0);
    QWidget* modes = radioLine(0);
    m_serialModeRadio =
        makeRadio(QStringLiteral("Serial Mode"), QStringLiteral("serialModeRadio"), modes);
    m_ipModeRadio = makeRadio(QStringLiteral("IP Mode"), QStringLiteral("ipModeRadio"), modes);

    heading(QStringLiteral("CAMERA TYPE(SERIAL)"), QStringLiteral("cameraFamilyHeading"), 1);
    QWidget* families = radioLine(1);
    m_ccuRadio = makeRadio(QStringLiteral("CCU"), QStringLiteral("ccuRadio"), families);
    m_remoteCameraRadio =
        makeRadio(QStringLiteral("RemoteCamera"), QStringLiteral("remoteCameraRadio"), families);
    m_camcorderRadio =
        makeRadio(QStringLiteral("Camcorder"), QStringLiteral("camcorderRadio"), families);

    heading(QStringLiteral("CAMERA NUMBER(SERIAL)"), QStringLiteral("cameraNumberHeading"), 2);
    m_serialNumberCombo =
        makeList(QStringLiteral("CAMERA NUMBER(SERIAL)"), QStringLiteral("cameraNumberCombo"), box);
    m_serialNumberCombo->setFixedSize(80, kLineHeight);
    grid->addWidget(m_serialNumberCombo, 2, 1, Qt::AlignLeft);

    for (QRadioButton* radio :
         {m_serialModeRadio, m_ipModeRadio, m_ccuRadio, m_remoteCameraRadio, m_camcorderRadio}) {
        connect(radio, &QRadioButton::clicked, this, [this] { applyConnectionSettings(); });
    }
    connect(m_serialNumberCombo, &QComboBox::activated, this,
            [this] { applyConnectionSettings(); });
    return box;
}

QWidget* IPSetting::buildTable() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("cameraTable"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    const std::array<QString, 7> headers = {
        QStringLiteral("CAMERA NO"),    QStringLiteral("CAMERA TYPE"),
        QStringLiteral("CAMERA MODEL"), QStringLiteral("MAC ADDRESS"),
        QStringLiteral("IP ADDRESS"),   QStringLiteral("CAMERA PORT NO"),
        QStringLiteral("SWAP CAMERA")};
    for (std::size_t column = 0; column < headers.size(); ++column) {
        auto* label = new HeadingLabel(headers[column], box);
        label->setObjectName(headingName(headers[column]));
        label->setFixedSize(kColumnWidths[column], kLineHeight);
        grid->addWidget(label, 0, static_cast<int>(column));
    }

    for (int row = 0; row < kRows; ++row) {
        const Row r = makeRow(row, box);
        m_rows[static_cast<std::size_t>(row)] = r;
        const std::array<QWidget*, 7> cells = {r.label,   r.type, r.model, r.mac,
                                               r.address, r.port, r.swap};
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (cells[column] != r.address) {
                cells[column]->setFixedSize(kColumnWidths[column], kLineHeight);
            }
            grid->addWidget(cells[column], row + 1, static_cast<int>(column), Qt::AlignCenter);
        }
    }
    grid->setColumnStretch(static_cast<int>(kColumnWidths.size()), 1);
    return box;
}

IPSetting::Row IPSetting::makeRow(int row, QWidget* parent) {
    const QString label = qs(cameraRowLabel(row));
    const QString id = label.toLower();
    const auto name = [&label](const char* column) {
        return label + QLatin1Char(' ') + QLatin1String(column);
    };
    Row r;
    r.label = new QLabel(label, parent);
    r.label->setObjectName(id + QStringLiteral("Label"));
    r.label->setAlignment(Qt::AlignCenter);
    r.label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    r.type = makeList(name("CAMERA TYPE"), id + QStringLiteral("TypeCombo"), parent);
    r.model = makeDisplayField(name("CAMERA MODEL"), id + QStringLiteral("ModelField"), parent);
    r.mac = makeDisplayField(name("MAC ADDRESS"), id + QStringLiteral("MacField"), parent);
    r.address = new Ipv4AddressField(parent);
    r.address->setObjectName(id + QStringLiteral("AddressEdit"));
    r.address->setFieldName(name("IP ADDRESS"));
    r.port = new QLineEdit(parent);
    r.port->setObjectName(id + QStringLiteral("PortEdit"));
    r.port->setAccessibleName(name("CAMERA PORT NO"));
    r.port->setAlignment(Qt::AlignCenter);
    r.port->setMaxLength(10);
    r.port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), r.port));
    r.swap = makeList(name("SWAP CAMERA"), id + QStringLiteral("SwapCombo"), parent);

    connect(r.type, &QComboBox::activated, this, [this] { cameraTypeChosen(); });
    connect(r.address, &Ipv4AddressField::fieldChanged, this, [this] { addressChanged(); });
    connect(r.swap, &QComboBox::activated, this, [this, row] { swapChosen(row); });
    return r;
}

QWidget* IPSetting::buildButtons() {
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    m_searchButton = makePageButton(QStringLiteral("NETWORK SEARCH"),
                                    QStringLiteral("networkSearchButton"), box);
    m_refreshButton =
        makePageButton(QStringLiteral("REFRESH"), QStringLiteral("refreshButton"), box);
    m_setButton = makePageButton(QStringLiteral("SET"), QStringLiteral("setButton"), box);
    m_cancelButton = makePageButton(QStringLiteral("CANCEL"), QStringLiteral("cancelButton"), box);
    m_initializeButton = makePageButton(QStringLiteral("INITIALIZE\n(FACTORY SETUP)"),
                                        QStringLiteral("initializeButton"), box);
    layout->addStretch(1);
    for (QPushButton* button : {m_searchButton, m_refreshButton, m_setButton, m_cancelButton}) {
        button->setFixedSize(150, 32);
        layout->addWidget(button, 0, Qt::AlignVCenter);
    }
    m_initializeButton->setFixedSize(200, 44);
    layout->addWidget(m_initializeButton);

    bindOperation(m_searchButton, [this] { networkSearch(); });
    bindOperation(m_refreshButton, [this] { readCameraList(); });
    bindOperation(m_setButton, [this] { set(); });
    bindOperation(m_cancelButton, [this] { cancelSearch(); });
    bindOperation(m_initializeButton, [this] { initialize(); });
    return box;
}

// Read order: type entries, target position, MAC texts, addresses, model texts, ports,
// connection mode, family, serial camera. A port that holds no number stops the read there.
void IPSetting::exchangeForm(FormExchange& fx) {
    CameraFormValues& v = m_form.values();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.comboIndex(m_rows[i].type, v.typeEntry[i]);
    }
    fx.selector(m_selector, context().selection);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.display(m_rows[i].mac, qs(v.macText[i]));
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.address(m_rows[i].address, v.address[i]);
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.display(m_rows[i].model, qs(v.modelText[i]));
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.unsignedNumber(m_rows[i].port, v.port[i]);
    }
    fx.radioGroup({m_serialModeRadio, m_ipModeRadio}, v.connectionMode);
    fx.radioGroup({m_ccuRadio, m_remoteCameraRadio, m_camcorderRadio}, v.cameraFamily);
    fx.comboIndex(m_serialNumberCombo, v.serialEntry);
}

void IPSetting::loadForm() {
    FormExchange fx(FormExchange::Direction::Load, context().messages);
    exchangeForm(fx);
}

bool IPSetting::saveForm() {
    // The validation message moves the focus, which must not start a second read.
    m_readingForm = true;
    FormExchange fx(FormExchange::Direction::Save, context().messages);
    exchangeForm(fx);
    m_readingForm = false;
    return !fx.failed();
}

void IPSetting::showLists() {
    const CameraFormLists& lists = m_form.lists();
    const CameraFormEnabling& enabling = m_form.enabling();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& r = m_rows[i];
        fillList(r.type, lists.typeEntries[i]);
        fillList(r.swap, lists.swapEntries[i]);
        r.swap->setCurrentIndex(-1);
        r.type->setEnabled(enabling.typeList[i]);
        r.address->setEnabled(enabling.addressAndPort[i]);
        r.port->setEnabled(enabling.addressAndPort[i]);
        r.swap->setEnabled(enabling.swapLists);
    }
    m_searchButton->setEnabled(enabling.networkSearch);
    m_serialNumberCombo->setEnabled(enabling.serialNumberList);
    m_ccuRadio->setEnabled(true);
    m_remoteCameraRadio->setEnabled(true);
    paintRowLabels();
}

void IPSetting::paintRowLabels() {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        QLabel* label = m_rows[i].label;
        const bool highlighted = m_form.rowHighlighted(static_cast<int>(i));
        if (label->autoFillBackground() == highlighted) {
            continue;
        }
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window,
                         highlighted ? QColor(Qt::yellow) : palette().color(QPalette::Window));
        label->setPalette(colours);
        label->setAutoFillBackground(highlighted);
    }
}

void IPSetting::refreshStep() {
    m_form.showTable();
    showLists();
    loadForm();
}

void IPSetting::setSearchButtons(bool pending) {
    m_cancelButton->setEnabled(pending);
    m_refreshButton->setEnabled(!pending);
    m_initializeButton->setEnabled(!pending);
}

void IPSetting::applyConnectionSettings() {
    saveForm();
    m_form.applyConnectionSettings();
    showLists();
    loadForm();
}

void IPSetting::cameraTypeChosen() {
    int row = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].type->hasFocus()) {
            row = static_cast<int>(i);
        }
    }
    // While a search result is pending the types stay as the panel found them; a choice that is
    // not taken springs back so that no list shows what the table does not hold.
    if (m_form.searchPending() || row < 0) {
        loadForm();
        return;
    }
    saveForm();
    m_form.collectAddresses();
    m_form.changeCameraType(row);
    showLists();
    loadForm();
}

void IPSetting::addressChanged() {
    if (m_readingForm) {
        return;
    }
    saveForm();
    m_form.collectAddresses();
}

void IPSetting::swapChosen(int row) {
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    const auto other = CameraListForm::rowForLabel(r.swap->currentText().toStdString());
    if (!other) {
        return;
    }
    r.swap->setCurrentIndex(0);
    std::array<PanelAddress, kRows> addresses{};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        addresses[i] = m_rows[i].address->address();
    }
    m_form.swapRows(row, *other, addresses);
    showLists();
    loadForm();
    update();
}

void IPSetting::readCameraList() {
    const ExchangeResult result = requestFromTarget(command::kCameraListRequest);
    tellOutcome(readFailures(), result.outcome);
    if (result.outcome == ExchangeOutcome::ConnectFailed ||
        result.outcome == ExchangeOutcome::CommandSendFailed) {
        return;
    }
    // A reply too short for the table would leave stale bytes in it: refused, table kept.
    if (result.outcome == ExchangeOutcome::Ok && !m_form.replaceTable(result.bytes)) {
        showError(commandErrorText());
    }
    refreshStep();
}

void IPSetting::networkSearch() {
    const QString note = QStringLiteral(
        "<Note>\r\nCCU IP/Remote IP\r\n : IP address and Port Number is detected "
        "automatically.\r\n\r\nCamcoder IP\r\n : IP address and Port Number need to be set "
        "manually.\r\n   Port Number = 49152 (default)");
    if (context().messages.show(note, QStringLiteral("QL-TRX900 Setup Software"),
                                MessageBoxes::Icon::None,
                                MessageBoxes::Buttons::Ok) != MessageBoxes::Answer::Ok) {
        return;
    }
    const ExchangeResult result = requestFromTarget(
        command::searchCommand(m_form.values().cameraFamily, m_form.searchPending()));
    if (!tellOutcome(readFailures(), result.outcome)) {
        return;
    }
    CameraTable& table = m_form.table();
    if (!takeSearchReply(table, result.bytes)) {
        showError(commandErrorText());
        return;
    }
    if (const auto row = firstFlaggedDuplicate(table)) {
        showError(qs(duplicationText(table.rowAddress(*row))));
    }
    setSearchButtons(true);
    m_form.setSearchState(2);
    refreshStep();
    update();
}

void IPSetting::cancelSearch() {
    m_form.setSearchState(0);
    readCameraList();
    setSearchButtons(false);
    paintRowLabels();
    update();
}

bool IPSetting::checkForm() {
    CameraTable& table = m_form.table();
    if (!hasAnyCamera(table)) {
        showError(noCameraError());
        return false;
    }
    // A field that cannot be read has been shown to the operator.
    if (!saveForm()) {
        return false;
    }
    m_form.collectAddresses();
    if (const auto refusal = checkCameraAddresses(table, currentTarget(), m_form.values().port)) {
        if (refusal->warning) {
            showWarning(qs(refusal->text));
        } else {
            showError(qs(refusal->text));
        }
        return false;
    }
    return true;
}

std::optional<CameraTable> IPSetting::tableForSaving() {
    if (!checkForm()) {
        return std::nullopt;
    }
    return m_form.table();
}

void IPSetting::loadTable(const CameraTable& table) {
    m_form.table() = table;
    m_form.setSearchState(0);
    setSearchButtons(false);
    refreshStep();
    update();
}

void IPSetting::set() {
    if (!checkForm()) {
        return;
    }
    CameraTable& table = m_form.table();
    clearNonIpMacs(table);
    if (hasCamcorderIp(table) &&
        confirm(qs(camcorderFirmwareQuestion())) != MessageBoxes::Answer::Ok) {
        return;
    }
    if (!confirmReboot()) {
        return;
    }
    table.seal();
    writeCameraTable();
    refreshStep();
    setSearchButtons(false);
    update();
}

void IPSetting::writeCameraTable() {
    const bool pending = m_form.searchPending();
    const ExchangeResult result = writeToTarget(
        pending ? command::kCameraListKeepSet : command::kCameraListChange, m_form.table().bytes());
    // The panel took the search result over once the connection stood, whatever came after.
    if (pending && result.outcome != ExchangeOutcome::SocketCreateFailed &&
        result.outcome != ExchangeOutcome::ConnectFailed) {
        m_form.setSearchState(0);
    }
    if (!tellOutcome(writeFailures(), result.outcome)) {
        return;
    }
    switch (evaluateWriteResult(result.bytes)) {
        case CameraWriteResult::CameraTypeRefused:
            showError(noCameraError());
            return;
        case CameraWriteResult::Written:
            showStatus(QStringLiteral("Write OK"), QStringLiteral("Status"));
            return;
        case CameraWriteResult::Refused:
            showError(QStringLiteral("Write Error!!"));
            return;
    }
}

void IPSetting::initialize() {
    if (!confirmReboot()) {
        return;
    }
    const ExchangeResult result = requestFromTarget(command::kCameraListInitialize);
    if (!tellOutcome(readFailures(), result.outcome)) {
        return;
    }
    if (!m_form.replaceTable(result.bytes)) {
        showError(commandErrorText());
        return;
    }
    refreshStep();
    showStatus(QStringLiteral("Write OK"), QStringLiteral("Status"));
}

}  // namespace trx
