// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook/libebook.h>

#include "platform/contacts/EdsReader.h"

#include "platform/contacts/EdsBook.h"
#include "platform/contacts/VCardAddressBook.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <tuple>

namespace pelmora {

namespace {

// The registry could not be reached: try again after this long.
constexpr unsigned kRegistryRetryMs = 10000;
// Registry changes come in bursts (a new book is added, then enabled).
constexpr unsigned kReloadDelayMs = 250;
// Changes are gathered this long before the folder is built again.
constexpr unsigned kSettleMs = 50;
// The server process went away; it is started again on the next connect.
constexpr unsigned kRestartDelayMs = 1000;
// Calls to the bus itself.
constexpr int kBusCallMs = 2000;
// The registry, started by D-Bus activation when it does not run yet.
constexpr int kPingMs = 15000;

std::string CollationKey(const char* text)
{
    gchar* folded = g_utf8_casefold(text ? text : "", -1);
    gchar* key = g_utf8_collate_key(folded, -1);
    std::string result(key);
    g_free(key);
    g_free(folded);
    return result;
}

GSource* Attach(unsigned delayMs, GSourceFunc callback, gpointer data, GMainContext* context)
{
    GSource* source = delayMs > 0 ? g_timeout_source_new(delayMs) : g_idle_source_new();
    g_source_set_callback(source, callback, data, nullptr);
    g_source_attach(source, context);
    return source;
}

} // namespace

struct EdsReader::Signals {
    static gboolean Reload(gpointer self)
    {
        static_cast<EdsReader*>(self)->Reload();
        return G_SOURCE_REMOVE;
    }
    static gboolean Rebuild(gpointer self)
    {
        static_cast<EdsReader*>(self)->Rebuild();
        return G_SOURCE_REMOVE;
    }
    // The registry is one object per process: its signals come on the main
    // context of the thread that made it first, which need not be the
    // reader's. They are handed to the reader's own context.
    static void SourcesChanged(ESourceRegistry*, ESource* source, gpointer self)
    {
        if (e_source_has_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK))
            g_main_context_invoke(static_cast<EdsReader*>(self)->context_, &ReloadSoon, self);
    }
    // A renamed book may move in the folder order.
    static void SourceChanged(ESourceRegistry*, ESource* source, gpointer self)
    {
        if (e_source_has_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK))
            g_main_context_invoke(static_cast<EdsReader*>(self)->context_, &RebuildSoon, self);
    }
    static void DefaultChanged(GObject*, GParamSpec*, gpointer self)
    {
        g_main_context_invoke(static_cast<EdsReader*>(self)->context_, &RebuildSoon, self);
    }
    static gboolean ReloadSoon(gpointer self)
    {
        static_cast<EdsReader*>(self)->ScheduleReload(kReloadDelayMs);
        return G_SOURCE_REMOVE;
    }
    static gboolean RebuildSoon(gpointer self)
    {
        static_cast<EdsReader*>(self)->ScheduleRebuild();
        return G_SOURCE_REMOVE;
    }
};

EdsReader::EdsReader(Publish publish)
    : publish_(std::move(publish))
    , context_(g_main_context_new())
    , cancel_(g_cancellable_new())
    , thread_([this] { Run(); })
{
}

EdsReader::~EdsReader()
{
    stopping_ = true;
    g_cancellable_cancel(cancel_);
    g_main_context_wakeup(context_);
    thread_.join();
    g_object_unref(cancel_);
    g_main_context_unref(context_);
}

void EdsReader::Run()
{
    g_main_context_push_thread_default(context_);
    Reload();
    while (!stopping_)
        g_main_context_iteration(context_, TRUE);
    Cancel(reload_);
    Cancel(rebuild_);
    books_.clear();
    if (registry_) {
        g_signal_handlers_disconnect_by_data(registry_, this);
        g_object_unref(registry_);
    }
    while (g_main_context_iteration(context_, FALSE)) { }
    g_main_context_pop_thread_default(context_);
}

std::string EdsReader::RegistryBusName(GCancellable* cancel)
{
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, cancel, nullptr);
    if (!bus)
        return {};
    // A bus that goes away must not end the program (GLib's default for the
    // shared session connection); the contacts just stop changing.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    // The name carries the interface's version ("...Sources5").
    constexpr std::string_view kPrefix = "org.gnome.evolution.dataserver.Sources";
    std::string found;
    for (const char* method : {"ListNames", "ListActivatableNames"}) {
        GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus", method, nullptr,
            G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, kBusCallMs, cancel, nullptr);
        if (!reply)
            continue;
        GVariantIter* names = nullptr;
        const char* name = nullptr;
        g_variant_get(reply, "(as)", &names);
        while (found.empty() && g_variant_iter_next(names, "&s", &name))
            if (std::string_view(name).starts_with(kPrefix))
                found = name;
        g_variant_iter_free(names);
        g_variant_unref(reply);
        if (!found.empty())
            break;
    }
    g_object_unref(bus);
    return found;
}

bool EdsReader::ConnectRegistry()
{
    GError* error = nullptr;
    // libebook cannot give up creating a registry whose service hangs, so
    // the service first has to answer a ping, which can be given up on.
    const std::string name = RegistryBusName(cancel_);
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
        // Said once, and not when the program is closing.
        if (!registryFailed_ && !g_cancellable_is_cancelled(cancel_))
            std::fprintf(stderr, "pelmora: evolution-data-server: %s\n", error->message);
        registryFailed_ = true;
        g_error_free(error);
        return false;
    }
    for (const char* name : {"source-added", "source-removed", "source-enabled", "source-disabled"})
        g_signal_connect(registry_, name, G_CALLBACK(&Signals::SourcesChanged), this);
    g_signal_connect(registry_, "source-changed", G_CALLBACK(&Signals::SourceChanged), this);
    g_signal_connect(
        registry_, "notify::default-address-book", G_CALLBACK(&Signals::DefaultChanged), this);
    return true;
}

void EdsReader::Reload()
{
    Cancel(reload_);
    books_.clear();
    if (!registry_ && !ConnectRegistry()) {
        if (!stopping_)
            ScheduleReload(kRegistryRetryMs);
        Rebuild(); // an empty folder, so that nobody waits for a first read
        return;
    }
    GList* sources = e_source_registry_list_enabled(registry_, E_SOURCE_EXTENSION_ADDRESS_BOOK);
    for (GList* s = sources; s && !stopping_; s = s->next) {
        auto book = std::make_unique<EdsBook>(
            E_SOURCE(s->data), [this] { ScheduleRebuild(); },
            [this] { ScheduleReload(kRestartDelayMs); });
        if (book->Open(cancel_))
            books_.push_back(std::move(book));
    }
    g_list_free_full(sources, g_object_unref);
    Rebuild();
}

void EdsReader::Rebuild()
{
    Cancel(rebuild_);
    std::string defaultUid;
    ESource* chosen
        = books_.empty() ? nullptr : e_source_registry_ref_default_address_book(registry_);
    if (chosen) {
        defaultUid = e_source_get_uid(chosen);
        g_object_unref(chosen);
    }
    std::vector<std::tuple<bool, std::string, std::string, const EdsBook*>> order;
    for (const auto& book : books_)
        order.emplace_back(book->Uid() != defaultUid, CollationKey(book->DisplayName().c_str()),
            book->Uid(), book.get());
    std::sort(order.begin(), order.end());

    std::vector<std::string> uids;
    CardTable cards;
    bool full = false;
    for (const auto& place : order) {
        const EdsBook& book = *std::get<3>(place);
        std::vector<const EdsBook::Entry*> entries;
        entries.reserve(book.Entries().size());
        for (const auto& [uid, entry] : book.Entries())
            entries.push_back(&entry);
        std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
            return std::tie(a->sortKey, a->card.uid) < std::tie(b->sortKey, b->card.uid);
        });
        for (const EdsBook::Entry* entry : entries) {
            if (full || !cards.Append(entry->card.card)) {
                full = true;
                break;
            }
            uids.push_back(entry->card.uid);
        }
    }
    if (full)
        std::fprintf(stderr,
            "pelmora: evolution-data-server: too many contacts, only the first %zu are used\n",
            cards.Size());
    cards.ShrinkToFit();
    const std::vector<uint32_t> ids = AssignContactIds(uids);
    for (size_t position = 0; position < ids.size(); ++position)
        cards.SetOid(position, ids[position]);
    publish_(
        std::make_shared<const ContactFolder>(std::move(cards)), static_cast<int>(order.size()));
}

void EdsReader::ScheduleReload(unsigned delayMs)
{
    Cancel(reload_);
    reload_ = Attach(delayMs, &Signals::Reload, this, context_);
}

void EdsReader::ScheduleRebuild()
{
    // The server sends a view's changes in small batches a few milliseconds
    // apart; waiting a little lets a burst of them cost one rebuild.
    if (!rebuild_)
        rebuild_ = Attach(kSettleMs, &Signals::Rebuild, this, context_);
}

void EdsReader::Cancel(GSource*& source)
{
    if (!source)
        return;
    g_source_destroy(source);
    g_source_unref(source);
    source = nullptr;
}

} // namespace pelmora
