#pragma once

#include <cstddef>
#include <cstdint>

namespace pelmora {

// The platform version query: fills a 276-byte version block (size, major,
// minor, build, platform id, 128 UTF-16 characters) whose size field the
// caller sets. The major version is 5 unless configured otherwise.
constexpr size_t kVersionInfoSize = 276;
constexpr size_t kVersionMajorOffset = 4;
bool GetVersionEx(uint8_t* versionInfo);

void SetPlatformMajorVersion(uint32_t major);

} // namespace pelmora
