#include "pages/rop/CTRX900IPSET.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "exchange/PanelExchange.h"
#include "pagebase/FailureTexts.h"
#include "pagebase/WaitDialog.h"
#include "pagebase/widgets/FormExchange.h"
#include "pagebase/widgets/HeadingLabel.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pagebase/widgets/PageControls.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "records/TargetSelection.h"
#include "wire/Commands.h"

namespace trx {

namespace {

constexpr int kLabelColumnWidth = 110;
constexpr int kSwapColumnWidth = 150;
constexpr int kCheckColumnWidth = 180;
constexpr int kColumnSpacing = 4;
// Adjacent rows share their cell borders: 25 rows of the address field's height then fit the
// page without scrolling.
constexpr int kRowSpacing = 0;
constexpr int kMargin = 8;
constexpr int kGap = 6;

QString label(int rowIndex) {
    return QString::fromStdString(RopRowLabel(rowIndex + 1));
}

// "trx4AddressEdit": row prefix, then the control's part and kind.
QString rowObjectName(int rowIndex, const char* partAndKind) {
    return QStringLiteral("trx%1%2").arg(rowIndex + 1).arg(QLatin1String(partAndKind));
}

}  // namespace

CTRX900IPSET::CTRX900IPSET(const PageContext& context, QWidget* parent)
    : PanelPage(context, parent),
      m_table(InitialRopTable(context.selection.panelAddressTable())),
      m_waitDialog(new Wait_Dialog(this)) {
    setObjectName(QStringLiteral("ropListPage"));
    buildForm();
    loadForm();
    fillSwapLists();
    blankEmptyRows();
    enableConnectionChecks();
}

CTRX900IPSET::~CTRX900IPSET() = default;

void CTRX900IPSET::buildForm() {
    setFixedSize(kPageWidth, kPageHeight);

    const QString masterText = QStringLiteral("Master ROP Number");
    m_selector->setAccessibleName(masterText);
    m_selector->setAccessibleDescription(masterText);
    m_masterLabel = new QLabel(masterText, this);
    m_masterLabel->setObjectName(QStringLiteral("masterRopNumberLabel"));
    m_masterLabel->setBuddy(m_selector);
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(m_selector);
    top->addWidget(m_masterLabel);
    top->addStretch(1);

    m_networkSearchButton = makePageButton(QStringLiteral("NETWORK SEARCH"),
                                           QStringLiteral("networkSearchButton"), this);
    m_registerButton =
        makePageButton(QStringLiteral("REGISTER"), QStringLiteral("registerButton"), this);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    for (QPushButton* button : {m_networkSearchButton, m_registerButton}) {
        button->setMinimumWidth(150);
        buttons->addWidget(button);
    }
    bindOperation(m_networkSearchButton, [this] { OnNetworkSearch(); });
    bindOperation(m_registerButton, [this] { OnRegister(); });

    auto* table = new QVBoxLayout;
    table->setSpacing(kRowSpacing);
    const bool rowsFit = buildTable(table);
    table->addSpacing(kGap);
    table->addLayout(buttons);
    table->addStretch(rowsFit ? 1 : 0);
    auto* tableRow = new QHBoxLayout;
    tableRow->addLayout(table);
    tableRow->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(12, kMargin, 12, kMargin);
    page->setSpacing(kGap);
    page->addLayout(top);
    page->addLayout(tableRow, 1);
}

// The headings and the rows are two grids with the same fixed column widths, so that they stay
// aligned when the rows have to scroll under a large font. Returns whether the rows fit.
bool CTRX900IPSET::buildTable(QVBoxLayout* table) {
    auto* headings = new QWidget(this);
    headings->setObjectName(QStringLiteral("ropHeadings"));
    auto* headingGrid = new QGridLayout(headings);
    headingGrid->setContentsMargins(0, 0, 0, 0);
    headingGrid->setHorizontalSpacing(kColumnSpacing);

    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("ropRows"));
    auto* rowGrid = new QGridLayout(rows);
    rowGrid->setContentsMargins(0, 0, 0, 0);
    rowGrid->setHorizontalSpacing(kColumnSpacing);
    rowGrid->setVerticalSpacing(kRowSpacing);
    rowGrid->setSizeConstraint(QLayout::SetFixedSize);
    for (int i = 0; i < kRopRowCount; ++i) {
        addRow(rowGrid, i);
    }
    const int rowHeight = m_rows[0].address->height();
    const int addressWidth = m_rows[0].address->width() + 40;
    const std::array<std::pair<const char*, const char*>, 6> headingTexts{{
        {"ROP NO.", "ropNoHeadingLabel"},
        {"IP ADDRESS", "ipAddressHeadingLabel"},
        {"SUBNET MASK", "subnetMaskHeadingLabel"},
        {"GATEWAY", "gatewayHeadingLabel"},
        {"SWAP ROP No", "swapRopNoHeadingLabel"},
        {"CONNECTION CHECK", "connectionCheckHeadingLabel"},
    }};
    std::array<int, 6> widths{kLabelColumnWidth, addressWidth,     addressWidth,
                              addressWidth,      kSwapColumnWidth, kCheckColumnWidth};
    for (std::size_t c = 0; c < widths.size(); ++c) {
        // A larger font widens a column to its heading.
        const auto& [text, name] = headingTexts[c];
        widths[c] = std::max(widths[c], fontMetrics().horizontalAdvance(QLatin1String(text)) + 16);
        auto* heading = new HeadingLabel(QString::fromLatin1(text), headings);
        heading->setObjectName(QString::fromLatin1(name));
        heading->setFixedSize(widths[c], rowHeight);
        headingGrid->addWidget(heading, 0, static_cast<int>(c));
        rowGrid->setColumnMinimumWidth(static_cast<int>(c), widths[c]);
    }
    for (const RowControls& row : m_rows) {
        row.label->setFixedWidth(widths[0]);
        row.swap->setFixedWidth(widths[4]);
        row.connectionCheck->parentWidget()->setFixedWidth(widths[5]);
    }
    headings->setFixedSize(headingGrid->sizeHint());
    rows->adjustSize();

    const int chrome = 2 * kMargin + m_selector->sizeHint().height() + kGap + headings->height() +
                       kGap + m_registerButton->sizeHint().height() + kGap;
    const bool rowsFit = chrome + rows->sizeHint().height() <= kPageHeight;
    table->addWidget(headings);
    table->addWidget(makeRowsScrollArea(rows, rowsFit), rowsFit ? 0 : 1);
    return rowsFit;
}

// The rows sit in a scroll area that only scrolls when a large font makes them taller than the
// page; otherwise it is exactly as large as the rows.
QScrollArea* CTRX900IPSET::makeRowsScrollArea(QWidget* rows, bool rowsFit) {
    const QSize rowsSize = rows->sizeHint();
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ropRowsScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(rowsFit ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    scroll->setWidget(rows);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setFixedWidth(rowsSize.width() +
                          (rowsFit ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2));
    if (rowsFit) {
        scroll->setFixedHeight(rowsSize.height());
    }
    return scroll;
}

void CTRX900IPSET::addRow(QGridLayout* grid, int rowIndex) {
    RowControls& row = m_rows[static_cast<std::size_t>(rowIndex)];
    const QString name = label(rowIndex);
    QWidget* owner = grid->parentWidget();
    const int gridRow = rowIndex;

    const auto field = [&](const char* partAndKind, const char* column, int gridColumn) {
        auto* edit = new Ipv4AddressField(owner);
        edit->setObjectName(rowObjectName(rowIndex, partAndKind));
        edit->setFieldName(QStringLiteral("%1 %2").arg(name, QLatin1String(column)));
        grid->addWidget(edit, gridRow, gridColumn, Qt::AlignCenter);
        return edit;
    };
    row.address = field("AddressEdit", "IP ADDRESS", 1);
    row.subnetMask = field("SubnetMaskEdit", "SUBNET MASK", 2);
    row.gateway = field("GatewayEdit", "GATEWAY", 3);
    const int height = row.address->height();

    row.label = new QLabel(name, owner);
    row.label->setObjectName(rowObjectName(rowIndex, "RopNoLabel"));
    row.label->setFrameStyle(QFrame::Box | QFrame::Plain);
    row.label->setAlignment(Qt::AlignCenter);
    row.label->setFixedSize(kLabelColumnWidth, height);
    grid->addWidget(row.label, gridRow, 0);

    const QString swapName = QStringLiteral("%1 SWAP ROP No").arg(name);
    row.swap = new GridComboBox(owner);
    row.swap->setObjectName(rowObjectName(rowIndex, "SwapRopNoCombo"));
    row.swap->setAccessibleName(swapName);
    row.swap->setAccessibleDescription(swapName);
    row.swap->setFocusPolicy(Qt::StrongFocus);
    row.swap->setFixedSize(kSwapColumnWidth, height);
    grid->addWidget(row.swap, gridRow, 4);
    connect(row.swap, &QComboBox::currentIndexChanged, this,
            [this, rowIndex](int entry) { OnSwapRopNo(rowIndex, entry); });

    // A bordered cell holding a small button without a caption.
    auto* cell = new QFrame(owner);
    cell->setObjectName(rowObjectName(rowIndex, "ConnectionCheckFrame"));
    cell->setFrameStyle(QFrame::Box | QFrame::Plain);
    cell->setFixedSize(kCheckColumnWidth, height);
    auto* cellLayout = new QHBoxLayout(cell);
    cellLayout->setContentsMargins(0, 3, 0, 3);
    row.connectionCheck = new QPushButton(cell);
    row.connectionCheck->setObjectName(rowObjectName(rowIndex, "ConnectionCheckButton"));
    row.connectionCheck->setAccessibleName(QStringLiteral("%1 CONNECTION CHECK").arg(name));
    row.connectionCheck->setToolTip(QStringLiteral("CONNECTION CHECK"));
    row.connectionCheck->setAutoDefault(false);
    row.connectionCheck->setFixedSize(28, height - 6);
    cellLayout->addWidget(row.connectionCheck, 0, Qt::AlignCenter);
    grid->addWidget(cell, gridRow, 5);
    bindOperation(row.connectionCheck, [this, rowIndex] { OnConnectionCheck(rowIndex); });

    connect(row.address, &Ipv4AddressField::fieldChanged, this,
            [this] { OnAddressFieldChanged(); });
}

void CTRX900IPSET::fillSwapLists() {
    for (int j = 0; j < kRopRowCount; ++j) {
        QComboBox* list = m_rows[static_cast<std::size_t>(j)].swap;
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItem(QStringLiteral(" "));
        for (int i = 0; i < kRopRowCount; ++i) {
            if (i != j) {
                list->addItem(label(i));
            }
        }
        list->setCurrentIndex(-1);
    }
}

void CTRX900IPSET::exchangeForm(FormExchange& fx) {
    fx.selector(m_selector, context().selection);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        fx.address(m_rows[i].address, m_table.address[i]);
        fx.address(m_rows[i].subnetMask, m_table.subnetMask[i]);
        fx.address(m_rows[i].gateway, m_table.gateway[i]);
    }
}

void CTRX900IPSET::loadForm() {
    FormExchange fx(FormExchange::Direction::Load, context().messages);
    exchangeForm(fx);
}

bool CTRX900IPSET::saveForm() {
    FormExchange fx(FormExchange::Direction::Save, context().messages);
    exchangeForm(fx);
    return !fx.failed();
}

void CTRX900IPSET::RefreshRopRows() {
    loadForm();
    blankEmptyRows();
    enableConnectionChecks();
}

void CTRX900IPSET::blankEmptyRows() {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_table.address[i] == 0) {
            m_rows[i].address->clear();
            m_rows[i].subnetMask->clear();
            m_rows[i].gateway->clear();
        }
    }
}

void CTRX900IPSET::enableConnectionChecks() {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].connectionCheck->setEnabled(m_table.address[i] != 0);
    }
}

void CTRX900IPSET::OnAddressFieldChanged() {
    saveForm();
    enableConnectionChecks();
}

void CTRX900IPSET::OnSwapRopNo(int rowIndex, int entry) {
    QComboBox* list = m_rows[static_cast<std::size_t>(rowIndex)].swap;
    const std::optional<int> other = RopRowFromLabel(list->itemText(entry).toStdString());
    if (!other) {
        return;
    }
    {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(0);
    }
    saveForm();
    SwapRopRows(m_table, *other - 1, rowIndex);
    RefreshRopRows();
}

void CTRX900IPSET::OnNetworkSearch() {
    const ExchangeResult result = requestFromTarget(command::kRopListRequest);
    switch (JudgeRopListRead(result.outcome, result.bytes)) {
        case RopListReadVerdict::NoConnect:
            showError(QStringLiteral("No Connect!!"));
            return;
        case RopListReadVerdict::SocketError:
            showError(QStringLiteral("Socket Error!!"));
            return;
        case RopListReadVerdict::CommandError:
            showError(QStringLiteral("Command Error."));
            break;
        case RopListReadVerdict::Accept:
            AcceptRopListReply(m_table, result.bytes);
            break;
    }
    // Also after a refused reply: the rows show the last accepted list again.
    DecodeRopListBlock(m_table);
    RefreshRopRows();
}

void CTRX900IPSET::OnRegister() {
    if (!saveForm()) {
        return;
    }
    // Usable rows become the panels' addresses even when another row is refused.
    TargetSelection& selection = context().selection;
    for (int i = 0; i < kRopRowCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (CheckNetworkSetting(m_table.address[at], m_table.subnetMask[at]) ==
            kNetworkSettingUsable) {
            selection.setPanelAddress(i, m_table.address[at]);
        }
    }
    if (!rowsUsable()) {
        return;
    }
    selection.rebuildSelector(*m_selector);

    std::vector<int> unregistered;
    {
        m_waitDialog->show();
        const auto hide = qScopeGuard([this] { m_waitDialog->hide(); });
        // One panel after the other; each connection is closed before the next one opens.
        for (int k = 0; k < kRopRowCount; ++k) {
            const PanelAddress address = selection.panelAddressTable()[static_cast<std::size_t>(k)];
            if (address == 0) {
                continue;
            }
            const RopNumberBlock block = EncodeRopNumberBlock(k);
            PanelExchange exchange(context().exchange);
            if (exchange.write(address, command::kRopListChange, block).outcome !=
                ExchangeOutcome::Ok) {
                unregistered.push_back(k + 1);
            }
        }
    }
    reportUnregistered(unregistered);
}

bool CTRX900IPSET::rowsUsable() {
    std::vector<int> unavailable;
    for (int i = 0; i < kRopRowCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (CheckNetworkSetting(m_table.address[at], m_table.subnetMask[at]) !=
            kNetworkSettingUsable) {
            unavailable.push_back(i + 1);
        }
    }
    if (!unavailable.empty()) {
        showWarning(QStringLiteral("Unavailable network setting!\r\n") +
                    QString::fromStdString(RopRowList(unavailable)));
    }
    return unavailable.empty();
}

std::optional<std::array<RopRow, kRopRowCount>> CTRX900IPSET::rowsForSaving() {
    if (!saveForm() || !rowsUsable()) {
        return std::nullopt;
    }
    std::array<RopRow, kRopRowCount> rows{};
    for (int i = 0; i < kRopRowCount; ++i) {
        if (m_table.address[static_cast<std::size_t>(i)] != 0) {
            rows[static_cast<std::size_t>(i)] = m_table.row(i);
        }
    }
    return rows;
}

void CTRX900IPSET::loadRows(const std::array<RopRow, kRopRowCount>& rows) {
    for (int i = 0; i < kRopRowCount; ++i) {
        m_table.setRow(i, rows[static_cast<std::size_t>(i)]);
    }
    RefreshRopRows();
}

void CTRX900IPSET::reportUnregistered(const std::vector<int>& rows) {
    // Silence would let the operator believe that every panel knows its new number.
    if (!rows.empty()) {
        showWarning(QStringLiteral("Not registered:\r\n") +
                    QString::fromStdString(RopRowList(rows)));
    }
}

void CTRX900IPSET::OnConnectionCheck(int rowIndex) {
    if (!saveForm()) {
        return;
    }
    // The exchange lives through the pause: the connection stays open while the panel
    // identifies itself.
    PanelExchange exchange(context().exchange);
    static const FailureTexts checkFailures(
        nullptr, {{ExchangeOutcome::ConnectFailed, "Not connected."},
                  {ExchangeOutcome::CommandSendFailed, "Socket error."}});
    tellOutcome(checkFailures, exchange.notify(m_table.address[static_cast<std::size_t>(rowIndex)],
                                               command::kRopConnectionCheck));
    pauseExcludingUserInput(m_connectionCheckPause);
}

}  // namespace trx
