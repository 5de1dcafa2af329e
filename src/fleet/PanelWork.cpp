#include "fleet/PanelWork.h"

#include <QThread>

#include <algorithm>

#include "records/CameraListRules.h"
#include "records/RopTable.h"
#include "wire/Commands.h"

namespace trx::fleet {

namespace {

using Clock = std::chrono::steady_clock;

// The page texts span lines with CR LF; a result prints on one line.
std::string oneLine(const std::string& text) {
    std::string flat;
    for (const char c : text) {
        if (c == '\r') {
            continue;
        }
        flat += c == '\n' ? ' ' : c;
    }
    return flat;
}

std::string_view reason(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Ok:
            return "ok";
        case ExchangeOutcome::SocketCreateFailed:
            return "no socket";
        case ExchangeOutcome::ConnectFailed:
            return "not connected";
        case ExchangeOutcome::CommandSendFailed:
            return "command not sent";
        case ExchangeOutcome::ReceiveFailed:
            return "no complete reply";
        case ExchangeOutcome::ChecksumFailed:
            return "checksum wrong";
        case ExchangeOutcome::NotAcknowledged:
            return "not acknowledged";
        case ExchangeOutcome::BlockSendFailed:
            return "block not sent";
        case ExchangeOutcome::ResultReceiveFailed:
            return "no result line";
    }
    return "?";
}

// Short lower-case reasons, as every command prints them: "camera list read: checksum wrong".
std::string outcomeText(std::string_view step, ExchangeOutcome outcome) {
    // A panel that cannot be reached is that, whichever exchange found it out.
    if (outcome == ExchangeOutcome::ConnectFailed) {
        return std::string(reason(outcome));
    }
    return std::string(step) + ": " + std::string(reason(outcome));
}

// One record read from the panel, taken whole; else nothing, and the reason in error.
template <typename Record>
std::optional<Record> readRecord(PanelAddress address, const ExchangeSettings& settings,
                                 std::string_view commandLine, std::string_view step,
                                 std::string& error) {
    const ExchangeResult result = PanelExchange(settings).request(address, commandLine);
    if (result.outcome != ExchangeOutcome::Ok) {
        error = outcomeText(step, result.outcome);
        return std::nullopt;
    }
    std::optional<Record> record = Record::fromReply(result.bytes);
    if (!record) {
        error = std::string(step) + ": reply too short";
    }
    return record;
}

std::string writeCameraList(PanelAddress address, const ExchangeSettings& settings,
                            const CameraTable& table) {
    const ExchangeResult result =
        PanelExchange(settings).write(address, command::kCameraListChange, table.bytes());
    if (result.outcome != ExchangeOutcome::Ok) {
        return outcomeText("camera list write", result.outcome);
    }
    switch (evaluateWriteResult(result.bytes)) {
        case CameraWriteResult::CameraTypeRefused:
            return "camera list write: " + oneLine(noCameraText());
        case CameraWriteResult::Refused:
            return "camera list write: write error";
        case CameraWriteResult::Written:
            break;
    }
    return {};
}

std::string writeSettings(PanelAddress address, const ExchangeSettings& settings,
                          const SettingsRecord& record) {
    const ExchangeResult result =
        PanelExchange(settings).write(address, command::kSetDataChange, record.bytes());
    if (result.outcome != ExchangeOutcome::Ok) {
        return outcomeText("settings write", result.outcome);
    }
    return settingsWriteTaken(result.bytes) ? std::string{} : "settings write: write error";
}

// Waits until the panel answers a settings read again; the reason when it does not in time.
template <typename Cancelled>
std::string waitForReboot(PanelAddress address, const ExchangeSettings& settings,
                          const RebootWait& wait, const Cancelled& cancelled) {
    const auto deadline = Clock::now() + wait.limit;
    const auto sleepUntil = [&](Clock::time_point until) {
        while (Clock::now() < until && !cancelled()) {
            QThread::msleep(20);
        }
    };
    sleepUntil(std::min(deadline, Clock::now() + wait.settle));
    for (;;) {
        if (cancelled()) {
            return "interrupted";
        }
        std::string error;
        if (readRecord<SettingsRecord>(address, settings, command::kSetDataRequest, "settings read",
                                       error)) {
            return {};
        }
        if (Clock::now() >= deadline) {
            const auto seconds =
                std::chrono::duration_cast<std::chrono::seconds>(wait.limit).count();
            return "panel did not come back within " + std::to_string(seconds) + " s";
        }
        sleepUntil(std::min(deadline, Clock::now() + wait.interval));
    }
}

}  // namespace

ProfileRead readProfile(PanelAddress address, const ExchangeSettings& settings, Parts parts) {
    ProfileRead read;
    const auto start = Clock::now();
    PanelProfile profile;
    profile.source = addressText(address);
    if (parts.settings) {
        const auto record = readRecord<SettingsRecord>(address, settings, command::kSetDataRequest,
                                                       "settings read", read.error);
        if (!record) {
            return read;
        }
        profile.settings = *record;
    }
    if (parts.cameraList) {
        const auto table = readRecord<CameraTable>(address, settings, command::kCameraListRequest,
                                                   "camera list read", read.error);
        if (!table) {
            return read;
        }
        profile.cameraTable = *table;
    }
    read.time = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    read.profile = std::move(profile);
    return read;
}

std::optional<std::string> refuseProfile(const PanelProfile& profile, PanelAddress target,
                                         Parts parts) {
    if (parts.cameraList) {
        const CameraTable& table = profile.cameraTable;
        if (!hasAnyCamera(table)) {
            return oneLine(noCameraText());
        }
        CameraPorts ports{};
        for (int row = 0; row < CameraTable::kRowCount; ++row) {
            ports[static_cast<std::size_t>(row)] = table.rowPort(row);
        }
        if (const auto refusal = checkCameraAddresses(table, target, ports)) {
            return oneLine(refusal->text);
        }
    }
    if (parts.settings) {
        const unsigned port = profile.settings.decode().receivePort;
        if (port < SettingsRecord::kPortMin || port > SettingsRecord::kPortMax) {
            return "receive port " + std::to_string(port) + " is outside " +
                   std::to_string(SettingsRecord::kPortMin) + ".." +
                   std::to_string(SettingsRecord::kPortMax);
        }
    }
    return std::nullopt;
}

PanelProfile prepareForWrite(PanelProfile profile) {
    clearNonIpMacs(profile.cameraTable);
    profile.cameraTable.seal();
    profile.settings.seal();
    return profile;
}

PanelProfile keepPanelNetwork(PanelProfile profile, const CameraTable& panelTable) {
    CameraTable& table = profile.cameraTable;
    table.setPanelAddress(panelTable.panelAddress());
    table.setPanelSubnetMask(panelTable.panelSubnetMask());
    table.setPanelGateway(panelTable.panelGateway());
    table.seal();
    return profile;
}

std::optional<CameraTable> readCameraTable(PanelAddress address, const ExchangeSettings& settings,
                                           std::string& error) {
    return readRecord<CameraTable>(address, settings, command::kCameraListRequest,
                                   "camera list read", error);
}

WriteReport writeProfile(PanelAddress address, const ExchangeSettings& settings,
                         const PanelProfile& prepared, Parts parts, const RebootWait& wait,
                         const FleetControl* control) {
    WriteReport report;
    const auto cancelled = [control] { return control != nullptr && control->cancelled(); };
    if (parts.cameraList) {
        report.error = cancelled() ? std::string("interrupted")
                                   : writeCameraList(address, settings, prepared.cameraTable);
        if (!report.error.empty()) {
            return report;
        }
        report.written.cameraList = true;
    }
    if (parts.settings) {
        if (report.written.cameraList) {
            report.error = waitForReboot(address, settings, wait, cancelled);
        }
        if (report.error.empty() && cancelled()) {
            report.error = "interrupted";
        }
        if (report.error.empty()) {
            report.error = writeSettings(address, settings, prepared.settings);
        }
        report.written.settings = report.error.empty();
    }
    if (!report.error.empty() && report.written.cameraList) {
        report.error = "camera list written; settings not written: " + report.error;
    }
    return report;
}

std::string registerPanel(PanelAddress address, const ExchangeSettings& settings, int rowIndex) {
    PanelExchange exchange(settings);
    const ExchangeOutcome outcome =
        exchange.write(address, command::kRopListChange, EncodeRopNumberBlock(rowIndex)).outcome;
    return outcome == ExchangeOutcome::Ok ? std::string{}
                                          : outcomeText("ROP number write", outcome);
}

}  // namespace trx::fleet
