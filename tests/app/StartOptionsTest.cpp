#include "app/StartOptions.h"
#include "tests/LogicTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

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

namespace {

QString Manual(const char* name)
{
    QFile file(QStringLiteral(PELMORA_SOURCE_DIR "/resources/man/%1").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The words a roff manual shows: escapes of "-" and quotes undone.
QString Shown(QString roff)
{
    return roff.replace(QStringLiteral("\\-"), QStringLiteral("-"))
        .replace(QStringLiteral("\\(dq"), QStringLiteral("\""));
}

} // namespace

// The manual pages can't drift: every option a program's --help lists, every
// command of pelmora-data and every command and output line of pelmora-sim's
// reference is in its manual page.
TEST(Manuals, NameEveryOptionAndCommandThePrograms)
{
    const QString pelmora = Shown(Manual("pelmora.1"));
    const QString help = ParseStartOptions(Args({"--help"})).message;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]+"));
    for (const QRegularExpressionMatch& match : option.globalMatch(help)) {
        if (match.captured() != QStringLiteral("--help-all")) {
            EXPECT_TRUE(pelmora.contains(match.captured())) << match.captured().toStdString();
        }
    }

    QProcess tool;
    tool.start(QStringLiteral(PELMORA_DATA_TOOL), {QStringLiteral("--help")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QString toolHelp = QString::fromUtf8(tool.readAllStandardOutput());
    const QString data = Shown(Manual("pelmora-data.1"));
    for (const char* command : {"dump", "load", "preview", "history"}) {
        EXPECT_TRUE(toolHelp.section(QLatin1Char('\n'), 0, 0).contains(QLatin1String(command)))
            << "the usage line lacks " << command;
        EXPECT_TRUE(data.contains(QStringLiteral("pelmora-data %1").arg(QLatin1String(command))))
            << command;
    }

    // pelmora-sim's reference: the first word of each table row's first cell.
    QFile reference(QStringLiteral(PELMORA_SOURCE_DIR "/docs/pelmora-sim.md"));
    ASSERT_TRUE(reference.open(QIODevice::ReadOnly));
    const QString sim = Shown(Manual("pelmora-sim.1"));
    static const QRegularExpression row(QStringLiteral("^\\| `([a-z]+)"));
    int rows = 0;
    for (const QString& line : QString::fromUtf8(reference.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        ++rows;
        const QString word = match.captured(1);
        EXPECT_TRUE(sim.contains(QRegularExpression(
            QStringLiteral("\\.B[IR]? \"?%1\\b").arg(QRegularExpression::escape(word)))))
            << word.toStdString();
    }
    EXPECT_GT(rows, 20);
}
