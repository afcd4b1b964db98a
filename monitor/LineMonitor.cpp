#include "monitor/LineMonitor.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace pelmora {

namespace {
constexpr char16_t kLineAppName[] = u"Pelmora-Line";
constexpr char16_t kProductName[] = u"Pelmora";

uint32_t ReadU32(const uint8_t* block, size_t offset)
{
    uint32_t value;
    std::memcpy(&value, block + offset, 4);
    return value;
}
} // namespace

CLineMonitor::CLineMonitor()
    : allocate_(
        [](size_t size) { return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]); })
{
}

CLineMonitor::~CLineMonitor()
{
    Close();
}

void CLineMonitor::ResetFields()
{
    isOpen = 0;
    notifyWindow = nullptr;
    lineApp = 0;
    line = 0;
    ringCount = -1;
    hangupRings = -1;
}

bool CLineMonitor::Open(MessageWindow* window, int32_t rings)
{
    if (isOpen)
        return false;
    notifyWindow = window;
    hangupRings = rings;

    uint32_t devices = 0;
    if (tapi::lineInitialize(&lineApp, nullptr, &CLineMonitor::LineCallback, kLineAppName, &devices)
        != 0) {
        ResetFields();
        return false;
    }
    uint32_t version = 0;
    uint64_t extension = 0;
    if (tapi::lineNegotiateAPIVersion(
            lineApp, 0, tapi::kApiVersion13, tapi::kApiVersion20, &version, &extension)
        != 0) {
        tapi::lineShutdown(lineApp);
        ResetFields();
        return false;
    }
    // Only an owner may drop a call, so hanging up needs the owner privilege.
    const uint32_t privileges = hangupRings == -1
        ? tapi::LINECALLPRIVILEGE_MONITOR
        : tapi::LINECALLPRIVILEGE_MONITOR | tapi::LINECALLPRIVILEGE_OWNER;
    uint8_t params[tapi::kLineCallParamsSize] = {};
    const uint32_t paramsSize = tapi::kLineCallParamsSize;
    std::memcpy(params, &paramsSize, 4);
    if (tapi::lineOpen(lineApp, 0, &line, version, 0, reinterpret_cast<uintptr_t>(this), privileges,
            tapi::LINEMEDIAMODE_INTERACTIVEVOICE, params)
        != 0) {
        tapi::lineShutdown(lineApp);
        ResetFields();
        return false;
    }
    if (tapi::lineSetStatusMessages(line, tapi::LINEDEVSTATE_RINGING, 0) != 0) {
        tapi::lineClose(line);
        tapi::lineShutdown(lineApp);
        ResetFields();
        return false;
    }
    isOpen = 1;
    return true;
}

void CLineMonitor::Close()
{
    if (!isOpen)
        return;
    tapi::lineClose(line);
    tapi::lineShutdown(lineApp);
    ResetFields();
}

void CLineMonitor::LineCallback(uint32_t device, uint32_t message, uintptr_t instance,
    uint32_t param1, uint32_t param2, uint32_t param3)
{
    auto* monitor = reinterpret_cast<CLineMonitor*>(instance);
    if (!monitor)
        return;
    if (message == tapi::LINE_LINEDEVSTATE && param1 == tapi::LINEDEVSTATE_RINGING)
        monitor->OnRing(param3);
    else if (message == tapi::LINE_CALLSTATE)
        monitor->OnCallState(device, param1, param2);
}

void CLineMonitor::OnRing(uint32_t platformRingCount)
{
    if (ringCount != -1)
        ringCount = static_cast<int32_t>(platformRingCount);
    // Tested on every ring, so a call that keeps ringing after the drop
    // request is dropped again.
    if (hangupRings != -1 && ringCount >= hangupRings)
        tapi::lineDrop(call, nullptr, 0);
}

void CLineMonitor::OnCallState(uint32_t device, uint32_t state, uint32_t mode)
{
    call = device;
    switch (state) {
    case tapi::LINECALLSTATE_OFFERING:
        if (device == 0)
            return;
        if (ringCount == -1)
            ringCount = 0;
        TakeCallerId();
        break;
    case tapi::LINECALLSTATE_CONNECTED:
        if (mode == tapi::LINECONNECTEDMODE_ACTIVE)
            answered = 1;
        break;
    case tapi::LINECALLSTATE_DISCONNECTED:
        if (!callerNumber.empty() && !answered && notifyWindow) {
            // A synchronous send: the handler copies the number and finishes
            // before the per-call state below is reset.
            notifyWindow->SendWindowMessage(
                WM_MISSEDCALL, reinterpret_cast<uintptr_t>(&callerNumber), ringCount);
        }
        callerNumber.clear();
        answered = 0;
        ringCount = -1;
        break;
    default:
        break;
    }
}

void CLineMonitor::TakeCallerId()
{
    // Without a block the call is followed as one without caller ID.
    std::unique_ptr<uint8_t[]> block = allocate_(tapi::kLineCallInfoSize);
    if (!block)
        return;
    std::memset(block.get(), 0, tapi::kLineCallInfoSize);
    const uint32_t total = tapi::kLineCallInfoSize;
    std::memcpy(block.get(), &total, 4);
    tapi::lineGetCallInfo(call, block.get());

    if (!(ReadU32(block.get(), tapi::kCallerIdFlagsOffset) & tapi::LINECALLPARTYID_ADDRESS))
        return;
    const size_t offset = ReadU32(block.get(), tapi::kCallerIdOffsetOffset);
    size_t size = ReadU32(block.get(), tapi::kCallerIdSizeOffset);
    // The text must lie inside the block; at most 200 bytes are kept, the
    // last unit of which is the terminator, so longer IDs keep 99 characters.
    if (offset >= tapi::kLineCallInfoSize)
        return;
    size = std::min({size, tapi::kLineCallInfoSize - offset, kMaxCallerIdBytes});
    const size_t units = std::min(size / 2, kMaxCallerIdBytes / 2 - 1);
    std::u16string text;
    for (size_t i = 0; i < units; ++i) {
        uint16_t unit;
        std::memcpy(&unit, block.get() + offset + 2 * i, 2);
        if (unit == 0)
            break;
        text.push_back(static_cast<char16_t>(unit));
    }
    callerNumber = std::move(text);
}

void CLineMonitor::DialNumber(std::u16string_view number)
{
    if (number.size() >= kDialBufferChars)
        return;
    char16_t buffer[kDialBufferChars] = {};
    std::copy(number.begin(), number.end(), buffer);
    tapi::tapiRequestMakeCall(buffer, kProductName, nullptr, nullptr);
}

} // namespace pelmora
