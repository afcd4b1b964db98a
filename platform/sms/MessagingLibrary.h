#pragma once

#include <cstddef>
#include <cstdint>

namespace pelmora {

// The messaging library "cemapi.dll" as a loadable module. Some builds of it
// export a direct-send entry point under ordinal 48; whether this one does is
// configurable (off by default, so the message store is used).
using HMODULE = void*;
using DirectSendFunction
    = int32_t (*)(const char16_t* number, const char16_t* text, uint32_t flags);

constexpr uint16_t kDirectSendOrdinal = 48;

HMODULE LoadLibrary(const char16_t* name);
DirectSendFunction GetProcAddress(HMODULE module, uint16_t ordinal);
bool FreeLibrary(HMODULE module);

void SetDirectSendExported(bool exported);
int LoadedLibraries();

} // namespace pelmora
