#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "exchange/PanelExchange.h"
#include "files/PanelFiles.h"
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

// Writes the prepared profile's parts with the pages' write exchanges and result-line checks,
// camera list first; an empty text when the panel took every part.
std::string writeProfile(PanelAddress address, const ExchangeSettings& settings,
                         const PanelProfile& prepared, Parts parts);

// ROP List REGISTER for one panel: its row number (0..24) as a write. An empty text on success.
std::string registerPanel(PanelAddress address, const ExchangeSettings& settings, int rowIndex);

}  // namespace trx::fleet
