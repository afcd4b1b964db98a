#pragma once

#include "tests/platform/PrivateSessionBus.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace pelmora::test {

// The whole test program shares one bus with a real Evolution Data Server:
// register it with testing::AddGlobalTestEnvironment.
class EdsEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        bus_ = std::make_unique<PrivateSessionBus>(PrivateSessionBus::Services::Eds);
        ASSERT_EQ(bus_->Error(), "");
    }
    void TearDown() override { bus_.reset(); }

private:
    std::unique_ptr<PrivateSessionBus> bus_;
};

// Generous: the server starts by D-Bus activation on a busy machine.
inline constexpr std::chrono::milliseconds kServerWait {60000};

// Waits with the main context running, as the program's event loop does:
// the registry, shared by the whole process, was made on this thread by the
// test's own connection and sends its signals from here.
template <class Done> bool WaitForServer(Done done, std::chrono::milliseconds timeout = kServerWait)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        while (g_main_context_iteration(nullptr, FALSE)) { }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The error's message, and the error freed.
inline std::string Failure(GError* error)
{
    std::string text = error ? error->message : "unknown error";
    g_clear_error(&error);
    return text;
}

} // namespace pelmora::test
