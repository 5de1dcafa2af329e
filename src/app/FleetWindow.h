#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "exchange/PanelExchange.h"
#include "fleet/FleetRunner.h"
#include "fleet/FleetSteps.h"
#include "pagebase/OperationGuard.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace trx {

class FileDialogs;
class FleetModel;
class MessageBoxes;
class TargetSelection;

// "Panels": every registered panel in one list with what the last check found, and the fleet
// operations that reach many panels at once (Check All, Back Up All, Restore Profile to
// Selected). Their exchanges run on worker threads, so the window stays responsive and each row
// fills as its panel answers. A fleet operation holds the window's operation guard from start
// to end, so no page operation overlaps it, nor it a page's.
class FleetWindow final : public QDialog {
    Q_OBJECT
  public:
    FleetWindow(TargetSelection& selection, OperationGuard& guard, MessageBoxes& messages,
                FileDialogs& dialogs, const ExchangeSettings& exchange, QWidget* parent = nullptr);
    ~FleetWindow() override;

    void checkAll();
    void backUpAll();
    void restoreToSelected();
    void cancel();
    bool running() const { return m_guarded.has_value(); }

    FleetModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }

  Q_SIGNALS:
    // A fleet operation has ended and its results are all in the rows.
    void operationEnded();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    using Job = std::function<fleet::PanelResult(const fleet::Target&)>;
    using Apply = std::function<void(const fleet::PanelResult&)>;
    using Done = std::function<void(const std::vector<fleet::PanelResult>&)>;

    // Takes the guard for a fleet operation, or says on the status line why not.
    bool begin(const QString& what);
    void end(const QString& status);
    // Runs the job for the rows on a worker thread; each result is applied on this thread as it
    // arrives, then `done` gets them all in row order.
    void run(const std::vector<int>& rows, const Job& job, const Apply& apply, const Done& done);
    void restoreAfterPreview(const QString& file, const fleet::RestorePlan& plan,
                             const std::vector<fleet::PanelResult>& previews);
    // The registered panels as rows, the columns fitted to them.
    void refreshRows();
    void makeTarget(int row);
    void refused(const QString& what, const QString& running);
    void setStatus(const QString& text);
    void updateButtons();
    std::vector<int> allRows() const;
    std::vector<int> selectedRows() const;

    TargetSelection& m_selection;
    OperationGuard& m_guard;
    MessageBoxes& m_messages;
    FileDialogs& m_dialogs;
    ExchangeSettings m_exchange;

    FleetModel* m_model;
    QTableView* m_table;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_checkAll;
    QPushButton* m_backUpAll;
    QPushButton* m_restore;
    QPushButton* m_cancel;

    QString m_operation;
    std::optional<OperationGuard::Scope> m_guarded;
    std::unique_ptr<fleet::FleetControl> m_control;
    std::unique_ptr<QThread> m_worker;
};

}  // namespace trx
