#include "files/PanelFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

namespace trx {

namespace {

constexpr std::int64_t kFormatVersion = 1;
constexpr int kCameraRows = CameraTable::kRowCount;

// ---- places and values in messages ---------------------------------------------------------

std::string member(const std::string& parent, const char* key) {
    return parent + "." + key;
}

std::string element(const std::string& parent, qsizetype index) {
    return parent + "[" + std::to_string(index) + "]";
}

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// One JSON value as compact JSON text: strings quoted and escaped, numbers as short as they go.
QByteArray jsonText(const QJsonValue& value) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// A value as a message shows it: long texts cut, containers by their kind.
std::string shown(const QJsonValue& value) {
    constexpr qsizetype kLongest = 40;
    if (value.isObject()) {
        return "an object";
    }
    if (value.isArray()) {
        return "a list";
    }
    if (value.isString() && value.toString().size() > kLongest) {
        return jsonText(value.toString().left(kLongest)).toStdString() + "...";
    }
    return jsonText(value).toStdString();
}

void refuse(FileProblems& problems, std::string place, std::string what) {
    problems.push_back({std::move(place), std::move(what)});
}

// "is missing" for an absent key, else the value and why it does not fit.
void refuseValue(FileProblems& problems, const std::string& place, const QJsonValue& value,
                 const std::string& why) {
    refuse(problems, place, value.isUndefined() ? "is missing" : shown(value) + " " + why);
}

// ---- reading values -------------------------------------------------------------------------

std::optional<std::int64_t> wholeNumber(const QJsonValue& value) {
    constexpr double kExact = 9007199254740992.0;  // 2^53: every whole double up to it is exact
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!(std::fabs(number) <= kExact) || std::floor(number) != number) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
}

// 0 to 65535, what two bytes hold.
std::optional<std::uint16_t> portNumber(const QJsonValue& value) {
    const std::optional<std::int64_t> number = wholeNumber(value);
    if (!number || *number < 0 || *number > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*number);
}

// The index of the value among texts; -1 (with a problem unless the key is absent) otherwise.
int choice(const QJsonValue& value, const std::vector<std::string>& texts, const std::string& place,
           const std::string& why, FileProblems& problems) {
    if (value.isUndefined()) {
        return -1;
    }
    const std::string given = value.toString().toStdString();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (value.isString() && texts[i] == given) {
            return static_cast<int>(i);
        }
    }
    refuseValue(problems, place, value, why);
    return -1;
}

std::optional<PanelAddress> address(const QJsonValue& value, const std::string& place,
                                    FileProblems& problems) {
    const std::string given = value.toString().toStdString();
    const std::optional<PanelAddress> parsed =
        value.isString() ? parseAddress(given) : std::nullopt;
    if (!parsed) {
        refuseValue(problems, place, value,
                    value.isString() && addressWithLeadingZeros(given).has_value()
                        ? "is ambiguous: a number with a leading zero reads as octal to some tools"
                        : "is not an IPv4 address");
    }
    return parsed;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

QByteArray hexText(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper();
}

// Fills out from exactly 2 * out.size() hex digits; a problem otherwise.
void readBlock(const QJsonValue& value, std::span<std::uint8_t> out, const std::string& place,
               FileProblems& problems) {
    const qsizetype digits = 2 * static_cast<qsizetype>(out.size());
    const QString hex = value.toString();
    if (!value.isString()) {
        refuseValue(problems, place, value, "is not hex text");
        return;
    }
    if (hex.size() != digits) {
        refuse(problems, place,
               std::to_string(hex.size()) + " hex digits; the block is " + std::to_string(digits));
        return;
    }
    for (qsizetype i = 0; i < digits; i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            refuse(problems, place, "holds a character that is not a hex digit");
            return;
        }
        out[static_cast<std::size_t>(i / 2)] = static_cast<std::uint8_t>(high * 16 + low);
    }
}

// "00:0A:FF:12:34:56", either case.
std::optional<std::array<std::uint8_t, 6>> parseMac(const QString& mac) {
    std::array<std::uint8_t, 6> bytes{};
    if (mac.size() != 17) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < 6; ++i) {
        const int high = hexDigit(mac[3 * i]);
        const int low = hexDigit(mac[3 * i + 1]);
        if (high < 0 || low < 0 || (i < 5 && mac[3 * i + 2] != u':')) {
            return std::nullopt;
        }
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return bytes;
}

// The model field holds bytes; the file shows each as the character of the same number.
std::optional<std::string> modelBytes(const QString& model) {
    if (model.size() > 9) {
        return std::nullopt;
    }
    for (const QChar c : model) {
        if (c.unicode() == 0 || c.unicode() > 0xFF) {
            return std::nullopt;
        }
    }
    return model.toLatin1().toStdString();
}

// ---- writing --------------------------------------------------------------------------------

// Printable ASCII without quotes or backslashes stands in JSON as it is, which spares most values
// a trip through Qt's writer.
bool plain(std::string_view text) {
    return std::ranges::all_of(
        text, [](char c) { return c >= ' ' && c <= '~' && c != '"' && c != '\\'; });
}

QByteArray jsonString(std::string_view utf8) {
    const qsizetype size = static_cast<qsizetype>(utf8.size());
    return plain(utf8) ? '"' + QByteArray(utf8.data(), size) + '"'
                       : jsonText(QString::fromUtf8(utf8.data(), size));
}

QByteArray jsonNumber(std::int64_t value) {
    return QByteArray::number(value);
}

// Keys in the order people read them (QJsonObject would sort them), values as JSON text.
using Members = std::vector<std::pair<const char*, QByteArray>>;

QByteArray indent(int depth) {
    return QByteArray(qsizetype{4} * depth, ' ');
}

QByteArray objectText(const Members& members, int depth) {
    QByteArray out = "{\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        out += indent(depth + 1) + jsonString(members[i].first) + ": " + members[i].second +
               (i + 1 < members.size() ? ",\n" : "\n");
    }
    return out + indent(depth) + "}";
}

// One line, so that a diff shows one camera or one panel a line.
QByteArray lineObjectText(const Members& members) {
    QByteArray out = "{";
    for (std::size_t i = 0; i < members.size(); ++i) {
        out += (i > 0 ? ", " : "") + jsonString(members[i].first) + ": " + members[i].second;
    }
    return out + "}";
}

QByteArray listText(const std::vector<QByteArray>& items, int depth) {
    if (items.empty()) {
        return "[]";
    }
    QByteArray out = "[\n";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += indent(depth + 1) + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
    }
    return out + indent(depth) + "]";
}

// ---- the file's head ------------------------------------------------------------------------

// The top-level object once size, syntax, format and version are right; none otherwise.
std::optional<QJsonObject> readHead(const QByteArray& json, const char* format,
                                    FileProblems& problems) {
    if (json.size() > kPanelFileMaxBytes) {
        refuse(problems, "document",
               std::to_string(json.size()) + " bytes; a panel file holds at most 1 MiB");
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        refuse(problems, "document",
               "is not valid JSON (" + error.errorString().toStdString() + " at byte " +
                   std::to_string(error.offset) + ")");
        return std::nullopt;
    }
    if (!document.isObject()) {
        refuse(problems, "document", "is not a JSON object");
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    const QJsonValue given = root.value(QStringLiteral("format"));
    if (given.toString() != text(format)) {
        refuseValue(problems, "format", given, std::string("is not ") + format);
    }
    const QJsonValue version = root.value(QStringLiteral("version"));
    const std::optional<std::int64_t> number = wholeNumber(version);
    if (!number || *number < 1) {
        refuseValue(problems, "version", version, "is not a version number");
    } else if (*number > kFormatVersion) {
        refuse(problems, "version",
               std::to_string(*number) + " is newer than this tool reads (" +
                   std::to_string(kFormatVersion) + ")");
    }
    if (!problems.empty()) {
        return std::nullopt;
    }
    return root;
}

std::string optionalText(const QJsonObject& root, const char* key, FileProblems& problems) {
    const QJsonValue value = root.value(text(key));
    if (!value.isUndefined() && !value.isString()) {
        refuseValue(problems, key, value, "is not text");
    }
    return value.toString().toStdString();
}

// ---- camera list ----------------------------------------------------------------------------

// In the order of the enumerations, so that an entry's index is its value.
const std::vector<std::string>& connectionModeTexts() {
    static const std::vector<std::string> texts = {
        std::string(connectionModeName(ConnectionMode::Serial)),
        std::string(connectionModeName(ConnectionMode::Ip))};
    return texts;
}

const std::vector<std::string>& cameraFamilyTexts() {
    static const std::vector<std::string> texts = {
        std::string(cameraFamilyName(CameraFamily::Ccu)),
        std::string(cameraFamilyName(CameraFamily::RemoteCamera)),
        std::string(cameraFamilyName(CameraFamily::Camcorder))};
    return texts;
}

const std::vector<std::string>& cameraTypeTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> all;
        for (std::uint8_t code = 0; const auto t = typeCodeText(code); ++code) {
            all.emplace_back(*t);
        }
        return all;
    }();
    return texts;
}

QByteArray cameraText(const CameraTable& table, int row) {
    Members camera;
    camera.reserve(6);
    camera.emplace_back("button", jsonString(cameraRowLabel(row)));
    if (const auto type = typeCodeText(table.typeCode(row))) {
        camera.emplace_back("type", jsonString(*type));
    }
    camera.emplace_back("address", jsonString(addressText(table.rowAddress(row))));
    camera.emplace_back("port", jsonNumber(table.rowPort(row)));
    camera.emplace_back("mac", jsonString(table.macText(row)));
    const std::string model = table.modelText(row);
    camera.emplace_back("model",
                        plain(model) ? jsonString(model) : jsonText(QString::fromLatin1(model)));
    return lineObjectText(camera);
}

// Keys whose value the block holds in a form the file cannot name are left out: the block
// carries them.
QByteArray cameraListText(const CameraTable& table) {
    Members list;
    const std::uint8_t modeCode = table.modeCode();
    if (isSerialModeCode(modeCode) || isIpModeCode(modeCode)) {
        const ModeSelection selection = decodeModeCode(modeCode);
        list.emplace_back(
            "connectionMode",
            jsonString(connectionModeTexts()[static_cast<std::size_t>(selection.mode)]));
        list.emplace_back(
            "cameraFamily",
            jsonString(cameraFamilyTexts()[static_cast<std::size_t>(selection.family)]));
    }
    if (serialEntryForNumber(table.serialCameraNumber()) >= 0) {
        list.emplace_back("serialCamera", jsonNumber(table.serialCameraNumber()));
    }
    list.emplace_back("panelAddress", jsonString(addressText(table.panelAddress())));
    list.emplace_back("panelSubnetMask", jsonString(addressText(table.panelSubnetMask())));
    list.emplace_back("panelGateway", jsonString(addressText(table.panelGateway())));
    std::vector<QByteArray> cameras;
    cameras.reserve(kCameraRows);
    for (int row = 0; row < kCameraRows; ++row) {
        cameras.push_back(cameraText(table, row));
    }
    list.emplace_back("cameras", listText(cameras, 2));
    list.emplace_back("block", '"' + hexText(table.bytes()) + '"');
    return objectText(list, 1);
}

// One camera's keys over its row. Only their form is judged: what SET would refuse (a port the
// panel keeps, an address twice) is judged where a profile is written, for each panel.
void readCamera(const QJsonObject& camera, int row, const std::string& place, CameraTable& table,
                FileProblems& problems) {
    const QJsonValue button = camera.value(QStringLiteral("button"));
    if (!button.isUndefined() && button.toString().toStdString() != cameraRowLabel(row)) {
        refuseValue(problems, member(place, "button"), button,
                    "is not " + cameraRowLabel(row) + ", the button at this place");
    }
    const QJsonValue type = camera.value(QStringLiteral("type"));
    if (const int code = choice(type, cameraTypeTexts(), member(place, "type"),
                                "is not a camera type", problems);
        code >= 0) {
        table.setTypeCode(row, static_cast<std::uint8_t>(code));
    }

    const QJsonValue addressValue = camera.value(QStringLiteral("address"));
    if (!addressValue.isUndefined()) {
        if (const auto given = address(addressValue, member(place, "address"), problems)) {
            table.setRowAddress(row, *given);
        }
    }
    // Any number the two port bytes hold, 0 among them: a panel may hold it.
    const QJsonValue portValue = camera.value(QStringLiteral("port"));
    if (!portValue.isUndefined()) {
        if (const auto port = portNumber(portValue)) {
            table.setRowPort(row, *port);
        } else {
            refuseValue(problems, member(place, "port"), portValue, "is not a port number");
        }
    }

    const QJsonValue mac = camera.value(QStringLiteral("mac"));
    if (!mac.isUndefined()) {
        if (const auto bytes = mac.isString() ? parseMac(mac.toString()) : std::nullopt) {
            table.setRowMac(row, *bytes);
        } else {
            refuseValue(problems, member(place, "mac"), mac,
                        "is not a MAC address like \"00:0A:FF:12:34:56\"");
        }
    }
    // Bytes after the model's end are the panel's own: a model left as it was keeps them.
    const QJsonValue model = camera.value(QStringLiteral("model"));
    if (!model.isUndefined()) {
        const auto bytes = model.isString() ? modelBytes(model.toString()) : std::nullopt;
        if (!bytes) {
            refuseValue(problems, member(place, "model"), model,
                        "is not a model name (at most 9 characters, none above U+00FF)");
        } else if (*bytes != table.modelText(row)) {
            table.setModelText(row, *bytes);
        }
    }
}

CameraTable readCameraList(const QJsonValue& value, FileProblems& problems) {
    const std::string place = "cameraList";
    CameraTable table;
    if (!value.isObject()) {
        refuseValue(problems, place, value, "is not an object");
        return table;
    }
    const QJsonObject list = value.toObject();
    // The block is the base every key overrides, and the last key of the list: its problems
    // follow the others'.
    FileProblems blockProblems;
    readBlock(list.value(QStringLiteral("block")), table.bytes(), member(place, "block"),
              blockProblems);

    ModeSelection selection = decodeModeCode(table.modeCode());
    const int mode = choice(list.value(QStringLiteral("connectionMode")), connectionModeTexts(),
                            member(place, "connectionMode"), "is not Serial or IP", problems);
    const int family =
        choice(list.value(QStringLiteral("cameraFamily")), cameraFamilyTexts(),
               member(place, "cameraFamily"), "is not CCU, RemoteCamera or Camcorder", problems);
    if (mode >= 0) {
        selection.mode = static_cast<ConnectionMode>(mode);
    }
    if (family >= 0) {
        selection.family = static_cast<CameraFamily>(family);
    }
    if (mode >= 0 || family >= 0) {
        table.setModeCode(encodeModeCode(selection));
    }
    const QJsonValue serial = list.value(QStringLiteral("serialCamera"));
    if (!serial.isUndefined()) {
        const auto number = wholeNumber(serial);
        if (number && *number >= 1 && *number <= kCameraRows) {
            table.setSerialCameraNumber(static_cast<std::uint8_t>(*number));
        } else {
            refuseValue(problems, member(place, "serialCamera"), serial,
                        "is not a camera number from 1 to 19");
        }
    }
    for (const auto& [key, set] : {std::pair("panelAddress", &CameraTable::setPanelAddress),
                                   {"panelSubnetMask", &CameraTable::setPanelSubnetMask},
                                   {"panelGateway", &CameraTable::setPanelGateway}}) {
        const QJsonValue given = list.value(text(key));
        if (given.isUndefined()) {
            continue;
        }
        if (const auto parsed = address(given, member(place, key), problems)) {
            (table.*set)(*parsed);
        }
    }

    const std::string camerasPlace = member(place, "cameras");
    const QJsonValue camerasValue = list.value(QStringLiteral("cameras"));
    const QJsonArray cameras = camerasValue.toArray();
    if (camerasValue.isArray() && cameras.size() != kCameraRows) {
        refuse(problems, camerasPlace,
               std::to_string(cameras.size()) + " cameras; the list holds " +
                   std::to_string(kCameraRows));
    } else if (!camerasValue.isUndefined() && !camerasValue.isArray()) {
        refuseValue(problems, camerasPlace, camerasValue, "is not a list of cameras");
    }
    for (int row = 0; row < kCameraRows; ++row) {
        const std::string rowPlace = element(camerasPlace, row);
        const QJsonValue camera =
            cameras.size() == kCameraRows ? cameras.at(row) : QJsonValue(QJsonValue::Undefined);
        if (!camera.isUndefined() && !camera.isObject()) {
            refuseValue(problems, rowPlace, camera, "is not an object");
        }
        readCamera(camera.toObject(), row, rowPlace, table, problems);
    }
    problems.insert(problems.end(), blockProblems.begin(), blockProblems.end());
    table.seal();
    return table;
}

// ---- settings -------------------------------------------------------------------------------

// The settings the Configuration page shows as lists and radio pairs, by the texts it shows.
struct SettingsChoice {
    const char* key;
    int SettingsValues::*field;
    std::vector<std::string> texts;
    const char* refusal;
};

const std::vector<SettingsChoice>& settingsChoices() {
    static const std::vector<SettingsChoice> choices = [] {
        const std::vector<std::string> levels = {"0", "1", "2"};
        const std::vector<std::string> onOff = {"ON", "OFF"};
        std::vector<std::string> inputs = {"NoAsign"};
        for (int camera = 1; camera < SettingsValues::kTallyInputItems; ++camera) {
            inputs.push_back("Cam" + std::to_string(camera));
        }
        return std::vector<SettingsChoice>{
            {"ledBrightness", &SettingsValues::ledBrightness, levels, "is not 0, 1 or 2"},
            {"segmentBrightness", &SettingsValues::segmentBrightness, levels, "is not 0, 1 or 2"},
            {"buzzer", &SettingsValues::buzzer, onOff, "is not ON or OFF"},
            {"flarePed", &SettingsValues::flarePed, {"FLARE", "PED"}, "is not FLARE or PED"},
            {"tallyEnable", &SettingsValues::tallyEnable, onOff, "is not ON or OFF"},
            {"tallyInput", &SettingsValues::tallyInput, inputs, "is not NoAsign or Cam1 to Cam19"},
        };
    }();
    return choices;
}

// A list that shows no entry is left out, so that the block keeps the byte the panel sent.
QByteArray settingsText(const SettingsRecord& record) {
    const SettingsValues values = record.decode();
    Members settings = {{"receivePort", jsonNumber(values.receivePort)}};
    for (const SettingsChoice& c : settingsChoices()) {
        const int index = values.*c.field;
        if (index >= 0 && static_cast<std::size_t>(index) < c.texts.size()) {
            settings.emplace_back(c.key, jsonString(c.texts[static_cast<std::size_t>(index)]));
        }
    }
    settings.emplace_back("block", '"' + hexText(record.bytes()) + '"');
    return objectText(settings, 1);
}

SettingsRecord readSettings(const QJsonValue& value, FileProblems& problems) {
    const std::string place = "settings";
    std::array<std::uint8_t, SettingsRecord::kSize> bytes{};
    if (!value.isObject()) {
        refuseValue(problems, place, value, "is not an object");
        return SettingsRecord();
    }
    const QJsonObject settings = value.toObject();
    FileProblems blockProblems;
    readBlock(settings.value(QStringLiteral("block")), bytes, member(place, "block"),
              blockProblems);
    const SettingsRecord base = *SettingsRecord::fromReply(bytes);
    const SettingsValues held = base.decode();
    SettingsRecord unchanged = base;
    unchanged.encode(held);

    // A key changes only the bytes where its value encodes differently from what the block
    // holds; encoding every value would also rewrite bytes the panel reads the same, such as a
    // buzzer byte of 5 for OFF.
    std::array<std::uint8_t, SettingsRecord::kSize> result = bytes;
    const auto apply = [&](const SettingsValues& values) {
        SettingsRecord changed = base;
        changed.encode(values);
        for (std::size_t i = 0; i < SettingsRecord::kChecksumIndex; ++i) {
            if (changed.bytes()[i] != unchanged.bytes()[i]) {
                result[i] = changed.bytes()[i];
            }
        }
    };

    // Any port the two bytes hold; whether the panel can be given it is SET's question.
    const QJsonValue portValue = settings.value(QStringLiteral("receivePort"));
    if (!portValue.isUndefined()) {
        if (const auto port = portNumber(portValue)) {
            SettingsValues values = held;
            values.receivePort = *port;
            apply(values);
        } else {
            refuseValue(problems, member(place, "receivePort"), portValue, "is not a port number");
        }
    }
    for (const SettingsChoice& c : settingsChoices()) {
        const int index =
            choice(settings.value(text(c.key)), c.texts, member(place, c.key), c.refusal, problems);
        if (index >= 0) {
            SettingsValues values = held;
            values.*c.field = index;
            apply(values);
        }
    }
    problems.insert(problems.end(), blockProblems.begin(), blockProblems.end());
    SettingsRecord record = *SettingsRecord::fromReply(result);
    record.seal();
    return record;
}

// ---- panel list -----------------------------------------------------------------------------

PanelList readPanels(const QJsonValue& value, FileProblems& problems) {
    const std::string place = "panels";
    PanelList list{};
    if (!value.isArray()) {
        refuseValue(problems, place, value, "is not a list");
        return list;
    }
    const QJsonArray panels = value.toArray();
    if (panels.size() > kRopRowCount) {
        refuse(problems, place,
               std::to_string(panels.size()) + " panels; a list holds at most " +
                   std::to_string(kRopRowCount));
    }
    std::array<qsizetype, kRopRowCount> listedAt{};
    listedAt.fill(-1);
    for (qsizetype i = 0; i < panels.size(); ++i) {
        const std::string panelPlace = element(place, i);
        if (!panels.at(i).isObject()) {
            refuseValue(problems, panelPlace, panels.at(i), "is not an object");
            continue;
        }
        const QJsonObject panel = panels.at(i).toObject();
        const QJsonValue rop = panel.value(QStringLiteral("rop"));
        // Row 1..25; 0 names none.
        int row = RopRowFromLabel(rop.toString().toStdString()).value_or(0);
        if (!rop.isString() || row == 0) {
            refuseValue(problems, member(panelPlace, "rop"), rop, "is not TRX1 to TRX25");
            row = 0;
        } else if (qsizetype& first = listedAt[static_cast<std::size_t>(row - 1)]; first >= 0) {
            refuse(problems, member(panelPlace, "rop"),
                   RopRowLabel(row) + " is also " + element(place, first) + "'s");
            row = 0;
        } else {
            first = i;
        }
        const auto a = address(panel.value(QStringLiteral("address")),
                               member(panelPlace, "address"), problems);
        const auto mask = address(panel.value(QStringLiteral("subnetMask")),
                                  member(panelPlace, "subnetMask"), problems);
        const auto gateway = address(panel.value(QStringLiteral("gateway")),
                                     member(panelPlace, "gateway"), problems);
        // What REGISTER would refuse is REGISTER's to judge, as SET's is for a profile.
        if (a && mask && gateway && row > 0) {
            list[static_cast<std::size_t>(row - 1)] = {*a, *mask, *gateway};
        }
    }
    return list;
}

}  // namespace

std::string describeProblems(const FileProblems& problems) {
    std::string lines;
    for (const FileProblem& problem : problems) {
        lines += (lines.empty() ? "" : "\n") + problem.place + ": " + problem.text;
    }
    return lines;
}

QByteArray encodePanelProfile(const PanelProfile& profile) {
    const Members root = {
        {"format", jsonString("trx900-panel-profile")},
        {"version", jsonNumber(kFormatVersion)},
        {"savedAt", jsonString(profile.savedAt)},
        {"source", jsonString(profile.source)},
        {"cameraList", cameraListText(profile.cameraTable)},
        {"settings", settingsText(profile.settings)},
    };
    return objectText(root, 0) + "\n";
}

std::variant<PanelProfile, FileProblems> decodePanelProfile(const QByteArray& json) {
    FileProblems problems;
    const std::optional<QJsonObject> root = readHead(json, "trx900-panel-profile", problems);
    if (!root) {
        return problems;
    }
    PanelProfile profile;
    profile.savedAt = optionalText(*root, "savedAt", problems);
    profile.source = optionalText(*root, "source", problems);
    profile.cameraTable = readCameraList(root->value(QStringLiteral("cameraList")), problems);
    profile.settings = readSettings(root->value(QStringLiteral("settings")), problems);
    if (!problems.empty()) {
        return problems;
    }
    return profile;
}

QByteArray encodePanelList(const PanelList& list) {
    std::vector<QByteArray> panels;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == RopRow{}) {
            continue;
        }
        panels.push_back(lineObjectText({
            {"rop", jsonString(RopRowLabel(static_cast<int>(i) + 1))},
            {"address", jsonString(addressText(list[i].address))},
            {"subnetMask", jsonString(addressText(list[i].subnetMask))},
            {"gateway", jsonString(addressText(list[i].gateway))},
        }));
    }
    const Members root = {
        {"format", jsonString("trx900-panel-list")},
        {"version", jsonNumber(kFormatVersion)},
        {"panels", listText(panels, 1)},
    };
    return objectText(root, 0) + "\n";
}

std::variant<PanelList, FileProblems> decodePanelList(const QByteArray& json) {
    FileProblems problems;
    const std::optional<QJsonObject> root = readHead(json, "trx900-panel-list", problems);
    if (!root) {
        return problems;
    }
    const PanelList list = readPanels(root->value(QStringLiteral("panels")), problems);
    if (!problems.empty()) {
        return problems;
    }
    return list;
}

std::variant<QByteArray, FileProblems> readPanelFile(const QString& path) {
    const std::string place = path.toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return FileProblems{{place, "cannot be read: " + file.errorString().toStdString()}};
    }
    // One byte past the limit tells a file at the limit from a larger one.
    const QByteArray bytes = file.read(kPanelFileMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return FileProblems{{place, "cannot be read: " + file.errorString().toStdString()}};
    }
    if (bytes.size() > kPanelFileMaxBytes) {
        return FileProblems{{place, "is larger than 1 MiB"}};
    }
    return bytes;
}

namespace {

template <typename T>
std::variant<T, FileProblems> readDecoded(
    const QString& path, std::variant<T, FileProblems> (*decode)(const QByteArray&)) {
    std::variant<QByteArray, FileProblems> bytes = readPanelFile(path);
    if (auto* problems = std::get_if<FileProblems>(&bytes)) {
        return std::move(*problems);
    }
    return decode(std::get<QByteArray>(bytes));
}

}  // namespace

std::variant<PanelProfile, FileProblems> readPanelProfile(const QString& path) {
    return readDecoded(path, &decodePanelProfile);
}

std::variant<PanelList, FileProblems> readPanelList(const QString& path) {
    return readDecoded(path, &decodePanelList);
}

std::optional<QString> writePanelFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

}  // namespace trx
