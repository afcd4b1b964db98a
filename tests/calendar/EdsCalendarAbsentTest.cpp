#include "calendar/EdsCalendarReader.h"
#include "tests/platform/PrivateSessionBus.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>

using namespace pelmora;
using namespace std::chrono_literals;

namespace {

// A session bus on which Evolution Data Server cannot be started.
class NoServerEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        bus_ = std::make_unique<test::PrivateSessionBus>(test::PrivateSessionBus::Services::None);
        ASSERT_EQ(bus_->Error(), "");
    }
    void TearDown() override { bus_.reset(); }

private:
    std::unique_ptr<test::PrivateSessionBus> bus_;
};
testing::Environment* const g_environment
    = testing::AddGlobalTestEnvironment(new NoServerEnvironment);

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(EdsCalendarAbsentTest, WithoutTheServerAnEmptySnapshotSaysWhy)
{
    EXPECT_FALSE(EdsCalendarReader::ServerAvailable());
    std::mutex mutex;
    std::optional<CalendarSnapshot> first;
    const auto start = std::chrono::steady_clock::now();
    auto reader = std::make_unique<EdsCalendarReader>([&](CalendarSnapshot snapshot) {
        std::lock_guard lock(mutex);
        if (!first)
            first = std::move(snapshot);
    });
    const auto published = [&] {
        std::lock_guard lock(mutex);
        return first.has_value();
    };
    while (!published() && SecondsSince(start) < 5.0)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(published()) << "an absent server costs no waiting";
    EXPECT_TRUE(first->documents.empty());
    EXPECT_TRUE(first->ownAddresses.empty());
    EXPECT_EQ(first->problem, "the calendar server (Evolution Data Server) is not running");

    const auto closing = std::chrono::steady_clock::now();
    reader.reset();
    EXPECT_LT(SecondsSince(closing), 2.0) << "closing does not wait for the retry";
}
