#include "fleet/ProfileDiff.h"

#include <QJsonDocument>

#include <functional>

namespace trx::fleet {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Leaves = std::vector<std::pair<std::string, QJsonValue>>;

// Every value that a person reads in a part of the profile file, by its place; the blocks are
// compared byte by byte instead.
void flatten(const QJsonValue& value, const std::string& place, Leaves& leaves) {
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key() != QLatin1String("block")) {
                flatten(it.value(), place + "." + it.key().toStdString(), leaves);
            }
        }
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            flatten(array[i], place + "[" + std::to_string(i) + "]", leaves);
        }
    } else {
        leaves.emplace_back(place, value);
    }
}

// How the comparison reaches a part's block.
struct Part {
    std::string name;
    std::size_t checksumIndex;
    std::function<Bytes(const PanelProfile&)> bytes;
    std::function<void(PanelProfile&, const Bytes&)> setBytes;
};

const Part& cameraListPart() {
    static const Part part{"cameraList", CameraTable::kChecksumIndex,
                           [](const PanelProfile& p) {
                               return Bytes(p.cameraTable.bytes().begin(),
                                            p.cameraTable.bytes().end());
                           },
                           [](PanelProfile& p, const Bytes& bytes) {
                               std::copy(bytes.begin(), bytes.end(), p.cameraTable.bytes().begin());
                           }};
    return part;
}

const Part& settingsPart() {
    static const Part part{"settings", SettingsRecord::kChecksumIndex,
                           [](const PanelProfile& p) {
                               return Bytes(p.settings.bytes().begin(), p.settings.bytes().end());
                           },
                           [](PanelProfile& p, const Bytes& bytes) {
                               p.settings = SettingsRecord::fromReply(bytes).value_or(p.settings);
                           }};
    return part;
}

Leaves fields(const PanelProfile& profile, const std::string& part) {
    Leaves leaves;
    flatten(profileJson(profile).value(QString::fromStdString(part)), part, leaves);
    return leaves;
}

QString hex(const Bytes& bytes, std::size_t from, std::size_t to) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data() + from),
                                          static_cast<qsizetype>(to - from))
                                   .toHex());
}

void diffPart(const PanelProfile& a, const PanelProfile& b, const Part& part,
              std::vector<Difference>& out) {
    const Leaves fieldsA = fields(a, part.name);
    const Leaves fieldsB = fields(b, part.name);
    const auto find = [](const Leaves& leaves, const std::string& place) {
        return std::find_if(leaves.begin(), leaves.end(),
                            [&place](const auto& leaf) { return leaf.first == place; });
    };
    for (const auto& leaf : fieldsA) {
        const auto other = find(fieldsB, leaf.first);
        const QJsonValue valueB = other == fieldsB.end() ? QJsonValue() : other->second;
        if (leaf.second != valueB) {
            out.push_back({leaf.first, leaf.second, valueB});
        }
    }
    for (const auto& leaf : fieldsB) {
        if (find(fieldsA, leaf.first) == fieldsA.end()) {
            out.push_back({leaf.first, QJsonValue(), leaf.second});
        }
    }

    // A byte that differs but, taken over alone in either direction, changes no field is one
    // that no field shows. One direction is not enough: a byte after the end of a's model name
    // changes nothing in a, but is part of b's longer name.
    const Bytes bytesA = part.bytes(a);
    const Bytes bytesB = part.bytes(b);
    const auto changesNothing = [&](const PanelProfile& profile, const Bytes& from,
                                    const Leaves& before, std::size_t at, std::uint8_t value) {
        Bytes probe = from;
        probe[at] = value;
        PanelProfile changed = profile;
        part.setBytes(changed, probe);
        return fields(changed, part.name) == before;
    };
    const auto unshown = [&](std::size_t at) {
        return at != part.checksumIndex && bytesA[at] != bytesB[at] &&
               changesNothing(a, bytesA, fieldsA, at, bytesB[at]) &&
               changesNothing(b, bytesB, fieldsB, at, bytesA[at]);
    };
    for (std::size_t at = 0; at < bytesA.size(); ++at) {
        if (!unshown(at)) {
            continue;
        }
        std::size_t end = at + 1;
        while (end < bytesA.size() && unshown(end)) {
            ++end;
        }
        const std::string run = end - at == 1 ? std::to_string(at)
                                              : std::to_string(at) + ".." + std::to_string(end - 1);
        out.push_back({part.name + ".block[" + run + "]", hex(bytesA, at, end),
                       hex(bytesB, at, end), end - at});
        at = end;
    }
}

std::string valueText(const QJsonValue& value) {
    if (value.isString()) {
        return value.toString().isEmpty() ? "\"\"" : value.toString().toStdString();
    }
    if (value.isUndefined() || value.isNull()) {
        return "(none)";
    }
    return QJsonDocument(QJsonArray{value})
        .toJson(QJsonDocument::Compact)
        .mid(1)
        .chopped(1)
        .toStdString();
}

}  // namespace

QJsonObject profileJson(const PanelProfile& profile) {
    return QJsonDocument::fromJson(encodePanelProfile(profile)).object();
}

std::vector<Difference> diffProfiles(const PanelProfile& a, const PanelProfile& b, Parts parts) {
    std::vector<Difference> differences;
    if (parts.cameraList) {
        diffPart(a, b, cameraListPart(), differences);
    }
    if (parts.settings) {
        diffPart(a, b, settingsPart(), differences);
    }
    return differences;
}

QJsonArray differencesJson(const std::vector<Difference>& differences) {
    QJsonArray array;
    for (const Difference& d : differences) {
        array.append(QJsonObject{{QStringLiteral("field"), QString::fromStdString(d.field)},
                                 {QStringLiteral("a"), d.a},
                                 {QStringLiteral("b"), d.b}});
    }
    return array;
}

std::string changeCount(const std::vector<Difference>& differences) {
    std::size_t fieldCount = 0;
    std::size_t byteCount = 0;
    for (const Difference& d : differences) {
        fieldCount += d.unshownBytes == 0 ? 1 : 0;
        byteCount += d.unshownBytes;
    }
    const auto counted = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    if (byteCount == 0) {
        return counted(fieldCount, "field", "fields");
    }
    const std::string bytes = counted(byteCount, "byte", "bytes") + " no field shows";
    return fieldCount == 0 ? bytes : counted(fieldCount, "field", "fields") + " and " + bytes;
}

std::vector<std::string> differenceLines(const std::vector<Difference>& differences) {
    std::vector<std::string> lines;
    lines.reserve(differences.size());
    for (const Difference& d : differences) {
        lines.push_back(d.field + ": " + valueText(d.a) + " -> " + valueText(d.b));
    }
    return lines;
}

}  // namespace trx::fleet
