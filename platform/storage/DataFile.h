#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace pelmora {

// Reads at most `maxBytes` bytes of a file; nullopt when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFileBytes(
    const std::filesystem::path& path, size_t maxBytes = SIZE_MAX);

// Replaces a file's content without ever leaving it half written: the bytes go
// to a temporary file beside it, are flushed to disk, and one rename puts them
// in place. On any failure the previous file is untouched and false is returned.
bool WriteFileSafely(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Lets tests break a save half way: the next safe write fails once after
// `bytes` bytes of the new content were written. Cleared by each failing write.
void FailNextWriteAfter(size_t bytes);

// Lets tests see the order of saves: `observer` receives the path of every
// file a safe write put in place (none: nobody is told).
void SetSaveObserver(std::function<void(const std::filesystem::path&)> observer);

} // namespace pelmora
