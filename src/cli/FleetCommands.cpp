#include "cli/FleetCommands.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>

#include "cli/FleetRun.h"
#include "cli/Output.h"
#include "cli/Terminal.h"
#include "files/PanelFiles.h"
#include "fleet/FleetRunner.h"
#include "fleet/FleetSteps.h"
#include "fleet/PanelWork.h"
#include "fleet/ProfileDiff.h"
#include "records/CameraListRules.h"

namespace trx::cli {

using namespace trx::fleet;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// A failure found before anything was sent.
struct UsageError {
    std::string text;
};

template <typename T>
using OrError = std::variant<T, UsageError>;

// The file's name once: a file that cannot be read is its one problem, named by the file.
std::string fileProblems(const std::string& path, const FileProblems& problems) {
    const bool named = std::ranges::all_of(
        problems, [&path](const FileProblem& problem) { return problem.place == path; });
    return (named ? std::string() : path + ":\n") + describeProblems(problems);
}

// A profile or panel list file, or every problem it has.
template <typename T>
OrError<T> loadFile(const std::string& path,
                    std::variant<T, FileProblems> (*read)(const QString&)) {
    auto decoded = read(qs(path));
    if (auto* problems = std::get_if<FileProblems>(&decoded)) {
        return UsageError{fileProblems(path, *problems)};
    }
    return std::get<T>(std::move(decoded));
}

// An operand that names panels where a file is expected is a mistake in the command line, not a
// file that is missing.
std::optional<UsageError> panelsForFile(const std::string& operand, const std::string& expected) {
    if (const auto meant = addressWithLeadingZeros(operand)) {
        return UsageError{"'" + operand + "': an octet with a leading zero is ambiguous; write " +
                          addressText(*meant)};
    }
    if (!std::holds_alternative<std::vector<PanelAddress>>(parseTargetText(operand))) {
        return std::nullopt;
    }
    return UsageError{"'" + operand + "' names panels where " + expected + " is expected"};
}

OrError<PanelProfile> loadProfile(const std::string& path) {
    if (auto error = panelsForFile(path, "a profile file")) {
        return *error;
    }
    return loadFile<PanelProfile>(path, readPanelProfile);
}

OrError<PanelList> loadList(const std::string& path) {
    if (auto error = panelsForFile(path, "a panel list file")) {
        return *error;
    }
    return loadFile<PanelList>(path, readPanelList);
}

OrError<std::vector<Target>> loadTargets(const Options& o,
                                         const std::vector<std::string>& operands) {
    std::vector<Target> listed;
    if (!o.listFile.empty()) {
        auto list = loadList(o.listFile);
        if (auto* error = std::get_if<UsageError>(&list)) {
            return *error;
        }
        listed = listTargets(std::get<PanelList>(list));
    }
    std::vector<PanelAddress> typed;
    for (const std::string& operand : operands) {
        auto parsed = parseTargetText(operand);
        if (auto* error = std::get_if<std::string>(&parsed)) {
            return UsageError{*error};
        }
        const auto& addresses = std::get<std::vector<PanelAddress>>(parsed);
        typed.insert(typed.end(), addresses.begin(), addresses.end());
    }
    std::vector<Target> targets = mergeTargets(listed, typed);
    for (const Target& target : targets) {
        if (refusedAddress(target.address)) {
            return UsageError{target.title() + " is no panel address"};
        }
    }
    if (targets.empty()) {
        return UsageError{"no panel given"};
    }
    return targets;
}

int refuse(const std::string& text) {
    printError(text);
    return kExitUsage;
}

int status(const Options& o) {
    auto targets = loadTargets(o, o.operands);
    if (auto* error = std::get_if<UsageError>(&targets)) {
        return refuse(error->text);
    }
    const auto results =
        runCommandFleet("status", o, std::get<std::vector<Target>>(targets),
                        [&o](const Target& target) { return statusStep(target, o.exchange); });
    printFleet("status", results, o.json);
    return fleetStatus(results);
}

int backup(const Options& o) {
    auto targets = loadTargets(o, o.operands);
    if (auto* error = std::get_if<UsageError>(&targets)) {
        return refuse(error->text);
    }
    const std::string dirName = o.dir.empty() ? std::string(".") : o.dir;
    if (const auto problem = unwritableFolder(qs(dirName))) {
        return refuse(*problem);
    }
    const auto results = runCommandFleet(
        "backup", o, std::get<std::vector<Target>>(targets), [&](const Target& target) {
            return backupStep(target, o.exchange, qs(dirName), &interruptControl());
        });
    printFleet("backup", results, o.json);
    return fleetStatus(results);
}

// Asks once on a terminal; elsewhere --yes stands for the answer.
OrError<bool> confirmWrite(const Options& o, const PanelProfile& profile, std::size_t panels) {
    if (o.yes) {
        return true;
    }
    if (!stdinIsTerminal()) {
        return UsageError{
            "restore writes to panels, which reboot after the transfer: add --yes "
            "to confirm when not on a terminal"};
    }
    if (o.only.cameraList && hasCamcorderIp(profile.cameraTable)) {
        std::string note = camcorderFirmwareQuestion();
        std::erase(note, '\r');
        std::fprintf(stderr, "%s\n", note.c_str());
    }
    return askYes("Write to " + std::to_string(panels) + (panels == 1 ? " panel" : " panels") +
                  "? " + (panels == 1 ? "It reboots" : "They reboot") +
                  " after the transfer. [y/N]");
}

int restore(const Options& o) {
    auto loaded = loadProfile(o.operands.front());
    if (auto* error = std::get_if<UsageError>(&loaded)) {
        return refuse(error->text);
    }
    const PanelProfile& profile = std::get<PanelProfile>(loaded);
    auto loadedTargets = loadTargets(o, {o.operands.begin() + 1, o.operands.end()});
    if (auto* error = std::get_if<UsageError>(&loadedTargets)) {
        return refuse(error->text);
    }
    const auto& targets = std::get<std::vector<Target>>(loadedTargets);
    if (o.withPanelAddress && targets.size() > 1) {
        return refuse(
            "--with-panel-address gives a panel the profile's own address: restore "
            "to one panel with it, not " +
            std::to_string(targets.size()));
    }
    bool refused = false;
    for (const Target& target : targets) {
        if (const auto refusal = refuseProfile(profile, target.address, o.only)) {
            printError(target.title() + ": " + *refusal);
            refused = true;
        }
    }
    if (refused) {
        printError("nothing was sent");
        return kExitUsage;
    }
    RestorePlan plan{prepareForWrite(profile), o.only, !o.withPanelAddress, {}};
    plan.rebootWait.limit = o.rebootWait;

    if (o.dryRun) {
        const auto results = runCommandFleet("restore", o, targets, [&](const Target& target) {
            return dryRunStep(target, o.exchange, plan);
        });
        printFleet("restore", results, o.json);
        return fleetStatus(results);
    }

    auto confirmed = confirmWrite(o, profile, targets.size());
    if (auto* error = std::get_if<UsageError>(&confirmed)) {
        return refuse(error->text);
    }
    if (!std::get<bool>(confirmed)) {
        printError("nothing was written");
        return kExitFailed;
    }
    const auto results = runCommandFleet("restore", o, targets, [&](const Target& target) {
        return restoreStep(target, o.exchange, plan, &interruptControl());
    });
    printFleet("restore", results, o.json);
    return fleetStatus(results);
}

// One side of a diff or the subject of show: a panel to read or a profile file.
struct Source {
    std::optional<Target> panel;
    std::string file;
    std::optional<PanelProfile> profile;
    std::string error;

    QJsonObject json() const {
        return {{QStringLiteral("address"),
                 panel ? QJsonValue(qs(addressText(panel->address))) : QJsonValue()},
                {QStringLiteral("file"), file.empty() ? QJsonValue() : QJsonValue(qs(file))},
                {QStringLiteral("label"), QJsonValue()},
                {QStringLiteral("ok"), profile.has_value()},
                {QStringLiteral("error"), error.empty() ? QJsonValue() : QJsonValue(qs(error))}};
    }
    std::string name() const { return panel ? panel->title() : file; }
};

// Reads the files and panels named; a file problem or a refused address ends the command.
OrError<std::vector<Source>> loadSources(const Options& o) {
    std::vector<Source> sources;
    std::vector<Target> panels;
    for (const std::string& operand : o.operands) {
        Source source;
        if (const auto address = parseAddress(operand)) {
            if (refusedAddress(*address)) {
                return UsageError{operand + " is no panel address"};
            }
            source.panel = Target{*address, {}};
            panels.push_back(*source.panel);
        } else {
            auto loaded = loadFile<PanelProfile>(operand, readPanelProfile);
            if (const auto error = panelsForFile(operand, "one panel address or a profile file")) {
                loaded = *error;
            }
            if (auto* error = std::get_if<UsageError>(&loaded)) {
                return *error;
            }
            source.file = operand;
            source.profile = std::get<PanelProfile>(std::move(loaded));
        }
        sources.push_back(std::move(source));
    }
    std::mutex mutex;
    std::map<PanelAddress, PanelProfile> read;
    // Two panels at most, read without progress lines.
    const auto results = runCommandFleet({}, o, panels, [&](const Target& target) {
        PanelResult result;
        ProfileRead panelRead = readProfile(target.address, o.exchange);
        result.ok = panelRead.profile.has_value();
        result.error = panelRead.error;
        if (panelRead.profile) {
            panelRead.profile->savedAt = utcNow();
            const std::lock_guard lock(mutex);
            read[target.address] = *panelRead.profile;
        }
        return result;
    });
    std::size_t next = 0;
    for (Source& source : sources) {
        if (!source.panel) {
            continue;
        }
        const PanelResult& result = results[next++];
        if (result.ok) {
            source.profile = read.at(source.panel->address);
        }
        source.error = result.error;
    }
    return sources;
}

int diff(const Options& o) {
    auto loaded = loadSources(o);
    if (auto* error = std::get_if<UsageError>(&loaded)) {
        return refuse(error->text);
    }
    const auto& sources = std::get<std::vector<Source>>(loaded);
    const Source& a = sources[0];
    const Source& b = sources[1];
    const bool read = a.profile && b.profile;
    const auto differences =
        read ? diffProfiles(*a.profile, *b.profile) : std::vector<Difference>{};
    if (o.json) {
        printJson({{QStringLiteral("command"), QStringLiteral("diff")},
                   {QStringLiteral("ok"), read},
                   {QStringLiteral("a"), a.json()},
                   {QStringLiteral("b"), b.json()},
                   {QStringLiteral("equal"), read ? QJsonValue(differences.empty()) : QJsonValue()},
                   {QStringLiteral("differences"), differencesJson(differences)}});
    } else {
        for (const Source* source : {&a, &b}) {
            if (!source->profile) {
                printError(source->name() + ": " + source->error);
            }
        }
        for (const std::string& line : differenceLines(differences)) {
            std::printf("%s\n", line.c_str());
        }
        std::fflush(stdout);
    }
    if (!read) {
        return kExitUsage;
    }
    return differences.empty() ? kExitOk : kExitFailed;
}

// The texts padded to their column widths, the last one as it is.
std::string columns(const std::vector<std::string>& texts, const std::vector<std::size_t>& widths) {
    std::string line = "  ";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t start = line.size();
        line += texts[i];
        if (i + 1 < texts.size()) {
            line.resize(std::max(start + widths[i], line.size() + 1), ' ');
        }
    }
    while (line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

void printProfile(const Source& source) {
    const QJsonObject json = profileJson(*source.profile);
    const QJsonObject cameraList = json.value(QStringLiteral("cameraList")).toObject();
    const QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    // A key the file leaves out is a byte the page cannot show; the block keeps it.
    const auto text = [](const QJsonValue& value) {
        if (value.isUndefined() || value.isNull()) {
            return std::string("?");
        }
        return value.isString() ? value.toString().toStdString()
                                : std::to_string(value.toInteger());
    };
    // A file may leave out where and when it was read.
    std::string origin;
    if (!source.file.empty() && !source.profile->source.empty()) {
        origin = "read from " + source.profile->source;
    }
    if (!source.file.empty() && !source.profile->savedAt.empty()) {
        origin += (origin.empty() ? "saved at " : " at ") + source.profile->savedAt;
    }
    const std::string head = source.name() + (origin.empty() ? "" : " (" + origin + ")");
    const QJsonValue mode = cameraList.value(QStringLiteral("connectionMode"));
    const std::string modeLine =
        mode.isUndefined()
            ? modeCodeText(source.profile->cameraTable.modeCode())
            : text(mode) + " mode, " + text(cameraList.value(QStringLiteral("cameraFamily")));
    std::printf("%s\n\nCamera list: %s, serial camera %s\n", head.c_str(), modeLine.c_str(),
                text(cameraList.value(QStringLiteral("serialCamera"))).c_str());
    std::printf("Panel address %s, subnet mask %s, gateway %s\n",
                text(cameraList.value(QStringLiteral("panelAddress"))).c_str(),
                text(cameraList.value(QStringLiteral("panelSubnetMask"))).c_str(),
                text(cameraList.value(QStringLiteral("panelGateway"))).c_str());
    const std::vector<std::size_t> widths = {7, 16, 16, 7, 18};
    std::printf("%s\n",
                columns({"button", "type", "address", "port", "mac", "model"}, widths).c_str());
    for (const auto& camera : cameraList.value(QStringLiteral("cameras")).toArray()) {
        const QJsonObject c = camera.toObject();
        std::vector<std::string> cells;
        for (const char* key : {"button", "type", "address", "port", "mac", "model"}) {
            cells.push_back(text(c.value(QLatin1String(key))));
        }
        std::printf("%s\n", columns(cells, widths).c_str());
    }
    std::printf("\nSettings:\n");
    for (const char* key : {"receivePort", "ledBrightness", "segmentBrightness", "buzzer",
                            "flarePed", "tallyEnable", "tallyInput"}) {
        std::printf("%s\n", columns({key, text(settings.value(QLatin1String(key)))}, {19}).c_str());
    }
    std::fflush(stdout);
}

int show(const Options& o) {
    auto loaded = loadSources(o);
    if (auto* error = std::get_if<UsageError>(&loaded)) {
        return refuse(error->text);
    }
    const Source& source = std::get<std::vector<Source>>(loaded).front();
    if (o.json) {
        QJsonObject object = source.json();
        object.insert(QStringLiteral("command"), QStringLiteral("show"));
        object.insert(QStringLiteral("profile"),
                      source.profile ? QJsonValue(profileJson(*source.profile)) : QJsonValue());
        printJson(object);
    } else if (source.profile) {
        printProfile(source);
    } else {
        printError(source.name() + ": " + source.error);
    }
    return source.profile ? kExitOk : kExitFailed;
}

int registerList(const Options& o) {
    const std::string& path = o.operands.front();
    auto loaded = loadList(path);
    if (auto* error = std::get_if<UsageError>(&loaded)) {
        return refuse(error->text);
    }
    const PanelList& list = std::get<PanelList>(loaded);
    std::vector<int> unavailable;
    for (int row = 1; row <= kRopRowCount; ++row) {
        const RopRow& r = list[static_cast<std::size_t>(row - 1)];
        if (CheckNetworkSetting(r.address, r.subnetMask) != kNetworkSettingUsable) {
            unavailable.push_back(row);
        }
    }
    if (!unavailable.empty()) {
        return refuse(path + ": unavailable network setting:" + RopRowList(unavailable));
    }
    const std::vector<Target> targets = listTargets(list);
    if (targets.empty()) {
        return refuse(path + ": no panel listed");
    }
    const auto results = runCommandFleet("register", o, targets, [&o](const Target& target) {
        return registerStep(target, o.exchange);
    });
    printFleet("register", results, o.json);
    return fleetStatus(results);
}

}  // namespace

int runCommand(const Options& options) {
    if (options.command == "status") {
        return status(options);
    }
    if (options.command == "backup") {
        return backup(options);
    }
    if (options.command == "restore") {
        return restore(options);
    }
    if (options.command == "diff") {
        return diff(options);
    }
    if (options.command == "show") {
        return show(options);
    }
    return registerList(options);
}

}  // namespace trx::cli
