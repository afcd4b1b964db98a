#include "platform/framework/ScreenModel.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/TouchStyle.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>

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

TEST(ScreenModelTest, ThePhonesFontAndTouchStyleLeaveWithThePhoneScreen)
{
    ScreenModel& screen = ScreenModel::Instance();
    const QFont desktopFont = QApplication::font();
    const QString desktopStyle = QApplication::style()->name();
    screen.SetKind(ScreenModel::Kind::RealScreen);
    EXPECT_NE(qobject_cast<CTouchStyle*>(QApplication::style()), nullptr);
    EXPECT_EQ(QApplication::font().pixelSize(), DialogFont().pixelSize());
    screen.SetKind(ScreenModel::Kind::SimulatedPhone);
    EXPECT_EQ(qobject_cast<CTouchStyle*>(QApplication::style()), nullptr);
    EXPECT_EQ(QApplication::style()->name(), desktopStyle);
    EXPECT_EQ(QApplication::font(), desktopFont);
}

TEST(ScreenModelTest, TheSimulatedScreenIsDrawnAtLeastAtTheDesktopsFontSize)
{
    ScreenModel& screen = ScreenModel::Instance();
    ASSERT_EQ(screen.ScreenKind(), ScreenModel::Kind::SimulatedPhone);
    const QFont designFont = QApplication::font();
    // A desktop's usual 11 points: 14.67 pixels at 96 dpi.
    QFont desktopFont = designFont;
    desktopFont.setPointSizeF(11);
    QApplication::setFont(desktopFont);
    const double scale = 11 / 72.0 * QApplication::primaryScreen()->logicalDotsPerInchY() / 10;
    EXPECT_NEAR(screen.DesignScale(), scale, 1e-9);
    EXPECT_EQ(screen.Size(), QSize(240, 320) * scale);
    EXPECT_GE(DialogFont().pixelSize(), 14);
    QApplication::setFont(designFont);
    EXPECT_EQ(screen.DesignScale(), 1.0);
}
