// The --since of `pelmora-data history`: any text.
#include "app/HistoryCommand.h"
#include "fuzz/FuzzSupport.h"

#include <QDateTime>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromStdU16String(
        fuzz::Utf16(std::string_view(reinterpret_cast<const char*>(data), size)));
    const std::optional<int64_t> since = ParseHistoryDate(text);
    if (!since)
        return 0;
    // A time read is one a calendar has, and reads again in UTC as itself.
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(*since).toUTC();
    FUZZ_CHECK(utc.isValid());
    FUZZ_CHECK(utc.date().year() >= 0 && utc.date().year() <= 10000);
    if (utc.date().year() >= 1 && utc.date().year() <= 9999)
        FUZZ_CHECK(ParseHistoryDate(utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))) == since);
    return 0;
}
