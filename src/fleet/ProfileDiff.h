#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <string>
#include <vector>

#include "files/PanelFiles.h"
#include "fleet/PanelWork.h"

namespace trx::fleet {

// One field that two profiles hold differently, named by its place in the profile file
// ("cameraList.cameras[2].port"), or a run of block bytes that no field shows
// ("cameraList.block[433..437]", values in hex).
struct Difference {
    std::string field;
    QJsonValue a;
    QJsonValue b;
    // For a run of block bytes, how many; 0 for a field.
    std::size_t unshownBytes = 0;
};

// The profile as its file holds it, as JSON.
QJsonObject profileJson(const PanelProfile& profile);

// Field by field, then the block bytes that no field shows; checksum bytes are not compared.
std::vector<Difference> diffProfiles(const PanelProfile& a, const PanelProfile& b,
                                     Parts parts = {});

QJsonArray differencesJson(const std::vector<Difference>& differences);
// What the differences change, counted: "2 fields", "1 field and 3 bytes no field shows".
std::string changeCount(const std::vector<Difference>& differences);
// "cameraList.cameras[2].port: 80 -> 8080", one a line; an empty text shows as "".
std::vector<std::string> differenceLines(const std::vector<Difference>& differences);

}  // namespace trx::fleet
