#pragma once

#include "monitor/MessageStoreLink.h"

#include <cstdint>
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

    bool Init();
    // True when the platform accepted the message.
    bool Send(std::u16string_view text, std::u16string_view number);

    uint8_t useMessageStore = 0;
    CMessageStoreLink storeLink;

private:
    bool SendThroughSmsApi(std::u16string_view text, std::u16string_view number);
};

} // namespace pelmora
