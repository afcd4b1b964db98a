#pragma once

#include "platform/sms/SmsBackend.h"

#include <QDateTime>

#include <filesystem>
#include <functional>
#include <span>

namespace pelmora {

// The SMS backend of machines without a modem: every accepted message is
// appended to "outbox.jsonl" as one JSON object per line, which tests, demos
// and the simulator read.
class OutboxSmsBackend final : public ImmediateSmsBackend {
public:
    using Clock = std::function<QDateTime()>;
    explicit OutboxSmsBackend(std::filesystem::path dataDir, Clock clock = nullptr);

    bool Send(std::u16string_view number, std::u16string_view text, SmsPath path) override;
    // Told of every message handed over, before it is written.
    using SendListener = std::function<void(std::u16string_view number, std::u16string_view text)>;
    void SetSendListener(SendListener listener) { listener_ = std::move(listener); }
    const std::filesystem::path& File() const { return file_; }
    // The time the lines are stamped with; now when empty.
    void SetClock(Clock clock);

private:
    bool AppendLine(std::span<const uint8_t> bytes) const;

    std::filesystem::path file_;
    Clock clock_;
    SendListener listener_;
};

inline constexpr char kOutboxFileName[] = "outbox.jsonl";

} // namespace pelmora
