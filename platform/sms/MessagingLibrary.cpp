#include "platform/sms/MessagingLibrary.h"

#include "platform/sms/SmsBackend.h"

#include <string_view>

namespace pelmora {

namespace {
bool g_exported = false;
int g_loaded = 0;
int g_module = 0; // its address is the module handle

int32_t DirectSend(const char16_t* number, const char16_t* text, uint32_t)
{
    if (!number || !text)
        return -1;
    if (int32_t failure = SmsCallFailure(SmsCall::DirectSend))
        return failure;
    return HandToBackend(number, text, SmsPath::Direct) ? 0 : -1;
}
} // namespace

void SetDirectSendExported(bool exported)
{
    g_exported = exported;
}
int LoadedLibraries()
{
    return g_loaded;
}

HMODULE LoadLibrary(const char16_t* name)
{
    if (!name || std::u16string_view(name) != u"cemapi.dll")
        return nullptr;
    if (SmsCallFailure(SmsCall::LoadMessagingLibrary))
        return nullptr;
    ++g_loaded;
    return &g_module;
}

DirectSendFunction GetProcAddress(HMODULE module, uint16_t ordinal)
{
    if (module != &g_module || ordinal != kDirectSendOrdinal || !g_exported)
        return nullptr;
    return &DirectSend;
}

bool FreeLibrary(HMODULE module)
{
    if (module != &g_module || g_loaded == 0)
        return false;
    --g_loaded;
    return true;
}

} // namespace pelmora
