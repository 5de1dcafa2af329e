// trx900 as a user runs it: the built program as a process, against simulated panels on
// loopback, judged by its exit status, stdout, stderr and what reached the panels.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdlib>
#include <functional>

#include "panel-sim/PanelSimulator.h"
#include "records/CameraTable.h"
#include "records/SettingsRecord.h"
#include "wire/Commands.h"

namespace trx::test {
namespace {

using sim::Fault;

constexpr int kPanels = 8;  // 127.0.0.2 .. 127.0.0.9

std::string panel(int index) {
    return "127.0.0." + std::to_string(2 + index);
}

using Args = std::vector<std::string>;

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// A factory panel whose camera table was changed.
sim::PanelState withTable(const std::function<void(CameraTable&)>& change) {
    sim::PanelState state = sim::factoryState({});
    CameraTable table = *CameraTable::fromReply(state.cameraTable);
    change(table);
    table.seal();
    std::ranges::copy(table.bytes(), state.cameraTable.begin());
    return state;
}

// A factory panel with another port in a camera row and another receive port.
sim::PanelState withPorts(int row, std::uint16_t port, unsigned receivePort) {
    sim::PanelState state = withTable([&](CameraTable& t) { t.setRowPort(row, port); });
    SettingsRecord settings = *SettingsRecord::fromReply(state.settings);
    SettingsValues values = settings.decode();
    values.receivePort = receivePort;
    settings.encode(values);
    settings.seal();
    std::ranges::copy(settings.bytes(), state.settings.begin());
    return state;
}

class Cli : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_sim = new sim::PanelSimulator;
        std::vector<std::string> addresses;
        for (int i = 0; i < kPanels; ++i) {
            addresses.push_back(panel(i));
        }
        ASSERT_TRUE(s_sim->start(addresses));
    }
    static void TearDownTestSuite() { delete s_sim; }

    void SetUp() override {
        for (int i = 0; i < kPanels; ++i) {
            s_sim->setState(panel(i), sim::factoryState({}));
        }
        s_sim->clearLog();
        ASSERT_TRUE(m_dir.isValid());
    }

    void start(QProcess& process, const Args& args) {
        QStringList arguments;
        for (const std::string& arg : args) {
            arguments << qs(arg);
        }
        process.setWorkingDirectory(m_dir.path());
        // Text mode: on Windows the program ends its lines with CR LF.
        process.start(QStringLiteral(TRX900_PROGRAM),
                      arguments << QStringLiteral("--port") << QString::number(s_sim->port()),
                      QIODevice::ReadWrite | QIODevice::Text);
        process.closeWriteChannel();
    }

    Outcome run(const Args& args) {
        QProcess process;
        start(process, args);
        process.waitForFinished(30000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QDir(m_dir.path()).mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A backup of the factory panel at 127.0.0.2, as PROFILE.json, the log cleared after.
    QByteArray backupProfile() {
        EXPECT_EQ(run({"backup", panel(0)}).status, 0);
        const QByteArray profile = read(qs(panel(0) + ".trx900.json"));
        write(QStringLiteral("PROFILE.json"), profile);
        s_sim->clearLog();
        return profile;
    }

    static std::vector<std::string> commandsAt(int index) {
        std::vector<std::string> commands;
        for (const auto& record : s_sim->log(panel(index))) {
            commands.push_back(record.command);
        }
        return commands;
    }

    static sim::PanelSimulator* s_sim;
    QTemporaryDir m_dir;
};

sim::PanelSimulator* Cli::s_sim = nullptr;

// Each panel gets the fault of its row; one status and one restore run over all of them.
TEST_F(Cli, EveryPanelFailsForItsOwnReasonAndNoneStopsTheOthers) {
    backupProfile();
    const struct {
        Fault fault;
        const char* status;
        const char* restore;
    } rows[kPanels] = {
        {Fault::None, "ok", "ok"},
        {Fault::RefuseConnection, "not connected", "not connected"},
        // Restore reads the panel's own address from its camera list first.
        {Fault::BadChecksum, "settings read: checksum wrong", "camera list read: checksum wrong"},
        {Fault::Silent, "settings read: no complete reply", "camera list read: no complete reply"},
        {Fault::EmptyReply, "settings read: reply too short", "camera list read: reply too short"},
        {Fault::ShortReply, "camera list read: reply too short",
         "camera list read: reply too short"},
        {Fault::NotAcknowledge, "ok", "camera list write: not acknowledged"},
        {Fault::CloseAfterAcknowledge, "ok", "camera list write: no result line"},
    };
    for (int i = 0; i < kPanels; ++i) {
        s_sim->setFault(panel(i), rows[i].fault, {.shortLength = 100});
    }
    const std::string fleet = panel(0) + "-" + std::to_string(1 + kPanels);
    const Outcome status = run({"status", fleet, "--json", "--timeout", "500"});
    const Outcome restore =
        run({"restore", "PROFILE.json", fleet, "--yes", "--json", "--timeout", "500"});
    EXPECT_EQ(std::pair(status.status, restore.status), std::pair(1, 1));
    for (const auto& [result, column] : {std::pair(&status, 1), std::pair(&restore, 2)}) {
        const QJsonArray panels =
            QJsonDocument::fromJson(result->out.toUtf8())[QStringLiteral("panels")].toArray();
        ASSERT_EQ(panels.size(), kPanels) << result->out.toStdString();
        for (int i = 0; i < kPanels; ++i) {
            const QJsonObject p = panels[i].toObject();
            const char* expected = column == 1 ? rows[i].status : rows[i].restore;
            EXPECT_EQ(p[QStringLiteral("address")].toString().toStdString(), panel(i));
            EXPECT_EQ(p[QStringLiteral("ok")].toBool()
                          ? std::string("ok")
                          : p[QStringLiteral("error")].toString().toStdString(),
                      expected)
                << panel(i);
        }
    }
    // A panel whose camera list was refused is not sent the settings.
    for (const int i : {6, 7}) {
        EXPECT_EQ(commandsAt(i).back(), command::kCameraListChange);
    }
}

// One table row per way of refusing the command line or its files: status 2, nothing sent.
TEST_F(Cli, RefusalsComeBeforeAnythingIsSent) {
    const QByteArray profile = backupProfile();
    write(QStringLiteral("own.json"), QByteArray(profile).replace("\"address\": \"192.168.0.10\"",
                                                                  "\"address\": \"127.0.0.3\""));
    write(QStringLiteral("broken.json"), profile.left(100));
    write(QStringLiteral("list.json"),
          R"({"format": "trx900-panel-list", "version": 1, "panels": [{"rop": "TRX1",
              "address": "127.0.0.2", "subnetMask": "0.0.0.0", "gateway": "127.0.0.1"}]})");
    const struct {
        Args args;
        const char* reason;
    } rows[] = {
        {{"status", "0.0.0.0"}, "0.0.0.0 is no panel address"},
        {{"status", "255.255.255.250-255"}, "255.255.255.255 is no panel address"},
        {{"status", "127.0.0.9-2"}, "a range ends at a last octet"},
        {{"status"}, "no panel given"},
        {{"status", "127.0.0.2", "--jobs", "0"}, "--jobs takes a number from 1 to 1000"},
        {{"backup", "127.0.0.2", "--only", "settings"}, "backup takes no --only"},
        {{"frob"}, "unknown command 'frob'"},
        {{"restore", "own.json", "127.0.0.2-3", "--yes"}, "127.0.0.3: IP(127.0.0.3) Duplication"},
        {{"restore", "PROFILE.json", "127.0.0.3"}, "add --yes"},
        {{"restore", "broken.json", "127.0.0.3", "--yes"}, "document: is not valid JSON"},
        {{"diff", "PROFILE.json", "missing.json"}, "trx900: missing.json: cannot be read"},
        {{"register", "list.json"}, "unavailable network setting"},
        {{"restore", "PROFILE.json", "127.0.0.2", "--only", "settings", "--only", "camera-list"},
         "--only is given twice"},
        {{"restore", "PROFILE.json", "127.0.0.2-3", "--with-panel-address", "--yes"},
         "restore to one panel with it, not 2"},
        {{"restore", "127.0.0.2", "PROFILE.json", "--yes"},
         "'127.0.0.2' names panels where a profile file is expected"},
        {{"show", "127.0.0.2-5"}, "names panels where one panel address or a profile file"},
        {{"status", "127.0.0.02"}, "a leading zero is ambiguous; write 127.0.0.2"},
        {{"status", "--", "--json"}, "'--json' is no panel address"},
        {{"backup", "127.0.0.2", "--dir", "PROFILE.json/sub"}, "cannot make the folder"},
    };
    for (const auto& row : rows) {
        const Outcome result = run(row.args);
        EXPECT_EQ(result.status, 2) << row.args[0] << " " << row.reason;
        EXPECT_TRUE(result.err.contains(QLatin1String(row.reason))) << result.err.toStdString();
    }
    EXPECT_TRUE(s_sim->log().empty());
}

// A profile edited by hand: the dry run names exactly the edits and writes nothing; the write
// changes exactly their bytes.
TEST_F(Cli, AHandEditedProfileChangesExactlyTheEditedBytes) {
    QByteArray profile = backupProfile();
    profile.replace(
        "\"button\": \"C03\", \"type\": \"NoAsign\", \"address\": \"192.168.0.12\", "
        "\"port\": 80,",
        "\"button\": \"C03\", \"type\": \"NoAsign\", \"address\": \"192.168.0.12\", "
        "\"port\": 8080,");
    profile.replace("\"receivePort\": 35200", "\"receivePort\": 35300");
    write(QStringLiteral("edited.json"), profile);

    const Outcome dry = run({"restore", "edited.json", "127.0.0.3", "--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out.toStdString(),
              "127.0.0.3        ok      would change 2 fields\n"
              "    cameraList.cameras[2].port: 80 -> 8080\n"
              "    settings.receivePort: 35200 -> 35300\n"
              "1 panel: 1 ok, 0 failed\n");
    EXPECT_EQ(commandsAt(1), (std::vector<std::string>{std::string(command::kSetDataRequest),
                                                       std::string(command::kCameraListRequest)}));
    s_sim->clearLog();

    ASSERT_EQ(run({"restore", "edited.json", "127.0.0.3", "--yes"}).status, 0);
    const sim::PanelState edited = withPorts(2, 8080, 35300);
    const auto log = s_sim->log(panel(1));
    // The camera list read for the panel's own address, its write, a settings read once the
    // panel is back from its reboot, the settings write.
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(std::ranges::equal(log[1].block, edited.cameraTable));
    EXPECT_EQ(log[2].command, command::kSetDataRequest);
    EXPECT_TRUE(std::ranges::equal(log[3].block, edited.settings));
}

// A factory panel whose camera table names the panel's own address, mask 255.0.0.0 and gateway.
sim::PanelState withOwnNetwork(int index) {
    sim::PanelState state = sim::factoryState({});
    CameraTable table = *CameraTable::fromReply(state.cameraTable);
    const std::uint8_t own[12] = {127, 0, 0, std::uint8_t(2 + index), 255, 0, 0, 0, 127, 0, 0, 1};
    std::ranges::copy(own, table.bytes().begin());
    table.seal();
    std::ranges::copy(table.bytes(), state.cameraTable.begin());
    return state;
}

// A profile cloned to four panels: each keeps its own first 12 bytes and takes the rest; one
// that is slow to come back from its reboot gets its settings late, one that does not come back
// is reported with the part it took. Asked for, one panel takes the profile's own bytes.
TEST_F(Cli, ACloneKeepsEachPanelsOwnAddressAndTellsWhatAPanelTook) {
    for (int i = 0; i < 5; ++i) {
        s_sim->setState(panel(i), withOwnNetwork(i));
    }
    QByteArray profile = backupProfile();
    write(QStringLiteral("edited.json"),
          profile.replace("\"receivePort\": 35200", "\"receivePort\": 35300"));
    s_sim->setRebootTime(panel(3), std::chrono::milliseconds(1200));
    s_sim->setRebootTime(panel(4), std::chrono::milliseconds(5000));
    const Outcome clone =
        run({"restore", "edited.json", "127.0.0.3-6", "--yes", "--json", "--reboot-wait", "2"});
    EXPECT_EQ(clone.status, 1);
    const QJsonArray panels =
        QJsonDocument::fromJson(clone.out.toUtf8())[QStringLiteral("panels")].toArray();
    ASSERT_EQ(panels.size(), 4) << clone.out.toStdString();
    const auto source = s_sim->state(panel(0)).cameraTable;
    for (int i = 1; i < 5; ++i) {
        const sim::PanelState now = s_sim->state(panel(i));
        EXPECT_TRUE(std::equal(now.cameraTable.begin(), now.cameraTable.begin() + 12,
                               withOwnNetwork(i).cameraTable.begin()))
            << i;
        EXPECT_TRUE(std::equal(now.cameraTable.begin() + 12, now.cameraTable.end() - 2,
                               source.begin() + 12))
            << i;
        EXPECT_EQ(SettingsRecord::fromReply(now.settings)->decode().receivePort,
                  i == 4 ? 35200u : 35300u);
    }
    const QJsonObject late = panels[3].toObject();
    EXPECT_EQ(late[QStringLiteral("error")].toString(),
              QStringLiteral("camera list written; settings not written: panel did not come "
                             "back within 2 s"));
    EXPECT_EQ(late[QStringLiteral("written")].toArray(), QJsonArray{QStringLiteral("camera-list")});

    s_sim->setRebootTime(panel(1), std::chrono::milliseconds(0));
    ASSERT_EQ(run({"restore", "edited.json", "127.0.0.3", "--yes", "--with-panel-address", "--only",
                   "camera-list"})
                  .status,
              0);
    EXPECT_TRUE(std::ranges::equal(s_sim->state(panel(1)).cameraTable, source));
}

// Two rows of a list at one address: both worked on, one after the other in row order.
TEST_F(Cli, TwoRowsAtOneAddressAreBothWorkedOnInRowOrder) {
    write(QStringLiteral("list.json"),
          R"({"format": "trx900-panel-list", "version": 1, "panels": [
              {"rop": "TRX1", "address": "127.0.0.2", "subnetMask": "255.0.0.0", "gateway": "127.0.0.1"},
              {"rop": "TRX2", "address": "127.0.0.2", "subnetMask": "255.0.0.0", "gateway": "127.0.0.1"}]})");
    EXPECT_EQ(run({"register", "list.json"}).status, 0);
    const auto log = s_sim->log(panel(0));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(std::pair(log[0].block[0], log[1].block[0]),
              std::pair(std::uint8_t{0}, std::uint8_t{1}));
    const Outcome status = run({"status", "--list", "list.json"});
    EXPECT_TRUE(status.out.startsWith(QLatin1String("TRX1  127.0.0.2        ok")));
    EXPECT_TRUE(status.out.contains(QLatin1String("\nTRX2  127.0.0.2        ok")));
}

// A descriptor limit is a POSIX one.
#ifndef Q_OS_WIN
// More panels than the process has descriptors for: every panel gets a result, none a crash.
TEST_F(Cli, AFleetLargerThanTheDescriptorsAllowEndsWithAResultForEveryPanel) {
    for (const auto& [limit, reason] :
         {std::pair(64, "not connected"),
          std::pair(24, "not worked on: the process has too few file descriptors left")}) {
        QProcess process;
        process.setChildProcessModifier([limit] {
            const rlimit lowered{rlim_t(limit), rlim_t(limit)};
            ::setrlimit(RLIMIT_NOFILE, &lowered);
        });
        start(process, {"status", "127.0.1.1-250", "--json"});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(std::pair(process.exitStatus(), process.exitCode()),
                  std::pair(QProcess::NormalExit, 1));
        const QJsonArray panels =
            QJsonDocument::fromJson(process.readAllStandardOutput())[QStringLiteral("panels")]
                .toArray();
        ASSERT_EQ(panels.size(), 250) << limit;
        for (const auto& p : panels) {
            EXPECT_EQ(p[QStringLiteral("error")].toString(), QLatin1String(reason)) << limit;
        }
    }
}
#endif

// A panel holding what restore would refuse is backed up with a warning; a diff with a side
// that cannot be read is trouble (2), not a difference (1).
TEST_F(Cli, BackupWarnsOfWhatRestoreWouldRefuseAndDiffTellsTroubleApart) {
    sim::PanelState state = sim::factoryState({});
    CameraTable table = *CameraTable::fromReply(state.cameraTable);
    table.setRowAddress(0, *parseAddress(panel(1)));
    table.seal();
    std::ranges::copy(table.bytes(), state.cameraTable.begin());
    s_sim->setState(panel(1), state);
    const Outcome backup = run({"backup", panel(1), "--json"});
    EXPECT_EQ(backup.status, 0);
    EXPECT_TRUE(backup.out.contains(QLatin1String(
        "\"warning\": \"restore would refuse to send these values back: IP(127.0.0.3) Dup")))
        << backup.out.toStdString();
    s_sim->setFault(panel(2), Fault::RefuseConnection);
    EXPECT_EQ(run({"diff", panel(1), panel(2)}).status, 2);
}

// Profiles compared by the names of their fields, a model name once whichever is longer, bytes
// no field shows counted apart. A panel may hold what SET refuses: its backup opens again,
// restore refuses it for each panel before anything is sent, and status and show name its mode
// code.
TEST_F(Cli, ProfilesAreComparedByNameAndWhatAPanelHoldsOpensAgain) {
    const auto studio = [](CameraTable& t) { t.setModelText(0, "STUDIO"), t.bytes()[433] = 5; };
    s_sim->setState(panel(1), withTable([&](CameraTable& t) {
                        studio(t), t.setPanelAddress(makeAddress(10, 0, 0, 7));
                    }));
    s_sim->setState(panel(2), withTable(studio));
    s_sim->setState(panel(3), withTable([](CameraTable& t) {
                        t.setRowPort(0, 0), t.setRowAddress(2, t.rowAddress(1)), t.setModeCode(7);
                    }));
    ASSERT_EQ(run({"backup", "127.0.0.2-5"}).status, 0);
    EXPECT_EQ(run({"diff", "127.0.0.2.trx900.json", panel(1)}).out.toStdString(),
              "cameraList.cameras[0].model: \"\" -> STUDIO\n"
              "cameraList.panelAddress: 192.168.0.130 -> 10.0.0.7\n"
              "cameraList.block[433]: 00 -> 05\n");
    EXPECT_EQ(run({"restore", "127.0.0.4.trx900.json", panel(0), "--dry-run"}).out.toStdString(),
              "127.0.0.2        ok      would change 1 field and 1 byte no field shows\n"
              "    cameraList.cameras[0].model: \"\" -> STUDIO\n"
              "    cameraList.block[433]: 00 -> 05\n"
              "1 panel: 1 ok, 0 failed\n");
    EXPECT_TRUE(run({"status", panel(3)}).out.contains(u"35200, mode code 0x07, 1 camera"));
    // A panel, or a file that does not say where and when it was read, is headed by its name.
    EXPECT_TRUE(
        run({"show", panel(3)}).out.startsWith(u"127.0.0.5\n\nCamera list: mode code 0x07"));
    write(QStringLiteral("bare.json"), read(QStringLiteral("127.0.0.5.trx900.json"))
                                           .replace("\"source\"", "\"x\"")
                                           .replace("\"savedAt\"", "\"y\""));
    EXPECT_TRUE(
        run({"show", "bare.json"})
            .out.startsWith(u"bare.json\n\nCamera list: mode code 0x07, serial camera 1\n"));
    s_sim->clearLog();
    const Outcome restore = run({"restore", "127.0.0.5.trx900.json", "127.0.0.6-7", "--yes"});
    EXPECT_EQ(std::pair(restore.status, restore.err.count(u"Duplication")),
              std::pair(2, qsizetype{2}));
    EXPECT_TRUE(s_sim->log().empty());
}

// A missing folder is made, whatever script its name is written in.
TEST_F(Cli, BackupMakesAFolderNamedInAnyScript) {
    EXPECT_EQ(run({"backup", panel(0), "--dir", "保存/新規"}).status, 0);
    EXPECT_FALSE(read(QStringLiteral("保存/新規/127.0.0.2.trx900.json")).isEmpty());
}

// A panel that fails after its first reply leaves no file, and an older file stays as it was.
TEST_F(Cli, BackupWritesWholeFilesOrNone) {
    s_sim->setFault(panel(1), Fault::ShortReply, {.shortLength = 100});
    write(QStringLiteral("out/127.0.0.3.trx900.json"), "old");
    EXPECT_EQ(run({"backup", "127.0.0.2-3", "--dir", "out"}).status, 1);
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("127.0.0.2.trx900.json"),
                           QStringLiteral("127.0.0.3.trx900.json")}));
    EXPECT_EQ(read(QStringLiteral("out/127.0.0.3.trx900.json")), "old");
    EXPECT_TRUE(QJsonDocument::fromJson(read(QStringLiteral("out/127.0.0.2.trx900.json")))
                    .object()
                    .contains(QStringLiteral("cameraList")));
}

// Signals and terminals are POSIX ones.
#ifndef Q_OS_WIN
// Ctrl-C while a panel holds its answer back: out at once, no file for that panel, and what
// became of every panel told.
TEST_F(Cli, InterruptStopsAtOnceWithoutAHalfWrittenFile) {
    s_sim->setFault(panel(1), Fault::Silent);
    QProcess process;
    start(process, {"backup", "127.0.0.2-4", "--dir", "out", "--jobs", "1"});
    QElapsedTimer waited;
    waited.start();
    while (read(QStringLiteral("out/127.0.0.2.trx900.json")).isEmpty() && waited.elapsed() < 5000) {
        QThread::msleep(10);
    }
    QElapsedTimer stopping;
    stopping.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_LT(stopping.elapsed(), 1000);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_EQ(process.readAllStandardError(), "trx900: interrupted\n");
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* line :
         {"127.0.0.2        ok      ", "127.0.0.3        INTERRUPTED  interrupted while being",
          "127.0.0.4        not started\n", "3 panels: 1 ok, 0 failed, 1 interrupted, 1 not"}) {
        EXPECT_TRUE(out.contains(QLatin1String(line))) << out.toStdString();
    }
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("127.0.0.2.trx900.json")});
}
#endif

// Four panels that never answer, each given up after the time limit: at once they cost one limit,
// two at a time two.
TEST_F(Cli, PanelsAreWorkedOnConcurrentlyUpToTheJobLimit) {
    for (int i = 0; i < 4; ++i) {
        s_sim->setFault(panel(i), Fault::Silent);
    }
    for (const auto& [jobs, atLeast, below] :
         {std::tuple("25", 600, 1500), std::tuple("2", 1200, 2400)}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(run({"status", "127.0.0.2-5", "--timeout", "600", "--jobs", jobs}).status, 1);
        EXPECT_GE(clock.elapsed(), atLeast) << jobs;
        EXPECT_LT(clock.elapsed(), below) << jobs;
    }
}

#ifndef Q_OS_WIN
// On a terminal restore asks once; only "y" writes. Progress goes to the terminal.
TEST_F(Cli, OnATerminalRestoreAsksOnceAndShowsProgress) {
    backupProfile();
    for (const auto& [answer, status, written] :
         {std::tuple("y\n", 0, true), std::tuple("n\n", 1, false)}) {
        s_sim->clearLog();
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_EQ(::grantpt(terminal) | ::unlockpt(terminal), 0);
        const std::string side = ::ptsname(terminal);
        QProcess process;
        process.setChildProcessModifier([side] {
            const int fd = ::open(side.c_str(), O_RDWR);
            ::dup2(fd, STDIN_FILENO);
            ::dup2(fd, STDERR_FILENO);
        });
        start(process, {"restore", "PROFILE.json", "127.0.0.3"});
        ASSERT_EQ(::write(terminal, answer, 2), 2);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), status);
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        QByteArray shown;
        char buffer[4096];
        for (ssize_t n = 0; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) {
            shown.append(buffer, n);
        }
        ::close(terminal);
        shown.replace('\r', "");
        EXPECT_EQ(shown.count("Write to 1 panel? It reboots after the transfer. [y/N]"), 1)
            << shown.toStdString();
        EXPECT_EQ(shown.contains("[1/1] 127.0.0.3 ok\n"), written) << shown.toStdString();
        EXPECT_EQ(commandsAt(1).size(), written ? 4u : 0u);
    }
}
#endif

// Numbers and times that differ from run to run, in text and in JSON.
QString steady(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\d+ ms,")), QStringLiteral("N ms,"))
        .replace(QRegularExpression(QStringLiteral("\"answerMs\": *\\d+")),
                 QStringLiteral("\"answerMs\": 0"))
        .replace(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")),
                 QStringLiteral("TIME"));
}

// Every example of docs/cli.md, in its order, against the panels it describes.
TEST_F(Cli, TheManualsExamplesHold) {
    s_sim->setFault(panel(2), Fault::RefuseConnection);
    s_sim->setState(panel(1), withPorts(0, 8080, 35300));

    QFile manual(QStringLiteral(TRX_SOURCE_DIR "/docs/cli.md"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(manual.readAll());
    const QRegularExpression fence(QStringLiteral("```(\\w+)( \\S+)?\\n(.*?)```"),
                                   QRegularExpression::DotMatchesEverythingOption);
    int examples = 0;
    std::optional<Outcome> pending;
    // An example that no output block follows prints nothing.
    const auto expectNoOutput = [&] {
        EXPECT_TRUE(!pending || pending->out.isEmpty()) << pending->out.toStdString();
    };
    for (auto it = fence.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QString kind = match.captured(1);
        const QString body = match.captured(3);
        if (!match.captured(2).isEmpty()) {
            write(match.captured(2).trimmed(), body.toUtf8());
        } else if (kind == QLatin1String("sh")) {
            expectNoOutput();
            const QStringList lines = body.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            Args args;
            for (const QString& word :
                 lines[0].split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(2)) {
                args.push_back(word.toStdString());
            }
            pending = run(args);
            const int expected =
                lines.size() > 1 ? lines[1].section(QLatin1Char(' '), 3).toInt() : 0;
            EXPECT_EQ(pending->status, expected) << lines[0].toStdString();
            ++examples;
        } else if (pending) {
            SCOPED_TRACE(pending->out.toStdString());
            if (kind == QLatin1String("json")) {
                EXPECT_EQ(QJsonDocument::fromJson(steady(pending->out).toUtf8()).object(),
                          QJsonDocument::fromJson(steady(body).toUtf8()).object());
            } else {
                EXPECT_EQ(steady(pending->out).toStdString(), steady(body).toStdString());
            }
            pending.reset();
        }
    }
    expectNoOutput();
    EXPECT_EQ(examples, 17);
    EXPECT_TRUE(
        run({"--help"})
            .out.startsWith(QLatin1String("Usage: trx900 COMMAND [OPTIONS] OPERANDS...\n")));
}

}  // namespace
}  // namespace trx::test
