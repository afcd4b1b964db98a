#include "platform/shell/ScreenMetrics.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pelmora;

namespace {

struct ChoiceCase {
    const char* text;
    std::optional<ScreenChoice> choice;
};

struct SessionCase {
    const char* name;
    SessionHints session;
    bool mobile;
};

struct DecisionCase {
    const char* name;
    ScreenChoice option;
    ScreenChoice environment;
    QSize available;
    bool mobileShell;
    bool real;
};

} // namespace

TEST(ScreenMetrics, ChoicesAreReadInAnyCaseAndNothingElse)
{
    const ChoiceCase cases[] = {{"phone", ScreenChoice::Phone}, {" Phone\n", ScreenChoice::Phone},
        {"SIMULATED", ScreenChoice::Simulated}, {"auto", ScreenChoice::Automatic},
        {"", std::nullopt}, {"phones", std::nullopt}, {"ph one", std::nullopt},
        {"simulate", std::nullopt}, {"1", std::nullopt}};
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(ParseScreenChoice(QString::fromUtf8(c.text)), c.choice) << c.text;
}

TEST(ScreenMetrics, MobileShellsAreToldFromDesktops)
{
    const auto hints
        = [](const char* current, const char* session, const char* plasma, const char* sxmo) {
              return SessionHints {QString::fromUtf8(current), QString::fromUtf8(session),
                  QString::fromUtf8(plasma), QString::fromUtf8(sxmo)};
          };
    const SessionCase cases[] = {
        {"Phosh", hints("Phosh:GNOME", "", "", ""), true},
        {"PhoshSessionOnly", hints("", "phosh", "", ""), true},
        {"PlasmaMobile", hints("KDE", "plasma-mobile", "phone:handset", ""), true},
        {"PlasmaMobileByPlatformOnly", hints("KDE", "", "phone:handset", ""), true},
        {"PlasmaDesktop", hints("KDE", "plasma", "", ""), false},
        {"PlasmaDesktopOnATablet", hints("KDE", "plasma", "tablet", ""), false},
        {"Sxmo", hints("sway", "", "", "sway"), true},
        {"SxmoByName", hints("sxmo", "", "", ""), true},
        {"Gnome", hints("ubuntu:GNOME", "ubuntu", "", ""), false},
        {"NamePartIsNotAShell", hints("NotPhosh", "phoshy", "", ""), false},
        {"Nothing", hints("", "", "", ""), false},
    };
    for (const SessionCase& c : cases)
        EXPECT_EQ(IsMobileShell(c.session), c.mobile) << c.name;
}

TEST(ScreenMetrics, TheOptionThenTheEnvironmentThenTheScreenDecide)
{
    using C = ScreenChoice;
    const DecisionCase cases[] = {
        {"CommonPhone", C::Automatic, C::Automatic, {360, 720}, false, true},
        {"TurnedPhone", C::Automatic, C::Automatic, {780, 360}, false, true},
        {"LargestPhoneSide", C::Automatic, C::Automatic, {540, 1200}, false, true},
        {"SmallTablet", C::Automatic, C::Automatic, {541, 960}, false, false},
        {"Monitor", C::Automatic, C::Automatic, {1920, 1050}, false, false},
        {"PhoneShellAtScaleOne", C::Automatic, C::Automatic, {720, 1440}, true, true},
        {"NoScreen", C::Automatic, C::Automatic, {0, 0}, false, false},
        {"EnvironmentForcesPhone", C::Automatic, C::Phone, {1920, 1050}, false, true},
        {"EnvironmentForcesSimulated", C::Automatic, C::Simulated, {360, 720}, true, false},
        {"OptionWinsOverEnvironment", C::Simulated, C::Phone, {360, 720}, false, false},
        {"OptionForcesPhone", C::Phone, C::Simulated, {1920, 1050}, false, true},
    };
    const SessionHints phosh {QStringLiteral("Phosh:GNOME"), {}, {}, {}};
    for (const DecisionCase& c : cases)
        EXPECT_EQ(UsesRealScreen(c.option, c.environment, c.available,
                      c.mobileShell ? phosh : SessionHints {}),
            c.real)
            << c.name;
}

TEST(ScreenMetrics, MillimetresComeFromAPhonesPhysicalSizeOrItsTypicalDensity)
{
    // A 68 mm wide panel showing 360 logical pixels.
    EXPECT_NEAR(PhonePixelsPerMillimetre({360, 720}, {68, 136}), 360.0 / 68, 1e-9);
    EXPECT_NEAR(PhonePixelsPerMillimetre({720, 360}, {136, 68}), 360.0 / 68, 1e-9);
    const double typical = 140.0 / 25.4;
    // No size, Qt's 100-dpi guess for 360 pixels (91 mm), a centimetre, NaN.
    for (QSizeF made_up :
        {QSizeF(0, 0), QSizeF(91.44, 182.88), QSizeF(10, 20), QSizeF(std::nan(""), 120)})
        EXPECT_NEAR(PhonePixelsPerMillimetre({360, 720}, made_up), typical, 1e-9);
    // Phosh at scale 1 without a size: 720 pixels across the same 65 mm.
    EXPECT_NEAR(PhonePixelsPerMillimetre({720, 1440}, {}), 2 * typical, 1e-9);
    // A dense screen at scale 1 that reports its size: 1080 pixels over 68 mm.
    EXPECT_NEAR(PhonePixelsPerMillimetre({1080, 2340}, {68, 147}), 1080.0 / 68, 1e-9);
    EXPECT_EQ(MillimetresToPixels(7, typical), 39);
    EXPECT_EQ(MillimetresToPixels(5, typical), 28);
    EXPECT_EQ(MillimetresToPixels(7, SimulatedPixelsPerMillimetre(1)), 26);
    EXPECT_EQ(MillimetresToPixels(7, SimulatedPixelsPerMillimetre(2)), 53);
}

TEST(ScreenMetrics, TheSimulatedScreenGrowsInWholeStepsAndToTheDesktopsFont)
{
    const struct {
        int height;
        double fontPixels;
        double scale;
    } cases[] = {
        {0, 10, 1},
        {768, 10, 1},
        {1050, 10, 1},
        {1279, 10, 1},
        {1280, 10, 2},
        {1410, 10, 2},
        {2130, 10, 3},
        {4300, 10, 6},
        // A desktop font above the design's 10 px: a fractional scale.
        {1050, 14.67, 1.467},
        {1280, 13.33, 2},
        {1280, 25, 2.5},
        // Only as far as the screen fits on the monitor.
        {768, 14.67, 1.467},
        {768, 40, 1.92},
        {300, 40, 1},
        // A smaller font never shrinks the screen below its own size.
        {1050, 8, 1},
    };
    for (const auto& [height, fontPixels, scale] : cases)
        EXPECT_NEAR(SimulatedScreenScale(height, fontPixels), scale, 1e-9)
            << height << " " << fontPixels;
}

TEST(ScreenMetrics, ThePortraitWidthOrTheLandscapeHeightSetsThePhoneScale)
{
    const UnitSize design;
    // Portrait: 160 units of 1.5 px fill 360 px; the height has room to spare.
    EXPECT_DOUBLE_EQ(PhoneDesignScale({360, 720}, 82, design), 1.5);
    // Landscape: 160 units of 1.375 px fill what the bars leave of 360.
    EXPECT_DOUBLE_EQ(PhoneDesignScale({720, 360}, 82, design), (360.0 - 82) / 220);
    // A dialog has the whole height for its 164 units.
    EXPECT_DOUBLE_EQ(
        PhoneDesignScale({720, 360}, 0, design, kLandscapeDialogHeightDu), 360.0 / 225.5);
    // A short, wide portrait screen is held by its height.
    EXPECT_DOUBLE_EQ(PhoneDesignScale({480, 500}, 60, design), 440.0 / 308);
    // A narrow landscape screen is held by its width.
    EXPECT_DOUBLE_EQ(PhoneDesignScale({400, 390}, 0, design), 400.0 / 318);
    EXPECT_DOUBLE_EQ(PhoneDesignScale({0, 0}, 100, design), 1.0);
}
