#include "platform/shell/NotificationHtml.h"

#include <QRegularExpression>

namespace pelmora {

namespace {

QString Attribute(const QString& tag, const QString& name)
{
    const QRegularExpression pattern(
        QStringLiteral(R"re((?:^|\s)%1\s*=\s*(?:'([^']*)'|"([^"]*)"|([^\s>]+)))re").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(tag);
    if (!match.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i)
        if (match.capturedStart(i) >= 0)
            return match.captured(i);
    return {};
}

QString DecodeEntities(QString text)
{
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

QString Tidy(QString text)
{
    static const QRegularExpression spaces(QStringLiteral("[ \\t\\r]+"));
    static const QRegularExpression blankLines(QStringLiteral("\\n\\s*\\n+"));
    text.replace(spaces, QStringLiteral(" "));
    text.replace(blankLines, QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line = line.trimmed();
    return lines.join(u'\n').trimmed();
}

} // namespace

ParsedNotification ParseNotificationHtml(const QString& html)
{
    ParsedNotification parsed;
    static const QRegularExpression input(
        QStringLiteral("<input\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    QString rest = html;
    QRegularExpressionMatchIterator it = input.globalMatch(html);
    while (it.hasNext()) {
        const QString tag = it.next().captured(0);
        if (Attribute(tag, QStringLiteral("type"))
                .compare(QStringLiteral("button"), Qt::CaseInsensitive)
            != 0)
            continue;
        const QString name = Attribute(tag, QStringLiteral("name"));
        if (!name.startsWith(QStringLiteral("cmd:"), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int command = name.mid(4).toInt(&ok);
        if (ok)
            parsed.buttons.push_back(
                {command, DecodeEntities(Attribute(tag, QStringLiteral("value")))});
    }
    rest.remove(input);
    parsed.html = rest;

    // Line breaks from the block tags, then only the tags the service knows.
    static const QRegularExpression breaks(
        QStringLiteral("<\\s*(br|/p|p|/div|div|/tr|hr)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    QString body = rest;
    body.replace(QStringLiteral("\n"), QStringLiteral(" "));
    body.replace(breaks, QStringLiteral("\n"));
    static const QRegularExpression foreign(
        QStringLiteral("<(?!/?(b|i|u)\\s*>)(?!a\\s)(?!/a\\s*>)[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    // The service's markup is XML: only its own entities are known there.
    parsed.markup = Tidy(
        QString(body).remove(foreign).replace(QStringLiteral("&nbsp;"), QStringLiteral(" ")));
    static const QRegularExpression anyTag(QStringLiteral("<[^>]*>"));
    parsed.plain = Tidy(DecodeEntities(QString(body).remove(anyTag)));
    return parsed;
}

} // namespace pelmora
