#include "platform/sms/MessageStore.h"

#include "platform/sms/SmsBackend.h"

#include <cstring>

namespace pelmora::mapi {

namespace {

struct StoreEntry {
    EntryId id;
    std::u16string name;
};

struct MapiState {
    std::vector<std::u16string> storeNames {u"ActiveSync", u"SMS"};
    bool tableAvailable = true;
    int initialized = 0;
    int outstanding = 0;
    SubmittedMessage last;
};

MapiState& State()
{
    static MapiState state;
    return state;
}

// Entry identifiers: "store" + index for stores, "drafts" + index for their
// drafts folders.
EntryId MakeId(const char* kind, size_t index)
{
    EntryId id(kind, kind + std::strlen(kind));
    id.push_back(static_cast<uint8_t>(index));
    return id;
}

bool IdIs(const EntryId& id, const char* kind, size_t& index)
{
    const size_t length = std::strlen(kind);
    if (id.size() != length + 1 || std::memcmp(id.data(), kind, length) != 0)
        return false;
    index = id.back();
    return index < State().storeNames.size();
}

HRESULT Fail(SmsCall call)
{
    return SmsCallFailure(call);
}

const SPropValue* FindProp(const std::vector<SPropValue>& props, uint32_t tag)
{
    for (const SPropValue& prop : props)
        if (prop.ulPropTag == tag)
            return &prop;
    return nullptr;
}

} // namespace

bool IsSmsStoreName(std::u16string_view name)
{
    constexpr std::u16string_view kSms = u"SMS";
    if (name.size() != kSms.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i] >= u'a' && name[i] <= u'z' ? char16_t(name[i] - 32) : name[i];
        if (c != kSms[i])
            return false;
    }
    return true;
}

void SetMessageStores(const std::vector<std::u16string>& names)
{
    State().storeNames = names;
}
void SetStoresTableAvailable(bool available)
{
    State().tableAvailable = available;
}
int OutstandingMapiBuffers()
{
    return State().outstanding;
}
int InitializeCount()
{
    return State().initialized;
}
const SubmittedMessage& LastSubmittedMessage()
{
    return State().last;
}

HRESULT MAPIInitialize(void*)
{
    if (HRESULT failure = Fail(SmsCall::MAPIInitialize))
        return failure;
    ++State().initialized;
    return S_OK;
}

void MAPIUninitialize()
{
    if (State().initialized > 0)
        --State().initialized;
}

HRESULT MAPILogonEx(uintptr_t, const char16_t*, const char16_t*, uint32_t, IMAPISession** session)
{
    if (!session)
        return E_INVALIDARG;
    *session = nullptr;
    if (State().initialized == 0)
        return MAPI_E_NOT_INITIALIZED;
    if (HRESULT failure = Fail(SmsCall::MAPILogonEx))
        return failure;
    *session = new IMAPISession;
    return S_OK;
}

void FreeProws(SRowSet* rows)
{
    if (!rows)
        return;
    --State().outstanding;
    delete rows;
}

void MAPIFreeBuffer(SPropValue* props)
{
    if (!props)
        return;
    --State().outstanding;
    delete[] props;
}

HRESULT IMAPISession::GetMsgStoresTable(uint32_t, IMAPITable** table)
{
    if (!table)
        return E_INVALIDARG;
    *table = nullptr;
    if (!State().tableAvailable)
        return MAPI_E_NOT_FOUND;
    if (HRESULT failure = Fail(SmsCall::GetMsgStoresTable))
        return failure;
    *table = new IMAPITable;
    return S_OK;
}

HRESULT IMAPITable::QueryRows(int32_t rowCount, uint32_t, SRowSet** rows)
{
    if (!rows || rowCount < 1)
        return E_INVALIDARG;
    if (HRESULT failure = Fail(SmsCall::QueryRows))
        return failure;
    auto* set = new SRowSet;
    const auto& names = State().storeNames;
    for (int32_t i = 0; i < rowCount && cursor < names.size(); ++i, ++cursor) {
        SRow row;
        SPropValue id;
        id.ulPropTag = PR_ENTRYID;
        id.bin = MakeId("store", cursor);
        SPropValue name;
        name.ulPropTag = PR_DISPLAY_NAME;
        name.text = names[cursor];
        row.props = {id, name};
        set->rows.push_back(std::move(row));
    }
    ++State().outstanding;
    *rows = set;
    return S_OK;
}

HRESULT IMAPISession::OpenMsgStore(
    uintptr_t, const EntryId& entryId, const void*, uint32_t, IMsgStore** store)
{
    if (!store)
        return E_INVALIDARG;
    *store = nullptr;
    size_t index = 0;
    if (!IdIs(entryId, "store", index))
        return MAPI_E_NOT_FOUND;
    if (HRESULT failure = Fail(SmsCall::OpenMsgStore))
        return failure;
    auto* opened = new IMsgStore;
    opened->name = State().storeNames[index];
    opened->drafts = MakeId("drafts", index);
    *store = opened;
    return S_OK;
}

HRESULT IMAPISession::Logoff(uintptr_t, uint32_t, uint32_t)
{
    return S_OK;
}

HRESULT IMsgStore::GetProps(
    const std::vector<uint32_t>& tags, uint32_t, uint32_t* count, SPropValue** props)
{
    if (!count || !props)
        return E_INVALIDARG;
    *props = nullptr;
    for (uint32_t tag : tags) {
        if (tag == PR_DISPLAY_NAME)
            if (HRESULT failure = Fail(SmsCall::GetStoreDisplayName))
                return failure;
        if (tag == PR_CE_IPM_DRAFTS_ENTRYID)
            if (HRESULT failure = Fail(SmsCall::GetDraftsFolderId))
                return failure;
    }
    auto* values = new SPropValue[tags.size()];
    for (size_t i = 0; i < tags.size(); ++i) {
        values[i].ulPropTag = tags[i];
        if (tags[i] == PR_DISPLAY_NAME)
            values[i].text = name;
        else if (tags[i] == PR_CE_IPM_DRAFTS_ENTRYID)
            values[i].bin = drafts;
        else
            values[i].ulPropTag = (tags[i] & 0xFFFF0000) | 0x000A; // PT_ERROR
    }
    ++State().outstanding;
    *count = static_cast<uint32_t>(tags.size());
    *props = values;
    return S_OK;
}

HRESULT IMsgStore::OpenEntry(
    const EntryId& entryId, const void*, uint32_t, uint32_t* objectType, IMAPIFolder** folder)
{
    if (!folder)
        return E_INVALIDARG;
    *folder = nullptr;
    if (entryId != drafts)
        return MAPI_E_NOT_FOUND;
    if (HRESULT failure = Fail(SmsCall::OpenEntry))
        return failure;
    auto* opened = new IMAPIFolder;
    opened->storeName = name;
    if (objectType)
        *objectType = 3; // a folder
    *folder = opened;
    return S_OK;
}

HRESULT IMAPIFolder::CreateMessage(const void*, uint32_t, IMessage** message)
{
    if (!message)
        return E_INVALIDARG;
    *message = nullptr;
    if (HRESULT failure = Fail(SmsCall::CreateMessage))
        return failure;
    auto* created = new IMessage;
    created->storeName = storeName;
    *message = created;
    return S_OK;
}

HRESULT IMessage::ModifyRecipients(
    uint32_t flags, const std::vector<std::vector<SPropValue>>& entries)
{
    if (flags != MODRECIP_ADD || entries.empty())
        return E_INVALIDARG;
    if (HRESULT failure = Fail(SmsCall::ModifyRecipients))
        return failure;
    recipients.insert(recipients.end(), entries.begin(), entries.end());
    return S_OK;
}

HRESULT IMessage::OpenProperty(uint32_t tag, uint32_t, uint32_t flags, IStream** stream)
{
    if (!stream)
        return E_INVALIDARG;
    *stream = nullptr;
    if (tag != PR_BODY || !(flags & MAPI_MODIFY))
        return MAPI_E_NOT_FOUND;
    if (HRESULT failure = Fail(SmsCall::OpenBodyStream))
        return failure;
    if (flags & MAPI_CREATE)
        body.clear();
    auto* opened = new IStream;
    opened->target = &body;
    *stream = opened;
    return S_OK;
}

HRESULT IStream::Write(const void* data, uint32_t size, uint32_t* written)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    target->insert(target->end(), bytes, bytes + size);
    if (written)
        *written = size;
    return S_OK;
}

HRESULT IMessage::SetProps(const std::vector<SPropValue>& values)
{
    if (HRESULT failure = Fail(SmsCall::SetProps))
        return failure;
    for (const SPropValue& value : values) {
        if (value.ulPropTag == 0)
            continue;
        std::erase_if(props, [&](const SPropValue& p) { return p.ulPropTag == value.ulPropTag; });
        props.push_back(value);
    }
    return S_OK;
}

HRESULT IMessage::SubmitMessage(uint32_t)
{
    if (HRESULT failure = Fail(SmsCall::SubmitMessage))
        return failure;
    State().last = {storeName, recipients, props, body};
    if (recipients.empty())
        return E_FAIL;
    const SPropValue* address = FindProp(recipients.front(), PR_EMAIL_ADDRESS);
    const SPropValue* type = FindProp(recipients.front(), PR_ADDRTYPE);
    if (!address || !type || type->text != u"SMS")
        return E_FAIL;
    // Only the SMS store's transport sends; other stores keep their drafts.
    if (!IsSmsStoreName(storeName))
        return S_OK;
    std::u16string text;
    for (size_t i = 0; i + 1 < body.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(body[i] | body[i + 1] << 8);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    if (!HandToBackend(address->text, text, SmsPath::MessageStore))
        return E_FAIL;
    return S_OK;
}

} // namespace pelmora::mapi
