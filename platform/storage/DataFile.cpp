#include "platform/storage/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora {

namespace {

struct InjectedFailure {
    size_t afterBytes = 0;
    int skip = 0;
};
std::optional<InjectedFailure> g_failure;
std::function<void(const std::filesystem::path&)> g_saveObserver;

SaveResult Failed(const std::filesystem::path& file, int error)
{
    return {file, std::strerror(error)};
}

// A symbolic link is followed to the file it names (a bounded number of
// links, as the system does), so a save replaces the target, not the link.
std::filesystem::path FollowLinks(std::filesystem::path path)
{
    constexpr int kMaxLinks = 40;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st { };
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

void SyncFolder(const std::filesystem::path& folder)
{
    // Makes the rename itself last a power cut. Some file systems cannot
    // sync a folder; the file is in place by then, so that is no failure.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes `bytes` into a new temporary file beside `target` with `mode`,
// synced and closed; its name in `temp`. 0 or the error number.
int WriteTemporary(const std::filesystem::path& target, unsigned mode,
    std::span<const uint8_t> bytes, std::string& temp)
{
    temp = (FolderOf(target) / ("." + target.filename().string() + ".XXXXXX")).string();
    // mkostemp creates with O_EXCL, so neither an existing file nor a
    // planted link of that name is ever opened.
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        const int error = errno;
        g_failure.reset();
        temp.clear();
        return error;
    }
    int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (!error)
        error = WriteBytes(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        temp.clear();
    }
    return error;
}

// The mode a new content of `target` gets: private, and never wider than
// the file it replaces.
unsigned ModeFor(const std::filesystem::path& target)
{
    struct stat st { };
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return PrivateMode(st.st_mode);
    return 0600;
}

} // namespace

unsigned PrivateMode(unsigned mode)
{
    return mode & 0600u;
}

void MakePrivate(const std::filesystem::path& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 07777) != PrivateMode(st.st_mode))
        ::chmod(path.c_str(), PrivateMode(st.st_mode));
}

FileRead ReadDataFile(const std::filesystem::path& path, size_t maxBytes)
{
    FileRead read;
    // Non-blocking, so a pipe in a file's place cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return read;
        read.status = FileRead::Status::Unreadable;
        read.error = error;
        return read;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        read.status = FileRead::Status::Unreadable;
        read.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return read;
    }
    read.status = FileRead::Status::Read;
    uint8_t chunk[8192];
    while (read.bytes.size() < maxBytes) {
        const size_t want = std::min(sizeof chunk, maxBytes - read.bytes.size());
        const ssize_t got = ::read(fd, chunk, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            read.status = FileRead::Status::Unreadable;
            read.error = errno;
            read.bytes.clear();
            break;
        }
        if (got == 0)
            break;
        read.bytes.insert(read.bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return read;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(
    const std::filesystem::path& path, size_t maxBytes)
{
    FileRead read = ReadDataFile(path, maxBytes);
    if (read.status != FileRead::Status::Read)
        return std::nullopt;
    return std::move(read.bytes);
}

int WriteBytes(int fd, std::span<const uint8_t> bytes)
{
    size_t limit = bytes.size();
    bool injected = false;
    if (g_failure && g_failure->skip-- == 0) {
        injected = g_failure->afterBytes < limit;
        limit = std::min(limit, g_failure->afterBytes);
        g_failure.reset();
    }
    size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::write(fd, bytes.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return injected ? ENOSPC : 0;
}

void FailNextWriteAfter(size_t bytes, int skip)
{
    g_failure = InjectedFailure {bytes, skip};
}

void SetSaveObserver(std::function<void(const std::filesystem::path&)> observer)
{
    g_saveObserver = std::move(observer);
}

SaveResult WriteFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    const FileContent one {path, bytes};
    return WriteFilesTogether(std::span(&one, 1));
}

SaveResult WriteNewFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    std::string temp;
    if (const int error = WriteTemporary(path, 0600, bytes, temp))
        return Failed(path, error);
    // link() never replaces: an existing file of that name stays.
    const int error = ::link(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
    ::unlink(temp.c_str());
    if (error)
        return Failed(path, error);
    SyncFolder(FolderOf(path));
    return {path, {}};
}

SaveResult WriteFilesTogether(std::span<const FileContent> files)
{
    struct Staged {
        std::filesystem::path target;
        std::string temp;
        std::string previous; // a second name of the file being replaced
        bool placed = false;
    };
    std::vector<Staged> staged;
    const auto undo = [&staged] {
        for (Staged& file : staged) {
            if (file.placed) {
                if (file.previous.empty())
                    ::unlink(file.target.c_str());
                else if (::rename(file.previous.c_str(), file.target.c_str()) == 0)
                    file.previous.clear();
            }
            if (!file.temp.empty() && !file.placed)
                ::unlink(file.temp.c_str());
            if (!file.previous.empty())
                ::unlink(file.previous.c_str());
        }
    };
    for (const FileContent& content : files) {
        Staged file {FollowLinks(content.path), {}, {}, false};
        const int error
            = WriteTemporary(file.target, ModeFor(file.target), content.bytes, file.temp);
        if (error) {
            undo();
            return Failed(file.target, error);
        }
        staged.push_back(std::move(file));
    }
    // A set of files keeps a second name of each file it replaces, so that
    // a rename failing half way can put the earlier ones back.
    if (staged.size() > 1)
        for (Staged& file : staged) {
            struct stat st { };
            if (::lstat(file.target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            const std::string previous = file.temp + ".previous";
            if (::link(file.target.c_str(), previous.c_str()) != 0) {
                const int error = errno;
                undo();
                return Failed(file.target, error);
            }
            file.previous = previous;
        }
    for (Staged& file : staged) {
        if (::rename(file.temp.c_str(), file.target.c_str()) != 0) {
            const int error = errno;
            undo();
            return Failed(file.target, error);
        }
        file.placed = true;
    }
    for (const Staged& file : staged) {
        if (!file.previous.empty())
            ::unlink(file.previous.c_str());
        SyncFolder(FolderOf(file.target));
        if (g_saveObserver)
            g_saveObserver(file.target);
    }
    return {staged.empty() ? std::filesystem::path() : staged.back().target, {}};
}

} // namespace pelmora
