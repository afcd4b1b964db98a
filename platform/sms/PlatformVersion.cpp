#include "platform/sms/PlatformVersion.h"

#include <cstring>

namespace pelmora {

namespace {
uint32_t g_major = 5;
}

void SetPlatformMajorVersion(uint32_t major)
{
    g_major = major;
}

bool GetVersionEx(uint8_t* info)
{
    uint32_t size;
    if (!info)
        return false;
    std::memcpy(&size, info, 4);
    if (size < kVersionInfoSize)
        return false;
    const uint32_t fields[4] = {g_major, 1, 0, 3};
    std::memcpy(info + kVersionMajorOffset, fields, sizeof fields);
    return true;
}

} // namespace pelmora
