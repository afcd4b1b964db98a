#pragma once

#include "platform/telephony/TelephonyBackend.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

// A phone line driven by code: tests, the simulator window and scripted demos
// make calls come in, ring, be answered and end. It records what the program
// asked of the line (every line function with its arguments, drops, dial
// requests), can be told to fail any line function, to speak an older
// telephony version or to flag caller IDs otherwise. It ships as it is; there
// is no test-only variant.
class SimulatedLine final : public TelephonyBackend {
public:
    SimulatedLine() = default;
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // TelephonyBackend
    bool Start(TelephonyEvents* events) override;
    void Stop() override;
    void Drop(CallId call) override;
    void PlaceCall(std::u16string_view number) override;
    int32_t FailureOf(LineFunction function) const override;
    uint32_t HighestApiVersion() const override { return highestVersion_; }
    uint32_t CallerIdFlags() const override { return callerIdFlags_; }
    void Record(const LineRequest& request) override { requests_.push_back(request); }

    // What the program does to the line, told as it happens (before the drop
    // ends the call), for the simulator's displays.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void OnDrop(CallId call) = 0;
        virtual void OnPlaceCall(std::u16string_view number) = 0;
    };
    // Not owned; null for none.
    void SetListener(Listener* listener) { listener_ = listener; }

    // A whole incoming call: offered with `callerId`, `rings` rings (counts
    // 1..rings; none after the program dropped the call), answered when
    // `answered`, then ended. Returns the rings it rang.
    uint32_t RunCall(std::optional<std::u16string> callerId, uint32_t rings, bool answered);
    // Whether the call is still on the line (not ended nor dropped).
    bool IsActive(CallId call) const { return rings_.contains(call); }

    // Simulation: an incoming call with or without caller ID; returns its id.
    CallId IncomingCall(std::optional<std::u16string> callerId);
    // One more ring of the call; reported with the platform's running count.
    void Ring(CallId call);
    // A ring notification that names a count of its own.
    void RingWithCount(uint32_t count);
    void Answer(CallId call);
    // The call ends (caller hung up, user rejected it, or it was dropped).
    void Disconnect(CallId call);
    // An outgoing call of the phone application that connects.
    CallId OutgoingCallConnected();

    // Makes a line function fail with `code` until cleared.
    void SetFailure(LineFunction function, int32_t code);
    void ClearFailures() { failures_.clear(); }
    // The newest telephony version the line agrees to (2.0 by default).
    void SetHighestApiVersion(uint32_t version) { highestVersion_ = version; }
    // The caller-ID flags reported with numbers from now on (the address
    // flag by default).
    void SetCallerIdFlags(uint32_t flags) { callerIdFlags_ = flags; }
    // When set (the default), a dropped call is disconnected right away, as
    // the network would report it; otherwise the test disconnects it.
    void SetDisconnectOnDrop(bool disconnect) { disconnectOnDrop_ = disconnect; }

    bool IsStarted() const { return events_ != nullptr; }
    const std::vector<CallId>& Drops() const { return drops_; }
    const std::vector<std::u16string>& DialRequests() const { return dials_; }
    // Every line function the program called, in order, with its arguments.
    const std::vector<LineRequest>& Requests() const { return requests_; }
    std::vector<LineFunction> RequestedFunctions() const;
    void ClearRequests() { requests_.clear(); }
    uint32_t RingsOf(CallId call) const;

private:
    TelephonyEvents* events_ = nullptr;
    Listener* listener_ = nullptr;
    CallId nextCall_ = 0x100;
    std::map<CallId, uint32_t> rings_;
    std::map<LineFunction, int32_t> failures_;
    std::vector<CallId> drops_;
    std::vector<std::u16string> dials_;
    bool disconnectOnDrop_ = true;
    uint32_t callerIdFlags_ = tapi::LINECALLPARTYID_ADDRESS;
    uint32_t highestVersion_ = tapi::kApiVersion20;
    std::vector<LineRequest> requests_;
};

} // namespace pelmora
