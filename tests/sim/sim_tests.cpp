#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "SimText.h"
#include "exchange/PanelExchange.h"
#include "records/CameraTable.h"
#include "wire/Commands.h"

// The simulated panel as only its own tests see it: the program's options and camera file, the
// line it prints per exchange and several addresses at once. Its answers and its faults are
// exercised by every page test and the hostile-panel matrix.

namespace trx::sim {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

TEST(CameraFile, TheFirstBadLineIsNamedAndNothingTaken) {
    for (const auto& [bad, what] : std::initializer_list<std::pair<const char*, const char*>>{
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 80", "expected"},
             {"tape 3 00:00:00:00:00:01 10.0.0.1 80 M", "family"},
             {"ccu 256 00:00:00:00:00:01 10.0.0.1 80 M", "type"},
             {"ccu 3 00:00:00:00:00 10.0.0.1 80 M", "mac"},
             {"ccu 3 00:00:00:00:00:0G 10.0.0.1 80 M", "mac"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.256 80 M", "address"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 65536 M", "port"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 -1 M", "port"},
             {"ccu 3 00:00:00:00:00:01 10.0.0.1 80 TENLETTERS", "model"}}) {
        const auto refused =
            parseCameraList(std::string("# ok\nccu 3 00:00:00:00:00:09 10.0.0.9 80 M\n") + bad);
        EXPECT_TRUE(refused.cameras.empty()) << bad;
        EXPECT_EQ(refused.error.rfind("line 3: ", 0), 0u) << refused.error;
        EXPECT_NE(refused.error.find(what), std::string::npos) << refused.error;
    }
}

// Runs the program to its end: exit code, then what it printed to stdout and stderr.
std::tuple<int, QString, QString> runSim(const QStringList& args) {
    QProcess sim;
    // Text mode: on Windows the program ends its lines with CR LF.
    sim.start(QStringLiteral(TRX_SIM_PATH), args, QIODevice::ReadWrite | QIODevice::Text);
    EXPECT_TRUE(sim.waitForFinished(5000)) << args.join(u' ').toStdString();
    return {sim.exitCode(), QString::fromUtf8(sim.readAllStandardOutput()),
            QString::fromUtf8(sim.readAllStandardError())};
}

TEST(PanelSimProgram, RefusesWhatItCannotServe) {
    QTemporaryDir dir;
    QFile bad(dir.filePath(u"bad-cameras"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("tape 3 00:00:00:00:00:01 a 80 M\n"));
    bad.close();
    const std::pair<QStringList, QString> refusals[] = {
        {{u"--bogus"_s}, u"unknown option --bogus"_s},
        {{u"--port"_s}, u"--port needs a value"_s},
        {{u"--port"_s, u"65536"_s}, u"not a port: 65536"_s},
        {{u"--reboot-time"_s, u"-1"_s}, u"not a time in milliseconds (0..600000): -1"_s},
        {{u"--listen"_s, u"1.2.3"_s}, u"not an IPv4 address: 1.2.3"_s},
        {{u"--fault"_s, u"127.0.0.1=nope"_s},
         u"expected --fault ADDRESS=NAME, got 127.0.0.1=nope"_s},
        {{u"--cameras"_s, dir.filePath(u"none"_s)}, u"cannot read "_s + dir.filePath(u"none"_s)},
        {{u"--cameras"_s, bad.fileName()}, bad.fileName() + u": line 1: family"_s},
        {{u"--port"_s, u"0"_s, u"--fault"_s, u"127.0.0.9=silent"_s},
         u"--fault names 127.0.0.9, which is not served"_s}};
    for (const auto& [args, message] : refusals) {
        const auto [code, out, err] = runSim(args);
        EXPECT_EQ(code, 2) << err.toStdString();
        EXPECT_TRUE(err.startsWith(u"trx900-panel-sim: "_s + message)) << err.toStdString();
    }
    const auto [code, out, err] = runSim({u"--help"_s});
    EXPECT_EQ(std::tuple(code, out.startsWith(u"Usage: trx900-panel-sim"_s)), std::tuple(0, true));
}

// Two panels on one port of the system's choosing, the second silent, every one finding the
// cameras of the file (comments, blank lines, CR LF, "-" in a MAC and for no model). Each
// exchange, also a refused command line, is printed on one line; SIGTERM ends the program at
// once, closing a connection that a silent panel holds.
TEST(PanelSimProgram, ServesEveryAddressWithTheFilesCamerasAndPrintsEachExchange) {
    QTemporaryDir dir;
    QFile cameras(dir.filePath(u"cameras"_s));
    ASSERT_TRUE(cameras.open(QIODevice::WriteOnly) &&
                cameras.write("# family type mac address port model\n"
                              "ccu 3 00:0A:ff:12:34:56 192.168.0.50 80 CCU-1  # comment\r\n\n"
                              "  Camcorder\t5 02-00-00-00-00-07 10.0.0.7 49152 -\n"));
    cameras.close();
    QProcess sim;
    sim.start(QStringLiteral(TRX_SIM_PATH),
              {u"--listen"_s, u"127.0.0.2"_s, u"--listen"_s, u"127.0.0.3"_s, u"--port"_s, u"0"_s,
               u"--cameras"_s, cameras.fileName(), u"--fault"_s, u"127.0.0.3=silent"_s},
              QIODevice::ReadWrite | QIODevice::Text);
    QString out;
    const auto printed = [&](int lines) {
        return QTest::qWaitFor(
            [&] {
                return (out += QString::fromUtf8(sim.readAllStandardOutput())).count(u'\n') >=
                       lines;
            },
            5000);
    };
    ASSERT_TRUE(printed(2)) << out.toStdString();
    const auto match =
        QRegularExpression(u"listening on 127.0.0.2:(\\d+)\nlistening on 127.0.0.3:\\1\n"_s)
            .match(out);
    ASSERT_TRUE(match.hasMatch()) << out.toStdString();
    const auto port = static_cast<std::uint16_t>(match.captured(1).toUInt());

    const PanelAddress panel = makeAddress(127, 0, 0, 2);
    const ExchangeLimits limits{1000ms, 1000ms, 3000ms};
    for (const auto& [search, found] :
         {std::pair{command::kSearchStartCcu, "3 00:0A:FF:12:34:56 192.168.0.50:80 CCU-1"},
          {command::kSearchStartCamcorder, "5 02:00:00:00:00:07 10.0.0.7:49152 "}}) {
        const ExchangeResult reply = PanelExchange(port, limits).request(panel, search);
        ASSERT_EQ(reply.outcome, ExchangeOutcome::Ok);
        const CameraTable t = *CameraTable::fromReply(reply.bytes);  // the first free row, C02
        EXPECT_EQ(std::to_string(t.typeCode(1)) + ' ' + t.macText(1) + ' ' +
                      addressText(t.rowAddress(1)) + ':' + std::to_string(t.rowPort(1)) + ' ' +
                      t.modelText(1),
                  found);
    }
    const std::vector<std::uint8_t> number{3, 0xFD};
    EXPECT_EQ(PanelExchange(port, limits).write(panel, command::kRopListChange, number).outcome,
              ExchangeOutcome::Ok);
    QTcpSocket refused;
    refused.connectToHost(u"127.0.0.2"_s, port);
    refused.write(QByteArray("\0\xFF\\\r\n", 5));
    EXPECT_TRUE(refused.waitForDisconnected(3000) && refused.readAll().isEmpty());
    QTcpSocket held;
    held.connectToHost(u"127.0.0.3"_s, port);
    held.write(QByteArray::fromStdString(std::string(command::kSetDataRequest)));
    ASSERT_TRUE(printed(7)) << out.toStdString();
    EXPECT_EQ(
        out.split(u'\n')
            .mid(2)
            .join(u'\n')
            .replace(QRegularExpression(u"(^|\n)127.0.0.1:\\d+ -> "_s), u"\\1"_s)
            .toStdString(),
        "127.0.0.2 | TRX900 IP SET KEEP START CCU | search CCU found 1, reply 670 bytes\n"
        "127.0.0.2 | TRX900 IP SET KEEP START CAMCODER | search CAMCODER found 1, reply 670 bytes\n"
        "127.0.0.2 | TRX900 ROP LIST SETTING CHANGE | block 2: 03 FD | WRITE OK (registered as "
        "TRX4)\n"
        "127.0.0.2 | \\x00\\xFF\\x5C | refused: not a command line\n"
        "127.0.0.3 | TRX900 SETDATA SETTING REQ | no answer, connection held open [silent]\n");
    QElapsedTimer clock;
    clock.start();
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(2000) && held.waitForDisconnected(2000));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(std::tuple(sim.exitStatus(), sim.exitCode()), std::tuple(QProcess::NormalExit, 0));
}

}  // namespace
}  // namespace trx::sim
