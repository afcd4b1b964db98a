#pragma once

#include "platform/telephony/Tapi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

using CallId = uint32_t; // non-zero for a real call

// What a telephony backend reports about the line's calls. Delivered on the
// UI thread.
class TelephonyEvents {
public:
    virtual ~TelephonyEvents() = default;
    virtual void OnOffering(CallId call, const std::optional<std::u16string>& callerId) = 0;
    // The platform's ring count for the call that is ringing.
    virtual void OnRing(uint32_t ringCount) = 0;
    virtual void OnConnected(CallId call) = 0;
    virtual void OnDisconnected(CallId call) = 0;
};

// The line functions, by name, so a backend can be told to fail one.
enum class LineFunction {
    Initialize,
    NegotiateAPIVersion,
    Open,
    SetStatusMessages,
    GetCallInfo,
    Drop,
    Close,
    Shutdown,
    RequestMakeCall,
};

// What the program passed to one line function, for backends that keep a
// trace of it (the simulated line does, so tests see every argument).
struct LineRequest {
    LineFunction function {};
    uint32_t handle = 0; // the application, line or call handle given
    uint32_t device = 0;
    uint32_t lowVersion = 0;
    uint32_t highVersion = 0;
    uint32_t apiVersion = 0;
    uint32_t extVersion = 0;
    uintptr_t instance = 0;
    uint32_t privileges = 0;
    uint32_t mediaModes = 0;
    uint32_t lineStates = 0;
    uint32_t addressStates = 0;
    // A block given along (call parameters or call information): its leading
    // 32-bit size field, and whether every byte after that field was zero.
    uint32_t blockSize = 0;
    bool blockCleared = false;
    std::u16string appName {};
    std::u16string number {}; // the destination of a call request
    // User-user information, a called-party name or a comment came along.
    bool extraGiven = false;
};

// A source of incoming calls and the two actions the program takes on the
// line. Backends: SimulatedLine (tests, demos) and the modem backend.
class TelephonyBackend {
public:
    virtual ~TelephonyBackend() = default;
    // Starts reporting to `events` until Stop; false when the line is unusable.
    virtual bool Start(TelephonyEvents* events) = 0;
    virtual void Stop() = 0;
    virtual void Drop(CallId call) = 0;
    virtual void PlaceCall(std::u16string_view number) = 0;
    // A non-zero result makes that line function fail with it.
    virtual int32_t FailureOf(LineFunction) const { return 0; }
    // The newest telephony version the line speaks (from 1.3 up to 2.0).
    virtual uint32_t HighestApiVersion() const { return tapi::kApiVersion20; }
    // The caller-ID flags the line reports with a number; a network may also
    // send a number that it flags as not to be shown.
    virtual uint32_t CallerIdFlags() const { return tapi::LINECALLPARTYID_ADDRESS; }
    // Every line function call, with its arguments, before it is carried out.
    virtual void Record(const LineRequest&) { }
};

// The backend behind the line functions (not owned; null means no telephony).
void SetTelephonyBackend(TelephonyBackend* backend);
TelephonyBackend* CurrentTelephonyBackend();

} // namespace pelmora
