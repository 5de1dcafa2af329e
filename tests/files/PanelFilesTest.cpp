#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/resource.h>

#include <csignal>
#endif
#include <functional>

#include "files/PanelFiles.h"
#include "wire/Checksum.h"

namespace trx {
namespace {

QString qs(const char* text) {
    return QString::fromLatin1(text);
}

// A table as a panel might send it: every byte set (the model fields hold quotes, control
// characters and bytes above 0x7F), the fields SET judges holding what it accepts, and a mode
// code, serial number or type code the file cannot name, which only the block then carries.
CameraTable panelTable(std::uint8_t salt, std::uint8_t modeCode, std::uint8_t serialNumber) {
    CameraTable table;
    for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
        table.bytes()[i] = static_cast<std::uint8_t>(i * 37 + salt);
    }
    for (int row = 0; row < CameraTable::kRowCount; ++row) {
        table.setRowAddress(row, makeAddress(10, salt, 0, static_cast<std::uint8_t>(row + 1)));
        table.setRowPort(row, static_cast<std::uint32_t>(1000 + row));
        table.setTypeCode(row, static_cast<std::uint8_t>((row + salt) % 8));  // 7 is no type
    }
    table.setModeCode(modeCode);
    table.setSerialCameraNumber(serialNumber);
    table.seal();
    return table;
}

// LED brightness 7 and tally input 0x40 show no list entry; buzzer 5, flare/ped 9 and tally 3
// are bytes the panel reads as OFF, FLARE and ON.
SettingsRecord oddSettings() {
    const std::array<std::uint8_t, 9> bytes = {0x89, 0x90, 7, 1, 5, 9, 3, 0x40, 0};
    SettingsRecord record = *SettingsRecord::fromReply(bytes);
    record.seal();
    return record;
}

PanelProfile sampleProfile() {
    return {panelTable(1, 2, 5), oddSettings(), "192.168.0.130", "2024-05-14T09:30:00Z"};
}

PanelList sampleList() {
    PanelList list{};
    list[0] = {makeAddress(192, 168, 0, 130), makeAddress(255, 255, 255, 0), 0};
    list[1] = {makeAddress(127, 0, 0, 1), 0, 0};  // REGISTER refuses it, opening does not
    list[24] = {0, makeAddress(255, 255, 0, 0), makeAddress(10, 0, 0, 1)};
    return list;
}

QJsonValue withValue(const QJsonValue& at, QStringList path, const QJsonValue& value) {
    if (path.isEmpty()) {
        return value;
    }
    const QString key = path.takeFirst();
    if (at.isArray()) {
        QJsonArray array = at.toArray();
        array[key.toInt()] = withValue(array[key.toInt()], path, value);
        return array;
    }
    QJsonObject object = at.toObject();
    object[key] = withValue(object[key], path, value);  // Undefined removes the key
    return object;
}

// The file with the value at a dotted path ("cameraList.cameras.3.port") set.
QByteArray edited(const QByteArray& json, const char* path, const QJsonValue& value) {
    const QJsonValue root = QJsonDocument::fromJson(json).object();
    return QJsonDocument(withValue(root, qs(path).split(u'.'), value).toObject()).toJson();
}

std::string refusal(const auto& decoded) {
    const auto* problems = std::get_if<FileProblems>(&decoded);
    return problems ? describeProblems(*problems) : "accepted";
}

template <typename T>
T accepted(const std::variant<T, FileProblems>& decoded) {
    if (const auto* problems = std::get_if<FileProblems>(&decoded)) {
        ADD_FAILURE() << describeProblems(*problems);
        return {};
    }
    return std::get<T>(decoded);
}

TEST(PanelFilesTest, FilesRoundTripEveryByte) {
    const std::array<std::uint8_t, 9> factory = {0x89, 0x80, 2, 2, 0, 0, 1, 0xFF, 0xF3};
    const PanelProfile profiles[] = {
        sampleProfile(),
        {panelTable(2, 9, 0), *SettingsRecord::fromReply(factory), "", ""},
        {panelTable(3, 4, 20), oddSettings(), "panel \"A\"", "x"},
    };
    for (const PanelProfile& profile : profiles) {
        const QByteArray json = encodePanelProfile(profile);
        const PanelProfile back = accepted(decodePanelProfile(json));
        EXPECT_EQ(back.cameraTable, profile.cameraTable) << json.toStdString();
        EXPECT_TRUE(std::ranges::equal(back.settings.bytes(), profile.settings.bytes()));
        EXPECT_EQ(back.source, profile.source);
        EXPECT_EQ(encodePanelProfile(back).toStdString(), json.toStdString());
    }
    for (const PanelList& list : {sampleList(), PanelList{}}) {
        EXPECT_EQ(accepted(decodePanelList(encodePanelList(list))), list);
    }
    // A key this version does not know is left for later ones.
    EXPECT_EQ(accepted(decodePanelList(edited(encodePanelList(sampleList()), "panels.0.site", 3))),
              sampleList());
}

TEST(PanelFilesTest, DecodedKeysChangeOnlyTheBytesTheyDescribe) {
    struct Edit {
        const char* path;
        QJsonValue value;
        std::function<void(CameraTable&)> table;
        std::function<void(std::array<std::uint8_t, 9>&)> settings;
    };
    const auto none = [](auto&) {};
    const Edit edits[] = {
        {"cameraList.cameras.3.address", qs("10.1.2.3"),
         [](CameraTable& t) { t.setRowAddress(3, makeAddress(10, 1, 2, 3)); }, none},
        {"cameraList.cameras.3.port", 8080, [](CameraTable& t) { t.setRowPort(3, 8080); }, none},
        {"cameraList.cameras.2.type", qs("Camcoder IP"),
         [](CameraTable& t) { t.setTypeCode(2, camera_type::kCamcorderIp); }, none},
        {"cameraList.cameras.2.mac", qs("0a:0B:0c:0D:0e:FF"),
         [](CameraTable& t) {
             t.setRowMac(2, {10, 11, 12, 13, 14, 255});
         },
         none},
        {"cameraList.cameras.2.model", QStringLiteral("HDC-\u00e9"),
         [](CameraTable& t) { t.setModelText(2, "HDC-\xe9"); }, none},
        {"cameraList.connectionMode", qs("Serial"), [](CameraTable& t) { t.setModeCode(0); }, none},
        {"cameraList.serialCamera", 19, [](CameraTable& t) { t.setSerialCameraNumber(19); }, none},
        {"cameraList.panelGateway", qs("10.9.0.1"),
         [](CameraTable& t) { t.setPanelGateway(makeAddress(10, 9, 0, 1)); }, none},
        // A panel may hold what SET refuses, so a file may: SET and restore judge it.
        {"cameraList.cameras.3.port", 0, [](CameraTable& t) { t.setRowPort(3, 0); }, none},
        {"cameraList.cameras.9.address", qs("10.1.0.3"),
         [](CameraTable& t) { t.setRowAddress(9, makeAddress(10, 1, 0, 3)); }, none},
        {"settings.receivePort", 35600, none, [](auto& b) { b[0] = 0x8B, b[1] = 0x10; }},
        {"settings.receivePort", 35599, none, [](auto& b) { b[0] = 0x8B, b[1] = 0x0F; }},
        {"settings.ledBrightness", qs("0"), none, [](auto& b) { b[2] = 0; }},
        {"settings.buzzer", qs("ON"), none, [](auto& b) { b[4] = 0; }},
        {"settings.flarePed", qs("PED"), none, [](auto& b) { b[5] = 1; }},
        {"settings.tallyEnable", qs("OFF"), none, [](auto& b) { b[6] = 0; }},
        {"settings.tallyInput", qs("Cam19"), none, [](auto& b) { b[7] = 18; }},
        // What the block already says changes nothing, however the panel spelled it.
        {"settings.buzzer", qs("OFF"), none, none},
        {"cameraList.cameras.3.model", QJsonValue::Undefined, none, none},
        // Keys this version does not know are left for later ones.
        {"comment", qs("later"), none, none},
        {"cameraList.lens", qs("later"), none, none},
        {"cameraList.cameras.4.note", qs("later"), none, none},
        {"settings.contrast", qs("later"), none, none},
    };
    const PanelProfile profile = sampleProfile();
    for (const Edit& edit : edits) {
        const QByteArray json = edited(encodePanelProfile(profile), edit.path, edit.value);
        const PanelProfile back = accepted(decodePanelProfile(json));
        CameraTable table = profile.cameraTable;
        edit.table(table);
        table.seal();
        std::array<std::uint8_t, 9> settings{};
        std::ranges::copy(profile.settings.bytes(), settings.begin());
        edit.settings(settings);
        sealChecksum(settings, SettingsRecord::kChecksumIndex);
        EXPECT_EQ(back.cameraTable, table) << edit.path;
        EXPECT_TRUE(std::ranges::equal(back.settings.bytes(), settings)) << edit.path;
    }
}

TEST(PanelFilesTest, RefusedFilesNameEveryProblem) {
    const QByteArray profile = encodePanelProfile(sampleProfile());
    const QByteArray list = encodePanelList(sampleList());
    QJsonArray panels;
    for (int n = 0; n <= kRopRowCount; ++n) {
        panels.append(QJsonObject{{qs("rop"), qs(("TRX" + std::to_string(n % 25 + 1)).c_str())},
                                  {qs("address"), qs("10.0.0.1")},
                                  {qs("subnetMask"), qs("255.0.0.0")},
                                  {qs("gateway"), qs("10.0.0.254")}});
    }
    // Valid JSON, one byte too large.
    const QByteArray oversize = QByteArray(kPanelFileMaxBytes + 1 - profile.size(), ' ') + profile;
    const std::tuple<QByteArray, bool, const char*> cases[] = {
        {profile.left(40), false, "document: is not valid JSON (unterminated object at byte 40)"},
        {list, false, "format: \"trx900-panel-list\" is not trx900-panel-profile"},
        {edited(list, "version", 2), true, "version: 2 is newer than this tool reads (1)"},
        {edited(profile, "cameraList.block", qs("00")), false,
         "cameraList.block: 2 hex digits; the block is 1340"},
        {edited(profile, "settings.block", qs("89800202000001FFZZ")), false,
         "settings.block: holds a character that is not a hex digit"},
        {edited(profile, "cameraList.cameras.5.address", qs("10.1.0.256")), false,
         "cameraList.cameras[5].address: \"10.1.0.256\" is not an IPv4 address"},
        {edited(list, "panels.0.gateway", qs("1.2.3")), true,
         "panels[0].gateway: \"1.2.3\" is not an IPv4 address"},
        {edited(profile, "cameraList.cameras.3.port", 70000), false,
         "cameraList.cameras[3].port: 70000 is not a port number"},
        {edited(list, "panels.0.address", qs("010.0.0.1")), true,
         "panels[0].address: \"010.0.0.1\" is ambiguous: a number with a leading zero reads as "
         "octal to some tools"},
        {edited(profile, "cameraList.cameras.0.type", qs("CCU Serail")), false,
         "cameraList.cameras[0].type: \"CCU Serail\" is not a camera type"},
        {edited(list, "panels.1.rop", qs("TRX1")), true, "panels[1].rop: TRX1 is also panels[0]'s"},
        {edited(list, "panels", panels), true,
         "panels: 26 panels; a list holds at most 25\npanels[25].rop: TRX1 is also panels[0]'s"},
        {oversize, false, "document: 1048577 bytes; a panel file holds at most 1 MiB"},
        {edited(edited(edited(profile, "cameraList.cameras.3.port", 70000), "settings.buzzer",
                       qs("LOUD")),
                "cameraList.block", qs("00")),
         false,
         "cameraList.cameras[3].port: 70000 is not a port number\n"
         "cameraList.block: 2 hex digits; the block is 1340\n"
         "settings.buzzer: \"LOUD\" is not ON or OFF"},
    };
    for (const auto& [file, isList, expected] : cases) {
        EXPECT_EQ(isList ? refusal(decodePanelList(file)) : refusal(decodePanelProfile(file)),
                  expected);
    }
}

TEST(PanelFilesTest, AWriteThatCannotCompleteLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(qs("panel.json"));
    const QByteArray old = encodePanelList(sampleList());
    ASSERT_EQ(writePanelFileAtomically(path, old), std::nullopt);
    const QByteArray large(256 * 1024, ' ');
#ifndef Q_OS_WIN  // Windows has no file size limit to stand in for a full disk
    // The file size limit stands in for a full disk; the signal would end the test program.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto full = writePanelFileAtomically(path, large);
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_NE(full, std::nullopt);
#endif
    EXPECT_NE(writePanelFileAtomically(dir.filePath(qs("panel.json/x.json")), old), std::nullopt);
    EXPECT_EQ(std::get<QByteArray>(readPanelFile(path)), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{qs("panel.json")});

    ASSERT_EQ(writePanelFileAtomically(path, large + large + large + large + " "), std::nullopt);
    EXPECT_EQ(refusal(readPanelFile(path)), path.toStdString() + ": is larger than 1 MiB");
}

TEST(PanelFilesTest, TheManualsExamplesLoad) {
    QFile manual(qs(TRX_SOURCE_DIR "/docs/file-formats.md"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const std::string text = manual.readAll().toStdString();
    const std::string open = "```json\n";
    std::vector<QByteArray> examples;
    for (auto at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        examples.push_back(QByteArray::fromStdString(text.substr(at, text.find("```", at) - at)));
    }
    ASSERT_EQ(examples.size(), 2u);
    // Each is what the tool itself writes for what it holds.
    EXPECT_EQ(encodePanelProfile(accepted(decodePanelProfile(examples[0]))), examples[0]);
    EXPECT_EQ(encodePanelList(accepted(decodePanelList(examples[1]))), examples[1]);
}

}  // namespace
}  // namespace trx
