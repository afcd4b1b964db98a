#include "platform/sms/Outbox.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace pelmora {

OutboxSmsBackend::OutboxSmsBackend(std::filesystem::path dataDir, Clock clock)
    : file_(std::move(dataDir) / kOutboxFileName)
{
    SetClock(std::move(clock));
}

void OutboxSmsBackend::SetClock(Clock clock)
{
    clock_ = clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); };
}

bool OutboxSmsBackend::Send(std::u16string_view number, std::u16string_view text, SmsPath path)
{
    if (listener_)
        listener_(number, text);
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

    QFile file(QString::fromStdString(file_.string()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace pelmora
