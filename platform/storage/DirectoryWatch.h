#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace pelmora {

// Tells cheaply whether files in a few directories may have changed since the
// last look, however many files the directories hold: the kernel queues the
// changes (inotify) and a look only drains the queue. A watch that cannot be
// set up (no inotify, a network file system whose remote changes the kernel
// never sees) is not armed; one that loses track (queue overflow, a watched
// directory moved or removed) disarms itself and reports a change. Callers
// keep their own check for when the watch is not armed.
class DirectoryWatch final {
public:
    using NameFilter = std::function<bool(std::string_view name)>;

    DirectoryWatch() = default;
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Starts watching `dirs`, forgetting earlier watches and changes, for
    // changes to entries whose names `relevant` accepts. False (and not
    // armed) when any directory cannot be watched reliably.
    bool Arm(const std::vector<std::filesystem::path>& dirs, NameFilter relevant);
    void Disarm();
    bool Armed() const { return fd_ >= 0; }

    // True when a relevant entry was created, written, removed, renamed or
    // touched since the last look, or when the watch lost track or is not
    // armed.
    bool Changed();

private:
    int fd_ = -1;
    NameFilter relevant_;
};

} // namespace pelmora
