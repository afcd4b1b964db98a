#include "app/HistoryCommand.h"

#include "history/CallHistory.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>

namespace pelmora {

namespace {

struct HistoryArgs {
    HistoryFilter filter;
    enum class Format { Lines, Json, Csv } format = Format::Lines;
};

std::optional<HistoryArgs> ParseArgs(const QStringList& args, QString& error)
{
    HistoryArgs parsed;
    bool formatGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        const bool hasValue = i + 1 < args.size();
        if (word == QStringLiteral("--json") || word == QStringLiteral("--csv")) {
            if (formatGiven) {
                error = QStringLiteral("--json or --csv, not both");
                return std::nullopt;
            }
            formatGiven = true;
            parsed.format = word == QStringLiteral("--json") ? HistoryArgs::Format::Json
                                                             : HistoryArgs::Format::Csv;
        } else if (word == QStringLiteral("--since") && hasValue) {
            parsed.filter.since = ParseHistoryDate(args[++i]);
            if (!parsed.filter.since) {
                error = QStringLiteral("--since wants a date as YYYY-MM-DD or a time as "
                                       "\"YYYY-MM-DD HH:MM\", not \"%1\"")
                            .arg(args[i]);
                return std::nullopt;
            }
        } else if (word == QStringLiteral("--number") && hasValue) {
            parsed.filter.number = args[++i].toStdU16String();
        } else {
            error = QStringLiteral("%1 is not understood here").arg(word);
            return std::nullopt;
        }
    }
    return parsed;
}

QString Q(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The call's time as it was where it happened.
QString LocalTime(const CallRecord& r)
{
    return QDateTime::fromSecsSinceEpoch(r.timeUtc, QTimeZone(r.utcOffset)).toString(Qt::ISODate);
}

QString UtcTime(const CallRecord& r)
{
    return QDateTime::fromSecsSinceEpoch(r.timeUtc).toUTC().toString(Qt::ISODate);
}

// Every field, in the order of the CSV's columns.
QList<std::pair<QString, QJsonValue>> Fields(const CallRecord& r)
{
    return {
        {QStringLiteral("id"), static_cast<qint64>(r.id)},
        {QStringLiteral("time"), UtcTime(r)},
        {QStringLiteral("localTime"), LocalTime(r)},
        {QStringLiteral("utcOffset"), r.utcOffset},
        {QStringLiteral("number"), Q(r.number)},
        {QStringLiteral("name"), Q(r.callerName)},
        {QStringLiteral("contactId"), static_cast<qint64>(r.contactId)},
        {QStringLiteral("foundBy"), Q(r.lookupStage)},
        {QStringLiteral("rings"), r.rings},
        {QStringLiteral("reason"), Q(ReasonName(r.reason))},
        {QStringLiteral("profileId"), r.profileId},
        {QStringLiteral("templateId"), r.templateId},
        {QStringLiteral("text"), Q(r.text)},
        {QStringLiteral("fate"), Q(FateName(r.fate))},
        {QStringLiteral("error"), Q(r.error)},
        {QStringLiteral("delivery"), Q(DeliveryName(r.delivery))},
        {QStringLiteral("deliveryReason"), Q(r.deliveryReason)},
    };
}

// Whether a spreadsheet would run `text` as a formula: it begins with "=",
// "@", a tab or a carriage return, or with "+" or "-" and is neither a
// phone number nor a plain number.
bool RunsAsFormula(const QString& text)
{
    static const QRegularExpression harmless(
        QStringLiteral("^(\\+?[0-9][0-9 ()./-]*|-?[0-9]+(\\.[0-9]+)?)$"));
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == QLatin1Char('=') || first == QLatin1Char('@') || first == QLatin1Char('\t')
        || first == QLatin1Char('\r'))
        return true;
    return (first == QLatin1Char('+') || first == QLatin1Char('-'))
        && !harmless.match(text).hasMatch();
}

// One RFC 4180 field; a cell a spreadsheet would run is shown as text with
// the leading "'" spreadsheets take for that.
QString CsvField(const QJsonValue& value)
{
    if (value.isDouble())
        return QString::number(static_cast<qint64>(value.toDouble()));
    QString text = value.toString();
    if (RunsAsFormula(text))
        text.prepend(QLatin1Char('\''));
    if (!text.contains(QRegularExpression(QStringLiteral("[\",\r\n]"))))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\""))
        + QLatin1Char('"');
}

QString Csv(const std::vector<CallRecord>& records)
{
    QStringList header;
    for (const auto& [name, value] : Fields({}))
        header << name;
    QString out = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const CallRecord& r : records) {
        QStringList row;
        for (const auto& [name, value] : Fields(r))
            row << CsvField(value);
        out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

QString Json(const std::vector<CallRecord>& records)
{
    QJsonArray calls;
    for (const CallRecord& r : records) {
        QJsonObject call;
        for (const auto& [name, value] : Fields(r))
            call.insert(name, value);
        calls.append(call);
    }
    return QString::fromUtf8(QJsonDocument(calls).toJson(QJsonDocument::Indented));
}

// A field of a line: a backslash, tab, line break or carriage return in it
// is written as "\\", "\t", "\n" or "\r", so that a line is one call and
// its tabs part its fields.
QString Escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// What became of the reply, with what the network said of it.
QString Outcome(const CallRecord& r)
{
    QString outcome = Q(FateName(r.fate));
    if (!r.error.empty())
        outcome += QStringLiteral(" (%1)").arg(Q(r.error));
    switch (r.delivery) {
    case DeliveryState::Delivered:
        outcome += QStringLiteral(", delivered");
        break;
    case DeliveryState::Failed:
        outcome += r.deliveryReason.empty()
            ? QStringLiteral(", not delivered")
            : QStringLiteral(", not delivered (%1)").arg(Q(r.deliveryReason));
        break;
    case DeliveryState::Waiting:
        outcome += QStringLiteral(", report awaited");
        break;
    case DeliveryState::Unknown:
        break;
    }
    return outcome;
}

// One call a line: when, who, why, what became of the reply, and its text.
QString Lines(const std::vector<CallRecord>& records)
{
    QString out;
    for (const CallRecord& r : records) {
        out += QStringList {LocalTime(r), Escaped(Q(r.number)),
                   r.callerName.empty() ? QStringLiteral("-") : Escaped(Q(r.callerName)),
                   Q(ReasonName(r.reason)), Escaped(Outcome(r)), Escaped(Q(r.text))}
                   .join(QLatin1Char('\t'))
            + QLatin1Char('\n');
    }
    return out;
}

} // namespace

std::optional<int64_t> ParseHistoryDate(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ "
                       "T](\\d{2}):(\\d{2})(?::(\\d{2}))?(Z|[+-]\\d{2}:\\d{2})?)?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(
        match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(
        match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QString zone = match.captured(7);
    QTimeZone where = QTimeZone::systemTimeZone();
    if (zone == QStringLiteral("Z")) {
        where = QTimeZone::utc();
    } else if (!zone.isEmpty()) {
        const int minutes = zone.mid(1, 2).toInt() * 60 + zone.mid(4, 2).toInt();
        if (minutes > 14 * 60)
            return std::nullopt;
        where = QTimeZone((zone[0] == QLatin1Char('-') ? -60 : 60) * minutes);
    }
    const QDateTime at(date, time, where);
    if (!at.isValid())
        return std::nullopt;
    return at.toSecsSinceEpoch();
}

int RunHistory(
    const QStringList& args, const std::filesystem::path& dataDir, QString& out, QString& err)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out = QStringLiteral(
            "usage: %1\n\n"
            "The calls Pelmora handled, oldest first: when, the number, the caller, why the\n"
            "call got its reply or none (replied, rule, overall limit, per-caller limit,\n"
            "rings, quiet period, no text, asked), what became of the reply (none, sending,\n"
            "sent, failed, asked, answered yes, answered no, expired, replaced; then\n"
            "delivered, not delivered or report awaited when the network said) and its text.\n"
            "In these lines a tab, line break or backslash in a field is \\t, \\n or \\\\.\n"
            "--json and --csv give every recorded field. The history is %2 in the data\n"
            "directory; dump and load leave it alone.\n")
                  .arg(QString::fromLatin1(kHistoryUsage), QString::fromLatin1(kHistoryFileName));
        return 0;
    }
    QString error;
    const std::optional<HistoryArgs> parsed = ParseArgs(args, error);
    if (!parsed) {
        err = QStringLiteral("pelmora-data: %1\nusage: %2\n")
                  .arg(error, QString::fromLatin1(kHistoryUsage));
        return 2;
    }
    QString problem;
    std::vector<CallRecord> records;
    {
        CallHistory history(
            dataDir, 0, 0, [&problem](const QString& p) { problem = p; },
            CallHistory::Access::ReadOnly);
        records = history.Read(parsed->filter);
    }
    if (!problem.isEmpty()) {
        err = QStringLiteral("pelmora-data: %1\n").arg(problem);
        return 1;
    }
    switch (parsed->format) {
    case HistoryArgs::Format::Json:
        out = Json(records);
        break;
    case HistoryArgs::Format::Csv:
        out = Csv(records);
        break;
    case HistoryArgs::Format::Lines:
        out = Lines(records);
        break;
    }
    return 0;
}

} // namespace pelmora
