#pragma once

#include <QJsonObject>

#include <string>
#include <string_view>
#include <vector>

#include "fleet/FleetRunner.h"

namespace trx::cli {

using fleet::PanelResult;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// {"address", "label" (or null), "ok", "error" (or null)} and the command's own fields.
QJsonObject resultJson(const PanelResult& result);

// Indented, on stdout.
void printJson(const QJsonObject& object);

// A fleet command's results in target order: {"command", "ok", "panels": [...]}, or one line a
// panel ("TRX1  192.168.0.130  ok  ...") and a closing count.
void printFleet(std::string_view command, const std::vector<PanelResult>& results, bool json);

// 0 when every panel succeeded, 1 otherwise.
int fleetStatus(const std::vector<PanelResult>& results);

// "trx900: text" on stderr.
void printError(const std::string& text);

}  // namespace trx::cli
