#include "tests/platform/PrivateSessionBus.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pelmora::test {

namespace {

constexpr auto kStartWait = std::chrono::seconds(20);
constexpr auto kExitWait = std::chrono::seconds(10);

// The parent process id from /proc, or -1; zombies count as gone.
pid_t ParentOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return -1;
    const size_t close = line.rfind(')');
    if (close == std::string::npos || close + 4 >= line.size() || line[close + 2] == 'Z')
        return -1;
    return static_cast<pid_t>(std::atol(line.c_str() + close + 4));
}

// Every live process below `root`.
std::set<pid_t> Descendants(pid_t root)
{
    std::set<pid_t> found {root};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const auto pid = static_cast<pid_t>(std::atol(name.c_str()));
            if (!found.contains(pid) && found.contains(ParentOf(pid)))
                grew = found.insert(pid).second;
        }
    }
    found.erase(root);
    return found;
}

bool WaitGone(const std::set<pid_t>& pids, std::chrono::steady_clock::duration wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
        bool alive = false;
        for (pid_t pid : pids)
            alive = alive || ParentOf(pid) != -1;
        if (!alive)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

const char* const kConfig
    = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=@ROOT@</listen>
  <auth>EXTERNAL</auth>
  <servicedir>@ROOT@/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateSessionBus::PrivateSessionBus(Services services)
{
    Start(services);
}

PrivateSessionBus::~PrivateSessionBus()
{
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void PrivateSessionBus::Start(Services services)
{
    char pattern[] = "/tmp/pelmora-bus-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "no temporary directory";
        return;
    }
    root_ = pattern;
    const auto dir = [this](const char* name) {
        std::filesystem::create_directories(root_ / name);
        return (root_ / name).string();
    };
    setenv("HOME", dir("home").c_str(), 1);
    setenv("XDG_DATA_HOME", dir("home/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir("home/.config").c_str(), 1);
    setenv("XDG_CACHE_HOME", dir("home/.cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir("runtime").c_str(), 1);
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    setenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);

    const std::string services_dir = dir("services");
    if (services == Services::Eds) {
        int copied = 0;
        std::error_code error;
        for (const char* system :
            {"/usr/local/share/dbus-1/services", "/usr/share/dbus-1/services"})
            for (const auto& entry : std::filesystem::directory_iterator(system, error))
                if (entry.path().filename().string().starts_with(
                        "org.gnome.evolution.dataserver.")) {
                    std::filesystem::copy_file(entry.path(), services_dir / entry.path().filename(),
                        std::filesystem::copy_options::skip_existing, error);
                    ++copied;
                }
        if (copied == 0) {
            error_ = "no D-Bus service files of evolution-data-server installed";
            return;
        }
    }
    std::string config = kConfig;
    for (size_t at; (at = config.find("@ROOT@")) != std::string::npos;)
        config.replace(at, 6, root_.string());
    std::ofstream(root_ / "bus.conf") << config;

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error_ = "no pipe";
        return;
    }
    const std::string configArg = "--config-file=" + (root_ / "bus.conf").string();
    const std::string printArg = "--print-address=" + std::to_string(pipeFds[1]);
    daemon_ = fork();
    if (daemon_ == 0) {
        close(pipeFds[0]);
        execlp("dbus-daemon", "dbus-daemon", configArg.c_str(), "--nofork", "--nosyslog",
            printArg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string address;
    pollfd readable {pipeFds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (address.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&readable, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        address.append(buffer, static_cast<size_t>(got));
    }
    close(pipeFds[0]);
    if (daemon_ < 0 || address.find('\n') == std::string::npos) {
        error_ = "dbus-daemon did not start";
        return;
    }
    address.erase(address.find('\n'));
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

void PrivateSessionBus::Stop()
{
    if (daemon_ <= 0)
        return;
    // The services started by the bus leave when it goes; wait for them, so
    // no test leaves a process behind.
    const std::set<pid_t> started = Descendants(daemon_);
    kill(daemon_, SIGTERM);
    waitpid(daemon_, nullptr, 0);
    daemon_ = -1;
    if (WaitGone(started, kExitWait))
        return;
    for (pid_t pid : started)
        if (ParentOf(pid) != -1)
            kill(pid, SIGKILL);
    WaitGone(started, kExitWait);
}

} // namespace pelmora::test
