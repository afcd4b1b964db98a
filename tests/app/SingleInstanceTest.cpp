#include "platform/shell/SingleInstance.h"
#include "tests/app/MonitoringWindowFixture.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace pelmora;

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

} // namespace

TEST_F(SingleInstance, SecondStartAsksTheFirstToComeForwardAndEnds)
{
    CSingleInstance first(data.Path(), runtime.path());
    ASSERT_TRUE(first.Claim(Sleeper()));
    EXPECT_TRUE(first.ServerName().startsWith(runtime.path() + "/com.vantrel.Pelmora-"));
    EXPECT_TRUE(CSingleInstance::IsRunning(data.Path(), runtime.path()));
    EXPECT_FALSE(CSingleInstance::IsRunning(otherData.Path(), runtime.path()));

    QSignalSpy activated(&first, &CSingleInstance::Activated);
    CSingleInstance second(data.Path(), runtime.path());
    EXPECT_FALSE(second.Claim(Sleeper()));
    ASSERT_TRUE(activated.wait(2000));
    EXPECT_TRUE(sleeps.empty());

    CSingleInstance elsewhere(otherData.Path(), runtime.path());
    EXPECT_TRUE(elsewhere.Claim(Sleeper()));
}

TEST_F(SingleInstance, SilentFirstInstanceIsTriedThreeTimesThenTheStartGoesOn)
{
    // A first instance that holds its lock but does not answer.
    QLockFile held(CSingleInstance(data.Path(), runtime.path()).LockName());
    ASSERT_TRUE(held.tryLock(0));
    CSingleInstance instance(data.Path(), runtime.path());
    EXPECT_TRUE(instance.Claim(Sleeper()));
    EXPECT_EQ(sleeps, (std::vector<int> {1000, 1000, 1000}));
    EXPECT_TRUE(CSingleInstance::IsRunning(data.Path(), runtime.path()));
}

class SecondStart : public test::MonitoringWindow { };

TEST_F(SecondStart, BringsTheWindowBackFromTheTray)
{
    QTemporaryDir runtime;
    Open();
    CSingleInstance first(dir.Path(), runtime.path());
    ASSERT_TRUE(first.Claim({}));
    QObject::connect(&first, &CSingleInstance::Activated, dialog.get(), &CMonitorDlg::BringToFront);
    dialog->show();
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    dialog->RouteCommand(dlg::IDOK);
    ASSERT_TRUE(dialog->IsInTray());
    ASSERT_FALSE(dialog->isVisible());

    QSignalSpy activated(&first, &CSingleInstance::Activated);
    CSingleInstance second(dir.Path(), runtime.path());
    EXPECT_FALSE(second.Claim({}));
    ASSERT_TRUE(activated.wait(2000));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsInTray());
}
