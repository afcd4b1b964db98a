#include "platform/sms/SmsBackend.h"

#include <map>

namespace pelmora {

namespace {
SmsBackend* g_backend = nullptr;
std::map<SmsCall, int32_t>& Failures()
{
    static std::map<SmsCall, int32_t> failures;
    return failures;
}
} // namespace

std::string_view SmsPathName(SmsPath path)
{
    switch (path) {
    case SmsPath::SmsApi:
        return "sms-api";
    case SmsPath::MessageStore:
        return "message-store";
    case SmsPath::Direct:
        return "direct";
    }
    return "sms-api";
}

void SetSmsBackend(SmsBackend* backend)
{
    g_backend = backend;
}
SmsBackend* CurrentSmsBackend()
{
    return g_backend;
}

void FailSmsCall(SmsCall call, int32_t code)
{
    Failures()[call] = code;
}
void ClearSmsFailures()
{
    Failures().clear();
}

int32_t SmsCallFailure(SmsCall call)
{
    auto it = Failures().find(call);
    return it == Failures().end() ? 0 : it->second;
}

} // namespace pelmora
