#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "records/CameraTable.h"
#include "records/RopTable.h"
#include "records/SettingsRecord.h"

namespace trx {

// Panel profiles and panel lists as JSON files. Reading is all-or-nothing: a file is either
// accepted whole or refused with every problem named by its place.

// A file larger than this is refused before it is parsed.
inline constexpr qsizetype kPanelFileMaxBytes = qsizetype{1024} * 1024;

// One reason a file was refused: where ("cameraList.cameras[3].port") and what ("70000 is not a
// port number").
struct FileProblem {
    std::string place;
    std::string text;
    friend bool operator==(const FileProblem&, const FileProblem&) = default;
};
using FileProblems = std::vector<FileProblem>;

// "place: text", one problem a line.
std::string describeProblems(const FileProblems& problems);

// What one panel holds that the operator sets: its camera table and its settings record.
struct PanelProfile {
    CameraTable cameraTable;
    SettingsRecord settings;
    // For people only: the address it was read from and when it was saved (UTC, ISO 8601).
    std::string source;
    std::string savedAt;
};

// The fleet's roster: row n-1 is the panel "TRXn"; an all-zero row is empty.
using PanelList = std::array<RopRow, kRopRowCount>;

QByteArray encodePanelProfile(const PanelProfile& profile);
std::variant<PanelProfile, FileProblems> decodePanelProfile(const QByteArray& json);

QByteArray encodePanelList(const PanelList& list);
std::variant<PanelList, FileProblems> decodePanelList(const QByteArray& json);

// Reads at most kPanelFileMaxBytes; a missing, unreadable or larger file is one problem whose
// place is the file name.
std::variant<QByteArray, FileProblems> readPanelFile(const QString& path);
// readPanelFile and the decode in one: what the file holds, or the problems of the file or of
// its contents.
std::variant<PanelProfile, FileProblems> readPanelProfile(const QString& path);
std::variant<PanelList, FileProblems> readPanelList(const QString& path);

// Writes through QSaveFile: the file at path is either the old one or the complete new one.
// Returns the reason on failure.
std::optional<QString> writePanelFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace trx
