#pragma once

#include "platform/sms/SmsBackend.h"

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <map>
#include <optional>
#include <vector>

class QTimer;

namespace pelmora {

class ModemManagerClient;

// Sends texts through ModemManager's first modem with messaging: the message
// is created with the number, the text and a request for a delivery report,
// then sent; a failure or time-out of either step is a failed send, told
// with ModemManager's own words. A sent message is kept until its delivery
// settles (delivered, or failed for good), its modem goes or `reportWaitMs`
// passes, and the outcome follows as a report. ModemManager gives the
// network's report as a received message of its own (a status report with
// the sent message's reference and a DeliveryState): it is matched by modem,
// reference and number, and deleted once read.
//
// The message object is deleted afterwards whatever the outcome:
// ModemManager keeps every message it was given until it is deleted, so an
// answering machine that left them would grow that list for as long as the
// phone runs, and Pelmora's history records each reply. A failed message
// deleted is also one nobody sends later by mistake. Messages still waiting
// when Pelmora ends are deleted too: their reports could no longer be heard.
// Every step is an asynchronous call: sending waits for the network, and the
// window goes on following calls meanwhile.
class ModemManagerSms final : public QObject, public SmsBackend {
    Q_OBJECT
public:
    static constexpr int kDayMs = 24 * 60 * 60 * 1000;

    explicit ModemManagerSms(ModemManagerClient& client, int reportWaitMs = kDayMs);
    ~ModemManagerSms() override;
    ModemManagerSms(const ModemManagerSms&) = delete;
    ModemManagerSms& operator=(const ModemManagerSms&) = delete;

    // `done` follows once ModemManager has sent the message, refused it or
    // not answered in time, then once more with the delivery report.
    void StartSend(std::u16string_view number, std::u16string_view text, SmsPath path,
        SmsSendDone done) override;
    // Messages kept for their reports.
    size_t Waiting() const { return messages_.size(); }

private Q_SLOTS:
    // Reached by name, the only way Qt D-Bus delivers signals.
    void OnMessageAdded(const QDBusMessage& message);

private:
    struct Message {
        QString modem;
        QString number;
        SmsSendDone done; // set once sent
        std::optional<uint32_t> reference; // the network's, read after sending
        QTimer* timer = nullptr;
    };
    // A status report read before its message's reference was known.
    struct Report {
        QString path;
        QString modem;
        QString number;
        uint32_t reference = 0;
        uint32_t state = 0;
    };

    void Create(const QVariantMap& properties, SmsSendDone done);
    void OnSent(const QString& path, const QDBusMessage& reply, SmsSendDone done);
    void OnReference(const QString& path, const QDBusMessage& reply);
    void OnReportRead(const QString& path, const QString& modem, const QDBusMessage& reply);
    // The waiting message `report` is about, if any.
    std::map<QString, Message>::iterator Match(const Report& report);
    // Reads `report` for its message, then deletes it.
    void Take(std::map<QString, Message>::iterator message, const Report& report);
    // Tells the message's report and lets the message go; `path` is a copy,
    // as callers may hold the map's own key.
    void Settle(QString path, const SmsUpdate& report);
    void Delete(const QString& path, const QString& modem);
    void OnModemsChanged();

    ModemManagerClient& client_;
    int reportWaitMs_;
    std::map<QString, Message> messages_;
    std::vector<Report> early_;
};

} // namespace pelmora
