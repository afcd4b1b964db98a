#include "messages/ContactsSession.h"

#include <algorithm>
#include <array>
#include <functional>

namespace pelmora {

using namespace poom;

std::u16string ComposeFullName(const ContactNameParts& parts)
{
    std::u16string name;
    for (const std::u16string* part :
        {&parts.title, &parts.firstName, &parts.middleName, &parts.lastName, &parts.suffix}) {
        if (!part->empty()) {
            name += *part;
            name += u' ';
        }
    }
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    return name;
}

CContactsSession::~CContactsSession()
{
    Logoff();
}

bool CContactsSession::Logon()
{
    if (loggedOn)
        return false;
    if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) < 0)
        return false;
    GUID clsid {};
    IPOutlookApp* app = nullptr;
    if (CLSIDFromProgID(u"PocketOutlook.Application", &clsid) < 0
        || CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &app) < 0) {
        CoUninitialize();
        return false;
    }
    if (app->Logon(0) < 0) {
        app->Release();
        CoUninitialize();
        return false;
    }
    application = app;
    loggedOn = 1;
    return true;
}

void CContactsSession::Logoff()
{
    if (!loggedOn)
        return;
    application->Logoff();
    application->Release();
    application = nullptr;
    CoUninitialize();
    loggedOn = 0;
}

std::u16string CContactsSession::TakeString(BSTR text)
{
    std::u16string copy = text ? std::u16string(text) : std::u16string();
    application->SysFreeString(text);
    return copy;
}

IPOutlookItemCollection* CContactsSession::OpenItems(IFolder*& folder)
{
    folder = nullptr;
    if (application->GetDefaultFolder(olFolderContacts, &folder) < 0 || !folder)
        return nullptr;
    IPOutlookItemCollection* items = nullptr;
    if (folder->get_Items(&items) < 0 || !items) {
        folder->Release();
        folder = nullptr;
        return nullptr;
    }
    return items;
}

std::u16string CContactsSession::ReadText(
    const IContact& contact, HRESULT (IContact::*getter)(BSTR*) const)
{
    BSTR text = nullptr;
    (contact.*getter)(&text);
    return TakeString(text);
}

void CContactsSession::ReadNameParts(const IContact& contact, ContactNameParts& parts)
{
    parts.title = ReadText(contact, &IContact::get_Title);
    parts.firstName = ReadText(contact, &IContact::get_FirstName);
    parts.middleName = ReadText(contact, &IContact::get_MiddleName);
    parts.lastName = ReadText(contact, &IContact::get_LastName);
    parts.suffix = ReadText(contact, &IContact::get_Suffix);
    int32_t oid = 0;
    contact.get_Oid(&oid);
    parts.contactId = static_cast<uint32_t>(oid);
}

bool CContactsSession::FindContactByNumber(std::u16string_view number, ContactNameParts& parts)
{
    std::u16string restriction;
    for (size_t field = 0; field < kPhoneFieldCount; ++field) {
        if (field > 0)
            restriction += u" OR ";
        restriction += u'[';
        restriction += kPhoneFieldNames[field];
        restriction += u"] = \"";
        restriction += number;
        restriction += u'"';
    }
    return FindOne([&](const IPOutlookItemCollection& items,
                       IContact** item) { items.Find(restriction.c_str(), item); },
        parts);
}

bool CContactsSession::FindOne(
    const std::function<void(const IPOutlookItemCollection&, IContact**)>& find,
    ContactNameParts& parts)
{
    if (!loggedOn)
        return false;
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = OpenItems(folder);
    if (!items)
        return false;
    IContact* item = nullptr;
    find(*items, &item);
    if (item) {
        ReadNameParts(*item, parts);
        item->Release();
    }
    items->Release();
    folder->Release();
    return item != nullptr;
}

bool CContactsSession::WalkContacts(const std::function<bool(const IContact&)>& visit)
{
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = OpenItems(folder);
    if (!items)
        return false;
    int32_t count = 0;
    if (items->get_Count(&count) < 0)
        count = 0;
    bool stopped = false;
    for (int32_t position = 1; position <= count && !stopped; ++position) {
        IContact* item = nullptr;
        if (items->Item(position, &item) < 0 || !item)
            continue;
        stopped = visit(*item);
        item->Release();
    }
    items->Release();
    folder->Release();
    return stopped;
}

bool CContactsSession::ScanContactsByNumber(
    std::u16string a, std::u16string b, ContactNameParts& parts)
{
    StripPhoneFormatting(a);
    StripPhoneFormatting(b);
    // The address book answers from its index of the numbers without their
    // formatting characters: the first contact in folder order with a field
    // equal to either form, as a walk over every contact and field would.
    return FindOne([&](const IPOutlookItemCollection& items,
                       IContact** item) { items.FindUnformatted(a.c_str(), b.c_str(), item); },
        parts);
}

bool CContactsSession::FindContactByNationalNumber(
    std::u16string_view national, ContactNameParts& parts)
{
    const std::u16string text(national);
    return FindOne([&](const IPOutlookItemCollection& items,
                       IContact** item) { items.FindNational(text.c_str(), item); },
        parts);
}

int32_t CContactsSession::GetContactCount()
{
    if (!loggedOn)
        return -1;
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = OpenItems(folder);
    if (!items)
        return 0;
    int32_t count = 0;
    if (items->get_Count(&count) < 0)
        count = 0;
    items->Release();
    folder->Release();
    return count;
}

bool CContactsSession::GetContactAt(int32_t position, std::u16string& title,
    std::u16string& firstName, std::u16string& lastName, uint32_t& contactId)
{
    if (!loggedOn)
        return false;
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = OpenItems(folder);
    if (!items)
        return false;
    IContact* item = nullptr;
    items->Item(position, &item);
    if (item) {
        title = ReadText(*item, &IContact::get_Title);
        firstName = ReadText(*item, &IContact::get_FirstName);
        lastName = ReadText(*item, &IContact::get_LastName);
        int32_t oid = 0;
        item->get_Oid(&oid);
        contactId = static_cast<uint32_t>(oid);
        item->Release();
    }
    items->Release();
    folder->Release();
    return item != nullptr;
}

bool CContactsSession::GetContactFullName(uint32_t contactId, std::u16string& name)
{
    name.clear();
    if (!loggedOn)
        return false;
    return WalkContacts([&](const IContact& item) {
        int32_t oid = 0;
        item.get_Oid(&oid);
        if (static_cast<uint32_t>(oid) != contactId)
            return false;
        ContactNameParts parts;
        ReadNameParts(item, parts);
        name = ComposeFullName(parts);
        return true;
    });
}

IdentifiedCaller IdentifyCallerStage(
    CContactsSession& session, std::u16string_view number, std::u16string_view internationalPrefix)
{
    IdentifiedCaller caller;
    std::u16string_view national = number;
    while (!national.empty() && national.front() == u'0')
        national.remove_prefix(1);
    caller.prefixedNumber = internationalPrefix;
    caller.prefixedNumber += national;
    if (session.FindContactByNumber(number, caller.parts))
        caller.stage = LookupStage::AsDelivered;
    else if (session.FindContactByNumber(caller.prefixedNumber, caller.parts))
        caller.stage = LookupStage::WithPrefix;
    else if (session.ScanContactsByNumber(
                 std::u16string(number), caller.prefixedNumber, caller.parts))
        caller.stage = LookupStage::Scan;
    else if (const auto home = HomeNationalNumber(number, internationalPrefix);
             !home.empty() && session.FindContactByNationalNumber(home, caller.parts))
        caller.stage = LookupStage::National;
    return caller;
}

ContactNameParts IdentifyCaller(
    CContactsSession& session, std::u16string_view number, std::u16string_view internationalPrefix)
{
    return IdentifyCallerStage(session, number, internationalPrefix).parts;
}

} // namespace pelmora
