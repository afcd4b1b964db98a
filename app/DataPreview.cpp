#include "app/DataPreview.h"

#include "options/OwnSettings.h"

#include "messages/TemplateStore.h"
#include "rules/GroupStore.h"
#include "settings/SettingsRecord.h"

#include <QJsonArray>

#include <algorithm>

namespace pelmora {

namespace {

QString Q(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Quoted(std::u16string_view text)
{
    return QLatin1Char('"') + Q(text) + QLatin1Char('"');
}

const char* StageKey(LookupStage stage)
{
    switch (stage) {
    case LookupStage::AsDelivered:
        return "asDelivered";
    case LookupStage::WithPrefix:
        return "withPrefix";
    case LookupStage::Scan:
        return "scan";
    case LookupStage::National:
        return "national";
    case LookupStage::NotFound:
        break;
    }
    return "notFound";
}

QString StageWords(const IdentifiedCaller& caller)
{
    switch (caller.stage) {
    case LookupStage::AsDelivered:
        return QStringLiteral("by the number as delivered");
    case LookupStage::WithPrefix:
        return QStringLiteral("as %1, behind the international prefix")
            .arg(Q(caller.prefixedNumber));
    case LookupStage::Scan:
        return QStringLiteral("by the scan that ignores formatting");
    case LookupStage::National:
        return QStringLiteral("by its national number, stored without the country code");
    case LookupStage::NotFound:
        break;
    }
    return {};
}

const char* RuleKey(Rule rule)
{
    switch (rule) {
    case Rule::ExcludeInternational:
        return "excludeInternational";
    case Rule::ExcludeUnidentified:
        return "excludeUnidentified";
    case Rule::ExcludeStartingWith:
        return "excludeStartingWith";
    case Rule::IncludeOnly:
        break;
    }
    return "includeOnlyStartingWith";
}

QString RuleWords(const RuleOutcome& outcome, const RuleValues& values)
{
    switch (outcome.rule) {
    case Rule::ExcludeInternational:
        return QStringLiteral("exclude international numbers");
    case Rule::ExcludeUnidentified:
        return QStringLiteral("exclude numbers not identified");
    case Rule::ExcludeStartingWith:
        return QStringLiteral("exclude numbers starting with %1")
            .arg(Quoted(values.excludePrefixes));
    case Rule::IncludeOnly:
        break;
    }
    return QStringLiteral("only numbers starting with %1").arg(Quoted(values.includePrefixes));
}

const char* CheckKey(MissedCallCheck check)
{
    switch (check) {
    case MissedCallCheck::OverallLimit:
        return "overallLimit";
    case MissedCallCheck::Rules:
        return "rules";
    case MissedCallCheck::Rings:
        return "rings";
    case MissedCallCheck::PerCallerLimit:
        return "perCallerLimit";
    case MissedCallCheck::QuietPeriod:
        return "quietPeriod";
    case MissedCallCheck::None:
        break;
    }
    return "none";
}

const char* SourceKey(MessageSource source)
{
    switch (source) {
    case MessageSource::ContactEntry:
        return "contactEntry";
    case MessageSource::GroupEntry:
        return "groupEntry";
    case MessageSource::Default:
        return "default";
    case MessageSource::NoProfile:
        break;
    }
    return "noProfile";
}

QString GroupNameOf(int32_t id)
{
    const GroupRecord* group = FindGroup(id);
    return group ? Q(group->name.Text()) : QString();
}

QString GroupWords(const MessageChoice& choice)
{
    const auto id = static_cast<int32_t>(choice.entry->targetId);
    return QStringLiteral("the entry of group \"%1\" (id %2)").arg(GroupNameOf(id)).arg(id);
}

QString SourceWords(const MessageChoice& choice)
{
    switch (choice.source) {
    case MessageSource::ContactEntry:
        return QStringLiteral("the contact's own entry");
    case MessageSource::GroupEntry:
        return GroupWords(choice);
    case MessageSource::Default:
        return QStringLiteral("the default message");
    case MessageSource::NoProfile:
        break;
    }
    return QStringLiteral("nothing: there is no profile");
}

// The template the choice names, as the profile dialogs show it.
QString TemplateWords(const MessageChoice& choice)
{
    if (choice.messageId == 0)
        return QStringLiteral("\"<do not send>\"");
    if (!choice.chosen)
        return QStringLiteral("id %1, which no template has").arg(choice.messageId);
    return QStringLiteral("%1 (id %2)")
        .arg(Quoted(choice.chosen->name.Text()))
        .arg(choice.messageId);
}

const char* LengthClassWords(int lengthClass)
{
    return lengthClass == 2 ? "UCS-2" : lengthClass == 1 ? "8-bit" : "7-bit";
}

QString OutcomeWords(const CallPreview& p)
{
    switch (p.decision.stoppedBy) {
    case MissedCallCheck::OverallLimit:
        return QStringLiteral("no reply: \"Max allowed SMS to send\" is %1, so monitoring would "
                              "not start")
            .arg(p.maxTotal);
    case MissedCallCheck::Rules:
        return QStringLiteral("no reply: the rules stop this number");
    case MissedCallCheck::Rings:
        return QStringLiteral("no reply: too few rings");
    case MissedCallCheck::QuietPeriod:
        return QStringLiteral("no reply: this number had a reply within the quiet period");
    case MissedCallCheck::PerCallerLimit:
    case MissedCallCheck::None:
        break;
    }
    if (p.reply.text.empty())
        return QStringLiteral("no reply: the active profile gives this caller no message");
    if (p.decision.action == MissedCallAction::Ask)
        return QStringLiteral("the user would be asked first; the reply goes out on Yes");
    return QStringLiteral("the reply would be sent at once");
}

} // namespace

CallPreview PreviewCall(std::u16string_view number, std::optional<int32_t> rings,
    const SettingsRecord& settings, CContactsSession& contacts, const QuietLook& quiet,
    std::u16string_view busyUntil)
{
    CallPreview p;
    p.number = number;
    p.caller = IdentifyCallerStage(contacts, number, settings.internationalPrefix.Text());
    const bool identified = IsIdentified(p.caller.parts);
    p.ruleValues = RuleValues::FromSettings(settings);
    const RuleValues& rules = p.ruleValues;
    p.rules = TestRules(number, identified, rules);
    p.ringsNeeded = std::max(settings.ringsBeforeSendIndex, 0);
    p.ringCount = rings.value_or(p.ringsNeeded);
    p.maxTotal = settings.maxTotal;
    p.maxPerCaller = settings.maxPerCallerIndex + 1;
    p.interactive = settings.interactive != 0;
    p.quiet = quiet;

    // A fresh monitoring run: nothing sent yet and no "Yes" rows in the log.
    MissedCallInputs inputs;
    inputs.number = number;
    inputs.identified = identified;
    inputs.ringCount = p.ringCount;
    inputs.sentCount = 0;
    inputs.maxTotalAtStart = settings.maxTotal;
    inputs.ringsBeforeSendIndex = settings.ringsBeforeSendIndex;
    inputs.maxPerCallerIndex = settings.maxPerCallerIndex;
    inputs.interactive = p.interactive;
    inputs.passesRules
        = [&rules](std::u16string_view n, bool known) { return PassesRules(n, known, rules); };
    inputs.quietSeconds = int64_t {quiet.minutes} * 60;
    inputs.secondsSinceLastReply = quiet.sinceLastReply;
    p.decision = DecideMissedCall(inputs);

    p.reply = ReplyChoiceFor(p.caller.parts.contactId);
    // Empty is tested before the expansion, as the pipeline does.
    if (!p.reply.text.empty()) {
        std::u16string text = p.reply.text;
        ReplaceVariable(text, kBusyUntilVariable, busyUntil, settings.removeSpaceAfterEmpty);
        p.message = ExpandVariables(text, p.caller.parts, settings);
        p.length = MeasureMessage(p.message);
    }
    p.wouldSend = p.decision.action != MissedCallAction::Nothing && !p.reply.text.empty();
    return p;
}

QString PreviewLimitsNote(const CallPreview& preview)
{
    return QStringLiteral("Not known from the files: the replies already sent in the running "
                          "monitor (at most %1 a run), the log's \"Yes\" rows for this number "
                          "(at most %2 a caller), and whether the transport accepts the message.")
        .arg(preview.maxTotal)
        .arg(preview.maxPerCaller);
}

QStringList PreviewLines(const CallPreview& p)
{
    QStringList lines;
    lines << QStringLiteral("Number: %1").arg(Q(p.number));
    const ContactNameParts& parts = p.caller.parts;
    if (p.caller.stage == LookupStage::NotFound)
        lines << QStringLiteral("Caller: not found in the address book");
    else
        lines << QStringLiteral("Caller: %1 (contact %2), found %3")
                     .arg(Quoted(ComposeFullName(parts)))
                     .arg(parts.contactId)
                     .arg(StageWords(p.caller));
    if (!IsIdentified(parts))
        lines << QStringLiteral("Identified: no, the replacement words stand for the name");
    if (p.rules.empty())
        lines << QStringLiteral("Rules: none switched on");
    for (const RuleOutcome& rule : p.rules) {
        QString verdict = rule.passed ? QStringLiteral("passes") : QStringLiteral("STOPS the call");
        if (rule.rule == Rule::ExcludeInternational && !rule.piece.empty())
            verdict += QStringLiteral(" (home country %1)").arg(Quoted(rule.piece));
        else if (!rule.piece.empty())
            verdict += QStringLiteral(" (starts with %1)").arg(Quoted(rule.piece));
        lines << QStringLiteral("Rule: %1: %2").arg(RuleWords(rule, p.ruleValues), verdict);
    }
    if (p.ringsNeeded == 0)
        lines << QStringLiteral("Rings: no minimum; %1 given").arg(p.ringCount);
    else
        lines << QStringLiteral("Rings: at least %1 needed, %2 given: %3")
                     .arg(p.ringsNeeded)
                     .arg(p.ringCount)
                     .arg(p.ringCount >= p.ringsNeeded ? QStringLiteral("passes")
                                                       : QStringLiteral("too few"));
    if (p.quiet.minutes > 0) {
        const QString period = QuietPeriodText(p.quiet.minutes);
        if (!p.quiet.sinceLastReply)
            lines << QStringLiteral("Quiet period: %1; no reply to this number in the history: "
                                    "passes")
                         .arg(period);
        else
            lines << QStringLiteral("Quiet period: %1; the last reply to this number went %2 "
                                    "min ago: %3")
                         .arg(period)
                         .arg(*p.quiet.sinceLastReply / 60)
                         .arg(*p.quiet.sinceLastReply < int64_t {p.quiet.minutes} * 60
                                 ? QStringLiteral("STOPS the call")
                                 : QStringLiteral("passes"));
    }
    if (!p.reply.profile) {
        lines << QStringLiteral("Profile: none");
    } else {
        lines << QStringLiteral("Profile: %1 (id %2)")
                     .arg(Quoted(p.reply.profile->name.Text()))
                     .arg(p.reply.profile->id);
        lines << QStringLiteral("Message from: %1").arg(SourceWords(p.reply.choice));
        lines << QStringLiteral("Template: %1").arg(TemplateWords(p.reply.choice));
    }
    if (!p.reply.text.empty()) {
        lines << QStringLiteral("Text: %1").arg(Q(p.message));
        lines << QStringLiteral("Length: %1 of %2 (%3)")
                     .arg(p.length.length)
                     .arg(p.length.maximum)
                     .arg(QLatin1String(LengthClassWords(p.length.lengthClass)));
    }
    lines << QStringLiteral("Outcome: %1").arg(OutcomeWords(p));
    lines << PreviewLimitsNote(p);
    return lines;
}

QJsonObject PreviewJson(const CallPreview& p)
{
    const ContactNameParts& parts = p.caller.parts;
    QJsonObject caller {{QStringLiteral("stage"), QLatin1String(StageKey(p.caller.stage))},
        {QStringLiteral("contactId"), static_cast<qint64>(parts.contactId)},
        {QStringLiteral("identified"), IsIdentified(parts)},
        {QStringLiteral("title"), Q(parts.title)},
        {QStringLiteral("firstName"), Q(parts.firstName)},
        {QStringLiteral("middleName"), Q(parts.middleName)},
        {QStringLiteral("lastName"), Q(parts.lastName)},
        {QStringLiteral("suffix"), Q(parts.suffix)},
        {QStringLiteral("fullName"), Q(ComposeFullName(parts))},
        {QStringLiteral("prefixedNumber"), Q(p.caller.prefixedNumber)}};
    QJsonArray rules;
    for (const RuleOutcome& rule : p.rules)
        rules.append(QJsonObject {{QStringLiteral("rule"), QLatin1String(RuleKey(rule.rule))},
            {QStringLiteral("passed"), rule.passed}, {QStringLiteral("prefix"), Q(rule.piece)}});
    QJsonValue profile;
    if (p.reply.profile)
        profile = QJsonObject {{QStringLiteral("id"), p.reply.profile->id},
            {QStringLiteral("name"), Q(p.reply.profile->name.Text())}};
    const MessageChoice& choice = p.reply.choice;
    QJsonObject message {{QStringLiteral("source"), QLatin1String(SourceKey(choice.source))},
        {QStringLiteral("templateId"), choice.messageId},
        {QStringLiteral("doNotSend"), p.reply.profile && choice.messageId == 0},
        {QStringLiteral("templateName"), choice.chosen ? Q(choice.chosen->name.Text()) : QString()},
        {QStringLiteral("text"), Q(p.message)}, {QStringLiteral("length"), p.length.length},
        {QStringLiteral("lengthClass"), p.length.lengthClass},
        {QStringLiteral("maximum"), p.length.maximum}};
    if (choice.source == MessageSource::GroupEntry) {
        const auto id = static_cast<int32_t>(choice.entry->targetId);
        message[QStringLiteral("groupId")] = id;
        message[QStringLiteral("groupName")] = GroupNameOf(id);
    }
    QJsonObject object {{QStringLiteral("number"), Q(p.number)}, {QStringLiteral("caller"), caller},
        {QStringLiteral("rules"), rules},
        {QStringLiteral("rings"),
            QJsonObject {
                {QStringLiteral("given"), p.ringCount}, {QStringLiteral("needed"), p.ringsNeeded}}},
        {QStringLiteral("interactive"), p.interactive},
        {QStringLiteral("stoppedBy"), QLatin1String(CheckKey(p.decision.stoppedBy))},
        {QStringLiteral("profile"), profile}, {QStringLiteral("message"), message},
        {QStringLiteral("wouldSend"), p.wouldSend},
        {QStringLiteral("notKnown"), PreviewLimitsNote(p)}};
    if (p.quiet.minutes > 0)
        object[QStringLiteral("quietPeriod")] = QJsonObject {
            {QStringLiteral("minutes"), p.quiet.minutes},
            {QStringLiteral("sinceLastReply"),
                p.quiet.sinceLastReply ? QJsonValue(static_cast<qint64>(*p.quiet.sinceLastReply))
                                       : QJsonValue()}};
    return object;
}

} // namespace pelmora
