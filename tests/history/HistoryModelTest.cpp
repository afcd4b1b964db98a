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
