#pragma once

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
};

// The backend behind the line functions (not owned; null means no telephony).
void SetTelephonyBackend(TelephonyBackend* backend);
TelephonyBackend* CurrentTelephonyBackend();

} // namespace pelmora
