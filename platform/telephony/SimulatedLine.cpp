#include "platform/telephony/SimulatedLine.h"

namespace pelmora {

bool SimulatedLine::Start(TelephonyEvents* events)
{
    events_ = events;
    return true;
}

void SimulatedLine::Stop()
{
    events_ = nullptr;
}

void SimulatedLine::Drop(CallId call)
{
    drops_.push_back(call);
    if (listener_)
        listener_->OnDrop(call);
    if (disconnectOnDrop_ && rings_.contains(call))
        Disconnect(call);
}

void SimulatedLine::PlaceCall(std::u16string_view number)
{
    dials_.emplace_back(number);
    if (listener_)
        listener_->OnPlaceCall(number);
}

uint32_t SimulatedLine::RunCall(
    std::optional<std::u16string> callerId, uint32_t rings, bool answered)
{
    const CallId call = IncomingCall(std::move(callerId));
    uint32_t rung = 0;
    for (; rung < rings && IsActive(call); ++rung)
        Ring(call);
    if (answered)
        Answer(call);
    Disconnect(call);
    return rung;
}

int32_t SimulatedLine::FailureOf(LineFunction function) const
{
    auto it = failures_.find(function);
    return it == failures_.end() ? 0 : it->second;
}

CallId SimulatedLine::IncomingCall(std::optional<std::u16string> callerId)
{
    const CallId call = nextCall_++;
    rings_[call] = 0;
    if (events_)
        events_->OnOffering(call, callerId);
    return call;
}

void SimulatedLine::Ring(CallId call)
{
    auto it = rings_.find(call);
    if (it == rings_.end())
        return;
    ++it->second;
    if (events_)
        events_->OnRing(it->second);
}

void SimulatedLine::RingWithCount(uint32_t count)
{
    if (events_)
        events_->OnRing(count);
}

void SimulatedLine::Answer(CallId call)
{
    if (rings_.contains(call) && events_)
        events_->OnConnected(call);
}

void SimulatedLine::Disconnect(CallId call)
{
    if (rings_.erase(call) == 0)
        return;
    if (events_)
        events_->OnDisconnected(call);
}

CallId SimulatedLine::OutgoingCallConnected()
{
    const CallId call = nextCall_++;
    rings_[call] = 0;
    if (events_)
        events_->OnConnected(call);
    return call;
}

void SimulatedLine::SetFailure(LineFunction function, int32_t code)
{
    failures_[function] = code;
}

std::vector<LineFunction> SimulatedLine::RequestedFunctions() const
{
    std::vector<LineFunction> functions;
    for (const LineRequest& request : requests_)
        functions.push_back(request.function);
    return functions;
}

uint32_t SimulatedLine::RingsOf(CallId call) const
{
    auto it = rings_.find(call);
    return it == rings_.end() ? 0 : it->second;
}

} // namespace pelmora
