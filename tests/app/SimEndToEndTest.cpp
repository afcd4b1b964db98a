// pelmora-sim run as a program on whole scripts, its whole output compared.

#include "history/CallHistory.h"
#include "messages/TemplateStore.h"
#include "options/OwnSettings.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <tuple>

namespace {

using pelmora::test::ScratchDir;

struct SimRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

constexpr char kContacts[] = "BEGIN:VCARD\nVERSION:3.0\nUID:ann\nN:Smith;Ann;;;\n"
                             "TEL;TYPE=CELL:07700 900111\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nUID:bob\nN:Jones;Bob;;;\n"
                             "TEL;TYPE=CELL:07700 900222\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nUID:cat\nN:Lee;Cat;;;\n"
                             "TEL;TYPE=CELL:+447700900444\nEND:VCARD\n";

// The program's own lines of standard error, without the notes of Qt.
std::string OwnLines(const std::string& err)
{
    std::string own;
    for (const QByteArray& line : QByteArray::fromStdString(err).split('\n'))
        if (line.startsWith("pelmora-sim:"))
            own += line.toStdString() + "\n";
    return own;
}

class SimEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(dir.Path() / "contacts.vcf") << kContacts; }
    SimRun Run(const std::string& script, const QStringList& more = {})
    {
        QProcess sim;
        sim.start(QStringLiteral(PELMORA_SIM),
            QStringList {QStringLiteral("--data-dir"), Path(dataName.c_str()),
                QStringLiteral("--contacts"), Path("contacts.vcf"), QStringLiteral("--clock"),
                clock, QStringLiteral("--screenshots"), Path("shots")}
                + more + QStringList {QStringLiteral("-")});
        sim.write(QByteArray::fromStdString(script));
        sim.closeWriteChannel();
        SimRun run;
        if (!sim.waitForFinished(60000))
            return run;
        run.exitCode = sim.exitCode();
        run.out = sim.readAllStandardOutput().toStdString();
        run.err = sim.readAllStandardError().toStdString();
        return run;
    }
    QString Path(const char* name) const
    {
        return QString::fromStdString((dir.Path() / name).string());
    }

    ScratchDir dir;
    std::string dataName = "data";
    QString clock = QStringLiteral("2026-01-05T09:00:00");
};

} // namespace

// A script's screenshots as a phone shows them: its own screen, at its scale.
TEST_F(SimEndToEnd, AScriptShootsThePhonesScreen)
{
    const SimRun run = Run("call 07700900111 rings 2\ntab 2\nscreenshot log\n",
        {QStringLiteral("--screen-size"), QStringLiteral("1080x2340@3")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The PNG's own header: width and height, big-endian, after "IHDR".
    QFile shot(Path("shots/log.png"));
    ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
    const QByteArray head = shot.read(24);
    ASSERT_EQ(head.mid(12, 4), QByteArray("IHDR"));
    const auto word = [&head](int at) {
        return (uint32_t(uint8_t(head[at])) << 24) | (uint32_t(uint8_t(head[at + 1])) << 16)
            | (uint32_t(uint8_t(head[at + 2])) << 8) | uint32_t(uint8_t(head[at + 3]));
    };
    EXPECT_EQ(word(16), 1080u);
    EXPECT_EQ(word(20), 2340u);
}

namespace {

// The default message as a caller gets it.
std::string Dear(const std::string& name)
{
    return "Dear " + name
        + ", I am sorry I can not come to the phone right now. I will get "
          "back to you as soon as possible.";
}

// Output lines, each ended by a line break.
// An SMS handed to the outbox and, at the next step of the clock, its report.
std::string Delivered(const std::string& number, const std::string& text)
{
    return "sms\t" + number + "\t" + text + "\ndelivery\t" + number + "\tdelivered";
}

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST_F(SimEndToEnd, KnownAndUnknownCallersGetTheDefaultMessageOncePerCaller)
{
    const SimRun run = Run("start\n"
                           "call 07700900111 rings 2\n"
                           "advance 90s\n"
                           "call 02079460999 rings 1\n"
                           "advance 1m\n"
                           "call 07700900111 rings 1\n"
                           "# abroad: excluded by the fresh settings\n"
                           "call +447700900333 rings 1\n"
                           "call 0111 rings 1 nocid\n"
                           "call 0222 rings 3 answered\n"
                           "# the second row's pop-up menu: call the number, delete the row\n"
                           "set log.1029 1\n"
                           "menu 32794\n"
                           "reply yes\n"
                           "menu 32786\n"
                           "dump\n"
                           "stop\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            Delivered("07700900111", Dear("Ann Smith")),
            Delivered("02079460999", Dear("")),
            "dial\t02079460999",
            "box\tConfirm delete\tAre you sure you want to delete this individual entry?\tyes",
            "log\t07700900111\tAnn Smith\t9:0:0 5/1/2026\t2\tYes",
            "log\t07700900111\tAnn Smith\t9:2:30 5/1/2026\t1\tNo",
            "log\t+447700900333\tUnknown\t9:2:30 5/1/2026\t1\tNo",
            "sent\t2",
            "log\t07700900111\tAnn Smith\t9:0:0 5/1/2026\t2\tYes",
            "log\t07700900111\tAnn Smith\t9:2:30 5/1/2026\t1\tNo",
            "log\t+447700900333\tUnknown\t9:2:30 5/1/2026\t1\tNo",
            "sent\t0",
        }));
    // The outbox has the two replies, stamped with the simulated time.
    QFile outbox(Path("data/outbox.jsonl"));
    ASSERT_TRUE(outbox.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = outbox.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains("\"time\":\"2026-01-05T09:01:30")) << lines[1].toStdString();
}

TEST_F(SimEndToEnd, ExcludeAndIncludeRulesDecide)
{
    const SimRun run = Run("set exclude.1020 off\n"
                           "set exclude.1021 on\n"
                           "set exclude.1022 on\n"
                           "set exclude.1024 \"0900;0800\"\n"
                           "set include.1018 on\n"
                           "set include.1019 \"07,+44\"\n"
                           "start\n"
                           "call 09001234567 rings 1\n"
                           "call 07700900999 rings 1\n"
                           "call +447700900111 rings 1\n"
                           "call +447700900444 rings 1\n"
                           "call 02079460999 rings 1\n"
                           "call 07700900222 rings 1\n"
                           "screenshot rules\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            Delivered("+447700900444", Dear("Cat Lee")),
            Delivered("07700900222", Dear("Bob Jones")),
            "log\t09001234567\tUnknown\t9:0:0 5/1/2026\t1\tNo",
            "log\t07700900999\tUnknown\t9:0:0 5/1/2026\t1\tNo",
            // Ann's number with the country code is not found: unidentified.
            "log\t+447700900111\tUnknown\t9:0:0 5/1/2026\t1\tNo",
            "log\t+447700900444\tCat Lee\t9:0:0 5/1/2026\t1\tYes",
            "log\t02079460999\tUnknown\t9:0:0 5/1/2026\t1\tNo",
            "log\t07700900222\tBob Jones\t9:0:0 5/1/2026\t1\tYes",
            "sent\t2",
        }));
    EXPECT_GT(QFile(Path("shots/rules.png")).size(), 0);
}

TEST_F(SimEndToEnd, LimitsRingsAndHangUpWithTheirWarning)
{
    const SimRun run = Run("set main.1014 \"2\"\n"
                           "set main.1013 1\n"
                           "set main.1017 3\n"
                           "set main.1018 3\n"
                           "start\n"
                           "call 0111 rings 5\n"
                           "set main.1017 0\n"
                           "call 0111 rings 5\n"
                           "call 0111 rings 1\n"
                           "call 0222 rings 1\n"
                           "set main.1014 \"9\"\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            "box\tPelmora\tWarning: The number of rings before sms send selected is greater "
            "than the number of rings to hangup, no SMSes will be sent\tok",
            "hangup\t0111",
            "hangup\t0111",
            Delivered("0111", Dear("")),
            Delivered("0111", Dear("")),
            "log\t0111\tUnknown\t9:0:0 5/1/2026\t2\tNo",
            "log\t0111\tUnknown\t9:0:0 5/1/2026\t2\tYes",
            "log\t0111\tUnknown\t9:0:0 5/1/2026\t1\tYes",
            "log\t0222\tUnknown\t9:0:0 5/1/2026\t1\tNo",
            "sent\t2",
        }));
    // The limit cannot be changed while monitoring runs.
    EXPECT_NE(run.err.find("line 11: main.1014 is disabled"), std::string::npos) << run.err;
}

TEST_F(SimEndToEnd, QuestionsAreAnsweredReplacedAndExpireFourMinutesAfterTheLast)
{
    const SimRun run = Run("set main.1069 on\n"
                           "start\n"
                           "call 0111 rings 1\n"
                           "advance 3m59s\n"
                           "answer yes\n"
                           "call 0222 rings 1\n"
                           "advance 3m\n"
                           "advance 59s\n"
                           "dump\n"
                           "advance 1s\n"
                           "answer yes\n"
                           "call 07700900111 rings 1\n"
                           "call 07700900222 rings 1\n"
                           "answer no\n"
                           "answer yes\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            "bubble\t0111\tUnknown\t" + Dear(""),
            Delivered("0111", Dear("")),
            "unbubble",
            "bubble\t0222\tUnknown\t" + Dear(""),
            "log\t0111\tUnknown\t9:0:0 5/1/2026\t1\tYes",
            "log\t0222\tUnknown\t9:3:59 5/1/2026\t1\tInteractive",
            "sent\t1",
            "unbubble",
            "bubble\t07700900111\tAnn Smith\t" + Dear("Ann Smith"),
            "unbubble",
            "bubble\t07700900222\tBob Jones\t" + Dear("Bob Jones"),
            "unbubble",
            "log\t0111\tUnknown\t9:0:0 5/1/2026\t1\tYes",
            "log\t0222\tUnknown\t9:3:59 5/1/2026\t1\tInteractive",
            "log\t07700900111\tAnn Smith\t9:7:59 5/1/2026\t1\tInteractive",
            "log\t07700900222\tBob Jones\t9:7:59 5/1/2026\t1\tInteractive",
            "sent\t1",
        }));
    // The expired question and the one answered No left nothing to tap.
    EXPECT_EQ(OwnLines(run.err),
        "pelmora-sim: line 11: no question is open: nothing to answer\n"
        "pelmora-sim: line 15: no question is open: nothing to answer\n");
}

TEST_F(SimEndToEnd, TheQuestionIsAnswerableForItsWholeFourMinutes)
{
    // After 90 seconds the bubble has folded away; answer opens it from the
    // bar above the page first, as the user would.
    struct Row {
        const char* wait;
        const char* answer;
        bool sends;
    };
    for (const Row& row : {Row {"30s", "yes", true}, Row {"3m59s", "yes", true},
             Row {"3m59s", "no", false}, Row {"4m1s", "yes", false}}) {
        SCOPED_TRACE(std::string(row.wait) + " " + row.answer);
        dataName = std::string("data-") + row.wait + row.answer;
        const SimRun run = Run(std::string("set main.1069 on\nstart\ncall 0111 rings 1\nadvance ")
            + row.wait + "\nanswer " + row.answer + "\n");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::string expected = "bubble\t0111\tUnknown\t" + Dear("") + "\n";
        if (row.sends)
            expected += Delivered("0111", Dear("")) + "\n";
        expected += Lines({"unbubble",
            std::string("log\t0111\tUnknown\t9:0:0 5/1/2026\t1\t")
                + (row.sends ? "Yes" : "Interactive"),
            row.sends ? "sent\t1" : "sent\t0"});
        EXPECT_EQ(run.out, expected);
        const bool tooLate = std::string(row.wait) == "4m1s";
        EXPECT_EQ(OwnLines(run.err),
            tooLate ? "pelmora-sim: line 5: no question is open: nothing to answer\n" : "");
    }
}

TEST_F(SimEndToEnd, ControlRequestsActAsTheBusWouldWithoutBoxes)
{
    const SimRun run = Run("control status\n"
                           "set main.1014 \"0\"\n"
                           "control start\n"
                           "set main.1014 \"5\"\n"
                           "control profile \"Nope\"\n"
                           "control interactive on\n"
                           "control start\n"
                           "control answer yes\n"
                           "call 0111 rings 1\n"
                           "control status\n"
                           "control answer yes\n"
                           "control stop\n"
                           "control status\n"
                           "control quit\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            "status\toff\t0\tDefault\t",
            "control\tstart\tInvalid \"Max allowed SMS to send\" please correct its value",
            "control\tprofile\tThere is no profile named \"Nope\".",
            "control\tinteractive\tok",
            "control\tstart\tok",
            "control\tanswer\tNo question is open.",
            "bubble\t0111\tUnknown\t" + Dear(""),
            "status\ton\t0\tDefault\t0111",
            Delivered("0111", Dear("")),
            "unbubble",
            "control\tanswer\tok",
            "control\tstop\tok",
            "status\toff\t0\tDefault\t",
            "control\tquit\tok",
            "sent\t0",
        }));
}

TEST_F(SimEndToEnd, AQuestionOpenAtTheEndExpiresInTheHistory)
{
    const SimRun run = Run("set main.1013 4\n"
                           "control interactive on\n"
                           "start\n"
                           "call 0111 rings 1\n"
                           "control quit\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<pelmora::CallRecord> rows
        = pelmora::CallHistory(dir.Path() / dataName, 0, 0).Read();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fate, pelmora::ReplyFate::Expired);
    EXPECT_EQ(rows[0].error, u"Pelmora ended");
}

TEST_F(SimEndToEnd, TheScheduleStartsStopsAndSwitchesTheProfileByTheClock)
{
    // Two profiles; nights with Sleep, weekday working hours off.
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directories(data);
    pelmora::ResetTemplateStore();
    pelmora::ResetProfileStore();
    const int32_t greeting = pelmora::AppendTemplate(u"Greeting", u"Hi")->id;
    pelmora::AddProfile(u"Work", greeting);
    const int32_t sleep = pelmora::AddProfile(u"Sleep", greeting)->id;
    ASSERT_TRUE(pelmora::SaveTemplates(data) && pelmora::SaveProfiles(data));
    pelmora::ResetTemplateStore();
    pelmora::ResetProfileStore();
    ASSERT_TRUE(pelmora::SaveOwnSettings(
        data, {{{0x7f, 23 * 60, 7 * 60, true, sleep}, {0x1f, 9 * 60, 17 * 60, false, 0}}}));

    // The clock starts on Monday 2026-01-05 at 22:50, Berlin time.
    clock = QStringLiteral("2026-01-05T22:50:00");
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    const SimRun run = Run("control status\n"
                           "advance 10m\n"
                           "control status\n"
                           "stop\n"
                           "advance 1h\n"
                           "restart\n"
                           "advance 7h\n"
                           "advance 2h\n"
                           "start\n"
                           "advance 8h\n"
                           "control status\n");
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({
            "status\toff\t0\tWork\t",
            "profile\tSleep", // 23:00: the night window
            "monitoring\ton",
            "status\ton\t0\tSleep\t",
            // Stopped by hand, it stays stopped; a restart inside the
            // window applies it again.
            "profile\tSleep",
            "monitoring\ton",
            "monitoring\toff", // 07:00: the night ends, the profile comes back
            "profile\tWork",
            // 09:00, the working-hours window: monitoring is off already;
            // started by hand, it holds past the window's end at 17:00.
            "status\ton\t0\tWork\t",
            "sent\t0",
        }));
}

TEST_F(SimEndToEnd, RestartKeepsTheOptionsAndExitEndsTheRun)
{
    const SimRun run = Run("set exclude.1020 off\n"
                           "set main.1069 on\n"
                           "set log.1046 2\n"
                           "menu 32792\n"
                           "restart\n"
                           "start\n"
                           "call +447700900333 rings 1\n"
                           "answer yes\n"
                           "advance 59m\n"
                           "call 0222 rings 1\n"
                           "advance 1m\n"
                           "answer no\n"
                           "call 0333 rings 1\n"
                           "dump\n"
                           "reply yes\n"
                           "menu 32778\n"
                           "dump\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
        Lines({
            "box\tPelmora\tSettings saved...\tok",
            "bubble\t+447700900333\tUnknown\t" + Dear(""),
            Delivered("+447700900333", Dear("")),
            "unbubble",
            "bubble\t0222\tUnknown\t" + Dear(""),
            "unbubble",
            "bubble\t0333\tUnknown\t" + Dear(""),
            // An hour after it, the first call has left the log.
            "log\t0222\tUnknown\t9:59:0 5/1/2026\t1\tInteractive",
            "log\t0333\tUnknown\t10:0:0 5/1/2026\t1\tInteractive",
            "sent\t1",
            "box\tConfirm Stop Monitor\tPelmora is monitoring your missed calls. If you close "
            "this application Pelmora will stop monitoring the calls.\\n\\nIf you want Pelmora "
            "to run in the background, press on the window's close button instead.\\n\\nAre you "
            "sure you "
            "want to exit?\tyes",
            "sent\t1",
        }));
    EXPECT_NE(run.err.find("line 16: Pelmora ended here"), std::string::npos) << run.err;
}

TEST_F(SimEndToEnd, TheQuietPeriodHoldsAcrossARestartThroughTheHistory)
{
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directories(data);
    pelmora::OwnSettings options;
    options.quietMinutes = 60;
    ASSERT_TRUE(pelmora::SaveOwnSettings(data, options));
    const SimRun run = Run("set main.1013 4\n"
                           "start\n"
                           "call 02079460999 rings 1\n"
                           "advance 30m\n"
                           "restart\n"
                           "start\n"
                           "call 02079460999 rings 1\n"
                           "advance 31m\n"
                           "call 02079460999 rings 1\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        Lines({Delivered("02079460999", Dear("")), Delivered("02079460999", Dear("")),
            // The restart cleared the log; the history kept the first reply.
            "log\t02079460999\tUnknown\t9:30:0 5/1/2026\t1\tNo",
            "log\t02079460999\tUnknown\t10:1:0 5/1/2026\t1\tYes", "sent\t1"}));
    pelmora::CallHistory history(data, 0, 0);
    std::vector<pelmora::HistoryReason> reasons;
    for (const pelmora::CallRecord& row : history.Read())
        reasons.push_back(row.reason);
    EXPECT_EQ(reasons,
        (std::vector {pelmora::HistoryReason::Replied, pelmora::HistoryReason::QuietPeriod,
            pelmora::HistoryReason::Replied}));
}

// The quiet period holds back a caller, not a string of digits, counts only
// replies that reached them, and holds without the history too.
TEST_F(SimEndToEnd, TheQuietPeriodKnowsTheCallerAndTheRepliesThatReachedThem)
{
    const std::filesystem::path data = dir.Path() / "data";
    ASSERT_EQ(Run("set main.1013 4\n").exitCode, 0);
    pelmora::SettingsRecord settings;
    pelmora::LoadSettings(data, settings);
    settings.internationalPrefix.Assign(u"+44");
    ASSERT_TRUE(pelmora::SaveSettings(data, settings));
    pelmora::OwnSettings options;
    options.quietMinutes = 15;
    ASSERT_TRUE(pelmora::SaveOwnSettings(data, options));
    const std::string script = "start\n"
                               "call 07700900222 rings 1\n"
                               "advance 6m\n"
                               "call +447700900222 rings 1\n"
                               "delivery fail \"absent subscriber\"\n"
                               "call 0333 rings 1\n"
                               "delivery ok\n"
                               "advance 5m\n"
                               "call 0333 rings 1\n";
    const SimRun run = Run(script);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto texts = [](const std::string& out, const std::string& number) {
        size_t count = 0;
        for (size_t at = out.find("sms\t" + number + "\t"); at != std::string::npos;
             at = out.find("sms\t" + number + "\t", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(texts(run.out, "07700900222") + texts(run.out, "+447700900222"), 1u) << run.out;
    EXPECT_EQ(texts(run.out, "0333"), 2u) << run.out;

    // A history that cannot be kept still never doubles a text, and says so.
    std::filesystem::remove(data / pelmora::kHistoryFileName);
    std::filesystem::create_directory(data / pelmora::kHistoryFileName);
    const SimRun unrecorded = Run("start\n"
                                  "call 0444 rings 1\n"
                                  "advance 10m\n"
                                  "call 0444 rings 1\n");
    EXPECT_EQ(texts(unrecorded.out, "0444"), 1u) << unrecorded.out;
    EXPECT_NE(unrecorded.out.find("The quiet period counts the replies of this run only"),
        std::string::npos)
        << unrecorded.out;
}

TEST_F(SimEndToEnd, ADamagedOptionsFileIsKeptAsideSaidAndDeletesNoHistory)
{
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directories(data);
    {
        pelmora::CallHistory history(data, 0, 0);
        pelmora::CallRecord old;
        old.timeUtc = QDateTime(QDate(2024, 1, 1), QTime(9, 0)).toSecsSinceEpoch();
        old.number = u"0111";
        ASSERT_GT(history.Record(old), 0);
    }
    const std::string damaged = R"({"version":2,"historyKeep":"forevr","quietMinutes":60,})";
    std::ofstream(data / pelmora::kOwnSettingsFileName) << damaged;
    const SimRun run = Run("start\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(
        run.out.find("; historyKeep: month, year or forever (version 2))."), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Until you choose them again in Tools > Schedule and Tools > Advanced "
                           "settings, no schedule is used, the history keeps every call."),
        std::string::npos)
        << run.out;
    EXPECT_EQ(pelmora::CallHistory(data, 0, 0).Read().size(), 1u);
    size_t copies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data))
        copies += entry.path().filename().string().starts_with("pelmora-options.json.damaged-")
            && pelmora::test::ReadAll(entry.path())
                == std::vector<uint8_t>(damaged.begin(), damaged.end());
    EXPECT_EQ(copies, 1u);
}

TEST_F(SimEndToEnd, TheNetworkCanFailDeliveriesUntilToldOtherwise)
{
    const SimRun run = Run("set main.1013 4\n"
                           "start\n"
                           "delivery fail \"no such number\"\n"
                           "call 0111 rings 1\n"
                           "delivery ok\n"
                           "call 0222 rings 1\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with(Lines({"sms\t0111\t" + Dear(""),
        "delivery\t0111\tfailed\tno such number", Delivered("0222", Dear(""))})))
        << run.out;
    pelmora::CallHistory history(dir.Path() / dataName, 0, 0);
    const std::vector<pelmora::CallRecord> rows = history.Read();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].delivery, pelmora::DeliveryState::Failed);
    EXPECT_EQ(rows[0].deliveryReason, u"no such number");
    EXPECT_EQ(rows[1].delivery, pelmora::DeliveryState::Delivered);
}

// Every hand that switches monitoring, the profile or a reply, one after
// another: the user's taps, the start at login, the schedule, a script, a
// question, a restart. Each row is a script and what it must print.
TEST_F(SimEndToEnd, InterplayOfTheHands)
{
    constexpr uint8_t kEveryDay = 0x7f;
    const std::string warning = "Warning: The number of rings before sms send selected is greater "
                                "than the number of rings to hangup, no SMSes will be sent";
    struct Row {
        const char* name;
        // (start, end, profile or "" for an "off" window), every day
        std::vector<std::tuple<int, int, std::string>> windows;
        const char* clock; // Monday 2026-01-05
        std::string script;
        std::string out;
        pelmora::DeliveryState lastDelivery = pelmora::DeliveryState::Delivered;
        // The calendar file's events, and the profile that holds while it
        // says busy (empty: the calendar switches nothing).
        std::string calendar = {};
        std::string calendarProfile = {};
    };
    const auto meeting = [](const char* start, const char* end) {
        return std::string("BEGIN:VEVENT\r\nUID:m\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260105T")
            + start + "00Z\r\nDTEND:20260105T" + end + "00Z\r\nEND:VEVENT\r\n";
    };
    const Row rows[] = {
        {"the start at login inside an on window leaves monitoring on",
            {{0, 23 * 60 + 59, "Driving"}}, "09:00",
            "autostart\ncall 07700900111 rings 1\ncontrol status\n",
            Lines({"profile\tDriving", "monitoring\ton",
                Delivered("07700900111", "Driving, back later"), "status\ton\t1\tDriving\t"})},
        {"the start at login inside an off window waits for its end, unasked",
            {{12 * 60, 13 * 60, ""}}, "12:30", "autostart\nadvance 30m\ncall 07700900111 rings 1\n",
            Lines({"monitoring\ton", Delivered("07700900111", "Back soon")})},
        {"a window's end gives back the profile; monitoring started before stays on",
            {{9 * 60, 17 * 60, "Driving"}}, "08:00",
            "start\nadvance 1h\nadvance 8h\ncall 07700900111 rings 1\n",
            Lines({"profile\tDriving", "profile\tDefault", Delivered("07700900111", "Back soon")})},
        {"an off window's end starts monitoring again", {{12 * 60, 13 * 60, ""}}, "11:00",
            "start\nadvance 1h\nadvance 1h\ncall 07700900111 rings 1\n",
            Lines({"monitoring\toff", "monitoring\ton", Delivered("07700900111", "Back soon")})},
        {"a script's choice inside a night window outlives it", {{22 * 60, 7 * 60, "Sleeping"}},
            "21:00",
            "advance 1h\nadvance 8h55m\ncontrol profile \"Driving\"\ncontrol start\n"
            "advance 5m\ncall 07700900111 rings 1\ncontrol status\n",
            Lines({"profile\tSleeping", "monitoring\ton", "control\tprofile\tok",
                "control\tstart\tok", Delivered("07700900111", "Driving, back later"),
                "status\ton\t1\tDriving\t"})},
        {"a reply sent after Yes keeps its delivery report", {}, "09:00",
            "set main.1069 on\nstart\ncall 07700900111 rings 1\nanswer yes\n",
            Lines({"bubble\t07700900111\tAnn Smith\tBack soon",
                Delivered("07700900111", "Back soon"), "unbubble"})},
        {"an answer names its question; a newer one refuses it", {}, "09:00",
            "set main.1069 on\nstart\ncall 0111 rings 1\ncall 0222 rings 1\n"
            "control answer yes 1\ncontrol answer yes\n",
            Lines(
                {"bubble\t0111\tUnknown\tBack soon", "unbubble", "bubble\t0222\tUnknown\tBack soon",
                    "control\tanswer\tQuestion 1 is no longer open; question 2, from 0222, is.",
                    Delivered("0222", "Back soon"), "unbubble", "control\tanswer\tok"})},
        {"a start's warning reaches the schedule's notice and a script",
            {{9 * 60, 10 * 60, "Driving"}}, "08:59",
            "set main.1017 3\nset main.1018 2\nadvance 1m\ncontrol stop\ncontrol start\n",
            Lines({"profile\tDriving", "monitoring\ton",
                "notice\tThe schedule started monitoring. " + warning, "control\tstop\tok",
                "control\tstart\tok", "warning\t" + warning})},
        {"a restart inside a window keeps the user's own profile for its end",
            {{9 * 60, 17 * 60, "Driving"}}, "08:00",
            "control profile \"Sleeping\"\nadvance 2h\nrestart\nadvance 7h\ncontrol status\n",
            Lines({"control\tprofile\tok", "profile\tDriving", "monitoring\ton", "profile\tDriving",
                "monitoring\ton", "monitoring\toff", "profile\tSleeping",
                "status\toff\t0\tSleeping\t"})},
        {"a script's pause skips tonight's window", {{22 * 60, 7 * 60, "Sleeping"}}, "21:00",
            "control pause \"2026-01-06T08:00Z\"\nadvance 1h\ncontrol status\nadvance 11h\n"
            "control status\n",
            Lines(
                {"control\tpause\tok", "status\toff\t0\tDefault\t", "status\toff\t0\tDefault\t"})},
        {"a pause inside a window ends it; resuming brings it back",
            {{22 * 60, 7 * 60, "Sleeping"}}, "23:00",
            "control pause \"2026-01-06T08:00Z\"\ncontrol status\ncontrol resume\n"
            "call 07700900111 rings 1\n",
            Lines({"profile\tSleeping", "monitoring\ton", "monitoring\toff", "profile\tDefault",
                "control\tpause\tok", "status\toff\t0\tDefault\t", "profile\tSleeping",
                "monitoring\ton", "control\tresume\tok", Delivered("07700900111", "Asleep")})},
        {"a meeting runs monitoring with its profile and says until when", {}, "13:00",
            "advance 1h\ncall 07700900111 rings 1\nadvance 90m\ncontrol status\n",
            Lines({"profile\tMeeting", "monitoring\ton",
                Delivered("07700900111", "In a meeting until 15:30"), "monitoring\toff",
                "profile\tDefault", "status\toff\t0\tDefault\t"}),
            pelmora::DeliveryState::Delivered, meeting("1400", "1530"), "Meeting"},
        {"a meeting wins over an off window, which holds again after it", {{12 * 60, 17 * 60, ""}},
            "11:00", "start\nadvance 1h\nadvance 2h\nadvance 1h\nadvance 2h\n",
            Lines({"monitoring\toff", "profile\tMeeting", "monitoring\ton", "monitoring\toff",
                "profile\tDefault", "monitoring\ton"}),
            pelmora::DeliveryState::Delivered, meeting("1400", "1500"), "Meeting"},
        {
            "outside a meeting [BUSYUNTIL] says its word; a calendar switching nothing",
            {},
            "09:00",
            "control profile \"Meeting\"\nstart\ncall 07700900111 rings 1\n",
            Lines({"control\tprofile\tok", Delivered("07700900111", "In a meeting until later")}),
            pelmora::DeliveryState::Delivered,
            meeting("1400", "1530"),
            "",
        },
        {"a calendar that cannot be read is told and switches nothing", {}, "13:00",
            "start\nadvance 1h\ncall 07700900111 rings 1\n",
            Lines({"notice\tYour calendar could not be read: the calendar \"calendar.ics\" is not "
                   "an iCalendar file. The schedule and your own choices go on; busy times that "
                   "cannot be read switch nothing.",
                Delivered("07700900111", "Back soon")}),
            pelmora::DeliveryState::Delivered, "BEGIN:VCARD\r\nEND:VCARD\r\n", "Meeting"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dataName = "data-" + std::to_string(&row - rows);
        const std::filesystem::path data = dir.Path() / dataName;
        std::filesystem::create_directories(data);
        pelmora::ResetTemplateStore();
        pelmora::ResetProfileStore();
        std::map<std::string, int32_t> ids;
        for (const auto& [name, text] : {std::pair {"Default", u"Back soon"},
                 std::pair {"Driving", u"Driving, back later"}, std::pair {"Sleeping", u"Asleep"},
                 std::pair {"Meeting", u"In a meeting until [BUSYUNTIL]"}})
            ids[name] = pelmora::AddProfile(QString::fromLatin1(name).toStdU16String(),
                pelmora::AppendTemplate(QString::fromLatin1(name).toStdU16String(), text)->id)
                            ->id;
        ASSERT_TRUE(pelmora::SaveTemplates(data) && pelmora::SaveProfiles(data));
        pelmora::ResetTemplateStore();
        pelmora::ResetProfileStore();
        pelmora::OwnSettings own;
        for (const auto& [start, end, profile] : row.windows)
            own.schedule.push_back(
                {kEveryDay, start, end, !profile.empty(), profile.empty() ? 0 : ids.at(profile)});
        if (!row.calendarProfile.empty())
            own.calendarBusyProfileId = ids.at(row.calendarProfile);
        ASSERT_TRUE(pelmora::SaveOwnSettings(data, own));
        QStringList more;
        if (!row.calendar.empty()) {
            const std::filesystem::path file
                = dir.Path() / (dataName + "-calendar") / "calendar.ics";
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << (row.calendar.starts_with("BEGIN:VEVENT")
                    ? "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\n" + row.calendar
                        + "END:VCALENDAR\r\n"
                    : row.calendar);
            more = {QStringLiteral("--calendar"), QString::fromStdString(file.string())};
        }
        clock = QStringLiteral("2026-01-05T%1:00").arg(QString::fromLatin1(row.clock));
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "UTC");
        const SimRun run = Run(row.script, more);
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        // The events; the log and the counter printed at the end are left out.
        std::string events;
        for (const QByteArray& line : QByteArray::fromStdString(run.out).split('\n'))
            if (!line.isEmpty() && !line.startsWith("log\t") && !line.startsWith("sent\t"))
                events += line.toStdString() + "\n";
        EXPECT_EQ(events, row.out);
        pelmora::CallHistory history(data, 0, 0);
        const std::vector<pelmora::CallRecord> calls = history.Read();
        if (!calls.empty()) {
            EXPECT_EQ(calls.back().delivery, row.lastDelivery);
        }
    }
}

TEST_F(SimEndToEnd, AWrongScriptIsReportedByLineAndNothingRuns)
{
    const SimRun run = Run("start\n"
                           "call 0111 rings 1\n"
                           "\n"
                           "jump 3\n"
                           "set main.1069 maybe\n");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(OwnLines(run.err),
        Lines({
            "pelmora-sim: -:4: unknown command \"jump\"",
            "pelmora-sim: -:5: main.1069 is a check box: on or off",
        }));
    EXPECT_FALSE(QFile::exists(Path("data")));
}

} // namespace
