#include "session/MonitoringSession.h"

#include <gtest/gtest.h>

#include <set>

using namespace pelmora;

TEST(NotificationIds, EveryKindHasItsOwnSoNoneReplacesAnother)
{
    const std::set<uint32_t> ids {
        kQuestionNotice, kSaveFailedNotice, kHistoryProblemNotice, kScheduleNotice};
    EXPECT_EQ(ids.size(), 4u);
}
