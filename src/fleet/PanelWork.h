#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "exchange/PanelExchange.h"
#include "files/PanelFiles.h"
#include "fleet/FleetRunner.h"
#include "wire/ExchangeOutcome.h"
#include "wire/PanelAddress.h"

namespace trx::fleet {

// The two parts of a profile, which restore and its dry run may take one at a time.
struct Parts {
    bool cameraList = true;
    bool settings = true;
};

// A panel's camera table and settings record as two request exchanges, settings first. A part
// not asked for keeps its default.
struct ProfileRead {
    std::optional<PanelProfile> profile;
    std::string error;
    std::chrono::milliseconds time{0};
};
ProfileRead readProfile(PanelAddress address, const ExchangeSettings& settings, Parts parts = {});

// Why the profile must not be written to the target: the checks the Camera List and
// Configuration pages make before their SET sends anything. Nothing when it may be written.
std::optional<std::string> refuseProfile(const PanelProfile& profile, PanelAddress target,
                                         Parts parts);

// The profile as restore sends it: MAC addresses only for network cameras, both blocks sealed.
PanelProfile prepareForWrite(PanelProfile profile);

// The profile with the camera table's first 12 bytes (the panel's own address, subnet mask and
// gateway) taken from the panel's own table, sealed again: a profile cloned to many panels, or
// opened in the window, must not give them all one address.
PanelProfile keepPanelNetwork(PanelProfile profile, const CameraTable& panelTable);

// How a write of both parts waits for the panel, which reboots after taking its camera list,
// before it writes the settings: a pause for the panel to go down, then a settings read every
// `interval` until one is answered, for at most `limit` from the camera list's write.
struct RebootWait {
    std::chrono::milliseconds settle{1000};
    std::chrono::milliseconds interval{500};
    std::chrono::milliseconds limit{60000};
};

// What a write of a profile's parts did: the parts the panel took and, when it did not take
// every part asked for, why.
struct WriteReport {
    Parts written{false, false};
    std::string error;
};

// Writes the prepared profile's parts with the pages' write exchanges and result-line checks,
// camera list first; no write starts once `control` is cancelled.
WriteReport writeProfile(PanelAddress address, const ExchangeSettings& settings,
                         const PanelProfile& prepared, Parts parts, const RebootWait& wait,
                         const FleetControl* control);

// The panel's camera table, or nothing and the reason in `error`.
std::optional<CameraTable> readCameraTable(PanelAddress address, const ExchangeSettings& settings,
                                           std::string& error);

// ROP List REGISTER for one panel: its row number (0..24) as a write. An empty text on success.
std::string registerPanel(PanelAddress address, const ExchangeSettings& settings, int rowIndex);

}  // namespace trx::fleet
