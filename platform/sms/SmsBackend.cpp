#include "platform/sms/SmsBackend.h"

#include <map>
#include <memory>
#include <optional>

namespace pelmora {

namespace {
SmsBackend* g_backend = nullptr;
SmsOutcomeScope* g_scope = nullptr;
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

void ImmediateSmsBackend::StartSend(
    std::u16string_view number, std::u16string_view text, SmsPath path, SmsSendDone done)
{
    const bool accepted = Send(number, text, path);
    if (done)
        done(accepted ? SmsUpdate {SmsStatus::Sent} : SmsUpdate {SmsStatus::Refused, LastError()});
}

SmsOutcomeScope::SmsOutcomeScope(SmsSendDone done)
    : done_(std::move(done))
    , previous_(g_scope)
{
    g_scope = this;
}

SmsOutcomeScope::~SmsOutcomeScope()
{
    g_scope = previous_;
}

SmsSendDone SmsOutcomeScope::Take()
{
    if (handed_)
        return nullptr;
    handed_ = true;
    return std::move(done_);
}

bool HandToBackend(std::u16string_view number, std::u16string_view text, SmsPath path)
{
    SmsSendDone outcome = g_scope ? g_scope->Take() : nullptr;
    if (!g_backend) {
        if (outcome)
            outcome({SmsStatus::Refused, u"no SMS service is running"});
        return false;
    }
    struct Answer {
        bool returned = false;
        std::optional<bool> atOnce;
    };
    auto answer = std::make_shared<Answer>();
    g_backend->StartSend(
        number, text, path, [answer, outcome = std::move(outcome)](const SmsUpdate& update) {
            if (!answer->returned && !update.IsReport())
                answer->atOnce = update.Accepted();
            if (outcome)
                outcome(update);
        });
    answer->returned = true;
    return answer->atOnce.value_or(true);
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
