#include "history/HistoryText.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include "messages/TemplateStore.h"
#include "rules/ProfileStore.h"

#include <cstdlib>
#include <optional>

namespace pelmora {

namespace {

std::u16string Wide(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string Number(int64_t value)
{
    return QString::number(value).toStdU16String();
}

// A profile or template as the record names it: by its name while it
// exists, by its number once it has been deleted, "none" for no choice.
std::u16string Named(int32_t id, const std::optional<std::u16string>& name)
{
    if (id == 0)
        return u"none";
    return name ? *name : Number(id) + u" (deleted)";
}

std::optional<std::u16string> ProfileNamed(int32_t id)
{
    for (const auto& profile : Profiles())
        if (profile->id == id)
            return profile->name.Text();
    return std::nullopt;
}

std::optional<std::u16string> TemplateNamed(int32_t id)
{
    const char16_t* name = TemplateName(id);
    return name ? std::optional<std::u16string>(name) : std::nullopt;
}

} // namespace

std::u16string HistoryTime(const CallRecord& record)
{
    const QDateTime time
        = QDateTime::fromSecsSinceEpoch(record.timeUtc, QTimeZone(record.utcOffset));
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdU16String();
}

std::u16string HistoryCaller(const CallRecord& record)
{
    return record.callerName.empty() ? record.number : record.callerName;
}

std::u16string_view HistoryDelivery(DeliveryState state)
{
    switch (state) {
    case DeliveryState::Delivered:
        return u"delivered";
    case DeliveryState::Failed:
        return u"not delivered";
    case DeliveryState::Waiting:
        return u"no report yet";
    case DeliveryState::Unknown:
        break;
    }
    return u"unknown";
}

std::u16string HistoryOutcome(const CallRecord& record)
{
    if (record.fate == ReplyFate::None)
        return u"not sent: " + Wide(ReasonName(record.reason));
    // Once the network reports, whether the user was asked first matters
    // less than what became of the text (the record says both).
    const bool went = record.fate == ReplyFate::Sent || record.fate == ReplyFate::AnsweredYes;
    if (went && record.delivery != DeliveryState::Unknown)
        return u"sent, " + std::u16string(HistoryDelivery(record.delivery));
    return Wide(FateName(record.fate));
}

std::u16string HistoryDetails(const CallRecord& record)
{
    const int offsetMinutes = record.utcOffset / 60;
    const QString offset = QStringLiteral("%1%2:%3")
                               .arg(QChar(offsetMinutes < 0 ? u'-' : u'+'))
                               .arg(std::abs(offsetMinutes) / 60, 2, 10, QLatin1Char('0'))
                               .arg(std::abs(offsetMinutes) % 60, 2, 10, QLatin1Char('0'));
    std::u16string text = u"Time: " + HistoryTime(record) + u" (UTC" + offset.toStdU16String()
        + u")\nNumber: " + record.number + u"\nName: "
        + (record.callerName.empty() ? u"(not identified)" : record.callerName);
    if (record.contactId != 0)
        text += u" (contact " + Number(record.contactId) + u")";
    text += u"\nFound: " + Wide(record.lookupStage) + u"\nRings: " + Number(record.rings)
        + u"\nReason: " + Wide(ReasonName(record.reason)) + u"\nProfile: "
        + Named(record.profileId, ProfileNamed(record.profileId)) + u", template: "
        + Named(record.templateId, TemplateNamed(record.templateId)) + u"\nFate: "
        + Wide(FateName(record.fate));
    if (!record.error.empty())
        text += u" (" + record.error + u")";
    text += u"\nDelivery: " + std::u16string(HistoryDelivery(record.delivery));
    if (!record.deliveryReason.empty())
        text += u" (" + record.deliveryReason + u")";
    text += u"\nText sent:\n" + (record.text.empty() ? u"(none)" : record.text);
    return text;
}

} // namespace pelmora
