#include "calendar/BusyTimeline.h"

#include <QLocale>

#include <algorithm>

namespace pelmora {

BusyTimeline::BusyTimeline(std::vector<BusySpan> spans, int64_t until)
    : until_(until)
{
    std::erase_if(spans, [](const BusySpan& span) { return span.end <= span.start; });
    std::sort(spans.begin(), spans.end(),
        [](const BusySpan& a, const BusySpan& b) { return a.start < b.start; });
    for (const BusySpan& span : spans) {
        if (!stretches_.empty() && span.start <= stretches_.back().end)
            stretches_.back().end = std::max(stretches_.back().end, span.end);
        else
            stretches_.push_back(span);
    }
}

std::optional<BusySpan> BusyTimeline::StretchAt(int64_t at) const
{
    // The first stretch that ends after `at`.
    const auto found = std::upper_bound(stretches_.begin(), stretches_.end(), at,
        [](int64_t moment, const BusySpan& span) { return moment < span.end; });
    if (found == stretches_.end() || found->start > at)
        return std::nullopt;
    return *found;
}

std::optional<int64_t> BusyTimeline::NextBoundary(int64_t at) const
{
    const auto found = std::upper_bound(stretches_.begin(), stretches_.end(), at,
        [](int64_t moment, const BusySpan& span) { return moment < span.end; });
    if (found == stretches_.end())
        return std::nullopt;
    const int64_t next = found->start > at ? found->start : found->end;
    if (next > until_)
        return std::nullopt;
    return next;
}

QString BusyUntilText(
    const BusyTimeline& busy, const QDateTime& now, const QTimeZone& zone, const QString& freeWord)
{
    const std::optional<BusySpan> stretch = busy.StretchAt(now);
    if (!stretch)
        return freeWord;
    const QDateTime end = QDateTime::fromMSecsSinceEpoch(stretch->end, zone);
    const QDate today = now.toTimeZone(zone).date();
    const QLocale c = QLocale::c();
    if (end.date() == today)
        return c.toString(end, QStringLiteral("HH:mm"));
    if (end.date() < today.addDays(7))
        return c.toString(end, QStringLiteral("ddd HH:mm"));
    if (end.date() < today.addDays(300))
        return c.toString(end, QStringLiteral("d MMM HH:mm"));
    return c.toString(end, QStringLiteral("d MMM yyyy HH:mm"));
}

} // namespace pelmora
