#include "calendar/CalendarFeed.h"

#include "calendar/CalendarFiles.h"
#include "calendar/EdsCalendarReader.h"

#include <QTimer>

#include <condition_variable>
#include <mutex>

namespace pelmora {

namespace {

class FileFeed final : public CalendarFeed {
public:
    FileFeed(std::filesystem::path source, int pollMs)
        : files_(std::move(source))
        , pollMs_(pollMs)
    {
    }
    void Start(Publish publish) override
    {
        publish_ = std::move(publish);
        Poll();
        if (pollMs_ > 0) {
            auto* timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this] { Poll(); });
            timer->start(pollMs_);
        }
    }
    void Poll() override
    {
        if (std::optional<CalendarSnapshot> snapshot = files_.Changed(); snapshot && publish_)
            publish_(std::move(*snapshot));
    }
    bool Named() const override { return true; }

private:
    CalendarFiles files_;
    int pollMs_;
    Publish publish_;
};

class ServerFeed final : public CalendarFeed {
public:
    void Start(Publish publish) override
    {
        publish_ = std::move(publish);
        // The reader hands its snapshots over from its own thread, which
        // ends (with the reader, a member) before this object does; a
        // snapshot still queued then goes with the object.
        reader_ = std::make_unique<EdsCalendarReader>([this](CalendarSnapshot snapshot) {
            QMetaObject::invokeMethod(
                this,
                [this, snapshot = std::move(snapshot)]() mutable { publish_(std::move(snapshot)); },
                Qt::QueuedConnection);
        });
    }
    bool Named() const override { return false; }

private:
    Publish publish_;
    std::unique_ptr<EdsCalendarReader> reader_;
};

} // namespace

std::unique_ptr<CalendarFeed> CalendarFeed::FromFiles(std::filesystem::path source, int pollMs)
{
    return std::make_unique<FileFeed>(std::move(source), pollMs);
}

std::unique_ptr<CalendarFeed> CalendarFeed::FromServer()
{
    return std::make_unique<ServerFeed>();
}

std::optional<CalendarSnapshot> CalendarFeed::ReadServerOnce(int waitMs)
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::optional<CalendarSnapshot> first;
    {
        EdsCalendarReader reader([&](CalendarSnapshot snapshot) {
            const std::lock_guard lock(mutex);
            if (!first)
                first = std::move(snapshot);
            arrived.notify_one();
        });
        std::unique_lock lock(mutex);
        arrived.wait_for(
            lock, std::chrono::milliseconds(waitMs), [&] { return first.has_value(); });
    }
    return first;
}

} // namespace pelmora
