#pragma once

#include "platform/sms/SmsBackend.h"

#include <QVariantMap>

namespace pelmora {

class ModemManagerClient;

// Sends texts through ModemManager's first modem with messaging: the message
// is created with the number and the text, then sent; a failure or time-out
// of either step is a failed send. The message object is deleted afterwards
// whatever the outcome: ModemManager keeps every message it was given until
// it is deleted, so an answering machine that left them would grow that list
// for as long as the phone runs, and Pelmora's call log already records each
// reply. A failed message deleted is also one nobody sends later by mistake.
// Every step is an asynchronous call: sending waits for the network, and the
// window goes on following calls meanwhile.
class ModemManagerSms final : public SmsBackend {
public:
    explicit ModemManagerSms(ModemManagerClient& client);
    ModemManagerSms(const ModemManagerSms&) = delete;
    ModemManagerSms& operator=(const ModemManagerSms&) = delete;

    // `done` follows once ModemManager has sent the message, refused it or
    // not answered in time.
    void StartSend(std::u16string_view number, std::u16string_view text, SmsPath path,
        SmsSendDone done) override;

private:
    static void Create(ModemManagerClient& client, const QVariantMap& properties, SmsSendDone done);

    ModemManagerClient& client_;
};

} // namespace pelmora
