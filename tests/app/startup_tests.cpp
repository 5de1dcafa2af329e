#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "app/Application.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using test::FakeMessageBoxes;

class CountingSockets final : public SocketLayer {
  public:
    explicit CountingSockets(bool startWorks) : m_startWorks(startWorks) {}
    bool start() override {
        ++starts;
        return m_startWorks;
    }
    void stop() override { ++stops; }

    int starts = 0;
    int stops = 0;

  private:
    bool m_startWorks;
};

class StartupTest : public ::testing::Test {
  protected:
    CTRX900ToolApp::Seams seams(SocketLayer& sockets) {
        return {&sockets, &m_messages, m_lockDirectory.path()};
    }

    QTemporaryDir m_lockDirectory;
    FakeMessageBoxes m_messages;
};

TEST_F(StartupTest, SocketFailureIsReportedAndEndsTheProgram) {
    ASSERT_TRUE(m_lockDirectory.isValid());
    CountingSockets failing(false);
    CTRX900ToolApp app(seams(failing));
    EXPECT_NE(app.run(), 0);
    ASSERT_EQ(m_messages.shown().size(), 1U);
    const FakeMessageBoxes::Shown& shown = m_messages.shown().front();
    EXPECT_EQ(shown.text, QString::fromUtf8("Windows ソケットの初期化に失敗しました。"));
    EXPECT_EQ(shown.caption, applicationCaption());
    EXPECT_EQ(shown.buttons, MessageBoxes::Buttons::Ok);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());

    // The lock went with the program: the next start gets as far as the sockets again.
    EXPECT_FALSE(QFile::exists(app.lockFilePath()));
    CTRX900ToolApp again(seams(failing));
    again.run();
    EXPECT_EQ(failing.starts, 2);
}

TEST_F(StartupTest, ASecondCopyEndsSilentlyBeforeAnythingElse) {
    ASSERT_TRUE(m_lockDirectory.isValid());
    CountingSockets sockets(true);
    CTRX900ToolApp app(seams(sockets));
    QLockFile running(app.lockFilePath());
    ASSERT_TRUE(running.tryLock(0));

    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(sockets.starts, 0);
    EXPECT_TRUE(m_messages.shown().empty());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_TRUE(QFile::exists(app.lockFilePath()));  // the running copy keeps its lock
}

// The built program, started the way an operator starts it, each test with its own temporary
// directory so that their locks never meet.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.isValid());
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("TMPDIR"), m_temp.path());
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_temp.path());
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void TearDown() override {
        for (const auto& process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess& start() {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *m_processes.back();
        process.setProcessEnvironment(m_environment);
        process.start(QStringLiteral(TRX_TOOL_PATH), {});
        EXPECT_TRUE(process.waitForStarted(5000));
        return process;
    }

    QString lockPath() const { return m_temp.filePath(QStringLiteral("TRX900Tool.lock")); }

    // The process id written into the lock file, if there is one.
    std::optional<qint64> lockHolder() const {
        QFile file(lockPath());
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        bool ok = false;
        const qint64 pid = file.readLine().trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(pid) : std::nullopt;
    }

    bool waitUntilHolding(const QProcess& process) const {
        return QTest::qWaitFor([&] { return lockHolder() == process.processId(); }, 10000);
    }

    // A second copy must end by itself, quickly and cleanly: a copy that opened its window
    // would run until someone closed it.
    static void expectEndsSilently(QProcess& second) {
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
    }

    QTemporaryDir m_temp;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(ProgramTest, SecondCopyEndsAtOnceWhileTheFirstKeepsRunning) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilHolding(first));
    QProcess& second = start();
    expectEndsSilently(second);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(lockHolder(), first.processId());
}

TEST_F(ProgramTest, ALongRunningCopyKeepsItsLock) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilHolding(first));
    // As if the first copy had been open all day.
    QFile lock(lockPath());
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-8 * 3600),
                                 QFileDevice::FileModificationTime));
    lock.close();

    QProcess& second = start();
    expectEndsSilently(second);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(ProgramTest, CopyStartedAfterAKilledOneStartsNormally) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilHolding(first));
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    ASSERT_TRUE(QFile::exists(lockPath()));  // a killed copy leaves its lock behind

    QProcess& next = start();
    ASSERT_TRUE(waitUntilHolding(next));
    EXPECT_EQ(next.state(), QProcess::Running);
}

}  // namespace
}  // namespace trx
