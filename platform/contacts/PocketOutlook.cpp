#include "platform/contacts/PocketOutlook.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace pelmora::poom {

namespace {

int g_strings = 0;
int g_comInits = 0;
HRESULT g_createFailure = S_OK;
HRESULT g_logonFailure = S_OK;

} // namespace

std::optional<std::vector<RestrictionClause>> ParseRestriction(std::u16string_view text)
{
    std::vector<RestrictionClause> clauses;
    clauses.reserve(kPhoneFieldCount);
    size_t pos = 0;
    while (true) {
        if (pos >= text.size() || text[pos] != u'[')
            return std::nullopt;
        const size_t close = text.find(u']', pos);
        if (close == std::u16string_view::npos)
            return std::nullopt;
        const std::u16string_view name = text.substr(pos + 1, close - pos - 1);
        auto known = std::find_if(kPhoneFieldNames.begin(), kPhoneFieldNames.end(),
            [&](std::u16string_view field) { return name == field; });
        if (known == kPhoneFieldNames.end())
            return std::nullopt;
        constexpr std::u16string_view kEquals = u" = \"";
        if (text.substr(close + 1, kEquals.size()) != kEquals)
            return std::nullopt;
        const size_t start = close + 1 + kEquals.size();
        constexpr std::u16string_view kNext = u"\" OR [";
        size_t end = text.find(kNext, start);
        const bool last = end == std::u16string_view::npos;
        if (last) {
            if (text.size() < start + 1 || text.back() != u'"')
                return std::nullopt;
            end = text.size() - 1;
        }
        clauses.push_back({static_cast<size_t>(known - kPhoneFieldNames.begin()),
            text.substr(start, end - start)});
        if (last)
            return clauses;
        pos = end + kNext.size() - 1;
    }
}

int OutstandingStrings()
{
    return g_strings;
}

void FailContactsCall(HRESULT createResult, HRESULT logonResult)
{
    g_createFailure = createResult;
    g_logonFailure = logonResult;
}

HRESULT CoInitializeEx(void*, uint32_t)
{
    ++g_comInits;
    return g_comInits == 1 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (g_comInits > 0)
        --g_comInits;
}

HRESULT CLSIDFromProgID(const char16_t* progId, GUID* clsid)
{
    if (!progId || !clsid)
        return E_POINTER;
    if (std::u16string_view(progId) != u"PocketOutlook.Application")
        return CO_E_CLASSSTRING;
    *clsid = CLSID_Application;
    return S_OK;
}

HRESULT CoCreateInstance(const GUID& clsid, void*, uint32_t, const GUID& iid, IPOutlookApp** app)
{
    if (!app)
        return E_POINTER;
    *app = nullptr;
    if (g_comInits == 0)
        return CO_E_NOTINITIALIZED;
    if (!(clsid == CLSID_Application) || !(iid == IID_IPOutlookApp))
        return REGDB_E_CLASSNOTREG;
    if (g_createFailure < 0)
        return g_createFailure;
    *app = new IPOutlookApp;
    return S_OK;
}

HRESULT IPOutlookApp::Logon(intptr_t)
{
    if (g_logonFailure < 0)
        return g_logonFailure;
    // Reads the address book now, so the first call does not wait for it.
    if (AddressBook* book = CurrentAddressBook())
        book->Current();
    loggedOn_ = true;
    return S_OK;
}

HRESULT IPOutlookApp::Logoff()
{
    loggedOn_ = false;
    return S_OK;
}

HRESULT IPOutlookApp::GetDefaultFolder(int folder, IFolder** result) const
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (!loggedOn_)
        return E_NOTLOGGEDON;
    if (folder != olFolderContacts)
        return E_INVALIDARG;
    // The folder as the address book holds it now: contacts added or edited
    // while a session is logged on are seen by its next query.
    AddressBook* book = CurrentAddressBook();
    *result
        = new IFolder(book ? book->Current()
                           : std::make_shared<const ContactFolder>(std::vector<ContactCard> {}));
    return S_OK;
}

HRESULT IPOutlookApp::SysFreeString(BSTR text) const
{
    if (text) {
        delete[] text;
        --g_strings;
    }
    return S_OK;
}

HRESULT IFolder::get_Items(IPOutlookItemCollection** items) const
{
    if (!items)
        return E_POINTER;
    *items = new IPOutlookItemCollection(folder_);
    return S_OK;
}

HRESULT IPOutlookItemCollection::Find(const char16_t* restriction, IContact** item) const
{
    if (!restriction || !item)
        return E_POINTER;
    *item = nullptr;
    const auto clauses = ParseRestriction(restriction);
    if (!clauses)
        return E_INVALIDARG;
    // One index look-up per distinct text, for all the fields it is asked in.
    std::vector<std::pair<std::u16string_view, uint32_t>> texts;
    for (const RestrictionClause& clause : *clauses) {
        auto same = std::find_if(texts.begin(), texts.end(),
            [&](const auto& text) { return text.first == clause.value; });
        if (same == texts.end())
            texts.emplace_back(clause.value, 1u << clause.field);
        else
            same->second |= 1u << clause.field;
    }
    int64_t first = -1;
    for (const auto& [text, fields] : texts) {
        const int64_t position = folder_->FirstWithAny(text, fields);
        if (position >= 0 && (first < 0 || position < first))
            first = position;
    }
    if (first < 0)
        return S_FALSE;
    *item = new IContact(folder_, static_cast<size_t>(first));
    return S_OK;
}

HRESULT IPOutlookItemCollection::FindUnformatted(
    const char16_t* a, const char16_t* b, IContact** item) const
{
    if (!a || !b || !item)
        return E_POINTER;
    *item = nullptr;
    const int64_t first = folder_->FirstUnformatted(a, b);
    if (first < 0)
        return S_FALSE;
    *item = new IContact(folder_, static_cast<size_t>(first));
    return S_OK;
}

HRESULT IPOutlookItemCollection::FindNational(const char16_t* national, IContact** item) const
{
    if (!national || !item)
        return E_POINTER;
    *item = nullptr;
    const int64_t first = folder_->FirstNational(national);
    if (first < 0)
        return S_FALSE;
    *item = new IContact(folder_, static_cast<size_t>(first));
    return S_OK;
}

HRESULT IPOutlookItemCollection::get_Count(int32_t* count) const
{
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(std::min<size_t>(folder_->Size(), INT32_MAX));
    return S_OK;
}

HRESULT IPOutlookItemCollection::Item(int32_t position, IContact** item) const
{
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (position < 1 || static_cast<size_t>(position) > folder_->Size())
        return E_INVALIDARG;
    *item = new IContact(folder_, static_cast<size_t>(position - 1));
    return S_OK;
}

HRESULT IContact::Get(size_t text, BSTR* value) const
{
    if (!value)
        return E_POINTER;
    const std::u16string_view view = folder_->Cards().TextOf(position_, text);
    *value = new char16_t[view.size() + 1];
    std::copy(view.begin(), view.end(), *value);
    (*value)[view.size()] = u'\0';
    ++g_strings;
    return S_OK;
}

HRESULT IContact::get_Title(BSTR* value) const
{
    return Get(CardTable::Title, value);
}
HRESULT IContact::get_FirstName(BSTR* value) const
{
    return Get(CardTable::FirstName, value);
}
HRESULT IContact::get_MiddleName(BSTR* value) const
{
    return Get(CardTable::MiddleName, value);
}
HRESULT IContact::get_LastName(BSTR* value) const
{
    return Get(CardTable::LastName, value);
}
HRESULT IContact::get_Suffix(BSTR* value) const
{
    return Get(CardTable::Suffix, value);
}

HRESULT IContact::get_Oid(int32_t* oid) const
{
    if (!oid)
        return E_POINTER;
    *oid = static_cast<int32_t>(folder_->Cards().Oid(position_));
    return S_OK;
}

HRESULT IContact::get_Phone(PhoneField field, BSTR* value) const
{
    if (field >= kPhoneFieldCount)
        return E_INVALIDARG;
    return Get(CardTable::kNameCount + field, value);
}

} // namespace pelmora::poom
