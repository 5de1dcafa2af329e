#include "app/FleetModel.h"

#include <QJsonValue>
#include <QLocale>

#include <algorithm>

#include "records/RopTable.h"

namespace trx {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void FleetModel::setPanels(const std::array<PanelAddress, 25>& table) {
    std::vector<Row> rows;
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const PanelAddress address = table[static_cast<std::size_t>(i)];
        if (address == 0) {
            continue;
        }
        Row row;
        row.panelIndex = i;
        row.address = address;
        for (const Row& old : m_rows) {
            if (old.panelIndex == i && old.address == address) {
                row = old;
            }
        }
        rows.push_back(row);
    }
    // Unchanged panels keep their rows, and the view its selection.
    if (std::ranges::equal(rows, m_rows, [](const Row& a, const Row& b) {
            return a.panelIndex == b.panelIndex && a.address == b.address;
        })) {
        return;
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

fleet::Target FleetModel::target(int row) const {
    const Row& r = m_rows.at(static_cast<std::size_t>(row));
    return {r.address, RopRowLabel(r.panelIndex + 1)};
}

std::vector<fleet::Target> FleetModel::targets(const std::vector<int>& rows) const {
    std::vector<fleet::Target> list;
    list.reserve(rows.size());
    for (const int row : rows) {
        list.push_back(target(row));
    }
    return list;
}

int FleetModel::rowOf(const fleet::Target& target) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (this->target(static_cast<int>(i)) == target) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void FleetModel::rowChanged(int row) {
    Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void FleetModel::markChecking(const std::vector<int>& rows) {
    for (const int row : rows) {
        m_rows.at(static_cast<std::size_t>(row)).state = Row::State::Checking;
        rowChanged(row);
    }
}

void FleetModel::applyStatus(const fleet::PanelResult& result) {
    const int row = rowOf(result.target);
    if (row < 0) {
        return;
    }
    Row& r = m_rows[static_cast<std::size_t>(row)];
    if (result.progress != fleet::Progress::Finished) {
        // A cancelled check leaves what was known before.
        r.state = r.fields.isEmpty() && r.reason.isEmpty()
                      ? Row::State::Unchecked
                      : (r.reason.isEmpty() ? Row::State::Reachable : Row::State::Unreachable);
    } else {
        r.state = result.ok ? Row::State::Reachable : Row::State::Unreachable;
        r.reason = result.ok ? QString() : qs(result.error);
        r.fields = result.ok ? result.fields : QJsonObject();
        r.checked = QDateTime::currentDateTime();
    }
    rowChanged(row);
}

void FleetModel::applyResult(const fleet::PanelResult& result, const QString& okText) {
    const int row = rowOf(result.target);
    if (row < 0) {
        return;
    }
    Row& r = m_rows[static_cast<std::size_t>(row)];
    switch (result.progress) {
        case fleet::Progress::NotStarted:
            r.result = QStringLiteral("not started: cancelled");
            break;
        case fleet::Progress::Interrupted:
            r.result = QStringLiteral("interrupted: cancelled");
            break;
        case fleet::Progress::Finished:
            r.result = result.ok ? okText + (result.lines.empty() ? QString() : qs(result.lines[0]))
                                 : QStringLiteral("FAILED: ") + qs(result.error);
            break;
    }
    QStringList detail;
    for (std::size_t i = 1; i < result.lines.size(); ++i) {
        detail << qs(result.lines[i]);
    }
    r.resultDetail = detail.join(u'\n');
    rowChanged(row);
}

QString FleetModel::cellText(const Row& row, int column) const {
    const auto field = [&row](const char* key) {
        const QJsonValue value = row.fields.value(QLatin1String(key));
        return value.isString()
                   ? value.toString()
                   : (value.isUndefined() ? QString() : QString::number(value.toInt()));
    };
    switch (column) {
        case PanelColumn:
            return qs(RopRowLabel(row.panelIndex + 1));
        case AddressColumn:
            return qs(addressText(row.address));
        case StateColumn:
            switch (row.state) {
                case Row::State::Unchecked:
                    return QStringLiteral("not checked");
                case Row::State::Checking:
                    return QStringLiteral("checking...");
                case Row::State::Reachable:
                    return QStringLiteral("reachable");
                case Row::State::Unreachable:
                    return row.reason;
            }
            return {};
        case AnswerColumn:
            return row.fields.isEmpty() ? QString() : field("answerMs") + QStringLiteral(" ms");
        case ReceivePortColumn:
            return field("receivePort");
        case ModeColumn:
            return field("connectionMode");
        case FamilyColumn:
            return field("cameraFamily");
        case CamerasColumn:
            return field("camerasAssigned");
        case CheckedColumn:
            return row.checked.isValid() ? QLocale::c().toString(row.checked.time(), u"HH:mm:ss")
                                         : QString();
        case ResultColumn:
            return row.result;
        default:
            return {};
    }
}

QString FleetModel::rowText(int row) const {
    const Row& r = m_rows.at(static_cast<std::size_t>(row));
    QStringList parts;
    for (int column = 0; column < kColumnCount; ++column) {
        const QString text = cellText(r, column);
        if (text.isEmpty()) {
            continue;
        }
        const bool named = column != PanelColumn && column != AddressColumn &&
                           column != StateColumn && column != AnswerColumn;
        parts << (named ? headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() +
                              QLatin1Char(' ') + text
                        : text);
    }
    return parts.join(QStringLiteral(", "));
}

int FleetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FleetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FleetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return cellText(row, index.column());
        case Qt::ToolTipRole:
            return index.column() == ResultColumn && !row.resultDetail.isEmpty()
                       ? QVariant(row.result + QLatin1Char('\n') + row.resultDetail)
                       : QVariant();
        case Qt::AccessibleDescriptionRole:
            // A screen reader on any cell can read the whole row.
            return rowText(index.row());
        default:
            return {};
    }
}

QVariant FleetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kTitles[kColumnCount] = {
        "Panel", "Address", "State",   "Answer",       "Receive port",
        "Mode",  "Family",  "Cameras", "Last checked", "Last operation"};
    return section >= 0 && section < kColumnCount ? QString::fromLatin1(kTitles[section])
                                                  : QVariant();
}

}  // namespace trx
