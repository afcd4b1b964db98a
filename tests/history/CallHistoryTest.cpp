#include "history/CallHistory.h"
#include "platform/storage/DataFileCare.h"
#include "tests/LogicTestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

constexpr int64_t kNow = 1'800'000'000;
constexpr int64_t kDay = 24 * 60 * 60;

CallRecord Call(std::u16string number, int64_t time, ReplyFate fate = ReplyFate::Sent)
{
    CallRecord r;
    r.timeUtc = time;
    r.utcOffset = 3600;
    r.number = std::move(number);
    r.callerName = u"Ann Brown";
    r.contactId = 7;
    r.lookupStage = "as delivered";
    r.rings = 3;
    r.profileId = 2;
    r.templateId = 5;
    r.text = u"Busy, back soon \u00e9";
    r.fate = fate;
    return r;
}

unsigned Mode(const std::filesystem::path& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs statements on a file without the history's own code.
QVariant Sql(const std::filesystem::path& file, const QStringList& statements)
{
    QVariant last;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(QString::fromStdString(file.string()));
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        for (const QString& statement : statements) {
            EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
            if (query.next())
                last = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase("raw");
    return last;
}

// The newest reply the quiet period counts for `number`, at any time.
std::optional<int64_t> LastReply(CallHistory& history, std::u16string_view number)
{
    return LastReplyTo(history.RepliesBetween(0, INT64_MAX), number, u"");
}

} // namespace

TEST(CallHistory, IsCreatedPrivateOnFirstUseAndReadsBackEveryField)
{
    ScratchDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    CallHistory history(dir.Path(), kNow, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kHistoryFileName));
    EXPECT_FALSE(LastReply(history, u"+1555"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kHistoryFileName))
        << "a look creates nothing";

    CallRecord record = Call(u"+1555", kNow);
    record.error = u"x";
    record.delivery = DeliveryState::Waiting;
    record.deliveryReason = u"y";
    record.id = history.Record(record);
    ASSERT_GT(record.id, 0);
    EXPECT_EQ(Mode(dir.Path() / kHistoryFileName), 0600u);
    EXPECT_EQ(Mode(dir.Path()), 0755u) << "the folder is left as it was";
    EXPECT_EQ(history.Read(), std::vector {record});
    EXPECT_EQ(Sql(dir.Path() / kHistoryFileName, {"PRAGMA user_version"}).toInt(),
        HistorySchemaVersion());
    EXPECT_FALSE(history.ProblemReported());
}

TEST(CallHistory, MigratesAFirstVersionFileKeepingItsRows)
{
    ScratchDir dir;
    const auto file = dir.Path() / kHistoryFileName;
    Sql(file,
        {QString::fromUtf8(HistoryMigrations()[0].data(), HistoryMigrations()[0].size()),
            "PRAGMA user_version = 1",
            "INSERT INTO calls (time_utc, utc_offset, number, reason, fate) VALUES (5, 0, "
            "'+1', 'rings', 'none')"});
    {
        CallHistory history(dir.Path(), kNow, 0);
        const auto rows = history.Read();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].reason, HistoryReason::Rings);
        EXPECT_EQ(rows[0].delivery, DeliveryState::Unknown);
    }
    EXPECT_EQ(Sql(file, {"PRAGMA user_version"}).toInt(), HistorySchemaVersion());
    EXPECT_EQ(
        Sql(file, {"SELECT group_concat(name) FROM sqlite_master WHERE type = 'index'"}).toString(),
        "calls_by_number,calls_by_time");
}

TEST(CallHistory, EveryFateIsRecordedAndOnlyRepliesThatWentCountForTheQuietPeriod)
{
    struct Case {
        ReplyFate fate;
        std::u16string error;
        bool counts;
        DeliveryState delivery = DeliveryState::Unknown;
    };
    const Case cases[] = {
        {ReplyFate::Sent, u"", false, DeliveryState::Failed}, // absent subscriber
        {ReplyFate::AnsweredYes, u"", true, DeliveryState::Delivered},
        {ReplyFate::None, u"", false},
        {ReplyFate::Sending, u"", true},
        {ReplyFate::Sent, u"", true},
        {ReplyFate::Failed, u"refused by the transport", false},
        {ReplyFate::Asked, u"", false},
        {ReplyFate::AnsweredYes, u"", true},
        {ReplyFate::AnsweredNo, u"", false},
        {ReplyFate::Expired, u"", false},
        {ReplyFate::Replaced, u"", false},
    };
    ScratchDir dir;
    CallHistory history(dir.Path(), kNow, 0);
    for (const Case& c : cases) {
        const std::u16string number = u"+44"
            + std::u16string(FateName(c.fate).begin(), FateName(c.fate).end())
            + std::u16string(DeliveryName(c.delivery).begin(), DeliveryName(c.delivery).end());
        const int64_t id = history.Record(Call(number, kNow, ReplyFate::Asked));
        history.Record(Call(number, kNow - 100, ReplyFate::Failed));
        history.SetFate(id, c.fate, c.error);
        history.SetDelivery(id, c.delivery);
        const auto rows = history.Read({std::nullopt, number});
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].fate, c.fate) << FateName(c.fate);
        EXPECT_EQ(rows[1].error, c.error);
        EXPECT_EQ(LastReply(history, number), c.counts ? std::optional(kNow) : std::nullopt)
            << FateName(c.fate);
    }
    EXPECT_EQ(history.Read({kNow, std::nullopt}).size(), std::size(cases));
}

TEST(CallHistory, DeliveryReportsMoveOnlyTheirOwnRow)
{
    const struct {
        DeliveryState state;
        std::u16string reason;
    } cases[] = {
        {DeliveryState::Waiting, u""},
        {DeliveryState::Failed, u"the number is not in service"},
        {DeliveryState::Delivered, u""},
        {DeliveryState::Unknown, u"no report came within a day"},
    };
    ScratchDir dir;
    CallHistory history(dir.Path(), kNow, 0);
    const int64_t id = history.Record(Call(u"+1", kNow, ReplyFate::Sent));
    const int64_t other = history.Record(Call(u"+2", kNow, ReplyFate::Sent));
    for (const auto& c : cases) {
        history.SetDelivery(id, c.state, c.reason);
        const auto rows = history.Read();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].delivery, c.state) << DeliveryName(c.state);
        EXPECT_EQ(rows[0].deliveryReason, c.reason);
        EXPECT_EQ(rows[0].fate, ReplyFate::Sent);
        EXPECT_EQ(rows[1].id, other);
        EXPECT_EQ(rows[1].delivery, DeliveryState::Unknown);
    }
}

TEST(CallHistory, ReportsAnEarlierRunWaitedForAreUnknownAtTheNextStart)
{
    ScratchDir dir;
    int64_t waiting = 0;
    {
        CallHistory history(dir.Path(), kNow, 0);
        waiting = history.Record(Call(u"+1", kNow));
        history.SetDelivery(waiting, DeliveryState::Waiting);
        history.SetDelivery(history.Record(Call(u"+2", kNow)), DeliveryState::Delivered);
        EXPECT_EQ(history.Read()[0].delivery, DeliveryState::Waiting) << "not while it runs";
    }
    CallHistory history(dir.Path(), kNow, 0);
    const auto rows = history.Read();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].delivery, DeliveryState::Unknown);
    EXPECT_EQ(rows[0].deliveryReason, u"Pelmora ended before a report came");
    EXPECT_EQ(rows[1].delivery, DeliveryState::Delivered);
}

TEST(CallHistory, RowsPastTheKeepingPeriodGoAtTheStart)
{
    ScratchDir dir;
    {
        CallHistory history(dir.Path(), kNow, 0);
        for (int64_t age : {400 * kDay, 40 * kDay, kDay})
            history.Record(Call(u"+1", kNow - age));
    }
    for (const auto& [keep, left] :
        {std::pair {int64_t {0}, 3u}, std::pair {366 * kDay, 2u}, std::pair {31 * kDay, 1u}}) {
        CallHistory history(dir.Path(), kNow, keep);
        EXPECT_EQ(history.Read().size(), left) << keep;
    }
}

TEST(CallHistory, AClockYearsAheadPrunesFromTheNewestCallNotFromItself)
{
    ScratchDir dir;
    {
        CallHistory history(dir.Path(), kNow, 0);
        for (int64_t age : {400 * kDay, 40 * kDay, kDay})
            history.Record(Call(u"+1", kNow - age));
    }
    CallHistory history(dir.Path(), kNow + 14 * 366 * kDay, 366 * kDay);
    EXPECT_EQ(history.Read().size(), 2u);
}

TEST(CallHistory, ADamagedCopyNeverReplacesAnEarlierOneOfTheSameSecond)
{
    ScratchDir dir;
    const auto file = dir.Path() / kHistoryFileName;
    const std::filesystem::path earlier = DamagedCopyName(file, kNow);
    WriteAll(earlier, {'o', 'l', 'd'});
    WriteAll(file, std::vector<uint8_t>(3000, 'x'));
    CallHistory history(dir.Path(), kNow, 0);
    EXPECT_EQ(history.KeptAside(), earlier.string() + "-2");
    EXPECT_EQ(ReadAll(earlier), (std::vector<uint8_t> {'o', 'l', 'd'}));
}

TEST(CallHistory, ALinkOrFolderInItsPlaceIsReportedAndNeitherFollowedNorChanged)
{
    struct Case {
        const char* what;
        unsigned mode; // the planted thing's, which must stay
        std::function<void(const std::filesystem::path& place, const std::filesystem::path& to)>
            plant;
    };
    const Case cases[] = {
        {"a symbolic link", 0644,
            [](const auto& place, const auto& to) {
                WriteAll(to, {});
                ::chmod(to.c_str(), 0644);
                std::filesystem::create_symlink(to, place);
            }},
        {"a folder", 0755,
            [](const auto& place, const auto&) {
                std::filesystem::create_directory(place);
                ::chmod(place.c_str(), 0755);
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const auto place = dir.Path() / kHistoryFileName;
        const auto target = dir.Path() / "elsewhere";
        c.plant(place, target);
        std::vector<QString> problems;
        CallHistory history(dir.Path(), kNow, 0, [&](const QString& p) { problems.push_back(p); });
        EXPECT_EQ(history.Record(Call(u"+1", kNow)), 0);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_TRUE(problems[0].contains(QLatin1String(c.what))) << problems[0].toStdString();
        struct stat st { };
        ASSERT_EQ(::stat(place.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.mode);
    }
}

TEST(CallHistory, ADamagedFileIsKeptAsideOnceAndANewHistoryBegun)
{
    ScratchDir dir;
    const auto file = dir.Path() / kHistoryFileName;
    const std::vector<uint8_t> junk(3000, 'x');
    WriteAll(file, junk);
    std::vector<QString> problems;
    CallHistory history(dir.Path(), kNow, 0, [&](const QString& p) { problems.push_back(p); });
    ASSERT_FALSE(history.KeptAside().empty());
    EXPECT_EQ(history.KeptAside().parent_path(), dir.Path());
    EXPECT_TRUE(history.KeptAside().filename().string().starts_with("history.sqlite.damaged-"));
    EXPECT_EQ(ReadAll(history.KeptAside()), junk);
    EXPECT_GT(history.Record(Call(u"+1", kNow)), 0);
    EXPECT_EQ(history.Read().size(), 1u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].contains("is kept as history.sqlite.damaged-"))
        << problems[0].toStdString();
}

TEST(CallHistory, ANewerSchemaIsLeftAloneAndReportedOnce)
{
    ScratchDir dir;
    const auto file = dir.Path() / kHistoryFileName;
    Sql(file, {"CREATE TABLE future (x)", "PRAGMA user_version = 99"});
    const std::vector<uint8_t> before = ReadAll(file);
    int reports = 0;
    CallHistory history(dir.Path(), kNow, kDay, [&](const QString&) { ++reports; });
    EXPECT_EQ(history.Record(Call(u"+1", kNow)), 0);
    EXPECT_EQ(history.Record(Call(u"+1", kNow)), 0);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(history.KeptAside().empty());
    EXPECT_EQ(ReadAll(file), before);
}

TEST(CallHistory, ReadsNewestFirstInPagesAndSearchesNumberAndName)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), kNow, 0);
    EXPECT_TRUE(history.ReadNewest(u"", 10).empty()) << "no file yet";
    const std::pair<std::u16string, std::u16string> calls[] = {{u"+4420", u"Ann Brown"},
        {u"+4421", u""}, {u"0790%", u"Bob Smith"}, {u"+1555", u"Carl"}, {u"+4420", u""}};
    for (size_t i = 0; i < std::size(calls); ++i) {
        CallRecord r = Call(calls[i].first, kNow + static_cast<int64_t>(i % 4) * 60);
        r.callerName = calls[i].second;
        history.Record(r);
    }
    const auto Ids = [&](std::u16string_view search, int limit, const CallRecord* after) {
        std::vector<int64_t> ids;
        for (const CallRecord& r : history.ReadNewest(search, limit, after))
            ids.push_back(r.id);
        return ids;
    };
    // Row 5 has row 1's time: the later row comes first among equal times.
    EXPECT_EQ(Ids(u"", 10, nullptr), (std::vector<int64_t> {4, 3, 2, 5, 1}));
    const CallRecord second = history.ReadNewest(u"", 2)[1];
    CallRecord newer = Call(u"+9", kNow + 999);
    newer.callerName.clear();
    history.Record(newer); // a call recorded meanwhile does not shift the next page
    EXPECT_EQ(Ids(u"", 2, &second), (std::vector<int64_t> {2, 5}));
    const struct {
        std::u16string search;
        std::vector<int64_t> ids;
    } searches[] = {
        {u"+442", {2, 5, 1}},
        {u"brown", {1}}, // any case
        {u"%", {3}}, // wildcards taken literally
        {u"b_s", {}},
        {u"_", {}},
        {u"carl", {4}},
        {u"nobody", {}},
    };
    for (const auto& s : searches) {
        EXPECT_EQ(Ids(s.search, 10, nullptr), s.ids)
            << QString::fromStdU16String(s.search).toStdString();
        EXPECT_EQ(history.Count(s.search), static_cast<int64_t>(s.ids.size()));
    }
    EXPECT_EQ(history.Count(), 6);
}

TEST(CallHistory, DeletesOneRowAndClearsAll)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), kNow, 0);
    EXPECT_TRUE(history.Clear()) << "nothing to clear is no failure";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kHistoryFileName));
    const int64_t first = history.Record(Call(u"+1", kNow));
    const int64_t second = history.Record(Call(u"+2", kNow));
    ASSERT_TRUE(history.Delete(first));
    ASSERT_EQ(history.Read().size(), 1u);
    EXPECT_EQ(history.Read()[0].id, second);
    EXPECT_EQ(LastReply(history, u"+1"), std::nullopt);
    ASSERT_TRUE(history.Clear());
    EXPECT_EQ(history.Count(), 0);
    CallHistory reader(dir.Path(), kNow, 0, nullptr, CallHistory::Access::ReadOnly);
    EXPECT_FALSE(reader.Clear());
}

TEST(CallHistory, TellsItsListenersOfEachChangeWritten)
{
    using Kind = HistoryChange::Kind;
    ScratchDir dir;
    CallHistory history(dir.Path(), kNow, 0);
    std::vector<std::pair<Kind, int64_t>> told;
    const int listener = history.AddChangeListener(
        [&](const HistoryChange& c) { told.emplace_back(c.kind, c.id); });
    EXPECT_TRUE(history.Clear());
    const int64_t id = history.Record(Call(u"+1", kNow));
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<std::pair<Kind, int64_t>> told;
    } cases[] = {
        {"record", [&] { history.Record(Call(u"+2", kNow)); }, {{Kind::Recorded, id + 1}}},
        {"fate", [&] { history.SetFate(id, ReplyFate::Failed, u"x"); }, {{Kind::Updated, id}}},
        {"delivery", [&] { history.SetDelivery(id, DeliveryState::Delivered); },
            {{Kind::Updated, id}}},
        {"a row not there", [&] { history.SetDelivery(99, DeliveryState::Failed); }, {}},
        {"id 0", [&] { history.SetFate(0, ReplyFate::Sent); }, {}},
        {"delete", [&] { history.Delete(id); }, {{Kind::Deleted, id}}},
        {"delete again", [&] { history.Delete(id); }, {}},
        {"clear", [&] { history.Clear(); }, {{Kind::Cleared, 0}}},
        {"clear nothing", [&] { history.Clear(); }, {}},
        {"no longer listening",
            [&] {
                history.RemoveChangeListener(listener);
                history.Record(Call(u"+3", kNow));
            },
            {}},
    };
    for (const auto& c : cases) {
        told.clear();
        c.act();
        EXPECT_EQ(told, c.told) << c.what;
    }
}
