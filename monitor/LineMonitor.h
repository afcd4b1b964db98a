#pragma once

#include "platform/WindowMessage.h"
#include "platform/telephony/Tapi.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pelmora {

// Follows one incoming call at a time on the phone line while monitoring is
// on: counts its rings, hangs it up at the chosen ring count, and reports an
// unanswered call with a caller ID to the notify window as WM_MISSEDCALL.
// The number is passed on exactly as the line delivered it.
class CLineMonitor {
public:
    CLineMonitor();
    virtual ~CLineMonitor();
    CLineMonitor(const CLineMonitor&) = delete;
    CLineMonitor& operator=(const CLineMonitor&) = delete;

    // hangupRings: -1 never, else 0..20. False (and nothing changed) when
    // already open; false with the fields reset when the line cannot be opened.
    bool Open(MessageWindow* notifyWindow, int32_t hangupRings);
    void Close();
    // Asks the phone application to call `number`; numbers of more than 81
    // characters are refused, since a cut number would call someone else.
    void DialNumber(std::u16string_view number);

    static void LineCallback(uint32_t device, uint32_t message, uintptr_t instance, uint32_t param1,
        uint32_t param2, uint32_t param3);

    bool IsOpen() const { return isOpen != 0; }

    // Lets tests make the call-information block unobtainable.
    using BlockAllocator = std::function<std::unique_ptr<uint8_t[]>(size_t)>;
    void SetBlockAllocatorForTesting(BlockAllocator allocator) { allocate_ = std::move(allocator); }

    uint8_t isOpen = 0;
    MessageWindow* notifyWindow = nullptr;
    tapi::HLINEAPP lineApp = 0;
    tapi::HLINE line = 0;
    tapi::HCALL call = 0;
    int32_t ringCount = -1;
    int32_t hangupRings = -1;
    uint8_t answered = 0;
    std::u16string callerNumber;

    static constexpr size_t kMaxCallerIdBytes = 200; // 99 characters and the terminator
    static constexpr size_t kDialBufferChars = 82;

private:
    void ResetFields();
    void OnRing(uint32_t platformRingCount);
    void OnCallState(uint32_t device, uint32_t state, uint32_t mode);
    void TakeCallerId();

    BlockAllocator allocate_;
};

} // namespace pelmora
