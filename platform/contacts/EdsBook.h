#pragma once

#include "platform/contacts/VCardParser.h"

#include <functional>
#include <string>
#include <unordered_map>

typedef struct _ESource ESource;
typedef struct _EBookClient EBookClient;
typedef struct _EBookClientView EBookClientView;
typedef struct _GCancellable GCancellable;

namespace pelmora {

// One enabled address book of Evolution Data Server: its client, a view of
// all its contacts and the cards read from them. The view reports each
// contact added, changed or removed, so the cards follow the book without
// reading it again. Lives on the reader thread, whose main context receives
// the view's signals.
class EdsBook final {
public:
    struct Entry {
        std::string sortKey; // collation key of the "file as" name
        ParsedCard card;
    };
    // `changed` runs after the view changed the cards; `died` when the
    // server process behind the book went away.
    EdsBook(ESource* source, std::function<void()> changed, std::function<void()> died);
    ~EdsBook();
    EdsBook(const EdsBook&) = delete;
    EdsBook& operator=(const EdsBook&) = delete;

    // Connects to the book, starts its view and reads all its contacts;
    // false (with a message on standard error) when that fails.
    bool Open(GCancellable* cancel);

    std::string Uid() const;
    std::string DisplayName() const;
    // Contacts by UID.
    const std::unordered_map<std::string, Entry>& Entries() const { return entries_; }

private:
    struct Signals; // the view's and the client's signal handlers
    friend struct Signals;

    ESource* source_;
    std::function<void()> changed_, died_;
    EBookClient* client_ = nullptr;
    EBookClientView* view_ = nullptr;
    std::unordered_map<std::string, Entry> entries_;
};

// Reads one contact of the server: its UID, name parts and ten phone
// fields. The server's own phone fields (business, business 2, business fax,
// home, home 2, home fax, mobile, car, pager, radio) go to the fields of the
// same name; its other numbers go where a vCard file's would. False for a
// contact list (a list of e-mail addresses, not a person) and for a contact
// without a UID.
bool ReadEdsContact(EContact* contact, std::string& uid, EdsBook::Entry& entry);

} // namespace pelmora
