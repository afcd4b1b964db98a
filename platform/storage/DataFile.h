#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelmora {

// What reading a file found. A file that is there but cannot be read
// (permission, not a regular file, an input error) is never taken for a
// missing one: the caller must not replace what it could not see.
struct FileRead {
    enum class Status { Read, Missing, Unreadable };
    Status status = Status::Missing;
    std::vector<uint8_t> bytes;
    int error = 0; // the system's error number when Unreadable
};
FileRead ReadDataFile(const std::filesystem::path& path, size_t maxBytes = SIZE_MAX);

// Reads at most `maxBytes` bytes of a file; nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadFileBytes(
    const std::filesystem::path& path, size_t maxBytes = SIZE_MAX);

// The outcome of a write: the file written (a symbolic link's target) and,
// when it failed, why, in the system's words.
struct SaveResult {
    std::filesystem::path file;
    std::string reason; // empty when everything was written

    bool Ok() const { return reason.empty(); }
    explicit operator bool() const { return Ok(); }
};

// Replaces a file's content without ever leaving it half written: the bytes
// go to a new temporary file of a unique name beside it (never an existing
// file or a link), are synced to disk, one rename puts them in place and the
// folder is synced. A symbolic link is followed to its target, which is
// replaced; the link stays. The file is private to its owner: 0600, or the
// narrower mode the previous file had. On any failure the previous file is
// untouched.
SaveResult WriteFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Writes a new file (mode 0600) safely as above, but only where nothing is:
// an existing file of that name makes it fail with "File exists".
SaveResult WriteNewFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Replaces several files together: every new content is written and synced
// to a temporary file first, then all are renamed into place. When any step
// fails the temporaries are removed and every file is as it was before (a
// rename already made is undone). The result names the file that failed.
struct FileContent {
    std::filesystem::path path;
    std::span<const uint8_t> bytes;
};
SaveResult WriteFilesTogether(std::span<const FileContent> files);

// Writes all of `bytes` to `fd`, going on after short writes; 0, or the
// system's error number of the write that failed.
int WriteBytes(int fd, std::span<const uint8_t> bytes);

// Lets tests break a write half way, as a full disk does: the write after
// the next `skip` ones (of WriteBytes, so of every safe write and of the
// outbox) stops after `bytes` bytes and fails with "No space left on device".
void FailNextWriteAfter(size_t bytes, int skip = 0);

// Lets tests see the order of saves: `observer` receives the path of every
// file a safe write put in place (none: nobody is told).
void SetSaveObserver(std::function<void(const std::filesystem::path&)> observer);

// The narrowest of 0600 and `mode`'s owner bits: what a file Pelmora
// writes gets, so a save never widens the user's choice.
unsigned PrivateMode(unsigned mode);
// Narrows a file someone else wrote for Pelmora (Qt's settings file) to
// PrivateMode of its mode.
void MakePrivate(const std::filesystem::path& path);

} // namespace pelmora
