#include "app/DataDocument.h"
#include "app/HistoryCommand.h"
#include "history/CallHistory.h"
#include "messages/TemplateStore.h"
#include "options/OwnSettings.h"
#include "platform/storage/ByteWriter.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>

using namespace pelmora;

namespace {

const char* const kFiles[]
    = {kSettingsFileName, kGroupsFileName, kTemplatesFileName, kProfilesFileName};

// Writes a data directory the way the application does, with awkward data.
void WriteSampleWithTheApplication(const std::filesystem::path& dir)
{
    ResetTemplateStore();
    ResetGroupStore();
    ResetProfileStore();
    AppendTemplate(u"Émile 😀 très long nom", u"Grüße, [FIRSTNAME]! 你好");
    TemplateRecord* negative = AppendTemplate(u"neg", u"");
    negative->id = -5;
    GroupRecord source;
    source.SetName(std::u16string(50, u'ß'));
    source.members = {0, 1, 0xFFFFFFFF};
    AddGroup(source)->id = -2;
    GroupRecord empty;
    AddGroup(empty);
    ProfileRecord* profile = AddProfile(u"Ünïcode profile name!", -5);
    AddGroupEntry(*profile, -2, 1);
    AddContactEntry(*profile, 0xFFFFFFFF, 0);
    profile->entries[0]->kind = 7;
    SettingsRecord settings;
    settings.replacement[5].Assign(u"Chère cliente");
    settings.activeProfileId = -1;
    settings.includePrefixes.Assign(std::u16string(299, u'7'));
    settings.internationalPrefix.Assign(u"+4412345678");
    SaveGroups(dir);
    SaveTemplates(dir);
    SaveProfiles(dir);
    SaveSettings(dir, settings);
    ResetTemplateStore();
    ResetGroupStore();
    ResetProfileStore();
}

QByteArray Json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson();
}

class DataToolTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
    }
    test::ScratchDir source, target;
};

} // namespace

TEST_F(DataToolTest, EmptyDirectoryDumpsWhatTheApplicationWouldHold)
{
    QStringList warnings;
    const QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(document[QStringLiteral("settings")][QStringLiteral("maxTotal")].toInt(), 20);
    EXPECT_EQ(document[QStringLiteral("settings")][QStringLiteral("replacement")][1].toString(),
        QStringLiteral("Friend"));
    ASSERT_EQ(document[QStringLiteral("templates")].toArray().size(), 1);
    EXPECT_EQ(document[QStringLiteral("templates")][0][QStringLiteral("name")].toString(),
        QStringLiteral("Default"));
    ASSERT_EQ(document[QStringLiteral("profiles")].toArray().size(), 1);
    EXPECT_EQ(
        document[QStringLiteral("profiles")][0][QStringLiteral("defaultMessageId")].toInt(), 1);
    EXPECT_TRUE(document[QStringLiteral("groups")].toArray().isEmpty());
    EXPECT_TRUE(std::filesystem::is_empty(source.Path())) << "dumping writes nothing";

    QString error;
    ASSERT_TRUE(LoadDataDocument(Json(document), target.Path(), error, warnings))
        << error.toStdString();
    EXPECT_EQ(DumpDataDirectory(target.Path(), warnings), document);
}

TEST_F(DataToolTest, RoundTripIsByteForByte)
{
    WriteSampleWithTheApplication(source.Path());
    ASSERT_TRUE(SaveOwnSettings(source.Path(), {{{0x60, 23 * 60, 7 * 60, false, 0}}}));
    QStringList warnings;
    const QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(document[QStringLiteral("templates")][1][QStringLiteral("id")].toInt(), -5);
    EXPECT_EQ(document[QStringLiteral("groups")][0][QStringLiteral("members")][2].toDouble(),
        4294967295.0);
    EXPECT_EQ(document[QStringLiteral("profiles")][0][QStringLiteral("entries")][0]
                      [QStringLiteral("kind")]
                          .toInt(),
        7);
    QString error;
    ASSERT_TRUE(LoadDataDocument(Json(document), target.Path(), error, warnings))
        << error.toStdString();
    for (const char* file : kFiles)
        EXPECT_EQ(test::ReadAll(target.Path() / file), test::ReadAll(source.Path() / file)) << file;
    EXPECT_EQ(test::ReadAll(target.Path() / kOwnSettingsFileName),
        test::ReadAll(source.Path() / kOwnSettingsFileName));
    EXPECT_EQ(DumpDataDirectory(target.Path(), warnings), document);
}

TEST_F(DataToolTest, DamagedFilesAreDumpedAsTheApplicationReadsThem)
{
    WriteSampleWithTheApplication(source.Path());
    auto groups = test::ReadAll(source.Path() / kGroupsFileName);
    groups.resize(groups.size() - 50); // the second group is cut short
    test::WriteAll(source.Path() / kGroupsFileName, groups);
    test::WriteAll(source.Path() / kSettingsFileName, std::vector<uint8_t>(1899, 0));
    QStringList warnings;
    const QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    EXPECT_EQ(document[QStringLiteral("groups")].toArray().size(), 1);
    EXPECT_EQ(document[QStringLiteral("settings")][QStringLiteral("maxTotal")].toInt(), 20)
        << "defaults";
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].startsWith(
        QStringLiteral("pelmoragroups.data: 2 groups promised, 1 read whole")));
    EXPECT_TRUE(warnings[1].startsWith(QStringLiteral("pelmorasettings.data: 1899 bytes")));
}

TEST_F(DataToolTest, OneFileByItsName)
{
    WriteSampleWithTheApplication(source.Path());
    QStringList warnings;
    QString error;
    const auto groups = DumpDataFile(source.Path() / kGroupsFileName, warnings, error);
    ASSERT_TRUE(groups);
    EXPECT_EQ(groups->keys(), QStringList {QStringLiteral("groups")});
    EXPECT_EQ((*groups)[QStringLiteral("groups")].toArray().size(), 2);
    test::WriteAll(source.Path() / "other.data", {1, 2});
    EXPECT_FALSE(DumpDataFile(source.Path() / "other.data", warnings, error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a Pelmora data file")));
    EXPECT_FALSE(DumpDataFile(source.Path() / "missing" / kGroupsFileName, warnings, error));
}

struct BadDocument {
    const char* name;
    std::function<void(QJsonObject&)> spoil;
    const char* message;
};

class LoadErrors : public DataToolTest, public ::testing::WithParamInterface<BadDocument> { };

TEST_P(LoadErrors, NameThePlaceAndWriteNothing)
{
    QStringList warnings;
    QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    GetParam().spoil(document);
    QString error;
    EXPECT_FALSE(LoadDataDocument(Json(document), target.Path(), error, warnings));
    EXPECT_EQ(error, QString::fromUtf8(GetParam().message));
    EXPECT_TRUE(std::filesystem::is_empty(target.Path()));
}

QJsonObject With(QJsonObject object, const char* key, QJsonValue value)
{
    object.insert(QString::fromLatin1(key), value);
    return object;
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadErrors,
    ::testing::Values(BadDocument {"MissingKey",
                          [](QJsonObject& d) {
                              QJsonObject s = d[QStringLiteral("settings")].toObject();
                              s.remove(QStringLiteral("maxTotal"));
                              d[QStringLiteral("settings")] = s;
                          },
                          "settings: missing key \"maxTotal\""},
        BadDocument {"ScheduleNamesAnUnknownProfile",
            [](QJsonObject& d) {
                d[QStringLiteral("options")] = OwnSettingsToJson({{{1, 60, 120, true, 9}}});
            },
            "options.schedule[0]: there is no profile with id 9"},
        BadDocument {"WrongType",
            [](QJsonObject& d) {
                QJsonArray t = d[QStringLiteral("templates")].toArray();
                t[0] = With(t[0].toObject(), "id", QStringLiteral("one"));
                d[QStringLiteral("templates")] = t;
            },
            "templates[0].id: expected a number"},
        BadDocument {"TooLongName",
            [](QJsonObject& d) {
                QJsonArray p = d[QStringLiteral("profiles")].toArray();
                p[0] = With(p[0].toObject(), "name", QString(21, u'x'));
                d[QStringLiteral("profiles")] = p;
            },
            "profiles[0].name: 21 characters, at most 20 fit"},
        BadDocument {"MemberOutOfRange",
            [](QJsonObject& d) {
                d[QStringLiteral("groups")] = QJsonArray {QJsonObject {{QStringLiteral("id"), 1},
                    {QStringLiteral("name"), QStringLiteral("g")},
                    {QStringLiteral("members"), QJsonArray {-1}}}};
            },
            "groups[0].members[0]: -1 is outside 0..4294967295"},
        // Found by fuzzing: converting such a number to an integer was
        // undefined behaviour.
        BadDocument {"NumberBeyondEveryInteger",
            [](QJsonObject& d) {
                d[QStringLiteral("settings")]
                    = With(d[QStringLiteral("settings")].toObject(), "maxTotal", 5.5e27);
            },
            "settings.maxTotal: 5.4999999999999997e+27 is outside -2147483648..2147483647"},
        BadDocument {"FiveReplacements",
            [](QJsonObject& d) {
                d[QStringLiteral("settings")] = With(d[QStringLiteral("settings")].toObject(),
                    "replacement", QJsonArray {1, 2, 3, 4, 5});
            },
            "settings.replacement: 5 texts instead of 6"},
        BadDocument {"MissingSection", [](QJsonObject& d) { d.remove(QStringLiteral("profiles")); },
            "document: missing key \"profiles\""},
        BadDocument {"SettingsVersionTheApplicationIgnores",
            [](QJsonObject& d) {
                d[QStringLiteral("settings")]
                    = With(d[QStringLiteral("settings")].toObject(), "version", 2);
            },
            "settings.version: 2 is not 1, the only version the application reads"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataToolTest, DuplicateIdsAreWrittenWithAWarning)
{
    QStringList warnings;
    QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    const auto group = [](int id) {
        return QJsonObject {{QStringLiteral("id"), id},
            {QStringLiteral("name"), QStringLiteral("g")},
            {QStringLiteral("members"), QJsonArray {}}};
    };
    document[QStringLiteral("groups")] = QJsonArray {group(3), group(4), group(3), group(3)};
    QJsonArray templates = document[QStringLiteral("templates")].toArray();
    templates.append(templates[0]);
    document[QStringLiteral("templates")] = templates;
    QString error;
    ASSERT_TRUE(LoadDataDocument(Json(document), target.Path(), error, warnings))
        << error.toStdString();
    EXPECT_EQ(warnings,
        (QStringList {
            QStringLiteral("groups[2]: id 3 is also the id of groups[0], which every lookup by id "
                           "finds instead"),
            QStringLiteral("groups[3]: id 3 is also the id of groups[0], which every lookup by id "
                           "finds instead"),
            QStringLiteral("templates[1]: id 1 is also the id of templates[0], which every lookup "
                           "by id finds instead"),
        }));
    // Legal in the files: everything was written, and a dump names them again.
    EXPECT_EQ(std::filesystem::file_size(target.Path() / kTemplatesFileName), 2u * 368);
    QStringList dumped;
    DumpDataDirectory(target.Path(), dumped);
    EXPECT_EQ(dumped, warnings);
}

TEST_F(DataToolTest, InvalidJsonIsRefused)
{
    QString error;
    QStringList warnings;
    EXPECT_FALSE(LoadDataDocument("{\"settings\": ", target.Path(), error, warnings));
    EXPECT_TRUE(error.startsWith(QStringLiteral("invalid JSON at offset"))) << error.toStdString();
    EXPECT_TRUE(std::filesystem::is_empty(target.Path()));
}

TEST_F(DataToolTest, CommandLine)
{
    WriteSampleWithTheApplication(source.Path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("PELMORA_HOME"), QString::fromStdString(source.Path().string()));
    QProcess dump;
    dump.setProcessEnvironment(environment);
    dump.start(QStringLiteral(PELMORA_DATA_TOOL), {QStringLiteral("dump")});
    ASSERT_TRUE(dump.waitForFinished(20000));
    EXPECT_EQ(dump.exitCode(), 0);
    const QByteArray printed = dump.readAllStandardOutput();
    const QString jsonPath = QString::fromStdString((target.Path() / "backup.json").string());
    QFile backup(jsonPath);
    ASSERT_TRUE(backup.open(QIODevice::WriteOnly));
    backup.write(printed);
    backup.close();

    environment.insert(QStringLiteral("PELMORA_HOME"),
        QString::fromStdString((target.Path() / "restored").string()));
    QProcess load;
    load.setProcessEnvironment(environment);
    load.start(QStringLiteral(PELMORA_DATA_TOOL), {QStringLiteral("load"), jsonPath});
    ASSERT_TRUE(load.waitForFinished(20000));
    EXPECT_EQ(load.exitCode(), 0) << load.readAllStandardError().toStdString();
    for (const char* file : kFiles)
        EXPECT_EQ(
            test::ReadAll(target.Path() / "restored" / file), test::ReadAll(source.Path() / file))
            << file;
}

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun RunTool(const QStringList& arguments, const std::filesystem::path& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMORA_HOME"), QString::fromStdString(home.string()));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(PELMORA_DATA_TOOL), arguments);
    ToolRun run;
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

struct UsageCase {
    const char* name;
    QStringList arguments;
};

class DataToolUsage : public DataToolTest, public ::testing::WithParamInterface<UsageCase> { };

} // namespace

TEST_F(DataToolTest, HelpPrintsTheUsage)
{
    for (const char* option : {"--help", "-h"}) {
        const ToolRun run = RunTool({QString::fromLatin1(option)}, source.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: "))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("load FILE.json"))) << option;
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }
}

TEST_P(DataToolUsage, IsAUsageErrorWithExitCodeTwo)
{
    const ToolRun run = RunTool(GetParam().arguments, source.Path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("pelmora-data: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: "))) << run.err.toStdString();
    EXPECT_TRUE(std::filesystem::is_empty(source.Path())) << "nothing was written";
}

INSTANTIATE_TEST_SUITE_P(Cases, DataToolUsage,
    ::testing::Values(UsageCase {"NoCommand", {}},
        UsageCase {"UnknownCommand", {QStringLiteral("frobnicate")}},
        UsageCase {"UnknownOption", {QStringLiteral("dump"), QStringLiteral("--frobnicate")}},
        UsageCase {"LoadWithoutFile", {QStringLiteral("load")}},
        UsageCase {"DumpWithAFileName", {QStringLiteral("dump"), QStringLiteral("x.json")}},
        UsageCase {"FileWithoutValue", {QStringLiteral("dump"), QStringLiteral("--file")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataToolTest, LoadReportsDuplicatesAndRefusesAnotherVersion)
{
    QStringList warnings;
    QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    QJsonArray templates = document[QStringLiteral("templates")].toArray();
    templates.append(templates[0]);
    document[QStringLiteral("templates")] = templates;
    const std::filesystem::path json = target.Path() / "backup.json";
    test::WriteAll(json, [&] {
        const QByteArray bytes = Json(document);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }());
    const std::filesystem::path restored = target.Path() / "restored";
    ToolRun run
        = RunTool({QStringLiteral("load"), QString::fromStdString(json.string())}, restored);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
        QStringLiteral("pelmora-data: warning: templates[1]: id 1 is also the id of templates[0], "
                       "which every lookup by id finds instead\n"));
    EXPECT_TRUE(std::filesystem::exists(restored / kTemplatesFileName));

    document[QStringLiteral("settings")]
        = With(document[QStringLiteral("settings")].toObject(), "version", 0);
    test::WriteAll(json, [&] {
        const QByteArray bytes = Json(document);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }());
    std::filesystem::remove_all(restored);
    run = RunTool({QStringLiteral("load"), QString::fromStdString(json.string())}, restored);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("settings.version: 0 is not 1, the only version the application reads; "
                       "nothing was written")))
        << run.err.toStdString();
    EXPECT_FALSE(std::filesystem::exists(restored / kSettingsFileName));
}

TEST_F(DataToolTest, LoadWritesNothingWhileALockIsHeldOrPlanted)
{
    QStringList warnings;
    const QByteArray bytes = Json(DumpDataDirectory(source.Path(), warnings));
    const std::filesystem::path json = source.Path() / "backup.json";
    test::WriteAll(json, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    const std::filesystem::path lock = target.Path() / "pelmora.lock";
    const std::pair<std::function<int()>, const char*> cases[] = {
        {[&] {
             const int held = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
             flock(held, LOCK_EX | LOCK_NB);
             return held;
         },
            "Pelmora is running on this data directory"},
        {[&] {
             std::filesystem::create_symlink(source.Path() / "elsewhere", lock);
             return -1;
         },
            "is a symbolic link, not Pelmora's lock"},
    };
    for (const auto& [plant, words] : cases) {
        std::filesystem::remove(lock);
        const int held = plant();
        const ToolRun run = RunTool(
            {QStringLiteral("load"), QString::fromStdString(json.string())}, target.Path());
        if (held >= 0)
            close(held);
        EXPECT_EQ(run.exitCode, 1) << words;
        EXPECT_TRUE(run.err.contains(QLatin1String(words))) << run.err.toStdString();
        EXPECT_FALSE(std::filesystem::exists(target.Path() / kSettingsFileName)) << words;
    }
}

TEST_F(DataToolTest, DumpNamesEveryFileItCouldNotReadAndFails)
{
    WriteSampleWithTheApplication(source.Path());
    // A folder in the groups file's place cannot be read, by root neither.
    std::filesystem::remove(source.Path() / kGroupsFileName);
    std::filesystem::create_directory(source.Path() / kGroupsFileName);
    auto templates = test::ReadAll(source.Path() / kTemplatesFileName);
    templates.push_back(0);
    test::WriteAll(source.Path() / kTemplatesFileName, templates);
    const ToolRun run = RunTool({QStringLiteral("dump")}, source.Path());
    EXPECT_EQ(run.exitCode, 1);
    const QString dir = QString::fromStdString(source.Path().string());
    EXPECT_TRUE(run.err.endsWith(QStringLiteral(
        "pelmora-data: %1/pelmoragroups.data: cannot be read (Is a directory); the document does "
        "not hold it\npelmora-data: %1/pelmoramessages.data: damaged; the document holds only what "
        "could be read\n")
                                     .arg(dir)))
        << run.err.toStdString();
    EXPECT_EQ(
        QJsonDocument::fromJson(run.out.toUtf8())[QStringLiteral("templates")].toArray().size(), 2);
}

TEST_F(DataToolTest, LoadWritesAllFourFilesOrNone)
{
    WriteSampleWithTheApplication(source.Path());
    QStringList warnings;
    const QJsonObject document = DumpDataDirectory(source.Path(), warnings);
    // The old set, but a folder where the profiles file goes: the groups and
    // templates files are put in place before that rename fails.
    SettingsRecord settings;
    ASSERT_TRUE(SaveGroups(target.Path()) && SaveTemplates(target.Path())
        && SaveSettings(target.Path(), settings));
    std::filesystem::create_directory(target.Path() / kProfilesFileName);
    std::map<std::string, std::vector<uint8_t>> before;
    for (const char* file : {kGroupsFileName, kTemplatesFileName, kSettingsFileName})
        before[file] = test::ReadAll(target.Path() / file);
    QString error;
    EXPECT_FALSE(LoadDataDocument(Json(document), target.Path(), error, warnings));
    EXPECT_EQ(error,
        QStringLiteral("%1: cannot be written (Is a directory)")
            .arg(QString::fromStdString((target.Path() / kProfilesFileName).string())));
    for (const auto& [file, bytes] : before)
        EXPECT_EQ(test::ReadAll(target.Path() / file), bytes) << file;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target.Path()),
                  std::filesystem::directory_iterator()),
        4)
        << "no temporary is left";
}

namespace {

constexpr int64_t kMorning = 1'767'600'000; // 2026-01-05 08:00 UTC

void WriteTwoCalls(const std::filesystem::path& dir)
{
    CallHistory history(dir, kMorning, 0);
    CallRecord ann {0, kMorning, 3600, u"0101", u"Ann Smith", 3, "as delivered", 2,
        HistoryReason::Replied, 1, 2, u"Hi Ann, \"soon\"", ReplyFate::Sent, u"",
        DeliveryState::Failed, u"the number cannot be reached (0x43)"};
    CallRecord unknown {0, kMorning + 3600, 3600, u"0202", u"", 0, "not found", 1,
        HistoryReason::Rings, 0, 0, u"", ReplyFate::None, u"", DeliveryState::Unknown, u""};
    ASSERT_GT(history.Record(ann), 0);
    ASSERT_GT(history.Record(unknown), 0);
}

} // namespace

TEST(HistoryDate, ReadsItsFormsAndRefusesTheRest)
{
    const int64_t localMidnight = QDateTime(QDate(2026, 1, 5), QTime(0, 0)).toSecsSinceEpoch();
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"2026-01-05T08:00:00Z", kMorning},
        {"2026-01-05 10:00+02:00", kMorning},
        {"2026-01-05T03:00:00-05:00", kMorning},
        {" 2026-01-05 ", localMidnight},
        {"2026-01-05T01:30", localMidnight + 5400},
        {"2026-02-30", std::nullopt},
        {"2026-01-05T24:00", std::nullopt},
        {"2026-01-05T08:60", std::nullopt},
        {"2026-01-05T08:00+15:00", std::nullopt},
        {"2026-1-5", std::nullopt},
        {"2026-01-05T08", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseHistoryDate(QString::fromUtf8(text)), expected) << text;
}

TEST_F(DataToolTest, HistoryPrintsTheCallsAsLinesCsvAndJson)
{
    WriteTwoCalls(source.Path());
    struct Case {
        QStringList arguments;
        int exitCode;
        QString out;
    };
    const Case cases[] = {
        {{"history"}, 0,
            "2026-01-05T09:00:00+01:00\t0101\tAnn Smith\treplied\tsent, not delivered (the "
            "number cannot be reached (0x43))\tHi Ann, \"soon\"\n"
            "2026-01-05T10:00:00+01:00\t0202\t-\trings\tnone\t\n"},
        {{"history", "--csv", "--number", "0101"}, 0,
            "id,time,localTime,utcOffset,number,name,contactId,foundBy,rings,reason,profileId,"
            "templateId,text,fate,error,delivery,deliveryReason\r\n"
            "1,2026-01-05T08:00:00Z,2026-01-05T09:00:00+01:00,3600,0101,Ann Smith,3,as "
            "delivered,2,replied,1,2,\"Hi Ann, \"\"soon\"\"\",sent,,failed,the number cannot be "
            "reached (0x43)\r\n"},
        {{"history", "--since", "2026-01-05T08:00:01Z", "--number", "0101"}, 0, ""},
        {{"history", "--since", "2026-01-05T08:00:01Z"}, 0,
            "2026-01-05T10:00:00+01:00\t0202\t-\trings\tnone\t\n"},
        {{"history", "--since", "soon"}, 2, ""},
        {{"history", "--json", "--csv"}, 2, ""},
        {{"history", "--number"}, 2, ""},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.arguments, source.Path());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.err.isEmpty(), c.exitCode == 0) << run.err.toStdString();
    }

    const ToolRun json = RunTool({"history", "--json", "--number", "0202"}, source.Path());
    const QJsonArray calls = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(calls.size(), 1);
    const QJsonObject call = calls[0].toObject();
    EXPECT_EQ(call["time"].toString(), "2026-01-05T09:00:00Z");
    EXPECT_EQ(call["name"].toString(), "");
    EXPECT_EQ(call["foundBy"].toString(), "not found");
    EXPECT_EQ(call["reason"].toString(), "rings");
    EXPECT_EQ(call["delivery"].toString(), "unknown");
    EXPECT_EQ(call.size(), 17);
}

TEST_F(DataToolTest, HistoryExportsKeepTheirColumnsAndRunNoFormula)
{
    {
        CallHistory history(source.Path(), kMorning, 0);
        CallRecord hostile {0, kMorning, 3600, u"+447700900111", u"=HYPERLINK(\"x\")", 3, "\rscan",
            2, HistoryReason::Replied, 1, 2, u"\tone\ttwo\nthree \\ four\r", ReplyFate::Failed,
            u"-2+cmd", DeliveryState::Unknown, u"@SUM(1)"};
        ASSERT_GT(history.Record(hostile), 0);
    }
    EXPECT_EQ(RunTool({"history"}, source.Path()).out,
        "2026-01-05T09:00:00+01:00\t+447700900111\t=HYPERLINK(\"x\")\treplied\tfailed "
        "(-2+cmd)\t\\tone\\ttwo\\nthree \\\\ four\\r\n");
    const QStringList csv = RunTool({"history", "--csv"}, source.Path()).out.split("\r\n");
    ASSERT_GE(csv.size(), 2);
    EXPECT_EQ(csv[1],
        "1,2026-01-05T08:00:00Z,2026-01-05T09:00:00+01:00,3600,+447700900111,\"'=HYPERLINK("
        "\"\"x\"\")"
        "\",3,\"'\rscan\",2,replied,1,2,\"'\tone\ttwo\nthree \\ four\r\",failed,'-2+cmd,unknown,"
        "'@SUM(1)");
}

TEST_F(DataToolTest, HistoryOnlyReadsNeitherMakingNorMovingTheFile)
{
    const auto file = target.Path() / kHistoryFileName;
    ToolRun run = RunTool({"history"}, target.Path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(file));

    const std::vector<uint8_t> junk(4096, 'x');
    test::WriteAll(file, junk);
    run = RunTool({"history", "--json"}, target.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("file is not a database")) << run.err.toStdString();
    EXPECT_EQ(test::ReadAll(file), junk);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target.Path()), {}), 1);

    run = RunTool({"--help"}, target.Path());
    EXPECT_TRUE(run.out.contains("dump and load leave the\nhistory (history.sqlite) alone"))
        << run.out.toStdString();
}
