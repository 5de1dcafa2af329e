#include "fleet/FleetSteps.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QTemporaryFile>

#include <filesystem>

#include "fleet/ProfileDiff.h"
#include "records/CameraListRules.h"

namespace trx::fleet {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

int countCameras(const CameraTable& table) {
    int count = 0;
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        count += table.typeCode(row) != camera_type::kNoAssign ? 1 : 0;
    }
    return count;
}

QJsonArray partsJson(Parts parts) {
    QJsonArray names;
    if (parts.cameraList) {
        names.append(QStringLiteral("camera-list"));
    }
    if (parts.settings) {
        names.append(QStringLiteral("settings"));
    }
    return names;
}

}  // namespace

std::string partsText(Parts parts) {
    if (parts.cameraList && parts.settings) {
        return "camera list and settings";
    }
    return parts.cameraList ? "camera list" : "settings";
}

std::string utcNow() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
}

PanelResult statusStep(const Target& target, const ExchangeSettings& settings) {
    PanelResult result;
    const ProfileRead read = readProfile(target.address, settings);
    if (!read.profile) {
        result.error = read.error;
        return result;
    }
    // A code outside the table is named as it is, not as the Serial CCU the page would fall
    // back to.
    const std::uint8_t code = read.profile->cameraTable.modeCode();
    const bool known = isSerialModeCode(code) || isIpModeCode(code);
    const ModeSelection mode = decodeModeCode(code);
    const std::string modeName(connectionModeName(mode.mode));
    const std::string familyName(cameraFamilyName(mode.family));
    const unsigned port = read.profile->settings.decode().receivePort;
    const int cameras = countCameras(read.profile->cameraTable);
    result.ok = true;
    result.fields = {{QStringLiteral("answerMs"), qint64(read.time.count())},
                     {QStringLiteral("receivePort"), int(port)},
                     {QStringLiteral("modeCode"), int(code)},
                     {QStringLiteral("connectionMode"), known ? qs(modeName) : QJsonValue()},
                     {QStringLiteral("cameraFamily"), known ? qs(familyName) : QJsonValue()},
                     {QStringLiteral("camerasAssigned"), cameras}};
    result.lines.push_back(std::to_string(read.time.count()) + " ms, receive port " +
                           std::to_string(port) + ", " +
                           (known ? modeName + " " + familyName : modeCodeText(code)) + ", " +
                           std::to_string(cameras) + (cameras == 1 ? " camera" : " cameras"));
    return result;
}

std::optional<std::string> unwritableFolder(const QString& dir) {
    std::error_code error;
    // From UTF-16: a narrow path would be read in the system's code page on Windows.
    std::filesystem::create_directories(std::filesystem::path(dir.toStdU16String()), error);
    if (error) {
        return "cannot make the folder " + dir.toStdString() + ": " + error.message();
    }
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".trx900-XXXXXX")));
    if (!probe.open()) {
        return "cannot write in the folder " + dir.toStdString() + ": " +
               probe.errorString().toStdString();
    }
    return std::nullopt;
}

PanelResult backupStep(const Target& target, const ExchangeSettings& settings, const QString& dir,
                       const FleetControl* control) {
    PanelResult result;
    ProfileRead read = readProfile(target.address, settings);
    if (!read.profile) {
        result.error = read.error;
        return result;
    }
    read.profile->savedAt = utcNow();
    const QByteArray bytes = encodePanelProfile(*read.profile);
    const QString path = QDir(dir).filePath(qs(target.name() + ".trx900.json"));
    const auto writes = holdFileWrites();
    if (control != nullptr && control->cancelled()) {
        result.error = "interrupted";
        return result;
    }
    if (const auto failure = writePanelFileAtomically(path, bytes)) {
        result.error = "file not written: " + failure->toStdString();
        return result;
    }
    result.ok = true;
    result.fields = {{QStringLiteral("file"), path}};
    result.lines.push_back(path.toStdString());
    if (const auto refusal = refuseProfile(*read.profile, target.address, Parts{})) {
        const std::string warning = "restore would refuse to send these values back: " + *refusal;
        result.fields.insert(QStringLiteral("warning"), qs(warning));
        result.lines.push_back("warning: " + warning);
    }
    return result;
}

PanelResult dryRunStep(const Target& target, const ExchangeSettings& settings,
                       const RestorePlan& plan) {
    PanelResult result;
    const ProfileRead read = readProfile(target.address, settings, plan.parts);
    if (!read.profile) {
        result.error = read.error;
        return result;
    }
    const PanelProfile sent = plan.parts.cameraList && plan.keepPanelNetwork
                                  ? keepPanelNetwork(plan.prepared, read.profile->cameraTable)
                                  : plan.prepared;
    const auto differences = diffProfiles(*read.profile, sent, plan.parts);
    result.ok = true;
    result.fields = {{QStringLiteral("written"), QJsonArray()},
                     {QStringLiteral("differences"), differencesJson(differences)}};
    result.lines.push_back("would change " +
                           (differences.empty() ? "nothing" : changeCount(differences)));
    const auto lines = differenceLines(differences);
    result.lines.insert(result.lines.end(), lines.begin(), lines.end());
    return result;
}

PanelResult restoreStep(const Target& target, const ExchangeSettings& settings,
                        const RestorePlan& plan, const FleetControl* control) {
    PanelResult result;
    result.fields = {{QStringLiteral("written"), QJsonArray()}};
    PanelProfile sent = plan.prepared;
    if (plan.parts.cameraList && plan.keepPanelNetwork) {
        const auto table = readCameraTable(target.address, settings, result.error);
        if (!table) {
            return result;
        }
        sent = keepPanelNetwork(std::move(sent), *table);
    }
    const WriteReport report =
        writeProfile(target.address, settings, sent, plan.parts, plan.rebootWait, control);
    result.error = report.error;
    result.ok = report.error.empty();
    result.fields = {{QStringLiteral("written"), partsJson(report.written)}};
    if (result.ok) {
        result.lines.push_back(partsText(plan.parts) + " written");
    }
    return result;
}

PanelResult registerStep(const Target& target, const ExchangeSettings& settings) {
    PanelResult result;
    const int row = RopRowFromLabel(target.label).value_or(1);
    result.error = registerPanel(target.address, settings, row - 1);
    result.ok = result.error.empty();
    result.fields = {{QStringLiteral("ropNumber"), row}};
    if (result.ok) {
        result.lines.push_back("registered as " + target.label);
    }
    return result;
}

}  // namespace trx::fleet
