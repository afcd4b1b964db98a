#include "app/PreviewCommand.h"
#include "history/CallHistory.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "monitor/MemoryCallLog.h"
#include "monitor/MissedCallPipeline.h"
#include "options/OwnSettings.h"
#include "platform/contacts/VCardAddressBook.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "rules/RuleTest.h"
#include "settings/SettingsRecord.h"
#include "tests/TestSupport.h"
#include "tests/monitor/PipelineFakes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>

using namespace pelmora;

namespace {

// Anna is stored as the line reports her, Ben in international form, Cara
// with spaces (and in the "Family" group), Dev has "<do not send>".
const char kContacts[] = "BEGIN:VCARD\nVERSION:3.0\nN:Berg;Anna;;;\nTEL;TYPE=cell:07700900001\n"
                         "UID:anna\nEND:VCARD\n"
                         "BEGIN:VCARD\nVERSION:3.0\nN:Cole;Ben;;;\nTEL;TYPE=cell:+447700900002\n"
                         "UID:ben\nEND:VCARD\n"
                         "BEGIN:VCARD\nVERSION:3.0\nN:Dunn;Cara;;;\nTEL;TYPE=cell:+44 7700 900003\n"
                         "UID:cara\nEND:VCARD\n"
                         "BEGIN:VCARD\nVERSION:3.0\nN:Ellis;Dev;;;\nTEL;TYPE=cell:07700900004\n"
                         "UID:dev\nEND:VCARD\n";

void Clear()
{
    ResetTemplateStore();
    ResetGroupStore();
    ResetProfileStore();
    SetActiveProfileSource(nullptr);
    SetAddressBook(nullptr);
}

// The data files as the application writes them. The first profile sends
// nothing, so a preview that took it instead of the saved one would show.
void WriteData(const std::filesystem::path& dir, const SettingsRecord& base)
{
    Clear();
    const int32_t greeting = AppendTemplate(u"Greeting", u"Hi [FIRSTNAME], call you later")->id;
    const int32_t family = AppendTemplate(u"Family", u"Talk soon, [FULLNAME] – ♥")->id;
    const int32_t anna = AppendTemplate(u"Anna", u"Anna: back in five, café?")->id;
    GroupRecord source;
    source.SetName(u"Family");
    source.members = {ContactIdOfUid("cara")};
    const int32_t group = AddGroup(source)->id;
    AddProfile(u"Night", 0);
    ProfileRecord* day = AddProfile(u"Day", greeting);
    AddContactEntry(*day, ContactIdOfUid("anna"), anna);
    AddGroupEntry(*day, group, family);
    AddContactEntry(*day, ContactIdOfUid("dev"), 0);
    SettingsRecord settings = base;
    settings.activeProfileId = day->id;
    SaveGroups(dir);
    SaveTemplates(dir);
    SaveProfiles(dir);
    SaveSettings(dir, settings);
    Clear();
}

// What the pipeline did with one missed call from the same files.
struct PipelineRun {
    MissedCallResult result;
    std::vector<test::SentMessage> sent;
    std::u16string asked; // the text the question offers
};

class SettingsActiveProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

PipelineRun RunPipeline(const std::filesystem::path& dir, const std::filesystem::path& book,
    const std::u16string& number, int32_t rings)
{
    Clear();
    LoadGroups(dir);
    LoadTemplates(dir);
    LoadProfiles(dir);
    SettingsRecord settings;
    LoadSettings(dir, settings);
    SettingsActiveProfile active;
    active.profile = ProfileSelectedAtStart(settings.activeProfileId);
    SetActiveProfileSource(&active);
    VCardAddressBook contacts(book);
    SetAddressBook(&contacts);
    CContactsSession session;
    EXPECT_TRUE(session.Logon());

    test::FakeMissedCallWindow window;
    window.options.ringsBeforeSendIndex = settings.ringsBeforeSendIndex;
    window.options.maxPerCallerIndex = settings.maxPerCallerIndex;
    window.options.interactive = settings.interactive != 0;
    const RuleValues rules = RuleValues::FromSettings(settings);
    window.options.passesRules
        = [rules](std::u16string_view n, bool known) { return PassesRules(n, known, rules); };
    test::RecordingBubble bubble;
    CMemoryCallLog log {[] { return int64_t {1'800'000'000}; }};
    test::OutboxTransport transport;
    CMissedCallPipeline pipeline {settings, session, transport.sender, window, bubble, log,
        [] { return int64_t {1'800'000'000}; }};
    pipeline.maxTotalAtStart = settings.maxTotal;

    PipelineRun run;
    run.result = pipeline.OnMissedCall(number, rings);
    run.sent = transport.Messages();
    if (pipeline.pendingReply.IsPending())
        run.asked = pipeline.pendingReply.text;
    pipeline.pendingReply.Close();
    session.Logoff();
    Clear();
    return run;
}

struct PreviewRun {
    int code = -1;
    QJsonObject json;
    QString err;
};

PreviewRun RunPreviewJson(const std::filesystem::path& dir, const std::filesystem::path& book,
    const std::u16string& number, std::optional<int32_t> rings)
{
    QStringList args {QString::fromStdU16String(number), QStringLiteral("--json"),
        QStringLiteral("--contacts"), QString::fromStdString(book.string())};
    if (rings)
        args << QStringLiteral("--rings") << QString::number(*rings);
    PreviewRun run;
    QString out;
    run.code = RunPreview(args, dir, out, run.err);
    run.json = QJsonDocument::fromJson(out.toUtf8()).object();
    return run;
}

struct Case {
    const char* name;
    std::function<void(SettingsRecord&)> set;
    std::u16string number;
    std::optional<int32_t> rings; // unset: the preview picks enough, the pipeline gets as many
    const char* stage;
    const char* source;
    const char* stoppedBy;
    const char* stoppingRule; // the rule that fails, or ""
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

void NoChange(SettingsRecord&) { }

class DataPreviewTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        std::ofstream(book.Path() / "contacts.vcf") << kContacts;
        settings.excludeInternational = 0;
        settings.internationalPrefix.Assign(u"+44");
    }
    void TearDown() override { Clear(); }
    std::filesystem::path Book() const { return book.Path() / "contacts.vcf"; }

    test::ScratchDir data, book;
    SettingsRecord settings;
};

} // namespace

TEST_P(DataPreviewTest, AnswersWhatThePipelineDoes)
{
    const Case& c = GetParam();
    c.set(settings);
    WriteData(data.Path(), settings);

    const PreviewRun preview = RunPreviewJson(data.Path(), Book(), c.number, c.rings);
    const int32_t rings = c.rings.value_or(
        preview.json[QStringLiteral("rings")].toObject()[QStringLiteral("given")].toInt(-1));
    const PipelineRun pipeline = RunPipeline(data.Path(), Book(), c.number, rings);
    const QJsonObject caller = preview.json[QStringLiteral("caller")].toObject();
    const QJsonObject message = preview.json[QStringLiteral("message")].toObject();

    // Who called, as the pipeline found the caller.
    EXPECT_EQ(caller[QStringLiteral("stage")].toString(), QLatin1String(c.stage));
    EXPECT_EQ(caller[QStringLiteral("contactId")].toInteger(), pipeline.result.caller.contactId);
    EXPECT_EQ(caller[QStringLiteral("firstName")].toString().toStdU16String(),
        pipeline.result.caller.firstName);
    // Which check stopped it, and which rule.
    EXPECT_EQ(preview.json[QStringLiteral("stoppedBy")].toString(), QLatin1String(c.stoppedBy));
    EXPECT_EQ(preview.json[QStringLiteral("stoppedBy")].toString() != QStringLiteral("none"),
        pipeline.result.decision.action == MissedCallAction::Nothing);
    QString failing;
    for (const QJsonValue rule : preview.json[QStringLiteral("rules")].toArray())
        if (!rule[QStringLiteral("passed")].toBool() && failing.isEmpty())
            failing = rule[QStringLiteral("rule")].toString();
    EXPECT_EQ(failing, QLatin1String(c.stoppingRule));
    EXPECT_EQ(message[QStringLiteral("source")].toString(), QLatin1String(c.source));

    // The text that reached the outbox or the question, and the exit code.
    const bool replied = !pipeline.sent.empty() || !pipeline.asked.empty();
    EXPECT_EQ(preview.code, replied ? 0 : 1);
    EXPECT_EQ(preview.json[QStringLiteral("wouldSend")].toBool(), replied);
    const std::u16string text = message[QStringLiteral("text")].toString().toStdU16String();
    if (!pipeline.sent.empty()) {
        EXPECT_EQ(pipeline.sent, (std::vector<test::SentMessage> {{c.number, text}}));
    }
    if (!pipeline.asked.empty()) {
        EXPECT_EQ(pipeline.asked, text);
    }
}

INSTANTIATE_TEST_SUITE_P(Callers, DataPreviewTest,
    ::testing::Values(Case {"UnknownCaller", NoChange, u"07700900099", std::nullopt, "notFound",
                          "default", "none", ""},
        Case {"FoundAsDelivered", NoChange, u"07700900001", std::nullopt, "asDelivered",
            "contactEntry", "none", ""},
        Case {"FoundWithPrefix", NoChange, u"07700900002", std::nullopt, "withPrefix", "default",
            "none", ""},
        Case {"FoundByScanInGroup", NoChange, u"+447700900003", std::nullopt, "scan", "groupEntry",
            "none", ""},
        Case {"DoNotSendEntry", NoChange, u"07700900004", std::nullopt, "asDelivered",
            "contactEntry", "none", ""},
        Case {"InteractiveAsksFirst", [](SettingsRecord& s) { s.interactive = 1; }, u"07700900001",
            std::nullopt, "asDelivered", "contactEntry", "none", ""},
        Case {"International", [](SettingsRecord& s) { s.excludeInternational = 1; },
            u"+33612345678", std::nullopt, "notFound", "default", "rules", "excludeInternational"},
        Case {"HomeCountryIsNotInternational",
            [](SettingsRecord& s) { s.excludeInternational = 1; }, u"+447700900003", std::nullopt,
            "scan", "groupEntry", "none", ""},
        Case {"FoundByNationalNumber", NoChange, u"+447700900001", std::nullopt, "national",
            "contactEntry", "none", ""},
        Case {"Unidentified", [](SettingsRecord& s) { s.excludeUnidentified = 1; }, u"07700900099",
            std::nullopt, "notFound", "default", "rules", "excludeUnidentified"},
        Case {"ExcludedPrefix",
            [](SettingsRecord& s) {
                s.excludeStartingWith = 1;
                s.excludePrefixes.Assign(u"0800,;0900");
            },
            u"0800123", std::nullopt, "notFound", "default", "rules", "excludeStartingWith"},
        Case {"NotExcludedPrefix",
            [](SettingsRecord& s) {
                s.excludeStartingWith = 1;
                s.excludePrefixes.Assign(u"0800,;0900");
            },
            u"80012", std::nullopt, "notFound", "default", "none", ""},
        Case {"NotIncluded",
            [](SettingsRecord& s) {
                s.includeMode = 1;
                s.includePrefixes.Assign(u" 07");
            },
            u"07700900001", std::nullopt, "asDelivered", "contactEntry", "rules",
            "includeOnlyStartingWith"},
        Case {"Included",
            [](SettingsRecord& s) {
                s.includeMode = 1;
                s.includePrefixes.Assign(u"01;077");
            },
            u"07700900002", std::nullopt, "withPrefix", "default", "none", ""},
        Case {"TooFewRings", [](SettingsRecord& s) { s.ringsBeforeSendIndex = 3; }, u"07700900001",
            2, "asDelivered", "contactEntry", "rings", ""},
        Case {"EnoughRingsByDefault", [](SettingsRecord& s) { s.ringsBeforeSendIndex = 3; },
            u"07700900001", std::nullopt, "asDelivered", "contactEntry", "none", ""},
        Case {"NoOverallAllowance", [](SettingsRecord& s) { s.maxTotal = 0; }, u"07700900001",
            std::nullopt, "asDelivered", "contactEntry", "overallLimit", ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

namespace {

class DataPreviewTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(book.Path() / "contacts.vcf") << kContacts;
        settings.internationalPrefix.Assign(u"+44");
        settings.excludeInternational = 0;
        WriteData(data.Path(), settings);
    }
    void TearDown() override { Clear(); }

    // The plain-word lines for one number.
    QStringList Lines(const QString& number, int* code = nullptr, QStringList more = {})
    {
        QString out, err;
        const int result
            = RunPreview(QStringList {number, QStringLiteral("--contacts"),
                             QString::fromStdString((book.Path() / "contacts.vcf").string())}
                    + more,
                data.Path(), out, err);
        if (code)
            *code = result;
        EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    static QString LineStarting(const QStringList& lines, const QString& start)
    {
        for (const QString& line : lines)
            if (line.startsWith(start))
                return line;
        return {};
    }

    test::ScratchDir data, book;
    SettingsRecord settings;
};

} // namespace

TEST_F(DataPreviewTextTest, NamesTheStageTheSourceAndTheLength)
{
    int code = -1;
    const QStringList ben = Lines(QStringLiteral("07700900002"), &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(LineStarting(ben, QStringLiteral("Caller:")),
        QStringLiteral("Caller: \"Ben Cole\" (contact %1), found as +447700900002, behind the "
                       "international prefix")
            .arg(ContactIdOfUid("ben")));
    EXPECT_EQ(
        LineStarting(ben, QStringLiteral("Profile:")), QStringLiteral("Profile: \"Day\" (id 2)"));
    EXPECT_EQ(LineStarting(ben, QStringLiteral("Message from:")),
        QStringLiteral("Message from: the default message"));
    EXPECT_EQ(
        LineStarting(ben, QStringLiteral("Text:")), QStringLiteral("Text: Hi Ben, call you later"));
    EXPECT_EQ(
        LineStarting(ben, QStringLiteral("Length:")), QStringLiteral("Length: 22 of 160 (7-bit)"));

    const QStringList cara = Lines(QStringLiteral("+447700900003"));
    EXPECT_EQ(LineStarting(cara, QStringLiteral("Message from:")),
        QStringLiteral("Message from: the entry of group \"Family\" (id 1)"));
    EXPECT_EQ(
        LineStarting(cara, QStringLiteral("Length:")), QStringLiteral("Length: 24 of 70 (UCS-2)"));

    const QStringList anna = Lines(QStringLiteral("07700900001"));
    EXPECT_EQ(
        LineStarting(anna, QStringLiteral("Length:")), QStringLiteral("Length: 25 of 140 (8-bit)"));
}

TEST_F(DataPreviewTextTest, SaysWhyNothingIsSent)
{
    int code = -1;
    const QStringList dev = Lines(QStringLiteral("07700900004"), &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(LineStarting(dev, QStringLiteral("Template:")),
        QStringLiteral("Template: \"<do not send>\""));
    EXPECT_EQ(LineStarting(dev, QStringLiteral("Text:")), QString());
    EXPECT_EQ(LineStarting(dev, QStringLiteral("Outcome:")),
        QStringLiteral("Outcome: no reply: the active profile gives this caller no message"));
    EXPECT_EQ(dev.filter(QStringLiteral("Not known from the files")).size(), 1);

    const QStringList unknown = Lines(QStringLiteral("07700900099"));
    EXPECT_EQ(LineStarting(unknown, QStringLiteral("Caller:")),
        QStringLiteral("Caller: not found in the address book"));
    EXPECT_EQ(LineStarting(unknown, QStringLiteral("Text:")),
        QStringLiteral("Text: Hi Friend, call you later"));
}

TEST_F(DataPreviewTextTest, NamesTheStoppingRuleAndPrefix)
{
    settings.excludeInternational = 1;
    settings.excludeStartingWith = 1;
    settings.excludePrefixes.Assign(u"0900;07700");
    WriteData(data.Path(), settings);
    int code = -1;
    const QStringList lines = Lines(QStringLiteral("07700900001"), &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(LineStarting(lines, QStringLiteral("Rule: exclude numbers starting")),
        QStringLiteral("Rule: exclude numbers starting with \"0900;07700\": STOPS the call (starts "
                       "with \"07700\")"));
    EXPECT_EQ(LineStarting(lines, QStringLiteral("Rule: exclude international")),
        QStringLiteral("Rule: exclude international numbers: passes"));
    EXPECT_EQ(LineStarting(lines, QStringLiteral("Outcome:")),
        QStringLiteral("Outcome: no reply: the rules stop this number"));
}

TEST_F(DataPreviewTextTest, SavedProfileMissingSelectsTheFirst)
{
    SettingsRecord other = settings;
    LoadSettings(data.Path(), other);
    other.activeProfileId = 99;
    SaveSettings(data.Path(), other);
    int code = -1;
    const QStringList lines = Lines(QStringLiteral("07700900002"), &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(LineStarting(lines, QStringLiteral("Profile:")),
        QStringLiteral("Profile: \"Night\" (id 1)"));
}

TEST_F(DataPreviewTextTest, TheScheduleAtTheTimeAskedChoosesOrTurnsOff)
{
    // Weekdays 09:00-17:00 off; whole weekend days with "Night" (id 1).
    ASSERT_TRUE(
        SaveOwnSettings(data.Path(), {{{0x1f, 9 * 60, 17 * 60, false, 0}, {0x60, 0, 0, true, 1}}}));
    struct Case {
        const char* at;
        int code;
        const char* schedule;
        const char* profile;
    };
    const Case cases[] = {
        {"2026-01-05 10:00", 1,
            "Schedule: monitoring off (window 1, Mon\u2013Fri 09:00\u201317:00: off): no reply",
            "Profile: \"Day\" (id 2)"},
        // "Night" sends nothing to Ben: the profile the window chose decides.
        {"2026-01-10 10:00", 1,
            "Schedule: monitoring on with profile \"Night\" (window 2, Sat, Sun 00:00\u201300:00: "
            "on)",
            "Profile: \"Night\" (id 1)"},
        {"2026-01-05 18:00", 0,
            "Schedule: no window at 2026-01-05 18:00; Start/Stop and the profile as set",
            "Profile: \"Day\" (id 2)"},
    };
    for (const Case& c : cases) {
        int code = -1;
        const QStringList lines = Lines(QStringLiteral("07700900002"), &code,
            {QStringLiteral("--at"), QString::fromLatin1(c.at)});
        EXPECT_EQ(code, c.code) << c.at;
        EXPECT_EQ(LineStarting(lines, QStringLiteral("Schedule:")), QString::fromUtf8(c.schedule));
        EXPECT_EQ(LineStarting(lines, QStringLiteral("Profile:")), QString::fromUtf8(c.profile));
    }
}

// A meeting on the calendar holds monitoring on over an "off" window, with
// the profile chosen for busy times.
TEST_F(DataPreviewTextTest, TheCalendarAtTheTimeAskedWinsOverTheSchedule)
{
    OwnSettings own {{{0x1f, 9 * 60, 17 * 60, false, 0}}};
    own.calendarBusyProfileId = 2;
    ASSERT_TRUE(SaveOwnSettings(data.Path(), own));
    const std::filesystem::path calendar = book.Path() / "calendar.ics";
    std::ofstream(calendar) << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\n"
                               "BEGIN:VEVENT\r\nUID:m\r\nDTSTAMP:20260101T000000Z\r\n"
                               "DTSTART:20260105T100000\r\nDTEND:20260105T113000\r\n"
                               "END:VEVENT\r\nEND:VCALENDAR\r\n";
    const struct {
        const char* at;
        int code;
        const char* calendar;
    } cases[] = {
        {"2026-01-05 10:00", 0,
            "Calendar: busy until 11:30: monitoring on with profile \"Day\", over the schedule"},
        {"2026-01-05 12:00", 1, "Calendar: free at 2026-01-05 12:00"},
    };
    for (const auto& [at, code, line] : cases) {
        int exit = -1;
        const QStringList lines = Lines(QStringLiteral("07700900002"), &exit,
            {QStringLiteral("--at"), QString::fromLatin1(at), QStringLiteral("--calendar"),
                QString::fromStdString(calendar.string())});
        EXPECT_EQ(exit, code) << at;
        EXPECT_EQ(LineStarting(lines, QStringLiteral("Calendar:")), QString::fromUtf8(line));
        EXPECT_EQ(LineStarting(lines, QStringLiteral("Profile:")),
            QStringLiteral("Profile: \"Day\" (id 2)"));
    }
}

TEST_F(DataPreviewTextTest, TheQuietPeriodReadsTheHistory)
{
    const int64_t reply = QDateTime::fromString(
        QStringLiteral("2026-01-05 10:00"), QStringLiteral("yyyy-MM-dd HH:mm"))
                              .toSecsSinceEpoch();
    {
        CallHistory history(data.Path(), reply, 0);
        CallRecord sent;
        sent.timeUtc = reply;
        sent.number = u"07700900002";
        sent.fate = ReplyFate::Sent;
        ASSERT_GT(history.Record(sent), 0);
    }
    OwnSettings own;
    own.quietMinutes = 60;
    ASSERT_TRUE(SaveOwnSettings(data.Path(), own));
    struct Case {
        const char* number;
        const char* at;
        int code;
        const char* quiet;
    };
    const Case cases[] = {
        {"07700900002", "2026-01-05 10:59", 1,
            "Quiet period: 1 h; the last reply to this number went 59 min ago: STOPS the call"},
        {"07700900002", "2026-01-05 11:00", 0,
            "Quiet period: 1 h; the last reply to this number went 60 min ago: passes"},
        {"07700900001", "2026-01-05 10:30", 0,
            "Quiet period: 1 h; no reply to this number in the history: passes"},
        // A time before the reply knows nothing of it.
        {"07700900002", "2026-01-05 09:59", 0,
            "Quiet period: 1 h; no reply to this number in the history: passes"},
    };
    for (const Case& c : cases) {
        int code = -1;
        const QStringList lines = Lines(QString::fromLatin1(c.number), &code,
            {QStringLiteral("--at"), QString::fromLatin1(c.at)});
        EXPECT_EQ(code, c.code) << c.at;
        EXPECT_EQ(LineStarting(lines, QStringLiteral("Quiet period:")), QString::fromUtf8(c.quiet));
        if (c.code == 1) {
            EXPECT_EQ(LineStarting(lines, QStringLiteral("Outcome:")),
                QStringLiteral("Outcome: no reply: this number had a reply within the quiet "
                               "period"));
        }
    }
    // Never: no line, and the preview as before.
    own.quietMinutes = 0;
    ASSERT_TRUE(SaveOwnSettings(data.Path(), own));
    EXPECT_EQ(
        LineStarting(Lines(QStringLiteral("07700900002")), QStringLiteral("Quiet")), QString());
}

TEST_F(DataPreviewTextTest, UsageErrorsExitWithTwo)
{
    const QList<QStringList> wrong {{}, {QStringLiteral("0123"), QStringLiteral("0456")},
        {QStringLiteral("0123"), QStringLiteral("--at"), QStringLiteral("tomorrow")},
        {QStringLiteral("0123"), QStringLiteral("--rings"), QStringLiteral("many")},
        {QStringLiteral("0123"), QStringLiteral("--rings"), QStringLiteral("-1")},
        {QStringLiteral("0123"), QStringLiteral("--rings")},
        {QStringLiteral("0123"), QStringLiteral("--colour")}};
    for (const QStringList& args : wrong) {
        QString out, err;
        EXPECT_EQ(RunPreview(args, data.Path(), out, err), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_TRUE(err.contains(QLatin1String(kPreviewUsage))) << err.toStdString();
    }
}

TEST_F(DataPreviewTextTest, HelpIsPrintedWithExitZero)
{
    for (const char* help : {"--help", "-h"}) {
        QString out, err;
        EXPECT_EQ(RunPreview({QString::fromLatin1(help)}, data.Path(), out, err), 0) << help;
        EXPECT_TRUE(out.startsWith(QStringLiteral("usage: ") + QLatin1String(kPreviewUsage)));
        EXPECT_TRUE(err.isEmpty());
    }
}

TEST_F(DataPreviewTextTest, ToolReadsTheDataHomeAndTheContactsGiven)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELMORA_HOME"), QString::fromStdString(data.Path().string()));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(PELMORA_DATA_TOOL),
        {QStringLiteral("preview"), QStringLiteral("07700900001"), QStringLiteral("--json"),
            QStringLiteral("--contacts"), QString::fromStdString(book.Path().string())});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
    EXPECT_EQ(json[QStringLiteral("message")][QStringLiteral("text")].toString(),
        QStringLiteral("Anna: back in five, café?"));

    tool.start(QStringLiteral(PELMORA_DATA_TOOL), {QStringLiteral("preview")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
}
