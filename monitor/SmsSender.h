#pragma once

#include "monitor/MessageStoreLink.h"
#include "platform/sms/SmsBackend.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace pelmora {

// Sends one text to one number, through the SMS interface on platforms
// before major version 5 and through the messaging store from 5 on.
class CSmsSender {
public:
    CSmsSender() = default;
    virtual ~CSmsSender() = default;
    CSmsSender(const CSmsSender&) = delete;
    CSmsSender& operator=(const CSmsSender&) = delete;

    using SendDone = SmsSendDone;

    bool Init();
    // Hands the text over; `done` learns once whether the platform accepted
    // it: before this returns when the platform knows at once, later on this
    // thread when a modem has to answer first. A delivery report, when one
    // was asked for, follows later still.
    void Send(std::u16string_view text, std::u16string_view number, SendDone done);

    uint8_t useMessageStore = 0;
    CMessageStoreLink storeLink;

private:
    bool SendThroughSmsApi(std::u16string_view text, std::u16string_view number);
};

} // namespace pelmora
