#include "cli/Output.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

namespace trx::cli {

using fleet::PanelResult;
using fleet::Progress;

namespace {

QJsonValue textOrNull(const std::string& text) {
    return text.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(text));
}

// Why a panel of an interrupted run has no result of its own.
std::string unfinishedText(Progress progress) {
    return progress == Progress::Interrupted
               ? "interrupted while being worked on: what was sent may have reached the panel"
               : "not started";
}

std::string errorText(const PanelResult& result) {
    if (result.progress != Progress::Finished) {
        return unfinishedText(result.progress);
    }
    return result.ok ? std::string{} : result.error;
}

bool unfinished(const PanelResult& result) {
    return result.progress != Progress::Finished;
}

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

}  // namespace

QJsonObject resultJson(const PanelResult& result) {
    QJsonObject object = result.fields;
    object.insert(QStringLiteral("address"),
                  QString::fromStdString(addressText(result.target.address)));
    object.insert(QStringLiteral("label"), textOrNull(result.target.label));
    object.insert(QStringLiteral("ok"), result.ok && !unfinished(result));
    object.insert(QStringLiteral("error"), textOrNull(errorText(result)));
    return object;
}

void printJson(const QJsonObject& object) {
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

void printFleet(std::string_view command, const std::vector<PanelResult>& results, bool json) {
    if (json) {
        QJsonArray panels;
        for (const PanelResult& result : results) {
            panels.append(resultJson(result));
        }
        QJsonObject object{
            {QStringLiteral("command"),
             QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size()))},
            {QStringLiteral("ok"), fleetStatus(results) == kExitOk},
            {QStringLiteral("panels"), panels}};
        if (std::any_of(results.begin(), results.end(), unfinished)) {
            object.insert(QStringLiteral("interrupted"), true);
        }
        printJson(object);
        return;
    }
    std::size_t labelWidth = 0;
    for (const PanelResult& result : results) {
        labelWidth = std::max(labelWidth, result.target.label.size());
    }
    std::size_t failed = 0;
    std::size_t interrupted = 0;
    std::size_t notStarted = 0;
    for (const PanelResult& result : results) {
        std::string line =
            labelWidth > 0 ? padded(result.target.label, labelWidth + 2) : std::string{};
        line += padded(addressText(result.target.address), 17);
        if (result.progress == Progress::Interrupted) {
            ++interrupted;
            line += "INTERRUPTED  " + unfinishedText(result.progress);
        } else if (result.progress == Progress::NotStarted) {
            ++notStarted;
            line += "not started";
        } else if (result.ok) {
            line += "ok";
            if (!result.lines.empty()) {
                line += "      " + result.lines.front();
            }
        } else {
            ++failed;
            line += "FAILED  " + result.error;
        }
        std::printf("%s\n", line.c_str());
        for (std::size_t i = 1; i < result.lines.size(); ++i) {
            std::printf("    %s\n", result.lines[i].c_str());
        }
    }
    std::string count = std::to_string(results.size()) +
                        (results.size() == 1 ? " panel: " : " panels: ") +
                        std::to_string(results.size() - failed - interrupted - notStarted) +
                        " ok, " + std::to_string(failed) + " failed";
    if (interrupted + notStarted > 0) {
        count += ", " + std::to_string(interrupted) + " interrupted, " +
                 std::to_string(notStarted) + " not started";
    }
    std::printf("%s\n", count.c_str());
    std::fflush(stdout);
}

int fleetStatus(const std::vector<PanelResult>& results) {
    const bool allOk = std::all_of(results.begin(), results.end(),
                                   [](const PanelResult& r) { return r.ok && !unfinished(r); });
    return allOk ? kExitOk : kExitFailed;
}

void printError(const std::string& text) {
    std::fprintf(stderr, "trx900: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace trx::cli
