#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// A stretch of time the calendar marks busy, in milliseconds since 1970
// (UTC), its end excluded.
struct BusySpan {
    int64_t start = 0;
    int64_t end = 0;
    bool operator==(const BusySpan&) const = default;
};

// The busy stretches of the calendars between two moments: events that
// overlap or follow each other without a gap are one stretch, so a reply
// says when the user is free, not when the first meeting of an afternoon
// ends.
class BusyTimeline final {
public:
    BusyTimeline() = default;
    // `spans` in any order, read for the time up to `until`: beyond it the
    // timeline knows nothing.
    BusyTimeline(std::vector<BusySpan> spans, int64_t until);

    bool Empty() const { return stretches_.empty(); }
    size_t Size() const { return stretches_.size(); }
    int64_t Until() const { return until_; }

    // The stretch that holds `at`; none while the user is free.
    std::optional<BusySpan> StretchAt(int64_t at) const;
    std::optional<BusySpan> StretchAt(const QDateTime& at) const
    {
        return StretchAt(at.toMSecsSinceEpoch());
    }
    // The first moment after `at` at which a stretch begins or ends; none
    // when nothing changes up to Until().
    std::optional<int64_t> NextBoundary(int64_t at) const;

private:
    std::vector<BusySpan> stretches_; // sorted, apart from each other
    int64_t until_ = 0;
};

// What [BUSYUNTIL] says at `now`: the local time the busy stretch that
// holds it ends ("15:30"; "Tue 09:00" within a week; "16 Mar 09:00"
// later; "16 Mar 2028 09:00" from 300 days on), else `freeWord`.
QString BusyUntilText(
    const BusyTimeline& busy, const QDateTime& now, const QTimeZone& zone, const QString& freeWord);

} // namespace pelmora
