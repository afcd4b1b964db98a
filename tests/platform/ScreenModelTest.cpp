#include "platform/framework/ScreenModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace pelmora::dlg;

TEST(ScreenModelTest, SimulatedPhoneTurnsBetweenPortraitAndLandscape)
{
    ScreenModel& screen = ScreenModel::Instance();
    ASSERT_EQ(screen.ScreenKind(), ScreenModel::Kind::SimulatedPhone);
    EXPECT_EQ(screen.Size(), QSize(240, 320));
    EXPECT_FALSE(IsLandscape());

    QSignalSpy rotated(&screen, &ScreenModel::Rotated);
    screen.Rotate();
    EXPECT_EQ(rotated.count(), 1);
    EXPECT_EQ(screen.Size(), QSize(320, 240));
    EXPECT_TRUE(IsLandscape());
    screen.Rotate();
    EXPECT_FALSE(IsLandscape());
}
