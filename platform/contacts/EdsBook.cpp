// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook/libebook.h>

#include "platform/contacts/EdsBook.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace pelmora {

namespace {

constexpr char kSource[] = "evolution-data-server";

// The server's phone fields that have a field of the same meaning here.
constexpr std::array<std::pair<EContactField, PhoneField>, kPhoneFieldCount> kServerFields = {{
    {E_CONTACT_PHONE_MOBILE, Mobile},
    {E_CONTACT_PHONE_PAGER, Pager},
    {E_CONTACT_PHONE_BUSINESS, Business},
    {E_CONTACT_PHONE_HOME, Home},
    {E_CONTACT_PHONE_HOME_2, Home2},
    {E_CONTACT_PHONE_HOME_FAX, HomeFax},
    {E_CONTACT_PHONE_CAR, Car},
    {E_CONTACT_PHONE_BUSINESS_2, Business2},
    {E_CONTACT_PHONE_RADIO, Radio},
    {E_CONTACT_PHONE_BUSINESS_FAX, BusinessFax},
}};

struct GFree {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFree>;

std::string Stripped(const char* text)
{
    std::string value(text ? text : "");
    const auto space = [](unsigned char c) { return g_ascii_isspace(c); };
    while (!value.empty() && space(value.back()))
        value.pop_back();
    const auto first = std::find_if_not(value.begin(), value.end(), space);
    value.erase(value.begin(), first);
    return value;
}

// Marks the TEL behind each of the server's own phone fields as filed there.
// libebook gives a field's text, not its attribute, so the TEL is the first
// one not yet filed whose text is that text.
void MarkFiledByServer(EContact* contact, VCardFields& fields)
{
    for (const auto& [serverField, field] : kServerFields) {
        const GText text(static_cast<char*>(e_contact_get(contact, serverField)));
        if (!text || !*text)
            continue;
        for (VCardFields::Tel& tel : fields.tels)
            if (!tel.filed && Stripped(tel.value.c_str()) == text.get()) {
                tel.filed = field;
                break;
            }
    }
}

} // namespace

bool ReadEdsContact(EContact* contact, std::string& uid, EdsBook::Entry& entry)
{
    const auto* id = static_cast<const char*>(e_contact_get_const(contact, E_CONTACT_UID));
    if (!id || !*id || e_contact_get(contact, E_CONTACT_IS_LIST))
        return false;
    uid = id;
    VCardFields fields;
    ReadContactFields(contact, fields);
    MarkFiledByServer(contact, fields);
    entry.card = ParsedCard {uid, FileContactCard(fields, kSource, uid)};
    const GText fileAs(static_cast<char*>(e_contact_get(contact, E_CONTACT_FILE_AS)));
    const GText folded(g_utf8_casefold(fileAs ? fileAs.get() : "", -1));
    const GText key(g_utf8_collate_key(folded.get(), -1));
    entry.sortKey = key.get();
    return true;
}

struct EdsBook::Signals {
    static void Store(EdsBook* book, const GSList* contacts)
    {
        for (const GSList* c = contacts; c; c = c->next) {
            auto* contact = static_cast<EContact*>(c->data);
            std::string uid;
            EdsBook::Entry entry;
            if (ReadEdsContact(contact, uid, entry))
                book->entries_.insert_or_assign(uid, std::move(entry));
            else if (const auto* id
                = static_cast<const char*>(e_contact_get_const(contact, E_CONTACT_UID)))
                book->entries_.erase(id); // a contact that became a list
        }
    }
    static void Added(EBookClientView*, const GSList* contacts, gpointer self)
    {
        auto* book = static_cast<EdsBook*>(self);
        Store(book, contacts);
        book->changed_();
    }
    static void Removed(EBookClientView*, const GSList* uids, gpointer self)
    {
        auto* book = static_cast<EdsBook*>(self);
        for (const GSList* u = uids; u; u = u->next)
            book->entries_.erase(static_cast<const char*>(u->data));
        book->changed_();
    }
    static void Died(EClient*, gpointer self) { static_cast<EdsBook*>(self)->died_(); }
};

EdsBook::EdsBook(ESource* source, std::function<void()> changed, std::function<void()> died)
    : source_(static_cast<ESource*>(g_object_ref(source)))
    , changed_(std::move(changed))
    , died_(std::move(died))
{
}

EdsBook::~EdsBook()
{
    if (view_) {
        g_signal_handlers_disconnect_by_data(view_, this);
        e_book_client_view_stop(view_, nullptr);
        g_object_unref(view_);
    }
    if (client_) {
        g_signal_handlers_disconnect_by_data(client_, this);
        g_object_unref(client_);
    }
    g_object_unref(source_);
}

std::string EdsBook::Uid() const
{
    return e_source_get_uid(source_);
}

std::string EdsBook::DisplayName() const
{
    const char* name = e_source_get_display_name(source_);
    return name ? name : "";
}

bool EdsBook::Open(GCancellable* cancel)
{
    GError* error = nullptr;
    // A local book never reports itself connected: waiting for that would
    // only wait out the whole time, so the wait is "none" (-1).
    EClient* client = e_book_client_connect_sync(source_, static_cast<guint32>(-1), cancel, &error);
    if (client) {
        client_ = E_BOOK_CLIENT(client);
        g_signal_connect(client_, "backend-died", G_CALLBACK(&Signals::Died), this);
        // Every contact: the lists of the program show them all.
        EBookQuery* all = e_book_query_any_field_contains("");
        const GText query(e_book_query_to_string(all));
        e_book_query_unref(all);
        // The view reports changes from its start on; the contacts are read
        // in one call after that, rather than delivered by the view in the
        // small batches the server paces it to. A change made in between
        // comes both ways and is applied again after the read, in order.
        GSList* contacts = nullptr;
        if (e_book_client_get_view_sync(client_, query.get(), &view_, cancel, &error)) {
            e_book_client_view_set_flags(view_, E_BOOK_CLIENT_VIEW_FLAGS_NONE, nullptr);
            g_signal_connect(view_, "objects-added", G_CALLBACK(&Signals::Added), this);
            g_signal_connect(view_, "objects-modified", G_CALLBACK(&Signals::Added), this);
            g_signal_connect(view_, "objects-removed", G_CALLBACK(&Signals::Removed), this);
            e_book_client_view_start(view_, &error);
        }
        if (!error
            && e_book_client_get_contacts_sync(client_, query.get(), &contacts, cancel, &error)) {
            Signals::Store(this, contacts);
            g_slist_free_full(contacts, g_object_unref);
        }
    }
    if (!error)
        return true;
    if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
        std::fprintf(
            stderr, "pelmora: %s: address book %s: %s\n", kSource, Uid().c_str(), error->message);
    g_error_free(error);
    return false;
}

} // namespace pelmora
