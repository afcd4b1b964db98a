#pragma once

#include "platform/sms/SmsBackend.h"

#include <QDateTime>
#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace pelmora {

// The SMS backend of machines without a modem: every accepted message is
// appended to "outbox.jsonl" as one JSON object per line, which tests, demos
// and the simulator read. Like a network it then reports each message's
// delivery, after `DeliveryDelayMs` (through the timer service when one is
// installed): delivered, unless the simulator asked for a failure.
class OutboxSmsBackend final : public ImmediateSmsBackend {
public:
    using Clock = std::function<QDateTime()>;
    explicit OutboxSmsBackend(std::filesystem::path dataDir, Clock clock = nullptr);
    ~OutboxSmsBackend() override;

    bool Send(std::u16string_view number, std::u16string_view text, SmsPath path) override;
    void StartSend(std::u16string_view number, std::u16string_view text, SmsPath path,
        SmsSendDone done) override;
    // Told of every message handed over, before it is written; `serial`
    // counts them from 1 and names the message in its report.
    using SendListener = std::function<void(
        uint64_t serial, std::u16string_view number, std::u16string_view text)>;
    void SetSendListener(SendListener listener) { listener_ = std::move(listener); }
    using ReportListener = std::function<void(uint64_t serial, const SmsUpdate& report)>;
    void SetReportListener(ReportListener listener) { reportListener_ = std::move(listener); }
    // The next message sent is reported not delivered, for `reason`.
    void FailNextDelivery(std::u16string reason) { failNext_ = std::move(reason); }
    // Negative: the report comes before StartSend returns.
    void SetDeliveryDelayMs(int milliseconds) { deliveryDelayMs_ = milliseconds; }
    const std::filesystem::path& File() const { return file_; }
    // The time the lines are stamped with; now when empty.
    void SetClock(Clock clock);

protected:
    std::u16string LastError() const override { return error_; }

private:
    bool AppendLine(std::span<const uint8_t> bytes);

    std::filesystem::path file_;
    Clock clock_;
    SendListener listener_;
    ReportListener reportListener_;
    uint64_t serial_ = 0;
    std::optional<std::u16string> failNext_;
    int deliveryDelayMs_ = 0;
    std::u16string error_;
    // Reports still to come die with the backend.
    std::unique_ptr<QObject> reports_ = std::make_unique<QObject>();
};

inline constexpr char kOutboxFileName[] = "outbox.jsonl";

} // namespace pelmora
