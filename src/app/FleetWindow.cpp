#include "app/FleetWindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "app/FileDialogs.h"
#include "app/FleetModel.h"
#include "app/ThreadPriority.h"
#include "files/PanelFiles.h"
#include "fleet/FleetSteps.h"
#include "pagebase/MessageBoxes.h"
#include "records/CameraListRules.h"
#include "records/TargetSelection.h"

namespace trx {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString panels(std::size_t count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" panel") : QStringLiteral(" panels"));
}

// "5 of 6 panels saved; 1 failed." and what a cancel left undone.
QString tally(const std::vector<fleet::PanelResult>& results, const QString& done) {
    std::size_t ok = 0;
    std::size_t failed = 0;
    for (const fleet::PanelResult& r : results) {
        if (r.progress == fleet::Progress::Finished) {
            (r.ok ? ok : failed) += 1;
        }
    }
    QString text = QStringLiteral("%1 of %2 %3").arg(ok).arg(panels(results.size()), done);
    if (failed > 0) {
        text += QStringLiteral("; %1 failed").arg(failed);
    }
    if (const std::size_t left = results.size() - ok - failed; left > 0) {
        text += QStringLiteral("; %1 not done: cancelled").arg(left);
    }
    return text + QLatin1Char('.');
}

QPushButton* button(const char* text, const char* objectName, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QLatin1String(objectName));
    b->setAccessibleName(QLatin1String(name));
    // Enter in the list makes a panel the target; it must not press a button as well.
    b->setAutoDefault(false);
    return b;
}

}  // namespace

FleetWindow::FleetWindow(TargetSelection& selection, OperationGuard& guard, MessageBoxes& messages,
                         FileDialogs& dialogs, const ExchangeSettings& exchange, QWidget* parent)
    : QDialog(parent),
      m_selection(selection),
      m_guard(guard),
      m_messages(messages),
      m_dialogs(dialogs),
      m_exchange(exchange),
      m_model(new FleetModel(this)),
      m_table(new QTableView(this)),
      m_status(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_checkAll(button("&Check All", "checkAllButton", "Check All", this)),
      m_backUpAll(button("&Back Up All...", "backUpAllButton", "Back Up All", this)),
      m_restore(button("&Restore Profile to Selected...", "restoreButton",
                       "Restore Profile to Selected", this)),
      m_cancel(button("Cance&l", "cancelButton", "Cancel", this)) {
    setObjectName(QStringLiteral("fleetWindow"));
    setWindowTitle(QStringLiteral("Panels"));
    setAccessibleName(windowTitle());
    setWindowFlag(Qt::Window);

    m_table->setObjectName(QStringLiteral("panelTable"));
    m_table->setAccessibleName(QStringLiteral("Registered panels"));
    m_table->setAccessibleDescription(
        QStringLiteral("Enter or double-click makes a panel the target of every page"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Columns fit their contents when the rows change and when an operation ends, not at every
    // answer: measuring every cell for each row filled would hold up the window's repaints.
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableView::activated, this,
            [this](const QModelIndex& index) { makeTarget(index.row()); });

    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setAccessibleName(QStringLiteral("Status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_status->setFocusPolicy(Qt::TabFocus);
    m_status->setWordWrap(true);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_progress->setFormat(QStringLiteral("%v of %m panels"));
    m_progress->setTextVisible(false);  // until there is something to count

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_checkAll, m_cancel, m_backUpAll, m_restore}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_table);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    resize(1000, 560);

    connect(m_checkAll, &QPushButton::clicked, this, &FleetWindow::checkAll);
    connect(m_backUpAll, &QPushButton::clicked, this, &FleetWindow::backUpAll);
    connect(m_restore, &QPushButton::clicked, this, &FleetWindow::restoreToSelected);
    connect(m_cancel, &QPushButton::clicked, this, &FleetWindow::cancel);
    m_guard.setRefusalListener(
        [this](const QString& what, const QString& running) { refused(what, running); });
    refreshRows();
    updateButtons();
}

FleetWindow::~FleetWindow() {
    m_guard.setRefusalListener({});
    // Panels being worked on finish within their exchange's limits; none starts after this.
    if (m_control) {
        m_control->cancel();
    }
    if (m_worker) {
        m_worker->wait();
    }
}

void FleetWindow::showEvent(QShowEvent* event) {
    // The rows follow the registered panels, which only change while no operation runs.
    if (!running()) {
        refreshRows();
        if (m_model->rowCount() <= 1 && m_status->text().isEmpty()) {
            setStatus(
                QStringLiteral("The panels registered on the ROP List page are listed "
                               "here: NETWORK SEARCH and REGISTER there to add yours."));
        }
    }
    QDialog::showEvent(event);
}

void FleetWindow::changeEvent(QEvent* event) {
    // The operator coming back from a REGISTER on the ROP List page finds the new rows.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !running()) {
        refreshRows();
    }
    QDialog::changeEvent(event);
}

void FleetWindow::refreshRows() {
    m_model->setPanels(m_selection.panelAddressTable());
    m_table->resizeColumnsToContents();
}

std::vector<int> FleetWindow::allRows() const {
    std::vector<int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        rows.push_back(row);
    }
    return rows;
}

std::vector<int> FleetWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::ranges::sort(rows);
    return rows;
}

void FleetWindow::setStatus(const QString& text) {
    m_status->setText(text);
}

void FleetWindow::refused(const QString& what, const QString& running) {
    setStatus(QStringLiteral("%1 was not started: %2 is running.").arg(what, running));
    // A page that seems to ignore its button while this window is closed would leave the
    // operator guessing: the reason comes into view.
    if (!isVisible()) {
        show();
    }
}

bool FleetWindow::begin(const QString& what) {
    m_guarded.emplace(m_guard, what);
    if (!*m_guarded) {
        m_guarded.reset();
        return false;
    }
    m_operation = what;
    // One cancel for the whole operation, a restore's preview and writes alike.
    m_control = std::make_unique<fleet::FleetControl>();
    refreshRows();
    updateButtons();
    return true;
}

void FleetWindow::end(const QString& status) {
    m_guarded.reset();
    m_control.reset();
    m_table->resizeColumnsToContents();
    setStatus(status);
    updateButtons();
    Q_EMIT operationEnded();
}

void FleetWindow::updateButtons() {
    const bool busy = running();
    m_checkAll->setEnabled(!busy);
    m_backUpAll->setEnabled(!busy);
    m_restore->setEnabled(!busy);
    m_cancel->setEnabled(busy && m_control != nullptr && !m_control->cancelled());
}

void FleetWindow::run(const std::vector<int>& rows, const Job& job, const Apply& apply,
                      const Done& done) {
    if (m_worker) {
        m_worker->wait();
    }
    m_progress->setRange(0, static_cast<int>(rows.size()));
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    fleet::FleetOptions options;
    options.jobs = 0;
    options.control = m_control.get();
    // On a worker thread: the row is filled on this window's thread, in the order of answers.
    options.onFinished = [this, apply](const fleet::PanelResult& result, std::size_t finished,
                                       std::size_t) {
        QMetaObject::invokeMethod(
            this,
            [this, apply, result, finished] {
                apply(result);
                m_progress->setValue(static_cast<int>(finished));
            },
            Qt::QueuedConnection);
    };
    auto results = std::make_shared<std::vector<fleet::PanelResult>>();
    // Twenty-five exchanges starting at once would take the cores from this window's thread,
    // which then paints late; they wait on the network most of the time and lose nothing by
    // yielding.
    const Job yielding = [job](const fleet::Target& target) {
        static thread_local const bool lowered = lowerCurrentThreadPriority();
        static_cast<void>(lowered);
        return job(target);
    };
    m_worker.reset(QThread::create([targets = m_model->targets(rows), options, yielding, results] {
        *results = fleet::runFleet(targets, options, yielding);
    }));
    // Queued behind every row's result, as the worker ends after its last callback.
    connect(m_worker.get(), &QThread::finished, this, [this, apply, results, done] {
        m_worker->wait();
        for (const fleet::PanelResult& result : *results) {
            if (result.progress != fleet::Progress::Finished) {
                apply(result);
            }
        }
        done(*results);
    });
    m_worker->start();
    updateButtons();
}

void FleetWindow::checkAll() {
    if (!begin(QStringLiteral("Check All"))) {
        return;
    }
    const std::vector<int> rows = allRows();
    m_model->markChecking(rows);
    setStatus(QStringLiteral("Checking %1...").arg(panels(rows.size())));
    run(
        rows,
        [exchange = m_exchange](const fleet::Target& target) {
            return fleet::statusStep(target, exchange);
        },
        [this](const fleet::PanelResult& result) { m_model->applyStatus(result); },
        [this](const std::vector<fleet::PanelResult>& results) {
            end(QStringLiteral("Check All: ") + tally(results, QStringLiteral("reachable")));
        });
}

void FleetWindow::backUpAll() {
    if (!begin(QStringLiteral("Back Up All"))) {
        return;
    }
    const std::optional<QString> dir =
        m_dialogs.folder(QStringLiteral("Back Up All: Folder for the Panel Profiles"));
    if (!dir) {
        end(QStringLiteral("Back Up All: cancelled; nothing was read or saved."));
        return;
    }
    if (const auto problem = fleet::unwritableFolder(*dir)) {
        end(QStringLiteral("Back Up All: %1; nothing was read or saved.")
                .arg(QString::fromStdString(*problem)));
        return;
    }
    setStatus(QStringLiteral("Backing up %1 to %2...").arg(panels(allRows().size()), *dir));
    run(
        allRows(),
        [exchange = m_exchange, dir = *dir, control = m_control.get()](const fleet::Target& t) {
            return fleet::backupStep(t, exchange, dir, control);
        },
        [this](const fleet::PanelResult& result) {
            m_model->applyResult(result, QStringLiteral("saved: "));
        },
        [this, dir = *dir](const std::vector<fleet::PanelResult>& results) {
            end(QStringLiteral("Back Up All to %1: ").arg(dir) +
                tally(results, QStringLiteral("saved")));
        });
}

void FleetWindow::restoreToSelected() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        setStatus(QStringLiteral("Select the panels to restore to first."));
        return;
    }
    if (!begin(QStringLiteral("Restore"))) {
        return;
    }
    const std::optional<QString> file =
        m_dialogs.openFileName(QStringLiteral("Restore Profile to Selected"),
                               QStringLiteral("Panel files (*.json);;All files (*)"));
    if (!file) {
        end(QStringLiteral("Restore: cancelled; nothing was sent."));
        return;
    }
    const std::variant<PanelProfile, FileProblems> decoded = readPanelProfile(*file);
    if (const auto* problems = std::get_if<FileProblems>(&decoded)) {
        m_messages.show(QStringLiteral("The panel profile was not opened; nothing was sent.\n") +
                            qs(describeProblems(*problems)),
                        applicationCaption(), MessageBoxes::Icon::Warning,
                        MessageBoxes::Buttons::Ok);
        end(QStringLiteral("Restore: the profile %1 was refused; nothing was sent.").arg(*file));
        return;
    }
    const PanelProfile& profile = std::get<PanelProfile>(decoded);
    QStringList refusals;
    for (const fleet::Target& target : m_model->targets(rows)) {
        if (const auto refusal = fleet::refuseProfile(profile, target.address, {})) {
            refusals << qs(target.title() + ": " + *refusal);
        }
    }
    if (!refusals.isEmpty()) {
        m_messages.show(QStringLiteral("The profile cannot be written; nothing was sent.\n") +
                            refusals.join(u'\n'),
                        applicationCaption(), MessageBoxes::Icon::Warning,
                        MessageBoxes::Buttons::Ok);
        end(QStringLiteral("Restore: refused; nothing was sent."));
        return;
    }
    // Each panel keeps its own address, subnet mask and gateway, as trx900 restore does.
    const fleet::RestorePlan plan{fleet::prepareForWrite(profile), {}, true, {}};
    setStatus(QStringLiteral("Reading %1 to preview the restore...").arg(panels(rows.size())));
    run(
        rows,
        [exchange = m_exchange, plan](const fleet::Target& target) {
            return fleet::dryRunStep(target, exchange, plan);
        },
        [this](const fleet::PanelResult& result) {
            m_model->applyResult(result, QStringLiteral("preview: "));
        },
        [this, file = *file, plan](const std::vector<fleet::PanelResult>& previews) {
            restoreAfterPreview(file, plan, previews);
        });
}

void FleetWindow::restoreAfterPreview(const QString& file, const fleet::RestorePlan& plan,
                                      const std::vector<fleet::PanelResult>& previews) {
    // Only panels that answered the preview are written: the operator agrees to what was shown.
    std::vector<int> rows;
    QStringList lines;
    for (const fleet::PanelResult& preview : previews) {
        const QString title = qs(preview.target.title());
        if (preview.progress != fleet::Progress::Finished) {
            end(QStringLiteral("Restore: cancelled during the preview; nothing was written."));
            return;
        }
        if (!preview.ok) {
            lines << title + QStringLiteral(": not written, no preview: ") + qs(preview.error);
            continue;
        }
        lines << title + QStringLiteral(": ") + qs(preview.lines.front());
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (m_model->target(row) == preview.target) {
                rows.push_back(row);
            }
        }
    }
    if (rows.empty()) {
        end(QStringLiteral("Restore: no selected panel answered; nothing was written."));
        return;
    }
    QString question =
        QStringLiteral("Write the panel profile %1 to %2? %3 after the transfer.")
            .arg(file, panels(rows.size()),
                 rows.size() == 1 ? QStringLiteral("It reboots") : QStringLiteral("They reboot"));
    question += QStringLiteral("\n\n") + lines.join(u'\n');
    if (hasCamcorderIp(plan.prepared.cameraTable)) {
        question += QStringLiteral("\n\n") + qs(camcorderFirmwareQuestion());
    }
    if (m_messages.show(question, applicationCaption(), MessageBoxes::Icon::Warning,
                        MessageBoxes::Buttons::OkCancel) != MessageBoxes::Answer::Ok) {
        end(QStringLiteral("Restore: nothing was written."));
        return;
    }
    setStatus(QStringLiteral("Writing to %1...").arg(panels(rows.size())));
    run(
        rows,
        [exchange = m_exchange, plan, control = m_control.get()](const fleet::Target& target) {
            return fleet::restoreStep(target, exchange, plan, control);
        },
        [this](const fleet::PanelResult& result) { m_model->applyResult(result, {}); },
        [this](const std::vector<fleet::PanelResult>& results) {
            end(QStringLiteral("Restore: ") + tally(results, QStringLiteral("written")));
        });
}

void FleetWindow::cancel() {
    if (m_control) {
        m_control->cancel();
        setStatus(m_operation +
                  QStringLiteral(": cancelling; waiting for the panels being worked on..."));
        updateButtons();
    }
}

void FleetWindow::makeTarget(int row) {
    const fleet::Target target = m_model->target(row);
    m_selection.selectPanel(m_model->panelIndex(row));
    setStatus(qs(target.title()) + QStringLiteral(" is now the target of every page."));
}

}  // namespace trx
