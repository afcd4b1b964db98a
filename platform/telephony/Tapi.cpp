#include "platform/telephony/Tapi.h"

#include "platform/telephony/TelephonyBackend.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace pelmora {

namespace {

TelephonyBackend* g_backend = nullptr;

void PutU32(uint8_t* block, size_t offset, uint32_t value)
{
    std::memcpy(block + offset, &value, 4);
}
uint32_t GetU32(const uint8_t* block, size_t offset)
{
    uint32_t value;
    std::memcpy(&value, block + offset, 4);
    return value;
}

// The one telephony session of the process: the application handle, the open
// line and the calls the backend has reported. It turns backend events into
// the line callbacks of the registered application.
class TelephonySession final : public TelephonyEvents {
public:
    tapi::HLINEAPP app = 0;
    tapi::LineCallback callback = nullptr;
    tapi::HLINE line = 0;
    uintptr_t instance = 0;
    uint32_t privileges = 0;
    uint32_t statusStates = 0;
    std::map<CallId, std::optional<std::u16string>> calls;
    uint32_t nextHandle = 1;

    void OnOffering(CallId call, const std::optional<std::u16string>& callerId) override
    {
        if (!line)
            return;
        calls[call] = callerId;
        Deliver(call, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    }
    void OnRing(uint32_t ringCount) override
    {
        if (line && (statusStates & tapi::LINEDEVSTATE_RINGING))
            Deliver(line, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0, ringCount);
    }
    void OnConnected(CallId call) override
    {
        if (line)
            Deliver(call, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED,
                tapi::LINECONNECTEDMODE_ACTIVE, 0);
    }
    void OnDisconnected(CallId call) override
    {
        if (!line)
            return;
        Deliver(call, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED,
            tapi::LINEDISCONNECTMODE_NORMAL, 0);
        calls.erase(call);
    }

private:
    void Deliver(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3)
    {
        if (callback)
            callback(device, message, instance, p1, p2, p3);
    }
};

TelephonySession& Session()
{
    static TelephonySession session;
    return session;
}

int32_t Failure(LineFunction function)
{
    return g_backend ? g_backend->FailureOf(function) : 0;
}

uint32_t HighestVersion()
{
    return g_backend ? g_backend->HighestApiVersion() : tapi::kApiVersion20;
}

void Record(const LineRequest& request)
{
    if (g_backend)
        g_backend->Record(request);
}

// The leading size field of a block and whether the rest of it is zero.
void DescribeBlock(const uint8_t* block, LineRequest& request)
{
    if (!block)
        return;
    request.blockSize = GetU32(block, 0);
    request.blockCleared = std::all_of(block + 4, block + std::max<uint32_t>(request.blockSize, 4),
        [](uint8_t byte) { return byte == 0; });
}

std::u16string Text(const char16_t* text)
{
    return text ? std::u16string(text) : std::u16string();
}

} // namespace

void SetTelephonyBackend(TelephonyBackend* backend)
{
    g_backend = backend;
}
TelephonyBackend* CurrentTelephonyBackend()
{
    return g_backend;
}

namespace tapi {

int32_t lineInitialize(
    HLINEAPP* lineApp, void*, LineCallback callback, const char16_t* appName, uint32_t* numDevices)
{
    Record({.function = LineFunction::Initialize, .appName = Text(appName)});
    if (!lineApp || !callback)
        return LINEERR_INVALPOINTER;
    if (!appName || !*appName)
        return LINEERR_INVALAPPNAME;
    if (!g_backend)
        return LINEERR_NODRIVER;
    if (int32_t failure = Failure(LineFunction::Initialize))
        return failure;
    TelephonySession& session = Session();
    session.app = session.nextHandle++;
    session.callback = callback;
    *lineApp = session.app;
    if (numDevices)
        *numDevices = 1;
    return 0;
}

int32_t lineNegotiateAPIVersion(HLINEAPP lineApp, uint32_t deviceId, uint32_t lowVersion,
    uint32_t highVersion, uint32_t* apiVersion, uint64_t* extensionId)
{
    Record({.function = LineFunction::NegotiateAPIVersion,
        .handle = lineApp,
        .device = deviceId,
        .lowVersion = lowVersion,
        .highVersion = highVersion});
    if (lineApp == 0 || lineApp != Session().app)
        return LINEERR_INVALAPPHANDLE;
    if (deviceId != 0)
        return LINEERR_BADDEVICEID;
    if (!apiVersion)
        return LINEERR_INVALPOINTER;
    if (int32_t failure = Failure(LineFunction::NegotiateAPIVersion))
        return failure;
    const uint32_t highest = HighestVersion();
    if (lowVersion > highest || highVersion < kApiVersion13)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = std::min(highVersion, highest);
    if (extensionId)
        *extensionId = 0;
    return 0;
}

int32_t lineOpen(HLINEAPP lineApp, uint32_t deviceId, HLINE* line, uint32_t apiVersion,
    uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges, uint32_t mediaModes,
    const uint8_t* callParams)
{
    LineRequest request {.function = LineFunction::Open,
        .handle = lineApp,
        .device = deviceId,
        .apiVersion = apiVersion,
        .extVersion = extVersion,
        .instance = callbackInstance,
        .privileges = privileges,
        .mediaModes = mediaModes};
    DescribeBlock(callParams, request);
    Record(request);
    TelephonySession& session = Session();
    if (lineApp == 0 || lineApp != session.app)
        return LINEERR_INVALAPPHANDLE;
    if (deviceId != 0)
        return LINEERR_BADDEVICEID;
    if (!line)
        return LINEERR_INVALPOINTER;
    if (apiVersion < kApiVersion13 || apiVersion > HighestVersion())
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (callParams && GetU32(callParams, 0) < 4)
        return LINEERR_STRUCTURETOOSMALL;
    if (int32_t failure = Failure(LineFunction::Open))
        return failure;
    if (!g_backend->Start(&session))
        return LINEERR_OPERATIONFAILED;
    session.line = session.nextHandle++;
    session.instance = callbackInstance;
    session.privileges = privileges;
    session.statusStates = 0;
    *line = session.line;
    return 0;
}

int32_t lineSetStatusMessages(HLINE line, uint32_t lineStates, uint32_t addressStates)
{
    Record({.function = LineFunction::SetStatusMessages,
        .handle = line,
        .lineStates = lineStates,
        .addressStates = addressStates});
    TelephonySession& session = Session();
    if (line == 0 || line != session.line)
        return LINEERR_INVALLINEHANDLE;
    if (int32_t failure = Failure(LineFunction::SetStatusMessages))
        return failure;
    session.statusStates = lineStates;
    return 0;
}

int32_t lineGetCallInfo(HCALL call, uint8_t* block)
{
    LineRequest request {.function = LineFunction::GetCallInfo, .handle = call};
    DescribeBlock(block, request);
    Record(request);
    if (!block)
        return LINEERR_INVALPOINTER;
    const uint32_t total = GetU32(block, 0);
    if (total < kCallInfoVariablePart)
        return LINEERR_STRUCTURETOOSMALL;
    if (int32_t failure = Failure(LineFunction::GetCallInfo))
        return failure;
    TelephonySession& session = Session();
    auto it = session.calls.find(call);
    if (it == session.calls.end())
        return LINEERR_INVALCALLHANDLE;
    PutU32(block, kCallInfoLineOffset, session.line);
    PutU32(block, kCallInfoMediaModeOffset, LINEMEDIAMODE_INTERACTIVEVOICE);
    PutU32(block, kCallInfoCallIdOffset, call);
    PutU32(block, kCallInfoOriginOffset, LINECALLORIGIN_INBOUND);
    uint32_t used = kCallInfoVariablePart;
    uint32_t needed = kCallInfoVariablePart;
    if (it->second) {
        // A caller ID longer than the variable part is cut to what fits,
        // keeping its terminator; the needed size tells the whole length.
        const std::u16string& text = *it->second;
        const size_t room = (total - kCallInfoVariablePart) / 2;
        const size_t units = room == 0 ? 0 : std::min(text.size(), room - 1);
        for (size_t i = 0; i < units; ++i) {
            const uint16_t unit = static_cast<uint16_t>(text[i]);
            std::memcpy(block + kCallInfoVariablePart + 2 * i, &unit, 2);
        }
        if (room > 0) {
            std::memset(block + kCallInfoVariablePart + 2 * units, 0, 2);
            used += static_cast<uint32_t>(2 * (units + 1));
        }
        needed += static_cast<uint32_t>(2 * (text.size() + 1));
        PutU32(block, kCallerIdFlagsOffset,
            g_backend ? g_backend->CallerIdFlags() : LINECALLPARTYID_ADDRESS);
        PutU32(block, kCallerIdSizeOffset, room > 0 ? static_cast<uint32_t>(2 * (units + 1)) : 0);
        PutU32(block, kCallerIdOffsetOffset,
            room > 0 ? static_cast<uint32_t>(kCallInfoVariablePart) : 0);
    } else {
        PutU32(block, kCallerIdFlagsOffset, LINECALLPARTYID_UNKNOWN);
        PutU32(block, kCallerIdSizeOffset, 0);
        PutU32(block, kCallerIdOffsetOffset, 0);
    }
    PutU32(block, kCallInfoNeededSizeOffset, needed);
    PutU32(block, kCallInfoUsedSizeOffset, used);
    return 0;
}

int32_t lineDrop(HCALL call, const char* userUserInfo, uint32_t size)
{
    Record({.function = LineFunction::Drop,
        .handle = call,
        .extraGiven = userUserInfo != nullptr || size != 0});
    TelephonySession& session = Session();
    if (!session.line || !session.calls.contains(call))
        return LINEERR_INVALCALLHANDLE;
    if (!(session.privileges & LINECALLPRIVILEGE_OWNER))
        return LINEERR_NOTOWNER;
    if (int32_t failure = Failure(LineFunction::Drop))
        return failure;
    g_backend->Drop(call);
    return 1; // the request id of the asynchronous drop
}

int32_t lineClose(HLINE line)
{
    Record({.function = LineFunction::Close, .handle = line});
    TelephonySession& session = Session();
    if (line == 0 || line != session.line)
        return LINEERR_INVALLINEHANDLE;
    if (int32_t failure = Failure(LineFunction::Close))
        return failure;
    if (g_backend)
        g_backend->Stop();
    session.line = 0;
    session.instance = 0;
    session.calls.clear();
    return 0;
}

int32_t lineShutdown(HLINEAPP lineApp)
{
    Record({.function = LineFunction::Shutdown, .handle = lineApp});
    TelephonySession& session = Session();
    if (lineApp == 0 || lineApp != session.app)
        return LINEERR_INVALAPPHANDLE;
    if (int32_t failure = Failure(LineFunction::Shutdown))
        return failure;
    if (session.line) {
        if (g_backend)
            g_backend->Stop();
        session.line = 0;
        session.calls.clear();
    }
    session.app = 0;
    session.callback = nullptr;
    return 0;
}

int32_t tapiRequestMakeCall(const char16_t* destAddress, const char16_t* appName,
    const char16_t* calledParty, const char16_t* comment)
{
    Record({.function = LineFunction::RequestMakeCall,
        .appName = Text(appName),
        .number = Text(destAddress),
        .extraGiven = calledParty != nullptr || comment != nullptr});
    if (!destAddress || !*destAddress)
        return LINEERR_INVALPOINTER;
    if (!g_backend)
        return LINEERR_NODRIVER;
    if (int32_t failure = Failure(LineFunction::RequestMakeCall))
        return failure;
    g_backend->PlaceCall(destAddress);
    return 0;
}

} // namespace tapi
} // namespace pelmora
