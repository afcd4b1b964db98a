#include "platform/storage/DirectoryWatch.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace pelmora {

namespace {

constexpr uint32_t kEntryEvents
    = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
constexpr uint32_t kLostTrack
    = IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// File systems whose files can change on another machine, unseen by inotify.
bool IsRemote(const std::filesystem::path& dir)
{
    struct statfs info { };
    if (::statfs(dir.c_str(), &info) != 0)
        return true;
    constexpr std::array<unsigned long, 9> kRemote = {
        0x6969, // NFS
        0x517B, // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x65735546, // FUSE (sshfs, gvfs and the like)
        0x01021997, // 9P
        0x73757245, // Coda
        0x5346414F, // AFS
        0x6B414653, // kAFS
    };
    for (unsigned long magic : kRemote)
        if (static_cast<unsigned long>(info.f_type) == magic)
            return true;
    return false;
}

} // namespace

DirectoryWatch::~DirectoryWatch()
{
    Disarm();
}

void DirectoryWatch::Disarm()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool DirectoryWatch::Arm(const std::vector<std::filesystem::path>& dirs, NameFilter relevant)
{
    Disarm();
    relevant_ = std::move(relevant);
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return false;
    for (const std::filesystem::path& dir : dirs) {
        if (IsRemote(dir)
            || ::inotify_add_watch(fd_, dir.c_str(), kEntryEvents | kLostTrack | IN_ONLYDIR) < 0) {
            Disarm();
            return false;
        }
    }
    return true;
}

bool DirectoryWatch::Changed()
{
    if (fd_ < 0)
        return true;
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    while (true) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // EAGAIN: the queue is empty. Anything else: the watch is broken.
            if (got == 0 || errno != EAGAIN) {
                Disarm();
                return true;
            }
            return changed;
        }
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char* name = buffer.data() + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & kLostTrack) {
                Disarm();
                return true;
            }
            if (event.len > 0 && relevant_(std::string_view(name, ::strnlen(name, event.len))))
                changed = true;
        }
    }
}

} // namespace pelmora
