#include "history/HistoryModel.h"
#include "tests/LogicTestSupport.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

TEST(HistoryModel, ReadsPagesAsTheViewScrollsAndDeletesFromTheFile)
{
    constexpr int kCalls = HistoryModel::kPageRows + 30;
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    for (int i = 0; i < kCalls; ++i) {
        CallRecord r;
        r.timeUtc = 1000 + i;
        r.number = i % 2 ? u"+4420" : u"+1555";
        history.Record(r);
    }
    HistoryModel model(history);
    model.Search(u"");
    ASSERT_EQ(model.rowCount(), HistoryModel::kPageRows);
    EXPECT_EQ(model.Record(0).timeUtc, 1000 + kCalls - 1) << "newest first";
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), kCalls);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.Record(kCalls - 1).timeUtc, 1000);
    EXPECT_EQ(model.data(model.index(kCalls - 1, HistoryModel::Caller), Qt::DisplayRole),
        QStringLiteral("+1555"));

    model.Search(u"442");
    EXPECT_EQ(model.rowCount(), kCalls / 2);
    const int64_t deleted = model.Record(0).id;
    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(model.rowCount(), kCalls / 2 - 1);
    EXPECT_NE(model.Record(0).id, deleted);
    EXPECT_EQ(history.Count(), kCalls - 1);
    EXPECT_FALSE(model.DeleteRow(kCalls));
    ASSERT_TRUE(model.ClearAll());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(history.Count(), 0);
}

TEST(HistoryModel, FollowsTheHistoryWhileOpenReadingOnlyWhatChanged)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    const auto Call = [&](std::u16string number, int64_t time) {
        CallRecord r;
        r.timeUtc = time;
        r.number = std::move(number);
        r.fate = ReplyFate::Sent;
        return history.Record(r);
    };
    const int64_t first = Call(u"+4401", 1000);
    Call(u"+4402", 2000);
    HistoryModel model(history);
    model.Search(u"44");
    // What the list shows: each row's number and outcome.
    const auto Shown = [&] {
        std::u16string all;
        for (int row = 0; row < model.rowCount(); ++row)
            all += model.Record(row).number + u' '
                + model.data(model.index(row, HistoryModel::Outcome), Qt::DisplayRole)
                      .toString()
                      .toStdU16String()
                + u"; ";
        return all;
    };
    const struct {
        const char* what;
        std::function<void()> act;
        std::u16string shown;
    } steps[] = {
        {"a new call comes at the top", [&] { Call(u"+4403", 3000); },
            u"+4403 sent; +4402 sent; +4401 sent; "},
        {"one the search does not select stays out", [&] { Call(u"+1555", 4000); },
            u"+4403 sent; +4402 sent; +4401 sent; "},
        {"an older one goes in its place", [&] { Call(u"+4404", 1500); },
            u"+4403 sent; +4402 sent; +4404 sent; +4401 sent; "},
        {"a delivery report shows in place",
            [&] { history.SetDelivery(first, DeliveryState::Failed, u"no such number"); },
            u"+4403 sent; +4402 sent; +4404 sent; +4401 sent, not delivered; "},
        {"a deleted row goes", [&] { history.Delete(first); },
            u"+4403 sent; +4402 sent; +4404 sent; "},
        {"cleared", [&] { history.Clear(); }, u""},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(Shown(), step.shown) << step.what;
    }
}

TEST(HistoryModel, ACallOlderThanTheRowsReadComesWithItsPage)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    CallRecord r;
    for (int i = 0; i < HistoryModel::kPageRows + 1; ++i) {
        r.timeUtc = 1000 + i;
        history.Record(r);
    }
    HistoryModel model(history);
    model.Search(u"");
    r.timeUtc = 1;
    history.Record(r);
    EXPECT_EQ(model.rowCount(), HistoryModel::kPageRows);
    model.fetchMore({});
    ASSERT_EQ(model.rowCount(), HistoryModel::kPageRows + 2) << "read once, not twice";
    EXPECT_EQ(model.Record(HistoryModel::kPageRows + 1).timeUtc, 1);
}
