#include "app/SimScript.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace pelmora::sim;

namespace {

std::optional<ControlKind> FakeControls(Page page, int id)
{
    if (page == Page::Main && id == 1000)
        return ControlKind::Button;
    if (page == Page::Main && id == 1069)
        return ControlKind::CheckBox;
    if (page == Page::Main && id == 1013)
        return ControlKind::ComboBox;
    if (page == Page::Exclude && id == 1024)
        return ControlKind::Edit;
    if (page == Page::Include && id == 1018)
        return ControlKind::RadioButton;
    if (page == Page::Include && id == 1011)
        return ControlKind::ClickablePicture;
    if (page == Page::Main && id == 1012)
        return ControlKind::Other;
    return std::nullopt;
}

Script Parse(const char* text)
{
    return ParseScript(QString::fromUtf8(text), FakeControls);
}

std::string Errors(const Script& script)
{
    std::string all;
    for (const ScriptError& error : script.errors)
        all += std::to_string(error.line) + ": " + error.reason.toStdString() + "\n";
    return all;
}

using Kind = Command::Kind;

TEST(SimScript, ReadsEveryCommandWithItsArguments)
{
    const Script script = Parse("# a story\n"
                                "start\n"
                                "\n"
                                "  call +447700 rings 3 nocid answered\n"
                                "call \"(020) 7946\"\n"
                                "answer yes\n"
                                "advance 1h30m\n"
                                "set main.1069 off\n"
                                "set main.1013 2\n"
                                "set exclude.1024 \"say \\\"hi\\\" \\\\ bye\"\n"
                                "set include.1018 on\n"
                                "click include.1011\n"
                                "menu 32792\n"
                                "reply yes\n"
                                "screenshot after-call\n"
                                "tab 2\n"
                                "rotate\r\n"
                                "restart\n"
                                "dump\n"
                                "stop");
    ASSERT_EQ(Errors(script), "");
    const std::vector<Command>& c = script.commands;
    std::vector<Kind> kinds;
    for (const Command& command : c)
        kinds.push_back(command.kind);
    EXPECT_EQ(kinds,
        (std::vector<Kind> {Kind::Start, Kind::Call, Kind::Call, Kind::Answer, Kind::Advance,
            Kind::Set, Kind::Set, Kind::Set, Kind::Set, Kind::Click, Kind::Menu, Kind::Reply,
            Kind::Screenshot, Kind::Tab, Kind::Rotate, Kind::Restart, Kind::Dump, Kind::Stop}));
    EXPECT_EQ(c[0].line, 2);
    EXPECT_EQ(c[1].line, 4);
    EXPECT_EQ(c[17].line, 20);
    EXPECT_EQ(c[1].text, u"+447700");
    EXPECT_EQ(c[1].rings, 3u);
    EXPECT_TRUE(c[1].answered && c[1].noCallerId);
    EXPECT_EQ(c[2].text, u"(020) 7946");
    EXPECT_FALSE(c[2].rings || c[2].answered || c[2].noCallerId);
    EXPECT_TRUE(c[3].yes);
    EXPECT_EQ(c[4].milliseconds, 5'400'000);
    EXPECT_FALSE(c[5].on);
    EXPECT_EQ(c[6].number, 2);
    EXPECT_EQ(c[7].page, Page::Exclude);
    EXPECT_EQ(c[7].controlId, 1024);
    EXPECT_EQ(c[7].text, u"say \"hi\" \\ bye");
    EXPECT_EQ(c[10].number, 32792);
    EXPECT_EQ(c[11].reply, BoxAnswer::Yes);
    EXPECT_EQ(c[12].text, u"after-call");
}

TEST(SimScript, EveryWrongLineIsReportedWithItsNumberAndReason)
{
    const Script script = Parse("start\n"
                                "# fine\n"
                                "jump\n"
                                "start now\n"
                                "call\n"
                                "call 0111 rings\n"
                                "call 0111 rings 100\n"
                                "call 0111 answered answered\n"
                                "answer maybe\n"
                                "delivery lost\n"
                                "advance 30\n"
                                "set main.1069 yes\n"
                                "set include.1018 off\n"
                                "set main.1013 first\n"
                                "set exclude.1024 unquoted\n"
                                "set main.1012 \"x\"\n"
                                "set main.9999 on\n"
                                "set settings.1069 on\n"
                                "click main.1069x\n"
                                "click main.1012\n"
                                "menu 32700\n"
                                "reply maybe\n"
                                "screenshot a/b\n"
                                "tab 5\n"
                                "set exclude.1024 \"open\n"
                                "set exclude.1024 \"bad \\n escape\"\n"
                                "\"start\"\n"
                                "dump");
    EXPECT_EQ(Errors(script),
        "3: unknown command \"jump\"\n"
        "4: start takes no arguments\n"
        "5: call needs a number\n"
        "6: rings needs a count\n"
        "7: rings takes a count from 0 to 99\n"
        "8: \"answered\" is not rings N, answered or nocid (each at most once)\n"
        "9: answer takes yes or no\n"
        "10: delivery takes ok, or fail and a reason\n"
        "11: \"30\" is not a duration such as 30s, 4m, 2h or 1h30m\n"
        "12: main.1069 is a check box: on or off\n"
        "13: include.1018 is a radio button: only on\n"
        "14: main.1013 is a combo box: an item index\n"
        "15: exclude.1024 is an edit field: a text in double quotes\n"
        "16: main.1012 is neither a button nor a field; set takes check boxes, radio buttons, "
        "combo boxes, edit fields and lists\n"
        "17: the main page has no control 9999\n"
        "18: \"settings.1069\" is not PAGE.ID with PAGE main, profile, log, include or exclude\n"
        "19: \"main.1069x\" is not PAGE.ID with PAGE main, profile, log, include or exclude\n"
        "20: main.1012 is neither a button nor a field, which cannot be clicked\n"
        "21: \"32700\" is not a menu command of the main window\n"
        "22: reply takes yes, no or ok\n"
        "23: a screenshot's name is a file name without a folder\n"
        "24: tab takes a number from 0 to 4\n"
        "25: a quoted text has no closing \"\n"
        "26: only \\\" and \\\\ may follow a backslash\n"
        "27: a command is not quoted\n");
    ASSERT_EQ(script.commands.size(), 2u);
    EXPECT_EQ(script.commands.back().line, 28);
}

TEST(SimScript, DurationsCombineHoursMinutesAndSecondsInThisOrder)
{
    EXPECT_EQ(ParseDuration(u"30s"), 30'000);
    EXPECT_EQ(ParseDuration(u"4m"), 240'000);
    EXPECT_EQ(ParseDuration(u"2h"), 7'200'000);
    EXPECT_EQ(ParseDuration(u"1h30m"), 5'400'000);
    EXPECT_EQ(ParseDuration(u"1h2m3s"), 3'723'000);
    EXPECT_EQ(ParseDuration(u"0s"), 0);
    EXPECT_EQ(ParseDuration(u"90m"), 5'400'000);
    for (const char16_t* wrong :
        {u"", u"30", u"s", u"1m1h", u"1m1m", u"1d", u"-1s", u"1.5h", u"1h 30m", u"9999h"})
        EXPECT_FALSE(ParseDuration(wrong)) << QString::fromStdU16String(wrong).toStdString();
}

TEST(SimScript, OutputFieldsEscapeTabsLineBreaksAndBackslashes)
{
    EXPECT_EQ(EscapeField(u"a\tb\nc\\d é"), "a\\tb\\nc\\\\d é");
    EXPECT_EQ(OutputLine({u"sms", u"0111", u"Hi\tthere"}), "sms\t0111\tHi\\tthere\n");
    EXPECT_EQ(OutputLine({u"unbubble"}), "unbubble\n");
    EXPECT_EQ(OutputLine({u"hangup", u""}), "hangup\t\n");
}

TEST(SimScript, CommandLineTakesTheOptionsAndOneScript)
{
    const Options options = ParseOptions({QStringLiteral("pelmora-sim"),
        QStringLiteral("--data-dir"), QStringLiteral("/tmp/d"), QStringLiteral("--contacts"),
        QStringLiteral("c.vcf"), QStringLiteral("--clock"), QStringLiteral("2026-01-05T09:00:00"),
        QStringLiteral("--screenshots"), QStringLiteral("shots"), QStringLiteral("-")});
    EXPECT_EQ(options.exitCode, -1);
    EXPECT_EQ(options.dataDir, QStringLiteral("/tmp/d"));
    EXPECT_EQ(options.contacts, QStringLiteral("c.vcf"));
    EXPECT_EQ(options.screenshots, QStringLiteral("shots"));
    EXPECT_EQ(options.script, QStringLiteral("-"));
    EXPECT_EQ(options.clockMs, QDateTime(QDate(2026, 1, 5), QTime(9, 0)).toMSecsSinceEpoch());

    EXPECT_EQ(ParseOptions({QStringLiteral("pelmora-sim")}).exitCode, 2);
    EXPECT_EQ(
        ParseOptions({QStringLiteral("pelmora-sim"), QStringLiteral("a"), QStringLiteral("b")})
            .exitCode,
        2);
    const Options badClock = ParseOptions({QStringLiteral("pelmora-sim"), QStringLiteral("--clock"),
        QStringLiteral("2026-01-05 09:00"), QStringLiteral("s")});
    EXPECT_EQ(badClock.exitCode, 2);
    EXPECT_TRUE(badClock.message.contains(QStringLiteral("--clock")));
    EXPECT_FALSE(ParseClock(QStringLiteral("2026-02-30T09:00:00")));
    const Options help = ParseOptions({QStringLiteral("pelmora-sim"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.message.contains(QStringLiteral("--screenshots")));
}

TEST(SimOptions, APhonesScreenBySizeAndScale)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        bool phone;
        QSize logical;
    };
    const Case cases[] = {
        {{}, -1, false, {360, 720}},
        {{QStringLiteral("--screen"), QStringLiteral("phone")}, -1, true, {360, 720}},
        {{QStringLiteral("--screen-size"), QStringLiteral("1080x2340@3")}, -1, true, {360, 780}},
        {{QStringLiteral("--screen-size"), QStringLiteral("1440x720@2")}, -1, true, {720, 360}},
        {{QStringLiteral("--screen"), QStringLiteral("tablet")}, 2, false, {}},
        {{QStringLiteral("--screen-size"), QStringLiteral("700x1400@3")}, 2, false, {}},
        {{QStringLiteral("--screen-size"), QStringLiteral("1920x1080@1")}, 2, false, {}},
        {{QStringLiteral("--screen-size"), QStringLiteral("720x1440")}, 2, false, {}},
        {{QStringLiteral("--screen"), QStringLiteral("simulated"), QStringLiteral("--screen-size"),
             QStringLiteral("720x1440@2")},
            2, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Options options = ParseOptions(QStringList {QStringLiteral("pelmora-sim")}
            + c.arguments + QStringList {QStringLiteral("s")});
        EXPECT_EQ(options.exitCode, c.exitCode);
        if (c.exitCode != -1)
            continue;
        EXPECT_EQ(options.phone, c.phone);
        EXPECT_EQ(options.phoneScreen.Logical(), c.logical);
    }
    EXPECT_EQ(OffscreenConfig({{1080, 2340}, 3}),
        QByteArray("{\"screens\": [{\"name\": \"phone\", \"x\": 0, \"y\": 0, \"width\": 360, "
                   "\"height\": 780, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 3}]}"));
}

} // namespace
