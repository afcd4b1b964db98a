#include "calendar/BusyTimeline.h"

#include <gtest/gtest.h>

using namespace pelmora;

TEST(BusyTimeline, OverlappingAndBackToBackEventsAreOneStretch)
{
    // 10-11 and 11-12 back to back, 11:30-11:45 inside, 14-15 apart, an
    // empty span dropped.
    const BusyTimeline busy({{14, 15}, {11, 12}, {10, 11}, {5, 5}, {11, 11}, {13, 12}}, 100);
    EXPECT_EQ(busy.Size(), 2u);
    const struct {
        int64_t at;
        std::optional<BusySpan> stretch;
        std::optional<int64_t> next;
    } cases[] = {
        {0, std::nullopt, 10},
        {10, BusySpan {10, 12}, 12},
        {11, BusySpan {10, 12}, 12},
        {12, std::nullopt, 14},
        {13, std::nullopt, 14},
        {14, BusySpan {14, 15}, 15},
        {15, std::nullopt, std::nullopt},
    };
    for (const auto& [at, stretch, next] : cases) {
        EXPECT_EQ(busy.StretchAt(at), stretch) << at;
        EXPECT_EQ(busy.NextBoundary(at), next) << at;
    }
}

TEST(BusyTimeline, AStretchRunningPastTheTimeReadKeepsItsEndButNoBoundary)
{
    const BusyTimeline busy({{10, 200}}, 100);
    EXPECT_EQ(busy.NextBoundary(0), 10);
    EXPECT_EQ(busy.NextBoundary(10), std::nullopt);
    EXPECT_EQ(busy.StretchAt(150), (BusySpan {10, 200}));
}
