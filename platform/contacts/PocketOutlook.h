#pragma once

#include "platform/contacts/AddressBook.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The contacts object model of the phone platform, over the address book
// installed with SetAddressBook: an application object created from its
// program id, the contacts folder (10) with its item collection, and contacts
// with their name parts, object identifier and ten phone fields. Strings are
// handed out as allocated texts that the caller frees with SysFreeString.

namespace pelmora::poom {

using HRESULT = int32_t;
using BSTR = char16_t*;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
constexpr HRESULT E_NOTLOGGEDON = static_cast<HRESULT>(0x80040111);
constexpr uint32_t COINIT_MULTITHREADED = 0;
constexpr uint32_t CLSCTX_INPROC_SERVER = 1;
constexpr int olFolderContacts = 10;

struct GUID {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
    bool operator==(const GUID&) const = default;
};
constexpr GUID IID_IPOutlookApp
    = {0x05058F22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
constexpr GUID CLSID_Application
    = {0x05058E22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};

// One `[Field] = "text"` clause of a Find restriction: the phone field's
// position in kPhoneFieldNames and the text, a view into the restriction.
struct RestrictionClause {
    size_t field;
    std::u16string_view value;
};
// Parses clauses joined by " OR ". A text ends at the quote that is followed
// by the end or by the next clause. Nullopt for anything else.
std::optional<std::vector<RestrictionClause>> ParseRestriction(std::u16string_view text);

class Unknown {
public:
    virtual ~Unknown() = default;
    uint32_t Release()
    {
        delete this;
        return 0;
    }
};

// A contact of a folder, read from the folder's compact table.
class IContact final : public Unknown {
public:
    IContact(std::shared_ptr<const ContactFolder> folder, size_t position)
        : folder_(std::move(folder))
        , position_(position)
    {
    }
    HRESULT get_Title(BSTR* value) const;
    HRESULT get_FirstName(BSTR* value) const;
    HRESULT get_MiddleName(BSTR* value) const;
    HRESULT get_LastName(BSTR* value) const;
    HRESULT get_Suffix(BSTR* value) const;
    HRESULT get_Oid(int32_t* oid) const;
    // The ten phone getters, by field.
    HRESULT get_Phone(PhoneField field, BSTR* value) const;

private:
    HRESULT Get(size_t text, BSTR* value) const;
    std::shared_ptr<const ContactFolder> folder_;
    size_t position_;
};

class IPOutlookItemCollection final : public Unknown {
public:
    explicit IPOutlookItemCollection(std::shared_ptr<const ContactFolder> folder)
        : folder_(std::move(folder))
    {
    }
    // The first item in folder order that matches the restriction; S_FALSE
    // and no item when none does. The restriction is clauses of the form
    // [Field] = "text" joined by " OR "; a field matches when its text is
    // exactly equal.
    HRESULT Find(const char16_t* restriction, IContact** item) const;
    // This address book's formatting-blind search: the first item in folder
    // order with a phone field equal to `a` or `b` once "(", ")", spaces and
    // "-" are removed from all three; S_FALSE and no item when none is.
    HRESULT FindUnformatted(const char16_t* a, const char16_t* b, IContact** item) const;
    // The first item in folder order with a phone field that, without
    // formatting characters and leading zeros, equals `national` without
    // its own; S_FALSE and no item when none does.
    HRESULT FindNational(const char16_t* national, IContact** item) const;
    HRESULT get_Count(int32_t* count) const;
    // 1-based position.
    HRESULT Item(int32_t position, IContact** item) const;

private:
    std::shared_ptr<const ContactFolder> folder_;
};

class IFolder final : public Unknown {
public:
    explicit IFolder(std::shared_ptr<const ContactFolder> folder)
        : folder_(std::move(folder))
    {
    }
    HRESULT get_Items(IPOutlookItemCollection** items) const;

private:
    std::shared_ptr<const ContactFolder> folder_;
};

class IPOutlookApp final : public Unknown {
public:
    HRESULT Logon(intptr_t window);
    HRESULT Logoff();
    HRESULT GetDefaultFolder(int folder, IFolder** result) const;
    HRESULT SysFreeString(BSTR text) const;

private:
    bool loggedOn_ = false;
};

HRESULT CoInitializeEx(void* reserved, uint32_t flags);
void CoUninitialize();
HRESULT CLSIDFromProgID(const char16_t* progId, GUID* clsid);
HRESULT CoCreateInstance(
    const GUID& clsid, void* outer, uint32_t context, const GUID& iid, IPOutlookApp** app);

// Strings handed out and not yet freed, so tests can see that none leak.
int OutstandingStrings();
// Lets tests make the application object or its logon fail.
void FailContactsCall(HRESULT createResult, HRESULT logonResult);

} // namespace pelmora::poom
