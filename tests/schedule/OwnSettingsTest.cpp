#include "options/OwnSettings.h"
#include "platform/storage/DataFileCare.h"
#include "tests/LogicTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <utility>

using namespace pelmora;
using namespace pelmora::test;

TEST(OwnSettings, RoundTripsAndAMissingFileIsTheDefaults)
{
    ScratchDir dir;
    OwnSettings read;
    QString error;
    ASSERT_TRUE(LoadOwnSettings(dir.Path(), read, error));
    EXPECT_EQ(read, OwnSettings {});
    const OwnSettings settings {
        {{0x41, 23 * 60, 7 * 60, true, 3}, {0x1f, 9 * 60, 9 * 60, false, 0}}, HistoryKeep::Forever,
        360};
    ASSERT_TRUE(SaveOwnSettings(dir.Path(), settings));
    ASSERT_TRUE(LoadOwnSettings(dir.Path(), read, error)) << error.toStdString();
    EXPECT_EQ(read, settings);
    EXPECT_EQ(OwnSettingsToJson(settings)[QStringLiteral("schedule")][0][QStringLiteral("days")],
        (QJsonArray {QStringLiteral("mon"), QStringLiteral("sun")}));
    // The calendar's options are written only when they are not the defaults.
    EXPECT_FALSE(OwnSettingsToJson(settings).contains(QStringLiteral("calendarBusy")));
    EXPECT_FALSE(OwnSettingsToJson(settings).contains(QStringLiteral("busyUntilWord")));
    OwnSettings calendar = settings;
    calendar.calendarBusyProfileId = 3;
    calendar.busyUntilWord = QStringLiteral("tonight");
    ASSERT_TRUE(SaveOwnSettings(dir.Path(), calendar));
    ASSERT_TRUE(LoadOwnSettings(dir.Path(), read, error)) << error.toStdString();
    EXPECT_EQ(read, calendar);
    EXPECT_EQ(OwnSettingsToJson(calendar)[QStringLiteral("calendarBusy")],
        (QJsonObject {{QStringLiteral("profile"), 3}}));
}

TEST(OwnSettings, WrongValuesAreRefusedWithTheirPlace)
{
    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {R"({"version":3})", "version: only versions 1 to 2 are known"},
        {R"({"version":1,"quietMinutes":15})",
            "quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)"},
        {R"({"version":2,"quietMinutes":16})",
            "quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)"},
        {R"({"version":2,"quietMinutes":15.5})",
            "quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)"},
        {R"({"version":2,"quietMinutes":"15"})",
            "quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)"},
        {R"({"version":2,"historyKeep":"week"})",
            "historyKeep: month, year or forever (version 2)"},
        {R"({"version":1,"schedule":{}})", "schedule: a list of windows"},
        {R"({"version":1,"schedule":[{"days":["mon","xyz"],"start":"01:00","end":"02:00","monitoring":false}]})",
            "schedule[0]: \"xyz\" is not a day (mon ... sun)"},
        {R"({"version":1,"schedule":[{"days":[],"start":"01:00","end":"02:00","monitoring":false}]})",
            "schedule[0]: \"days\" is a list of one or more of mon, tue, wed, thu, fri, sat and "
            "sun"},
        {R"({"version":1,"schedule":[{"days":["sat"],"start":"24:00","end":"02:00","monitoring":false}]})",
            "schedule[0]: \"start\" is a time from 00:00 to 23:59"},
        {R"({"version":1,"schedule":[{"days":["sat"],"start":"01:00","end":"2:00","monitoring":false}]})",
            "schedule[0]: \"end\" is a time from 00:00 to 23:59"},
        {R"({"version":1,"schedule":[{"days":["sat"],"start":"01:00","end":"02:00","monitoring":true,"profile":1.5}]})",
            "schedule[0]: \"profile\" is a profile's id"},
        {R"({"version":1,"schedule":[{"days":["sat"],"start":"01:00","end":"02:00","monitoring":true,"profile":1e300}]})",
            "schedule[0]: \"profile\" is a profile's id"},
        {R"({"version":1,"schedule":[{"days":["sat"],"start":"01:00","end":"02:00","monitoring":false},{"days":["sat"],"start":"01:00","end":"02:00","monitoring":true,"profile":9}]})",
            "schedule[1]: there is no profile with id 9"},
        {R"({"version":2,"calendarBusy":{"profile":0}})",
            "calendarBusy: {\"profile\": a profile's id}"},
        {R"({"version":2,"calendarBusy":2})", "calendarBusy: {\"profile\": a profile's id}"},
        {R"({"version":2,"calendarBusy":{"profile":9}})",
            "calendarBusy: there is no profile with id 9"},
        {R"({"version":2,"busyUntilWord":"two\nlines"})",
            "busyUntilWord: a text of at most 40 characters on one line"},
        {R"({"version":2,"busyUntilWord":"12345678901234567890123456789012345678901"})",
            "busyUntilWord: a text of at most 40 characters on one line"},
        {R"({"version":2,"busyUntilWord":5})",
            "busyUntilWord: a text of at most 40 characters on one line"},
    };
    const std::set<int32_t> profiles {1, 2};
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(OwnSettingsFromJson(
            QJsonDocument::fromJson(QByteArray(c.json)).object(), &profiles, error))
            << c.json;
        EXPECT_EQ(error, QString::fromUtf8(c.error));
    }
}

TEST(OwnSettings, AVersionOneFileReadsWithTheNewDefaults)
{
    QString error;
    const auto read = OwnSettingsFromJson(
        QJsonDocument::fromJson(R"({"version":1,"schedule":[]})").object(), nullptr, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->historyKeep, HistoryKeep::Year);
    EXPECT_EQ(read->quietMinutes, 0);
}

TEST(OwnSettings, KeepPeriodsAreWholeDays)
{
    constexpr int64_t kDay = 86400;
    const std::pair<HistoryKeep, int64_t> cases[] = {
        {HistoryKeep::Month, 31 * kDay}, {HistoryKeep::Year, 366 * kDay},
        {HistoryKeep::Forever, 0}, // nothing is pruned
    };
    for (const auto& [keep, seconds] : cases)
        EXPECT_EQ(HistoryKeepSeconds(keep), seconds) << static_cast<int>(keep);
}

TEST(OwnSettings, ADamagedFileKeepsEachOptionThatReadsAndTheSafeValueOfEveryOther)
{
    struct Case {
        const char* bytes; // nullptr: a pipe in the file's place
        HistoryKeep keep;
        int32_t quiet;
        size_t windows;
        std::vector<OwnOption> lost;
    };
    constexpr char kWindow[]
        = R"({"days":["sat"],"start":"01:00","end":"02:00","monitoring":false})";
    const std::string trailingComma = std::string(R"({"version":2,"schedule":[)") + kWindow
        + R"(],"historyKeep":"month","quietMinutes":15,})";
    const std::string cut = std::string(R"({"version":2,"schedule":[)") + kWindow
        + R"(],"historyKeep":"month","quietMi)";
    const Case cases[] = {
        {trailingComma.c_str(), HistoryKeep::Month, 15, 1, {}},
        {cut.c_str(), HistoryKeep::Month, kUnknownQuietMinutes, 1, {OwnOption::QuietPeriod}},
        {R"({"version":2,"historyKeep":"Forever","quietMinutes":60})", kUnknownHistoryKeep, 60, 0,
            {OwnOption::HistoryKeep}},
        {R"({"version":3,"historyKeep":"month","quietMinutes":360})", HistoryKeep::Month, 360, 0,
            {}},
        {"", kUnknownHistoryKeep, kUnknownQuietMinutes, 0,
            {OwnOption::Schedule, OwnOption::HistoryKeep, OwnOption::QuietPeriod}},
        {nullptr, kUnknownHistoryKeep, kUnknownQuietMinutes, 0,
            {OwnOption::Schedule, OwnOption::HistoryKeep, OwnOption::QuietPeriod,
                OwnOption::CalendarBusy, OwnOption::BusyUntilWord}},
        {R"({"version":2,"calendarBusy":{"profile":0},"busyUntilWord":"soon","quietMi)",
            kUnknownHistoryKeep, kUnknownQuietMinutes, 0,
            {OwnOption::Schedule, OwnOption::HistoryKeep, OwnOption::QuietPeriod,
                OwnOption::CalendarBusy}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes ? c.bytes : "a pipe");
        ScratchDir dir;
        const std::filesystem::path file = dir.Path() / kOwnSettingsFileName;
        if (c.bytes)
            WriteAll(file, std::vector<uint8_t>(c.bytes, c.bytes + std::strlen(c.bytes)));
        else
            ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        OwnSettings read;
        QString error;
        std::vector<OwnOption> lost;
        EXPECT_FALSE(LoadOwnSettings(dir.Path(), read, error, &lost));
        EXPECT_TRUE(error.startsWith(QString::fromStdString(file.string()))) << error.toStdString();
        EXPECT_EQ(read.historyKeep, c.keep);
        EXPECT_EQ(read.quietMinutes, c.quiet);
        EXPECT_EQ(read.schedule.size(), c.windows);
        EXPECT_EQ(lost, c.lost);
        // Replaced only after a copy of the file as it was is kept.
        if (c.bytes) {
            ASSERT_TRUE(SaveOwnSettings(dir.Path(), read));
            const auto problems = ProblemFilesIn(dir.Path());
            EXPECT_TRUE(problems.empty());
            size_t copies = 0;
            for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
                copies
                    += entry.path().filename().string().starts_with("pelmora-options.json.damaged-")
                    && ReadAll(entry.path())
                        == std::vector<uint8_t>(c.bytes, c.bytes + std::strlen(c.bytes));
            EXPECT_EQ(copies, 1u);
        }
    }
    ForgetLoadedFiles();
}

TEST(OwnSettings, AScheduleOfMoreThanAHundredWindowsIsRefused)
{
    QJsonArray windows;
    for (size_t i = 0; i <= kMaxScheduleWindows; ++i)
        windows.append(QJsonObject {{"days", QJsonArray {"mon"}}, {"start", "01:00"},
            {"end", "02:00"}, {"monitoring", false}});
    QString error;
    EXPECT_FALSE(OwnSettingsFromJson({{"version", 2}, {"schedule", windows}}, nullptr, error));
    EXPECT_EQ(error, QStringLiteral("schedule: at most 100 windows"));
    windows.removeLast();
    EXPECT_TRUE(OwnSettingsFromJson({{"version", 2}, {"schedule", windows}}, nullptr, error));
}
