#include "app/StartOptions.h"
#include "tests/LogicTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct OptionsCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    bool autostart;
    QString screenshot;
    int tab;
};

class StartOptionsCase : public ::testing::TestWithParam<OptionsCase> { };

QStringList Args(std::initializer_list<const char*> arguments)
{
    QStringList list {QStringLiteral("pelmora")};
    for (const char* argument : arguments)
        list << QString::fromUtf8(argument);
    return list;
}

} // namespace

TEST_P(StartOptionsCase, AreRead)
{
    const OptionsCase& c = GetParam();
    const StartOptions options = ParseStartOptions(c.arguments);
    EXPECT_EQ(options.exitCode, c.exitCode) << options.message.toStdString();
    EXPECT_EQ(options.autostart, c.autostart);
    EXPECT_EQ(options.screenshot, c.screenshot);
    EXPECT_EQ(options.tab, c.tab);
}

INSTANTIATE_TEST_SUITE_P(Lines, StartOptionsCase,
    ::testing::Values(OptionsCase {"Nothing", Args({}), -1, false, {}, 0},
        OptionsCase {"StartupShortcut", Args({"/h"}), -1, true, {}, 0},
        OptionsCase {"SlashHAnywhereInAnArgument", Args({"x/hy"}), -1, true, {}, 0},
        OptionsCase {"SlashHIsCaseSensitive", Args({"/H"}), -1, false, {}, 0},
        OptionsCase {"OtherArgumentsAreAllowed", Args({"-", "other"}), -1, false, {}, 0},
        OptionsCase {"PathValueIsNotTheShortcut", Args({"--screenshot", "/home/u/p.png"}), -1,
            false, QStringLiteral("/home/u/p.png"), 0},
        OptionsCase {"TabAndShortcut", Args({"--tab", "3", "/h"}), -1, true, {}, 3},
        OptionsCase {"Help", Args({"--help"}), 0, false, {}, 0},
        OptionsCase {"ShortHelp", Args({"-h", "/h"}), 0, false, {}, 0},
        OptionsCase {"UnknownOption", Args({"--frobnicate"}), 2, false, {}, 0},
        OptionsCase {"MissingValue", Args({"--screenshot"}), 2, false, {}, 0},
        OptionsCase {"TabOutOfRange", Args({"--tab", "5"}), 2, false, {}, 5},
        OptionsCase {"TabNotANumber", Args({"--tab", "two"}), 2, false, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartOptions, MessagesForHelpAndUsageErrors)
{
    const StartOptions help = ParseStartOptions(Args({"--help"}));
    EXPECT_TRUE(help.message.startsWith(QStringLiteral("Usage: "))) << help.message.toStdString();
    EXPECT_TRUE(help.message.contains(QStringLiteral("--screenshot <FILE>")));
    const StartOptions wrong = ParseStartOptions(Args({"--frobnicate"}));
    EXPECT_TRUE(
        wrong.message.startsWith(QStringLiteral("pelmora: Unknown option 'frobnicate'.\nUsage: ")))
        << wrong.message.toStdString();
}

TEST(StartOptions, TheProgramAnswersHelpAndUsageErrors)
{
    QProcess help;
    help.start(QStringLiteral(PELMORA_PROGRAM), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(20000));
    EXPECT_EQ(help.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: "));

    QProcess wrong;
    wrong.start(QStringLiteral(PELMORA_PROGRAM), {QStringLiteral("--frobnicate")});
    ASSERT_TRUE(wrong.waitForFinished(20000));
    EXPECT_EQ(wrong.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_TRUE(wrong.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(wrong.readAllStandardError().contains("Unknown option 'frobnicate'"));
}

TEST(StartOptions, AScreenshotIsTakenWhateverMessageTheStartHasToShow)
{
    // A damaged templates file brings a message box at start; without a
    // display nobody could answer it, and the program used to wait for ever.
    test::ScratchDir home;
    test::WriteAll(home.Path() / "pelmoramessages.data", {0x01, 0x02, 0x03});
    QProcess shot;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("PELMORA_HOME"), QString::fromStdString(home.Path().string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    shot.setProcessEnvironment(environment);
    const QString png = QString::fromStdString((home.Path() / "main.png").string());
    shot.start(QStringLiteral(PELMORA_PROGRAM),
        {QStringLiteral("--backend"), QStringLiteral("simulated"), QStringLiteral("--screenshot"),
            png});
    ASSERT_TRUE(shot.waitForFinished(60000));
    EXPECT_EQ(shot.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(png));
    EXPECT_TRUE(shot.readAllStandardError().contains("pelmora: Damaged data files: "));
}

TEST(StartOptions, TheScreenIsChosenByNameOrLeftToTheProgram)
{
    const std::tuple<QStringList, int, ScreenChoice> cases[] = {
        {Args({}), -1, ScreenChoice::Automatic},
        {Args({"--screen", "phone"}), -1, ScreenChoice::Phone},
        {Args({"--screen=Simulated"}), -1, ScreenChoice::Simulated},
        {Args({"--screen", "auto", "/h"}), -1, ScreenChoice::Automatic},
        {Args({"--screen", "tablet"}), 2, ScreenChoice::Automatic},
        {Args({"--screen"}), 2, ScreenChoice::Automatic},
    };
    for (const auto& [arguments, exitCode, screen] : cases) {
        const StartOptions options = ParseStartOptions(arguments);
        EXPECT_EQ(options.exitCode, exitCode) << arguments.join(u' ').toStdString();
        EXPECT_EQ(options.screen, screen) << arguments.join(u' ').toStdString();
    }
    EXPECT_TRUE(ParseStartOptions(Args({"--screen", "tablet"}))
                    .message.startsWith(QStringLiteral(
                        "pelmora: --screen takes phone, simulated or auto, not \"tablet\"\n")));
}
