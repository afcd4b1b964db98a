// libecal's headers come before anything else: they use names that other
// headers define as macros.
#include <libecal/libecal.h>

#include "calendar/EdsCalendarReader.h"

#include "platform/contacts/EdsReader.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

namespace pelmora {

namespace {

// The registry could not be reached: try again after this long.
constexpr unsigned kRegistryRetryMs = 10000;
// Registry changes come in bursts (a new calendar is added, then enabled).
constexpr unsigned kReloadDelayMs = 250;
// Changes are gathered this long before the snapshot is built again.
constexpr unsigned kSettleMs = 50;
// The server process went away; it is started again on the next connect.
constexpr unsigned kRestartDelayMs = 1000;
// The registry, started by D-Bus activation when it does not run yet.
constexpr int kPingMs = 15000;

constexpr char kServer[] = "the calendar server (Evolution Data Server)";

struct GFree {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFree>;

struct GUnref {
    void operator()(void* p) const { g_object_unref(p); }
};
template <class T> using GRef = std::unique_ptr<T, GUnref>;

std::string CollationKey(const char* text)
{
    const GText folded(g_utf8_casefold(text ? text : "", -1));
    const GText key(g_utf8_collate_key(folded.get(), -1));
    return key.get();
}

GSource* Attach(unsigned delayMs, GSourceFunc callback, gpointer data, GMainContext* context)
{
    GSource* source = delayMs > 0 ? g_timeout_source_new(delayMs) : g_idle_source_new();
    g_source_set_callback(source, callback, data, nullptr);
    g_source_attach(source, context);
    return source;
}

// The error's message, and frees it; empty for a cancelled call, which is
// the reader closing rather than anything to report.
std::string Consume(GError* error)
{
    std::string text;
    if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
        text = error->message;
    g_error_free(error);
    return text;
}

// Every time zone that a property of the event names.
void CollectTzids(ICalComponent* event, std::set<std::string>& tzids)
{
    for (GRef<ICalProperty> property(i_cal_component_get_first_property(event, I_CAL_ANY_PROPERTY));
         property; property.reset(i_cal_component_get_next_property(event, I_CAL_ANY_PROPERTY))) {
        const GRef<ICalParameter> parameter(
            i_cal_property_get_first_parameter(property.get(), I_CAL_TZID_PARAMETER));
        const char* tzid = parameter ? i_cal_parameter_get_tzid(parameter.get()) : nullptr;
        if (tzid && *tzid)
            tzids.insert(tzid);
    }
}

// "mailto:" and the blanks around the address go; the rest is kept as given.
std::string PlainAddress(const char* value)
{
    std::string_view text(value ? value : "");
    while (!text.empty() && g_ascii_isspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && g_ascii_isspace(text.back()))
        text.remove_suffix(1);
    constexpr std::string_view kMailto = "mailto:";
    if (text.size() >= kMailto.size()
        && g_ascii_strncasecmp(text.data(), kMailto.data(), kMailto.size()) == 0)
        text.remove_prefix(kMailto.size());
    return std::string(text);
}

} // namespace

// One enabled calendar: its client, a view that reports every change to its
// events, and its text as last read. The view only marks the text stale: a
// change to a recurring event can touch several components at once (the
// master and its detached instances), and reading them all again is simpler
// than following each one.
class EdsCalendarReader::Calendar final {
public:
    Calendar(ESource* source, std::function<void()> changed, std::function<void()> died)
        : source_(static_cast<ESource*>(g_object_ref(source)))
        , changed_(std::move(changed))
        , died_(std::move(died))
    {
    }
    ~Calendar()
    {
        if (view_) {
            g_signal_handlers_disconnect_by_data(view_, this);
            e_cal_client_view_stop(view_, nullptr);
            g_object_unref(view_);
        }
        if (client_) {
            g_signal_handlers_disconnect_by_data(client_, this);
            g_object_unref(client_);
        }
        g_object_unref(source_);
    }
    Calendar(const Calendar&) = delete;
    Calendar& operator=(const Calendar&) = delete;

    // Connects to the calendar and starts its view; on failure, why.
    std::string Open(GCancellable* cancel);
    // Reads the events again if they changed since the last read; on
    // failure, why, and the last text stays.
    std::string Refresh(GCancellable* cancel);

    std::string Uid() const { return e_source_get_uid(source_); }
    std::string DisplayName() const
    {
        const char* name = e_source_get_display_name(source_);
        return name ? name : "";
    }
    bool Read() const { return read_; }
    const std::string& Text() const { return text_; }
    const std::string& OwnAddress() const { return ownAddress_; }

private:
    static void Changed(ECalClientView*, gpointer, gpointer self)
    {
        auto* calendar = static_cast<Calendar*>(self);
        calendar->stale_ = true;
        calendar->changed_();
    }
    static void Died(EClient*, gpointer self) { static_cast<Calendar*>(self)->died_(); }

    std::string TimeZone(const std::string& tzid, GCancellable* cancel);

    ESource* source_;
    std::function<void()> changed_, died_;
    ECalClient* client_ = nullptr;
    ECalClientView* view_ = nullptr;
    bool stale_ = true;
    bool read_ = false;
    std::string text_;
    std::string ownAddress_;
};

std::string EdsCalendarReader::Calendar::Open(GCancellable* cancel)
{
    GError* error = nullptr;
    // A local calendar never reports itself connected: waiting for that
    // would only wait out the whole time, so the wait is "none" (-1).
    EClient* client = e_cal_client_connect_sync(
        source_, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, static_cast<guint32>(-1), cancel, &error);
    if (!client)
        return Consume(error);
    client_ = E_CAL_CLIENT(client);
    g_signal_connect(client_, "backend-died", G_CALLBACK(&Died), this);
    // The view reports changes from its start on; the events themselves are
    // read after that, so nothing changed in between is missed.
    if (e_cal_client_get_view_sync(client_, "#t", &view_, cancel, &error)) {
        e_cal_client_view_set_flags(view_, E_CAL_CLIENT_VIEW_FLAGS_NONE, nullptr);
        for (const char* name : {"objects-added", "objects-modified", "objects-removed"})
            g_signal_connect(view_, name, G_CALLBACK(&Changed), this);
        e_cal_client_view_start(view_, &error);
    }
    return error ? Consume(error) : std::string();
}

std::string EdsCalendarReader::Calendar::Refresh(GCancellable* cancel)
{
    if (!stale_)
        return {};
    stale_ = false;
    GError* error = nullptr;
    GSList* objects = nullptr;
    if (!e_cal_client_get_object_list_sync(client_, "#t", &objects, cancel, &error)) {
        stale_ = true;
        return Consume(error);
    }
    // Sorted by UID and recurrence, so that an unchanged calendar reads as
    // the same text whatever order the server keeps.
    std::vector<std::pair<std::string, std::string>> events;
    std::set<std::string> tzids;
    for (GSList* o = objects; o; o = o->next) {
        auto* event = static_cast<ICalComponent*>(o->data);
        if (i_cal_component_isa(event) != I_CAL_VEVENT_COMPONENT)
            continue;
        const char* uid = i_cal_component_get_uid(event);
        const GText recurrence(e_cal_util_component_get_recurid_as_string(event));
        const GText text(i_cal_component_as_ical_string(event));
        events.emplace_back(
            std::string(uid ? uid : "") + '\n' + (recurrence ? recurrence.get() : ""), text.get());
        CollectTzids(event, tzids);
    }
    g_slist_free_full(objects, g_object_unref);
    std::sort(events.begin(), events.end());

    text_ = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Pelmora//Evolution Data Server//EN\r\n";
    for (const std::string& tzid : tzids)
        text_ += TimeZone(tzid, cancel);
    for (const auto& [key, text] : events)
        text_ += text;
    text_ += "END:VCALENDAR\r\n";
    read_ = true;

    gchar* address = nullptr;
    if (e_client_get_backend_property_sync(E_CLIENT(client_),
            E_CAL_BACKEND_PROPERTY_CAL_EMAIL_ADDRESS, &address, cancel, nullptr)) {
        ownAddress_ = PlainAddress(address);
        g_free(address);
    }
    return {};
}

// The VTIMEZONE of `tzid`, or nothing for UTC (which has none) and for a
// zone the server does not know: the times that name it then read as
// floating.
std::string EdsCalendarReader::Calendar::TimeZone(const std::string& tzid, GCancellable* cancel)
{
    ICalTimezone* zone = nullptr; // the client's
    GError* error = nullptr;
    if (!e_cal_client_get_timezone_sync(client_, tzid.c_str(), &zone, cancel, &error)) {
        g_error_free(error);
        return {};
    }
    const GRef<ICalComponent> component(zone ? i_cal_timezone_get_component(zone) : nullptr);
    if (!component)
        return {};
    const GText text(i_cal_component_as_ical_string(component.get()));
    return text ? text.get() : "";
}

struct EdsCalendarReader::Signals {
    static gboolean Reload(gpointer self)
    {
        static_cast<EdsCalendarReader*>(self)->Reload();
        return G_SOURCE_REMOVE;
    }
    static gboolean Rebuild(gpointer self)
    {
        static_cast<EdsCalendarReader*>(self)->Rebuild();
        return G_SOURCE_REMOVE;
    }
    // The registry is one object per process: its signals come on the main
    // context of the thread that made it first, which need not be the
    // reader's. They are handed to the reader's own context.
    static void SourcesChanged(ESourceRegistry*, ESource* source, gpointer self)
    {
        if (e_source_has_extension(source, E_SOURCE_EXTENSION_CALENDAR))
            g_main_context_invoke(
                static_cast<EdsCalendarReader*>(self)->context_, &ReloadSoon, self);
    }
    // A renamed calendar may move in the document order.
    static void SourceChanged(ESourceRegistry*, ESource* source, gpointer self)
    {
        if (e_source_has_extension(source, E_SOURCE_EXTENSION_CALENDAR))
            g_main_context_invoke(
                static_cast<EdsCalendarReader*>(self)->context_, &RebuildSoon, self);
    }
    static void DefaultChanged(GObject*, GParamSpec*, gpointer self)
    {
        g_main_context_invoke(static_cast<EdsCalendarReader*>(self)->context_, &RebuildSoon, self);
    }
    static gboolean ReloadSoon(gpointer self)
    {
        static_cast<EdsCalendarReader*>(self)->ScheduleReload(kReloadDelayMs);
        return G_SOURCE_REMOVE;
    }
    static gboolean RebuildSoon(gpointer self)
    {
        static_cast<EdsCalendarReader*>(self)->ScheduleRebuild();
        return G_SOURCE_REMOVE;
    }
};

EdsCalendarReader::EdsCalendarReader(Publish publish)
    : publish_(std::move(publish))
    , context_(g_main_context_new())
    , cancel_(g_cancellable_new())
    , thread_([this] { Run(); })
{
}

EdsCalendarReader::~EdsCalendarReader()
{
    stopping_ = true;
    g_cancellable_cancel(cancel_);
    g_main_context_wakeup(context_);
    thread_.join();
    g_object_unref(cancel_);
    g_main_context_unref(context_);
}

bool EdsCalendarReader::ServerAvailable()
{
    return !EdsReader::RegistryBusName().empty();
}

void EdsCalendarReader::Run()
{
    g_main_context_push_thread_default(context_);
    Reload();
    while (!stopping_)
        g_main_context_iteration(context_, TRUE);
    Cancel(reload_);
    Cancel(rebuild_);
    calendars_.clear();
    if (registry_) {
        g_signal_handlers_disconnect_by_data(registry_, this);
        g_object_unref(registry_);
    }
    while (g_main_context_iteration(context_, FALSE)) { }
    g_main_context_pop_thread_default(context_);
}

bool EdsCalendarReader::ConnectRegistry()
{
    GError* error = nullptr;
    // libecal cannot give up creating a registry whose service hangs, so the
    // service first has to answer a ping, which can be given up on.
    const std::string name = EdsReader::RegistryBusName(cancel_);
    GDBusConnection* bus
        = name.empty() ? nullptr : g_bus_get_sync(G_BUS_TYPE_SESSION, cancel_, nullptr);
    GVariant* pong = bus
        ? g_dbus_connection_call_sync(bus, name.c_str(), "/", "org.freedesktop.DBus.Peer", "Ping",
            nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, kPingMs, cancel_, &error)
        : nullptr;
    if (bus)
        g_object_unref(bus);
    if (pong) {
        g_variant_unref(pong);
        registry_ = e_source_registry_new_sync(cancel_, &error);
    } else if (!error) {
        g_set_error_literal(&error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "not on the session bus");
    }
    if (!registry_) {
        // Told in the snapshot: whoever reads it knows whether the
        // calendar matters enough to say so.
        registryFailed_ = true;
        const std::string why = Consume(error);
        registryProblem_ = std::string(kServer)
            + (name.empty() ? " is not running" : " does not answer: " + why);
        return false;
    }
    registryFailed_ = false;
    for (const char* signal :
        {"source-added", "source-removed", "source-enabled", "source-disabled"})
        g_signal_connect(registry_, signal, G_CALLBACK(&Signals::SourcesChanged), this);
    g_signal_connect(registry_, "source-changed", G_CALLBACK(&Signals::SourceChanged), this);
    g_signal_connect(
        registry_, "notify::default-calendar", G_CALLBACK(&Signals::DefaultChanged), this);
    return true;
}

void EdsCalendarReader::Reload()
{
    Cancel(reload_);
    calendars_.clear();
    openProblems_.clear();
    if (!registry_ && !ConnectRegistry()) {
        if (!stopping_)
            ScheduleReload(kRegistryRetryMs);
        Rebuild(); // an empty snapshot that says why
        return;
    }
    GList* sources = e_source_registry_list_enabled(registry_, E_SOURCE_EXTENSION_CALENDAR);
    for (GList* s = sources; s && !stopping_; s = s->next) {
        auto calendar = std::make_unique<Calendar>(
            E_SOURCE(s->data), [this] { ScheduleRebuild(); },
            [this] { ScheduleReload(kRestartDelayMs); });
        const std::string problem = calendar->Open(cancel_);
        if (problem.empty() && !g_cancellable_is_cancelled(cancel_)) {
            calendars_.push_back(std::move(calendar));
            continue;
        }
        if (problem.empty())
            continue;
        openProblems_.push_back(
            "the calendar \"" + calendar->DisplayName() + "\" could not be opened: " + problem);
    }
    g_list_free_full(sources, g_object_unref);
    Rebuild();
}

void EdsCalendarReader::Rebuild()
{
    Cancel(rebuild_);
    if (stopping_)
        return;
    CalendarSnapshot snapshot;
    std::vector<std::string> problems;
    if (!registry_)
        problems.push_back(registryProblem_);
    problems.insert(problems.end(), openProblems_.begin(), openProblems_.end());

    std::string defaultUid;
    ESource* chosen
        = calendars_.empty() ? nullptr : e_source_registry_ref_default_calendar(registry_);
    if (chosen) {
        defaultUid = e_source_get_uid(chosen);
        g_object_unref(chosen);
    }
    std::vector<std::tuple<bool, std::string, std::string, Calendar*>> order;
    for (const auto& calendar : calendars_)
        order.emplace_back(calendar->Uid() != defaultUid,
            CollationKey(calendar->DisplayName().c_str()), calendar->Uid(), calendar.get());
    std::sort(order.begin(), order.end());

    for (const auto& place : order) {
        Calendar& calendar = *std::get<3>(place);
        const std::string problem = calendar.Refresh(cancel_);
        if (!problem.empty())
            problems.push_back(
                "the calendar \"" + calendar.DisplayName() + "\" could not be read: " + problem);
        if (!calendar.Read())
            continue;
        snapshot.documents.push_back({calendar.DisplayName(), calendar.Text()});
        const std::string& address = calendar.OwnAddress();
        const bool known = std::any_of(snapshot.ownAddresses.begin(), snapshot.ownAddresses.end(),
            [&address](const std::string& other) {
                return g_ascii_strcasecmp(other.c_str(), address.c_str()) == 0;
            });
        if (!address.empty() && !known)
            snapshot.ownAddresses.push_back(address);
    }
    for (const std::string& problem : problems)
        snapshot.problem += (snapshot.problem.empty() ? "" : "; ") + problem;
    if (!stopping_)
        publish_(std::move(snapshot));
}

void EdsCalendarReader::ScheduleReload(unsigned delayMs)
{
    Cancel(reload_);
    reload_ = Attach(delayMs, &Signals::Reload, this, context_);
}

void EdsCalendarReader::ScheduleRebuild()
{
    // The server sends a view's changes in small batches a few milliseconds
    // apart; waiting a little lets a burst of them cost one snapshot.
    if (!rebuild_)
        rebuild_ = Attach(kSettleMs, &Signals::Rebuild, this, context_);
}

void EdsCalendarReader::Cancel(GSource*& source)
{
    if (!source)
        return;
    g_source_destroy(source);
    g_source_unref(source);
    source = nullptr;
}

} // namespace pelmora
