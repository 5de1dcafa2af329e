#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "pagebase/PanelPage.h"
#include "records/RopTable.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace trx {

class FormExchange;
class Ipv4AddressField;
class Wait_Dialog;

// The ROP List page: the 25 panels of one network, read from the master panel, reordered by
// swapping rows, registered with every panel (each learns its ROP number) and checked one by one.
class CTRX900IPSET final : public PanelPage {
    Q_OBJECT
  public:
    explicit CTRX900IPSET(const PageContext& context, QWidget* parent = nullptr);
    ~CTRX900IPSET() override;

    // A connection check keeps its connection open this long, so that the panel can identify
    // itself while the operator looks for it.
    std::chrono::milliseconds connectionCheckPause() const { return m_connectionCheckPause; }
    void setConnectionCheckPause(std::chrono::milliseconds pause) {
        m_connectionCheckPause = pause;
    }

    const RopTable& ropTable() const { return m_table; }

    // The 25 rows read back from the form with REGISTER's checks, a row without an address as an
    // empty one; nothing when a field or a row is refused, which has been told as REGISTER tells
    // it.
    std::optional<std::array<RopRow, kRopRowCount>> rowsForSaving();
    // Shows the rows as a list read shows them; the stored block stays as it was.
    void loadRows(const std::array<RopRow, kRopRowCount>& rows);

  private:
    struct RowControls {
        QLabel* label = nullptr;
        Ipv4AddressField* address = nullptr;
        Ipv4AddressField* subnetMask = nullptr;
        Ipv4AddressField* gateway = nullptr;
        QComboBox* swap = nullptr;
        QPushButton* connectionCheck = nullptr;
    };

    void buildForm();
    bool buildTable(QVBoxLayout* table);
    QScrollArea* makeRowsScrollArea(QWidget* rows, bool rowsFit);
    void addRow(QGridLayout* grid, int rowIndex);
    void fillSwapLists();

    void exchangeForm(FormExchange& fx);
    void loadForm();
    bool saveForm();

    void RefreshRopRows();
    void blankEmptyRows();
    void enableConnectionChecks();

    void OnAddressFieldChanged();
    void OnSwapRopNo(int rowIndex, int entry);
    void OnNetworkSearch();
    void OnRegister();
    // REGISTER's check on the rows read back: one warning names every row whose network setting
    // cannot be registered. True when there is none.
    bool rowsUsable();
    void OnConnectionCheck(int rowIndex);

    // Panels whose registration did not end Ok, named in one warning after the loop.
    void reportUnregistered(const std::vector<int>& rows);

    RopTable m_table;
    std::array<RowControls, kRopRowCount> m_rows{};
    QLabel* m_masterLabel = nullptr;
    QPushButton* m_networkSearchButton = nullptr;
    QPushButton* m_registerButton = nullptr;
    Wait_Dialog* m_waitDialog = nullptr;
    std::chrono::milliseconds m_connectionCheckPause{2000};
};

}  // namespace trx
