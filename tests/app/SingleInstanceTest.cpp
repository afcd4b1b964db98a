#include "platform/shell/SingleInstance.h"
#include "platform/shell/TerminationSignals.h"
#include "tests/app/MonitoringWindowFixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pelmora;
using Claim = CSingleInstance::ClaimResult;

namespace {

class SingleInstance : public ::testing::Test {
protected:
    QTemporaryDir runtime;
    test::ScratchDir data;
    test::ScratchDir otherData;
    std::vector<int> sleeps;
    std::function<void(int)> Sleeper()
    {
        return [this](int ms) { sleeps.push_back(ms); };
    }
};

// A runtime directory whose socket paths no UNIX socket can take.
QString LongFolder(const QTemporaryDir& base)
{
    const QString path = base.filePath(QString(120, u'r'));
    QDir().mkpath(path);
    return path;
}

} // namespace

TEST_F(SingleInstance, SecondStartAsksTheFirstToComeForwardAndEnds)
{
    CSingleInstance first(data.Path(), runtime.path());
    ASSERT_EQ(first.Claim(Sleeper()), Claim::First);
    EXPECT_TRUE(first.ServerName().startsWith(runtime.path() + "/com.vantrel.Pelmora-"));
    EXPECT_EQ(DataDirectoryLock(data.Path()).GetState(), DataDirectoryLock::State::Running);
    EXPECT_EQ(DataDirectoryLock(otherData.Path()).GetState(), DataDirectoryLock::State::Held);
    struct stat lock { };
    ASSERT_EQ(stat((data.Path() / "pelmora.lock").c_str(), &lock), 0);
    EXPECT_EQ(lock.st_mode & 0777, 0600u);

    QSignalSpy activated(&first, &CSingleInstance::Activated);
    CSingleInstance second(data.Path(), runtime.path());
    EXPECT_EQ(second.Claim(Sleeper()), Claim::Forwarded);
    ASSERT_TRUE(activated.wait(2000));
    EXPECT_TRUE(sleeps.empty());

    CSingleInstance elsewhere(otherData.Path(), runtime.path());
    EXPECT_EQ(elsewhere.Claim(Sleeper()), Claim::First);
}

TEST_F(SingleInstance, NoWayAroundTheLockOfTheDataDirectory)
{
    QTemporaryDir links;
    const std::filesystem::path link = links.filePath(QStringLiteral("data")).toStdString();
    std::filesystem::create_directory_symlink(data.Path(), link);
    QTemporaryDir otherRuntime;
    const QString longRuntime = LongFolder(otherRuntime);
    struct Second {
        const char* name;
        std::filesystem::path dataDir;
        QString runtimeDir;
    };
    const Second seconds[] = {
        {"through a symbolic link", link, runtime.path()},
        {"with another runtime directory", data.Path(), otherRuntime.path()},
        {"with a runtime directory too long for a socket", data.Path(), longRuntime},
    };
    CSingleInstance first(data.Path(), runtime.path());
    ASSERT_EQ(first.Claim(Sleeper()), Claim::First);
    QSignalSpy activated(&first, &CSingleInstance::Activated);
    for (const Second& s : seconds) {
        SCOPED_TRACE(s.name);
        CSingleInstance second(s.dataDir, s.runtimeDir);
        EXPECT_EQ(second.Claim(Sleeper()), Claim::Forwarded);
        ASSERT_TRUE(activated.wait(2000));
    }
}

TEST_F(SingleInstance, RuntimeDirectoryTooLongForASocketFallsBackToOneThatFits)
{
    const QString longRuntime = LongFolder(runtime);
    CSingleInstance first(data.Path(), longRuntime);
    ASSERT_EQ(first.Claim(Sleeper()), Claim::First);
    EXPECT_TRUE(first.Warning().isEmpty()) << first.Warning().toStdString();
    EXPECT_TRUE(first.ServerName().startsWith(QStringLiteral("/tmp/pelmora-%1/").arg(getuid())));
    QSignalSpy activated(&first, &CSingleInstance::Activated);
    CSingleInstance second(data.Path(), longRuntime);
    EXPECT_EQ(second.Claim(Sleeper()), Claim::Forwarded);
    ASSERT_TRUE(activated.wait(2000));
}

TEST_F(SingleInstance, HeldLockWithoutAnAnswerIsTriedThreeTimesAndNeverGivesASecondInstance)
{
    // A first instance whose socket was deleted, and one that never listened.
    CSingleInstance first(data.Path(), runtime.path());
    ASSERT_EQ(first.Claim(Sleeper()), Claim::First);
    ASSERT_TRUE(QFile::remove(first.ServerName()));
    CSingleInstance second(data.Path(), runtime.path());
    EXPECT_EQ(second.Claim(Sleeper()), Claim::NoAnswer);
    EXPECT_EQ(sleeps, (std::vector<int> {1000, 1000}));

    const int held = open((otherData.Path() / "pelmora.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    CSingleInstance third(otherData.Path(), runtime.path());
    EXPECT_EQ(third.Claim(Sleeper()), Claim::NoAnswer);
    close(held);
    // Once its holder has gone, the lock is free again.
    EXPECT_EQ(third.Claim(Sleeper()), Claim::First);
}

TEST_F(SingleInstance, SomethingPlantedAtTheLockIsRefusedNotShared)
{
    const std::filesystem::path lock = data.Path() / "pelmora.lock";
    const std::filesystem::path target = otherData.Path() / "target";
    struct Case {
        const char* words;
        std::function<void()> plant;
    };
    const Case cases[] = {
        {"a symbolic link", [&] { std::filesystem::create_symlink(target, lock); }},
        {"a folder", [&] { std::filesystem::create_directory(lock); }},
        {"a special file", [&] { ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        std::filesystem::remove_all(lock);
        c.plant();
        CSingleInstance first(data.Path(), runtime.path());
        ASSERT_EQ(first.Claim(Sleeper()), Claim::Refused);
        EXPECT_TRUE(first.Warning().contains(
            QStringLiteral("is %1, not Pelmora's lock").arg(QLatin1String(c.words))))
            << first.Warning().toStdString();
        EXPECT_EQ(DataDirectoryLock(data.Path()).GetState(), DataDirectoryLock::State::Refused);
    }
    EXPECT_FALSE(std::filesystem::exists(target)) << "the link was not followed";
    EXPECT_TRUE(sleeps.empty());
}

TEST(TerminationSignals, FurtherSignalsWaitForTheEndUnderWay)
{
    TerminationSignals signals;
    ASSERT_TRUE(signals.IsActive());
    QSignalSpy received(&signals, &TerminationSignals::Received);
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_TRUE(received.wait(2000));
    // The save runs now; a session manager's second signal must not end it.
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_EQ(raise(SIGINT), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(received.size(), 1);
    EXPECT_EQ(received.front().front().toInt(), SIGTERM);
}

class SecondStart : public test::MonitoringWindow { };

TEST_F(SecondStart, BringsTheWindowBackFromTheTray)
{
    QTemporaryDir runtime;
    Open();
    CSingleInstance first(dir.Path(), runtime.path());
    ASSERT_EQ(first.Claim({}), Claim::First);
    QObject::connect(&first, &CSingleInstance::Activated, dialog.get(), &CMonitorDlg::BringToFront);
    dialog->show();
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    dialog->RouteCommand(dlg::IDOK);
    ASSERT_TRUE(dialog->IsInTray());
    ASSERT_FALSE(dialog->isVisible());

    QSignalSpy activated(&first, &CSingleInstance::Activated);
    CSingleInstance second(dir.Path(), runtime.path());
    EXPECT_EQ(second.Claim({}), Claim::Forwarded);
    ASSERT_TRUE(activated.wait(2000));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsInTray());
}
