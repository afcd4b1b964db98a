// libecal's headers come before anything else: they use names that other
// headers define as macros.
#include <libecal/libecal.h>

#include "calendar/CalendarReading.h"
#include "calendar/EdsCalendarReader.h"
#include "tests/platform/EdsTestBus.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

using namespace pelmora;
using namespace std::chrono_literals;

namespace {

testing::Environment* const g_environment
    = testing::AddGlobalTestEnvironment(new test::EdsEnvironment);

using test::Failure;
using test::kServerWait;
using test::WaitForServer;

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What the reader published last, kept for the test's thread.
class Published final {
public:
    EdsCalendarReader::Publish Sink()
    {
        return [this](CalendarSnapshot snapshot) {
            std::lock_guard lock(mutex_);
            last_ = std::move(snapshot);
        };
    }
    std::optional<CalendarSnapshot> Last()
    {
        std::lock_guard lock(mutex_);
        return last_;
    }
    // The text of the calendar named `name` in the last snapshot; empty
    // when there is none.
    std::string Text(const std::string& name)
    {
        std::lock_guard lock(mutex_);
        if (last_)
            for (const CalendarDocument& document : last_->documents)
                if (document.name == name)
                    return document.text;
        return {};
    }

private:
    std::mutex mutex_;
    std::optional<CalendarSnapshot> last_;
};

// Changes the server's calendars the way a calendar application would:
// through a libecal connection of its own.
class Server final {
public:
    Server()
    {
        GError* error = nullptr;
        registry_ = e_source_registry_new_sync(nullptr, &error);
        if (!registry_) {
            ADD_FAILURE() << "registry: " << Failure(error);
            return;
        }
        ESource* personal = e_source_registry_ref_source(registry_, "system-calendar");
        if (!personal) {
            ADD_FAILURE() << "no system calendar";
            return;
        }
        personalName_ = e_source_get_display_name(personal);
        personal_ = Connect(personal);
        g_object_unref(personal);
    }
    ~Server()
    {
        for (const std::string& uid : created_)
            if (ESource* source = e_source_registry_ref_source(registry_, uid.c_str())) {
                e_source_remove_sync(source, nullptr, nullptr);
                g_object_unref(source);
            }
        if (personal_)
            g_object_unref(personal_);
        if (registry_)
            g_object_unref(registry_);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Ready() const { return personal_ != nullptr; }
    // The local calendar every test starts from empty, and its name.
    ECalClient* Personal() const { return personal_; }
    const std::string& PersonalName() const { return personalName_; }

    void Add(const std::string& event)
    {
        ICalComponent* component = i_cal_component_new_from_string(event.c_str());
        ASSERT_NE(component, nullptr) << event;
        GError* error = nullptr;
        gchar* uid = nullptr;
        if (!e_cal_client_create_object_sync(
                personal_, component, E_CAL_OPERATION_FLAG_NONE, &uid, nullptr, &error))
            ADD_FAILURE() << "add: " << Failure(error);
        g_free(uid);
        g_object_unref(component);
    }

    // `mod` says whether a change with a RECURRENCE-ID detaches that one
    // instance or changes the whole series.
    void Modify(const std::string& event, ECalObjModType mod = E_CAL_OBJ_MOD_ALL)
    {
        ICalComponent* component = i_cal_component_new_from_string(event.c_str());
        ASSERT_NE(component, nullptr) << event;
        GError* error = nullptr;
        if (!e_cal_client_modify_object_sync(
                personal_, component, mod, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
            ADD_FAILURE() << "modify: " << Failure(error);
        g_object_unref(component);
    }

    void Remove(const char* uid)
    {
        GError* error = nullptr;
        if (!e_cal_client_remove_object_sync(personal_, uid, nullptr, E_CAL_OBJ_MOD_ALL,
                E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
            ADD_FAILURE() << "remove " << uid << ": " << Failure(error);
    }

    // As an application importing a calendar file stores the zones it names.
    void AddZone(const std::string& vtimezone)
    {
        ICalComponent* component = i_cal_component_new_from_string(vtimezone.c_str());
        ASSERT_NE(component, nullptr);
        ICalTimezone* zone = i_cal_timezone_new();
        i_cal_timezone_set_component(zone, component);
        GError* error = nullptr;
        if (!e_cal_client_add_timezone_sync(personal_, zone, nullptr, &error))
            ADD_FAILURE() << "add zone: " << Failure(error);
        g_object_unref(zone);
        g_object_unref(component);
    }

    void Clear()
    {
        GSList* events = nullptr;
        GError* error = nullptr;
        if (!e_cal_client_get_object_list_sync(personal_, "#t", &events, nullptr, &error)) {
            ADD_FAILURE() << "list: " << Failure(error);
            return;
        }
        std::set<std::string> uids;
        for (GSList* e = events; e; e = e->next)
            uids.insert(i_cal_component_get_uid(static_cast<ICalComponent*>(e->data)));
        g_slist_free_full(events, g_object_unref);
        for (const std::string& uid : uids)
            Remove(uid.c_str());
    }

    // A new calendar, local unless another backend is named; its UID.
    std::string CreateCalendar(const char* name, const char* backend = "local")
    {
        ESource* source = e_source_new(nullptr, nullptr, nullptr);
        e_source_set_display_name(source, name);
        e_source_set_parent(source, "local-stub");
        auto* calendar = static_cast<ESourceCalendar*>(
            e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
        e_source_backend_set_backend_name(E_SOURCE_BACKEND(calendar), backend);
        GError* error = nullptr;
        if (!e_source_registry_commit_source_sync(registry_, source, nullptr, &error))
            ADD_FAILURE() << "create " << name << ": " << Failure(error);
        std::string uid = e_source_get_uid(source);
        g_object_unref(source);
        created_.push_back(uid);
        return uid;
    }

    void DisableCalendar(const std::string& uid)
    {
        ESource* source = e_source_registry_ref_source(registry_, uid.c_str());
        ASSERT_NE(source, nullptr);
        e_source_set_enabled(source, FALSE);
        GError* error = nullptr;
        if (!e_source_write_sync(source, nullptr, &error))
            ADD_FAILURE() << "disable " << uid << ": " << Failure(error);
        g_object_unref(source);
    }

private:
    ECalClient* Connect(ESource* source)
    {
        GError* error = nullptr;
        EClient* client = e_cal_client_connect_sync(
            source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, static_cast<guint32>(-1), nullptr, &error);
        if (!client) {
            ADD_FAILURE() << "connect: " << Failure(error);
            return nullptr;
        }
        return E_CAL_CLIENT(client);
    }

    ESourceRegistry* registry_ = nullptr;
    ECalClient* personal_ = nullptr;
    std::string personalName_;
    std::vector<std::string> created_;
};

std::string Event(const std::string& uid, const std::string& lines)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20300101T000000Z\r\nSUMMARY:" + uid + "\r\n"
        + lines + "END:VEVENT\r\n";
}

// Central European time as a calendar file from elsewhere names it: a plain
// "Europe/Berlin", not the server's own name for the zone.
const char* const kBerlin = "BEGIN:VTIMEZONE\r\n"
                            "TZID:Europe/Berlin\r\n"
                            "BEGIN:DAYLIGHT\r\n"
                            "TZOFFSETFROM:+0100\r\n"
                            "TZOFFSETTO:+0200\r\n"
                            "TZNAME:CEST\r\n"
                            "DTSTART:19700329T020000\r\n"
                            "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                            "END:DAYLIGHT\r\n"
                            "BEGIN:STANDARD\r\n"
                            "TZOFFSETFROM:+0200\r\n"
                            "TZOFFSETTO:+0100\r\n"
                            "TZNAME:CET\r\n"
                            "DTSTART:19701025T030000\r\n"
                            "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
                            "END:STANDARD\r\n"
                            "END:VTIMEZONE\r\n";

class EdsCalendarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server_.Ready());
        server_.Clear();
    }

    // Made before any reader, so that the process's registry sends its
    // signals on this thread, which WaitUntil runs.
    Server server_;
    Published published_;
};

} // namespace

TEST_F(EdsCalendarTest, EventsArriveWithTheTimeZonesTheyName)
{
    server_.AddZone(kBerlin);
    const struct {
        const char* name;
        const char* uid;
        const char* tzid;
    } rows[] = {
        {"a zone the calendar holds", "berlin", "Europe/Berlin"},
        {"a zone the server knows by its location", "tokyo", "Asia/Tokyo"},
        {"the server's own name for a zone", "paris",
            "/freeassociation.sourceforge.net/Europe/Paris"},
    };
    for (const auto& row : rows)
        server_.Add(Event(row.uid,
            std::string("DTSTART;TZID=") + row.tzid + ":20300107T090000\r\nDTEND;TZID=" + row.tzid
                + ":20300107T100000\r\n"));
    server_.Add(Event("utc", "DTSTART:20300107T120000Z\r\nDTEND:20300107T130000Z\r\n"));
    server_.Add(Event("utc-named", "DTSTART;TZID=UTC:20300107T140000\r\n"));

    EXPECT_TRUE(EdsCalendarReader::ServerAvailable());
    EdsCalendarReader reader(published_.Sink());
    ASSERT_TRUE(WaitForServer([&] {
        const std::string text = published_.Text(server_.PersonalName());
        return text.find("UID:berlin") != std::string::npos
            && text.find("UID:tokyo") != std::string::npos;
    }));
    const auto snapshot = published_.Last();
    EXPECT_EQ(snapshot->problem, "");
    ASSERT_FALSE(snapshot->documents.empty());
    EXPECT_EQ(snapshot->documents.front().name, server_.PersonalName())
        << "the default calendar comes first";
    const std::string text = published_.Text(server_.PersonalName());
    EXPECT_TRUE(text.starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n")) << text;
    EXPECT_TRUE(text.ends_with("END:VCALENDAR\r\n")) << text;
    EXPECT_NE(text.find("UID:utc\r\n"), std::string::npos);
    EXPECT_NE(text.find("UID:utc-named\r\n"), std::string::npos);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Count(text, std::string("BEGIN:VTIMEZONE\r\nTZID:") + row.tzid + "\r\n"), 1u)
            << text;
    }
    EXPECT_EQ(Count(text, "BEGIN:VTIMEZONE"), std::size(rows)) << "none for UTC";
}

TEST_F(EdsCalendarTest, EventsChangedWhileRunningGiveANewSnapshot)
{
    EdsCalendarReader reader(published_.Sink());
    ASSERT_TRUE(WaitForServer([&] { return published_.Last().has_value(); }));
    EXPECT_EQ(published_.Text(server_.PersonalName()).find("BEGIN:VEVENT"), std::string::npos);

    server_.Add(Event("moved", "DTSTART:20300107T090000Z\r\nDTEND:20300107T100000Z\r\n"));
    ASSERT_TRUE(WaitForServer([&] {
        return published_.Text(server_.PersonalName()).find("DTSTART:20300107T090000Z")
            != std::string::npos;
    }));

    server_.Modify(Event("moved", "DTSTART:20300108T140000Z\r\nDTEND:20300108T150000Z\r\n"));
    ASSERT_TRUE(WaitForServer([&] {
        return published_.Text(server_.PersonalName()).find("DTSTART:20300108T140000Z")
            != std::string::npos;
    }));
    const std::string moved = published_.Text(server_.PersonalName());
    EXPECT_EQ(moved.find("DTSTART:20300107T090000Z"), std::string::npos) << "the old time is gone";
    EXPECT_EQ(Count(moved, "UID:moved"), 1u);

    server_.Remove("moved");
    ASSERT_TRUE(WaitForServer([&] {
        return published_.Text(server_.PersonalName()).find("UID:moved") == std::string::npos;
    }));
}

// The busy time as the program reads it from what the server holds: a
// meeting, a weekly one with an exception, an all-day event and a free one.
TEST_F(EdsCalendarTest, TheServersEventsMakeTheBusyTime)
{
    server_.AddZone(kBerlin);
    server_.Add(Event("meeting",
        "DTSTART;TZID=Europe/Berlin:20300107T140000\r\nDTEND;TZID=Europe/"
        "Berlin:20300107T153000\r\n"));
    server_.Add(Event("weekly",
        "DTSTART;TZID=Europe/Berlin:20300101T090000\r\nDTEND;TZID=Europe/Berlin:20300101T100000\r\n"
        "RRULE:FREQ=WEEKLY\r\nEXDATE;TZID=Europe/Berlin:20300108T090000\r\n"));
    server_.Add(Event("away", "DTSTART;VALUE=DATE:20300110\r\nDTEND;VALUE=DATE:20300111\r\n"));
    server_.Add(Event("lunch",
        "DTSTART;TZID=Europe/Berlin:20300107T120000\r\nDTEND;TZID=Europe/Berlin:20300107T130000\r\n"
        "TRANSP:TRANSPARENT\r\n"));
    EdsCalendarReader reader(published_.Sink());
    const QTimeZone berlin("Europe/Berlin");
    const auto at = [&](int day, int hour, int minute) {
        return QDateTime(QDate(2030, 1, day), QTime(hour, minute), berlin);
    };
    const auto busy = [&] {
        const std::optional<CalendarSnapshot> snapshot = published_.Last();
        return snapshot ? ReadBusyTime(*snapshot, at(1, 0, 0), at(20, 0, 0), berlin).busy
                        : BusyTimeline();
    };
    ASSERT_TRUE(WaitForServer([&] { return busy().StretchAt(at(10, 12, 0)).has_value(); }));
    const BusyTimeline read = busy();
    const struct {
        QDateTime moment;
        const char* says; // what [BUSYUNTIL] says then
    } rows[] = {
        {at(7, 14, 10), "15:30"},
        {at(7, 12, 30), "later"}, // the free lunch
        {at(1, 9, 30), "10:00"},
        {at(8, 9, 30), "later"}, // the week's exception
        {at(15, 9, 30), "10:00"},
        {at(10, 12, 0), "Fri 00:00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(BusyUntilText(read, row.moment, berlin, QStringLiteral("later")),
            QString::fromLatin1(row.says))
            << row.moment.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(
        read.NextBoundary(at(7, 13, 0).toMSecsSinceEpoch()), at(7, 14, 0).toMSecsSinceEpoch());

    // Moved while the program runs: the boundary moves with it.
    server_.Modify(Event("meeting",
        "DTSTART;TZID=Europe/Berlin:20300107T160000\r\nDTEND;TZID=Europe/"
        "Berlin:20300107T170000\r\n"));
    ASSERT_TRUE(WaitForServer([&] {
        return busy().NextBoundary(at(7, 13, 0).toMSecsSinceEpoch())
            == at(7, 16, 0).toMSecsSinceEpoch();
    }));
}

TEST_F(EdsCalendarTest, ARecurringEventComesWithItsDetachedInstance)
{
    EdsCalendarReader reader(published_.Sink());
    server_.Add(Event("daily",
        "DTSTART:20300301T080000Z\r\nDTEND:20300301T090000Z\r\n"
        "RRULE:FREQ=DAILY;COUNT=5\r\n"));
    // As a calendar application moves one day's meeting: that instance alone.
    server_.Modify(Event("daily",
                       "RECURRENCE-ID:20300303T080000Z\r\n"
                       "DTSTART:20300303T100000Z\r\nDTEND:20300303T110000Z\r\n"),
        E_CAL_OBJ_MOD_THIS);
    ASSERT_TRUE(WaitForServer(
        [&] { return Count(published_.Text(server_.PersonalName()), "UID:daily") == 2; }));
    const std::string text = published_.Text(server_.PersonalName());
    EXPECT_NE(text.find(":FREQ=DAILY;COUNT=5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RECURRENCE-ID:20300303T080000Z"), std::string::npos) << text;
    EXPECT_NE(text.find("DTSTART:20300303T100000Z"), std::string::npos) << text;
}

TEST_F(EdsCalendarTest, CalendarsAddedOrSwitchedOffAreFollowed)
{
    EdsCalendarReader reader(published_.Sink());
    ASSERT_TRUE(WaitForServer([&] { return published_.Last().has_value(); }));

    const std::string added = server_.CreateCalendar("Aardvark");
    ASSERT_TRUE(WaitForServer([&] {
        const auto last = published_.Last();
        return last->documents.size() >= 2 && last->documents[1].name == "Aardvark";
    })) << "after the default calendar, by name";
    const auto snapshot = published_.Last();
    EXPECT_EQ(snapshot->problem, "");
    std::vector<std::string> names;
    for (const CalendarDocument& document : snapshot->documents)
        names.push_back(document.name);
    // The last is the server's own calendar of the address books' birthdays.
    EXPECT_EQ(names,
        (std::vector<std::string> {
            server_.PersonalName(), "Aardvark", "Birthdays & Anniversaries"}));

    // A calendar whose backend is missing is named in the problem; the
    // others are still read.
    server_.CreateCalendar("Broken", "no-such-backend");
    ASSERT_TRUE(WaitForServer([&] { return !published_.Last()->problem.empty(); }));
    EXPECT_TRUE(
        published_.Last()->problem.starts_with("the calendar \"Broken\" could not be opened: "))
        << published_.Last()->problem;
    EXPECT_EQ(published_.Last()->documents.front().name, server_.PersonalName());

    server_.DisableCalendar(added);
    ASSERT_TRUE(WaitForServer([&] {
        const auto last = published_.Last();
        return std::none_of(last->documents.begin(), last->documents.end(),
            [](const CalendarDocument& document) { return document.name == "Aardvark"; });
    }));
}
