#pragma once

#include <QString>

#include <optional>
#include <string>

#include "exchange/PanelExchange.h"
#include "files/PanelFiles.h"
#include "fleet/FleetRunner.h"
#include "fleet/PanelWork.h"

// The steps that fleet commands run on each panel, with their results as the window and
// trx900 show them: JSON fields and lines for people.
namespace trx::fleet {

// Reads the panel: answer time, receive port, connection mode and camera family, cameras.
PanelResult statusStep(const Target& target, const ExchangeSettings& settings);

// Why no profile could be saved in the folder, made when missing; nothing when one can. Asked
// before any panel is read, so that a whole fleet is not read for nothing.
std::optional<std::string> unwritableFolder(const QString& dir);

// Reads the panel and saves its profile as DIR/NAME.trx900.json, whole or not at all, with a
// warning when the panel holds values that restore would refuse to send back as they are. No
// file is written once `control` is cancelled.
PanelResult backupStep(const Target& target, const ExchangeSettings& settings, const QString& dir,
                       const FleetControl* control);

// What restore writes to each panel: the prepared profile's parts, with the panel's own address,
// subnet mask and gateway kept (read from it first) unless the profile's are asked for.
struct RestorePlan {
    PanelProfile prepared;
    Parts parts;
    bool keepPanelNetwork = true;
    RebootWait rebootWait;
};

// What the plan would change on the panel; sends no write.
PanelResult dryRunStep(const Target& target, const ExchangeSettings& settings,
                       const RestorePlan& plan);

// Writes the plan to the panel; a panel that took only the camera list says so.
PanelResult restoreStep(const Target& target, const ExchangeSettings& settings,
                        const RestorePlan& plan, const FleetControl* control);

// ROP List REGISTER of one row of a panel list with the panel at its address.
PanelResult registerStep(const Target& target, const ExchangeSettings& settings);

// "camera list and settings", "camera list" or "settings".
std::string partsText(Parts parts);

// The current time as profiles record it.
std::string utcNow();

}  // namespace trx::fleet
