#pragma once

#include "messages/ContactNameParts.h"
#include "platform/contacts/PocketOutlook.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelmora {

// A logged-on connection to the phone's contacts. The main window holds one
// while monitoring runs; contact lists open their own for as long as needed.
class CContactsSession {
public:
    CContactsSession() = default;
    virtual ~CContactsSession();
    CContactsSession(const CContactsSession&) = delete;
    CContactsSession& operator=(const CContactsSession&) = delete;

    bool Logon();
    void Logoff();
    bool IsLoggedOn() const { return loggedOn != 0; }

    // The contacts service's exact search over the ten phone fields.
    bool FindContactByNumber(std::u16string_view number, ContactNameParts& parts);
    // The first contact in folder order with a phone field that, without its
    // formatting characters, equals `a` or `b` without theirs.
    bool ScanContactsByNumber(std::u16string a, std::u16string b, ContactNameParts& parts);
    // The first contact in folder order with a phone field that, without its
    // formatting characters and leading zeros, is the national number given.
    bool FindContactByNationalNumber(std::u16string_view national, ContactNameParts& parts);
    int32_t GetContactCount();
    bool GetContactAt(int32_t position, std::u16string& title, std::u16string& firstName,
        std::u16string& lastName, uint32_t& contactId);
    bool GetContactFullName(uint32_t contactId, std::u16string& name);

    uint8_t loggedOn = 0;
    poom::IPOutlookApp* application = nullptr;

private:
    // The contacts folder's item collection, or null.
    poom::IPOutlookItemCollection* OpenItems(poom::IFolder*& folder);
    void ReadNameParts(const poom::IContact& contact, ContactNameParts& parts);
    std::u16string ReadText(
        const poom::IContact& contact, poom::HRESULT (poom::IContact::*getter)(poom::BSTR*) const);
    // Visits the contacts in folder order until `visit` returns true; true
    // when it did.
    bool WalkContacts(const std::function<bool(const poom::IContact&)>& visit);
    // One search of the contacts folder: the contact `find` picks, read into
    // `parts`; false when the session is logged off or nothing was found.
    bool FindOne(
        const std::function<void(const poom::IPOutlookItemCollection&, poom::IContact**)>& find,
        ContactNameParts& parts);
    std::u16string TakeString(poom::BSTR text);
};

// The lookup stage that found a caller.
enum class LookupStage {
    NotFound,
    AsDelivered, // the number as the line reported it
    WithPrefix, // without leading zeros, behind the international prefix
    Scan, // every contact compared without formatting characters
    National, // an international number from the home country, as stored nationally
};

struct IdentifiedCaller {
    ContactNameParts parts;
    LookupStage stage = LookupStage::NotFound;
    std::u16string prefixedNumber; // the form the second and third stages look for
};

// Identifies a caller in three stages: the number as reported; without its
// leading zeros behind the international prefix; a scan of all contacts
// ignoring formatting characters. Networks mostly deliver numbers in
// international form while people store them nationally, so a fourth stage
// takes a number that begins with a "+" prefix as the national number after
// it, found in contacts stored without formatting and leading zeros. Empty
// parts and 0 when nothing matched.
IdentifiedCaller IdentifyCallerStage(
    CContactsSession& session, std::u16string_view number, std::u16string_view internationalPrefix);
ContactNameParts IdentifyCaller(
    CContactsSession& session, std::u16string_view number, std::u16string_view internationalPrefix);

} // namespace pelmora
