#pragma once

#include "platform/telephony/TelephonyBackend.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

// A phone line driven by code: tests, the simulator window and scripted demos
// make calls come in, ring, be answered and end. It records what the program
// asked of the line (drops, dial requests) and can be told to fail any line
// function. It ships as it is; there is no test-only variant.
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
    // When set (the default), a dropped call is disconnected right away, as
    // the network would report it; otherwise the test disconnects it.
    void SetDisconnectOnDrop(bool disconnect) { disconnectOnDrop_ = disconnect; }

    bool IsStarted() const { return events_ != nullptr; }
    const std::vector<CallId>& Drops() const { return drops_; }
    const std::vector<std::u16string>& DialRequests() const { return dials_; }
    uint32_t RingsOf(CallId call) const;

private:
    TelephonyEvents* events_ = nullptr;
    CallId nextCall_ = 0x100;
    std::map<CallId, uint32_t> rings_;
    std::map<LineFunction, int32_t> failures_;
    std::vector<CallId> drops_;
    std::vector<std::u16string> dials_;
    bool disconnectOnDrop_ = true;
};

} // namespace pelmora
