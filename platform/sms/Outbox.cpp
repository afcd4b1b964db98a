#include "platform/sms/Outbox.h"

#include "platform/TimerService.h"
#include "platform/storage/DataFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora {

OutboxSmsBackend::OutboxSmsBackend(std::filesystem::path dataDir, Clock clock)
    : file_(std::move(dataDir) / kOutboxFileName)
{
    SetClock(std::move(clock));
}

OutboxSmsBackend::~OutboxSmsBackend()
{
    if (TimerService* timers = CurrentTimerService())
        timers->StopAll(this);
}

void OutboxSmsBackend::StartSend(
    std::u16string_view number, std::u16string_view text, SmsPath path, SmsSendDone done)
{
    if (!Send(number, text, path)) {
        if (done)
            done({SmsStatus::Refused, error_});
        return;
    }
    const uint64_t serial = serial_;
    SmsUpdate report {SmsStatus::Delivered};
    if (failNext_)
        report = {SmsStatus::NotDelivered, *std::exchange(failNext_, std::nullopt)};
    if (done)
        done({SmsStatus::Sent, {}, true});
    auto fire = [this, serial, report, done = std::move(done)] {
        if (reportListener_)
            reportListener_(serial, report);
        if (done)
            done(report);
    };
    if (deliveryDelayMs_ < 0)
        fire();
    else if (TimerService* timers = CurrentTimerService())
        timers->Start(this, static_cast<int>(serial), deliveryDelayMs_, std::move(fire));
    else
        QTimer::singleShot(deliveryDelayMs_, reports_.get(), std::move(fire));
}

void OutboxSmsBackend::SetClock(Clock clock)
{
    clock_ = clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); };
}

bool OutboxSmsBackend::Send(std::u16string_view number, std::u16string_view text, SmsPath path)
{
    ++serial_;
    if (listener_)
        listener_(serial_, number, text);
    QDateTime now = clock_();
    // Local time with its offset written out, never a bare "Z".
    const int offset = now.offsetFromUtc();
    QString time = now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    time += offset < 0 ? u'-' : u'+';
    time += QStringLiteral("%1:%2")
                .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));

    QJsonObject line;
    line.insert(QStringLiteral("time"), time);
    line.insert(QStringLiteral("number"), QString::fromStdU16String(std::u16string(number)));
    line.insert(QStringLiteral("text"), QString::fromStdU16String(std::u16string(text)));
    line.insert(QStringLiteral("path"), QString::fromLatin1(SmsPathName(path)));

    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    return AppendLine(std::span(
        reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
}

bool OutboxSmsBackend::AppendLine(std::span<const uint8_t> bytes)
{
    const auto failed = [this](int error) {
        error_ = QStringLiteral("cannot write %1: %2")
                     .arg(QString::fromStdString(file_.string()),
                         QString::fromLocal8Bit(std::strerror(error)))
                     .toStdU16String();
        return false;
    };
    // The outbox holds numbers, names and texts: private to its owner.
    const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(errno);
    struct stat st { };
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && (st.st_mode & 077) != 0)
        ::fchmod(fd, PrivateMode(st.st_mode));
    // A line is there whole or not at all: a write that stops half way is
    // cut off again, so the next line does not start inside it.
    int error = ok ? 0 : errno;
    if (ok && (error = WriteBytes(fd, bytes)) != 0) {
        ok = false;
        while (::ftruncate(fd, st.st_size) != 0 && errno == EINTR) { }
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok || failed(error);
}

} // namespace pelmora
