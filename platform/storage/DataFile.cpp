#include "platform/storage/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace pelmora {

namespace {

std::optional<size_t> g_failAfter;
std::function<void(const std::filesystem::path&)> g_saveObserver;

bool WriteAll(int fd, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    size_t limit = bytes.size();
    bool injected = false;
    if (g_failAfter && *g_failAfter < limit) {
        limit = *g_failAfter;
        injected = true;
    }
    g_failAfter.reset();
    while (done < limit) {
        const ssize_t n = ::write(fd, bytes.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return !injected;
}

} // namespace

std::optional<std::vector<uint8_t>> ReadFileBytes(
    const std::filesystem::path& path, size_t maxBytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[8192];
    while (bytes.size() < maxBytes) {
        const size_t want = std::min(sizeof chunk, maxBytes - bytes.size());
        const size_t got = std::fread(chunk, 1, want, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < want)
            break;
    }
    std::fclose(file);
    return bytes;
}

void FailNextWriteAfter(size_t bytes)
{
    g_failAfter = bytes;
}

void SetSaveObserver(std::function<void(const std::filesystem::path&)> observer)
{
    g_saveObserver = std::move(observer);
}

bool WriteFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    const std::string temp = path.string() + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        g_failAfter.reset();
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    else if (g_saveObserver)
        g_saveObserver(path);
    return ok;
}

} // namespace pelmora
