#pragma once

#include <QAbstractTableModel>
#include <QDateTime>

#include <array>
#include <vector>

#include "fleet/FleetRunner.h"

namespace trx {

// The registered panels, one row each in panel order, with what the last check found and what
// the last fleet operation did with each. Results arrive by target address, in any order.
class FleetModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        PanelColumn,
        AddressColumn,
        StateColumn,
        AnswerColumn,
        ReceivePortColumn,
        ModeColumn,
        FamilyColumn,
        CamerasColumn,
        CheckedColumn,
        ResultColumn,
        kColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    // One row for each non-zero entry of the table; what was found of a panel stays with it
    // while it keeps its label and address.
    void setPanels(const std::array<PanelAddress, 25>& table);
    // The panel index (0 for TRX1) and the target of a row.
    int panelIndex(int row) const { return m_rows.at(static_cast<std::size_t>(row)).panelIndex; }
    fleet::Target target(int row) const;
    std::vector<fleet::Target> targets(const std::vector<int>& rows) const;

    // The rows being checked show so until their answer arrives.
    void markChecking(const std::vector<int>& rows);
    // A status step's result: the row's state, answer time, port, mode, family and cameras.
    void applyStatus(const fleet::PanelResult& result);
    // Another step's result in the row's last column: `okText` followed by the result's first
    // line, or why the step failed.
    void applyResult(const fleet::PanelResult& result, const QString& okText);

    // The row as one sentence, for screen readers: "TRX3, 192.168.0.132, reachable, 4 ms, ...".
    QString rowText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        int panelIndex = 0;
        PanelAddress address = 0;
        enum class State { Unchecked, Checking, Reachable, Unreachable } state = State::Unchecked;
        QString reason;
        QJsonObject fields;
        QDateTime checked;
        QString result;
        QString resultDetail;
    };

    QString cellText(const Row& row, int column) const;
    int rowOf(const fleet::Target& target) const;
    void rowChanged(int row);

    std::vector<Row> m_rows;
};

}  // namespace trx
