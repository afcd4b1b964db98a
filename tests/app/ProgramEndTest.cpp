// The pelmora program itself: ended by the session (logout and shutdown send
// SIGTERM or SIGHUP, a terminal SIGINT), and started on a data directory
// another program holds.

#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace pelmora::test;

namespace {

// Whether the process catches `signal` now (its handlers are installed).
bool Catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

class ProgramEnd : public ::testing::TestWithParam<int> { };

} // namespace

TEST_P(ProgramEnd, EndsAsFileExitDoesWithEverythingSavedWithinASecond)
{
    ScratchDir dir;
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(dir.Path() / "run");
    std::filesystem::permissions(dir.Path() / "run", std::filesystem::perms::owner_all);
    QProcess pelmora;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMORA_HOME"), QString::fromStdString(data.string()));
    environment.insert(
        QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString((dir.Path() / "run").string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    pelmora.setProcessEnvironment(environment);
    pelmora.setProcessChannelMode(QProcess::ForwardedChannels);
    pelmora.start(QStringLiteral(PELMORA_PROGRAM),
        {QStringLiteral("--backend"), QStringLiteral("simulated")});
    ASSERT_TRUE(pelmora.waitForStarted(10000));
    // The window is up and has loaded its (absent) files: nothing is written
    // until the program ends.
    ASSERT_TRUE(WaitUntil([&] { return Catches(pelmora.processId(), GetParam()); }, 60000));
    ASSERT_FALSE(std::filesystem::exists(data / pelmora::kSettingsFileName));

    QElapsedTimer ending;
    ending.start();
    ASSERT_EQ(kill(static_cast<pid_t>(pelmora.processId()), GetParam()), 0);
    ASSERT_TRUE(pelmora.waitForFinished(10000));
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_EQ(pelmora.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelmora.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(data / pelmora::kSettingsFileName));
}

INSTANTIATE_TEST_SUITE_P(SessionSignals, ProgramEnd, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

TEST(ProgramStart, LockHeldByASilentProgramIsSaidAndEndsWithStatusOne)
{
    ScratchDir dir;
    const int held = open((dir.Path() / "pelmora.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    QProcess pelmora;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMORA_HOME"), QString::fromStdString(dir.Path().string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    pelmora.setProcessEnvironment(environment);
    pelmora.start(QStringLiteral(PELMORA_PROGRAM),
        {QStringLiteral("--backend"), QStringLiteral("simulated")});
    ASSERT_TRUE(pelmora.waitForFinished(30000));
    close(held);
    EXPECT_EQ(pelmora.exitCode(), 1);
    EXPECT_TRUE(pelmora.readAllStandardError().contains("already running"));
}
