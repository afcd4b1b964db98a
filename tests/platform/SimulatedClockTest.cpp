#include "platform/SimulatedClock.h"

#include <gtest/gtest.h>

#include <string>

using pelmora::SimulatedClock;

namespace {

const int kA = 0;
const int kB = 1;

TEST(SimulatedClock, FiresDueTimersInTimeOrderWithTheClockAtTheirDueTime)
{
    SimulatedClock clock(1'000'000);
    std::string fired;
    clock.Start(&kA, 2, 240'000, [&] { fired += "q@" + std::to_string(clock.NowMs()) + " "; });
    clock.Start(&kB, 1, 1'000, [&] { fired += "a@" + std::to_string(clock.NowMs()) + " "; });
    clock.Advance(999);
    EXPECT_EQ(fired, "");
    clock.Advance(300'000);
    EXPECT_EQ(fired, "a@1001000 q@1240000 ");
    EXPECT_EQ(clock.NowMs(), 1'300'999);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST(SimulatedClock, TimersDueTogetherFireInTheOrderTheyWereStarted)
{
    SimulatedClock clock(0);
    std::string fired;
    clock.Start(&kB, 7, 500, [&] { fired += "b"; });
    clock.Start(&kA, 7, 500, [&] { fired += "a"; });
    clock.Advance(500);
    EXPECT_EQ(fired, "ba");
}

TEST(SimulatedClock, RestartingATimerMovesItAndAHandlerMayStartAnother)
{
    SimulatedClock clock(0);
    int fired = 0;
    clock.Start(&kA, 2, 1000, [&] { ++fired; });
    clock.Advance(600);
    clock.Start(&kA, 2, 1000, [&] { ++fired; }); // due at 1600 now
    clock.Advance(900);
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(clock.IsActive(&kA, 2));
    // A timer started by a handler fires within the same move when due.
    clock.Start(&kA, 3, 100, [&] { clock.Start(&kA, 4, 100, [&] { fired += 10; }); });
    clock.Advance(300);
    EXPECT_EQ(fired, 11);
    EXPECT_FALSE(clock.IsActive(&kA, 2));
}

TEST(SimulatedClock, StoppedTimersNeverFire)
{
    SimulatedClock clock(0);
    int fired = 0;
    clock.Start(&kA, 1, 10, [&] { ++fired; });
    clock.Start(&kA, 2, 10, [&] { ++fired; });
    clock.Start(&kB, 1, 10, [&] { fired += 100; });
    clock.Stop(&kA, 1);
    EXPECT_FALSE(clock.IsActive(&kA, 1));
    clock.StopAll(&kA);
    clock.Advance(20);
    EXPECT_EQ(fired, 100);
}

TEST(SimulatedClock, SecondsRoundDownAndNegativeMovesAreIgnored)
{
    SimulatedClock clock(1'999);
    EXPECT_EQ(clock.NowSeconds(), 1);
    clock.Advance(-5000);
    EXPECT_EQ(clock.NowMs(), 1'999);
    EXPECT_EQ(SimulatedClock(-1).NowSeconds(), -1);
}

} // namespace
