#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace pelmora::test {

// A session bus of the test program's own, in a temporary home: HOME and the
// XDG data, config, cache and runtime directories point into it, settings
// stay in memory, and DBUS_SESSION_BUS_ADDRESS names the bus. With
// Services::Eds the bus starts Evolution Data Server's registry and its
// address book and calendar factories on demand, from the system's service
// files; with Services::None nothing can be started on it. Stopping the bus
// also ends every process it started.
class PrivateSessionBus final {
public:
    enum class Services { Eds, None };

    explicit PrivateSessionBus(Services services);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the bus runs; else why it does not.
    const std::string& Error() const { return error_; }
    const std::filesystem::path& Root() const { return root_; }

private:
    void Start(Services services);
    void Stop();

    std::filesystem::path root_;
    pid_t daemon_ = -1;
    std::string error_;
};

} // namespace pelmora::test
