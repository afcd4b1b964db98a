// Pelmora's own options file (pelmora-options.json), as read at start and by
// pelmora-data load: any bytes.
#include "fuzz/FuzzSupport.h"
#include "options/OwnSettings.h"

#include <QJsonDocument>

#include <set>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    QString error;
    const std::set<int32_t> profiles {1, 2, 3};
    const std::optional<OwnSettings> read
        = OwnSettingsFromJson(document.object(), &profiles, error);
    FUZZ_CHECK(read.has_value() == error.isEmpty());
    if (!read)
        return 0;
    // What was accepted is whole: it writes and reads back the same, and
    // every window can be asked about at any time without a fault.
    QString again;
    FUZZ_CHECK(OwnSettingsFromJson(OwnSettingsToJson(*read), &profiles, again) == read);
    for (const ScheduleWindow& window : read->schedule) {
        FUZZ_CHECK(window.days != 0 && window.days < 0x80);
        FUZZ_CHECK(window.startMinute >= 0 && window.startMinute < ScheduleWindow::kMinutesPerDay);
        FUZZ_CHECK(window.endMinute >= 0 && window.endMinute < ScheduleWindow::kMinutesPerDay);
        FUZZ_CHECK(!window.monitoring || profiles.contains(window.profileId));
    }
    const QTimeZone zone(QByteArrayLiteral("Europe/Berlin"));
    const QDateTime now(QDate(2026, 3, 29), QTime(1, 59), zone);
    const std::optional<size_t> inForce = WindowInForce(read->schedule, now, zone);
    FUZZ_CHECK(!inForce || *inForce < read->schedule.size());
    if (const auto next = NextScheduleChange(read->schedule, now, zone))
        FUZZ_CHECK(next->at > now && WindowInForce(read->schedule, next->at, zone) == next->window);
    return 0;
}
