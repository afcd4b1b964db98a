#pragma once

#include "monitor/BubbleNotifier.h"
#include "monitor/MissedCallPipeline.h"
#include "monitor/SmsSender.h"
#include "platform/sms/Outbox.h"
#include "platform/sms/PlatformVersion.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace pelmora::test {

// Bubbles as the shell would hold them, and every add and remove in order.
class RecordingBubble final : public BubbleNotifier {
public:
    struct Shown {
        std::u16string title;
        std::u16string html;
        uint32_t seconds = 0;
    };

    bool Add(std::u16string_view title, std::u16string_view html, uint32_t durationSeconds,
        uint32_t id) override
    {
        shown[id] = {std::u16string(title), std::u16string(html), durationSeconds};
        events.push_back(u"add " + Number(id));
        return true;
    }
    bool Remove(uint32_t id) override
    {
        events.push_back(u"remove " + Number(id));
        return shown.erase(id) != 0;
    }

    std::map<uint32_t, Shown> shown;
    std::vector<std::u16string> events;

private:
    static std::u16string Number(uint32_t id)
    {
        const std::string text = std::to_string(id);
        return std::u16string(text.begin(), text.end());
    }
};

// The window's pages as plain values, its timers and its sent-count label.
class FakeMissedCallWindow final : public MissedCallWindow {
public:
    MissedCallOptions ReadOptions() const override
    {
        ++reads;
        return options;
    }
    void StartTimer(uint32_t timerId, uint32_t milliseconds) override
    {
        timers.emplace_back(timerId, milliseconds);
    }
    void ShowSentCount(int32_t count) override { sentLabel = std::to_string(count); }
    void ReplyRefused(std::u16string_view number) override { refused.emplace_back(number); }

    MissedCallOptions options;
    std::vector<std::u16string> refused;
    mutable int reads = 0;
    std::vector<std::pair<uint32_t, uint32_t>> timers;
    std::string sentLabel = "0";
};

struct SentMessage {
    std::u16string number;
    std::u16string text;
    bool operator==(const SentMessage&) const = default;
};

inline void PrintTo(const SentMessage& message, std::ostream* out)
{
    *out << QString::fromStdU16String(message.number).toStdString() << ": \""
         << QString::fromStdU16String(message.text).toStdString() << '"';
}

// The real transport over the SMS interface, its accepted messages written
// to an outbox in a scratch directory.
class OutboxTransport final {
public:
    OutboxTransport()
    {
        SetSmsBackend(&outbox_);
        ClearSmsFailures();
        SetPlatformMajorVersion(4);
        sender.Init();
    }
    ~OutboxTransport()
    {
        SetSmsBackend(nullptr);
        ClearSmsFailures();
        SetPlatformMajorVersion(5);
    }
    OutboxTransport(const OutboxTransport&) = delete;
    OutboxTransport& operator=(const OutboxTransport&) = delete;

    std::vector<SentMessage> Messages() const
    {
        std::vector<SentMessage> messages;
        QFile file(QString::fromStdString(outbox_.File().string()));
        if (!file.open(QIODevice::ReadOnly))
            return messages;
        while (!file.atEnd()) {
            const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
            messages.push_back({line.value(QStringLiteral("number")).toString().toStdU16String(),
                line.value(QStringLiteral("text")).toString().toStdU16String()});
        }
        return messages;
    }

    CSmsSender sender;
    OutboxSmsBackend& Backend() { return outbox_; }

private:
    QTemporaryDir dir_;
    OutboxSmsBackend outbox_ {dir_.path().toStdString()};
};

} // namespace pelmora::test
