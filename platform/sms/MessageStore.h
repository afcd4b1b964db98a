#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A small messaging store in the shape of the platform's: a session with a
// table of message stores, stores with a drafts folder, messages with
// recipients, a body stream and properties. A message submitted in the store
// named "SMS" goes to the SMS backend.

namespace pelmora::mapi {

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT HRESULT_NOT_FOUND = static_cast<HRESULT>(0x80070490);
constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010F);
constexpr HRESULT MAPI_E_NOT_INITIALIZED = static_cast<HRESULT>(0x80040605);

constexpr uint32_t MAPI_UNICODE = 0x80000000;
constexpr uint32_t MAPI_MODIFY = 0x00000001;
constexpr uint32_t MAPI_CREATE = 0x00000002;
constexpr uint32_t STGM_WRITE = 0x00000001;
constexpr uint32_t MODRECIP_ADD = 0x00000002;
constexpr int32_t MAPI_TO = 1;

constexpr uint32_t PR_ENTRYID = 0x0FFF0102;
constexpr uint32_t PR_DISPLAY_NAME = 0x3001001F;
constexpr uint32_t PR_CE_IPM_DRAFTS_ENTRYID = 0x81040102;
constexpr uint32_t PR_RECIPIENT_TYPE = 0x0C150003;
constexpr uint32_t PR_ADDRTYPE = 0x3002001F;
constexpr uint32_t PR_EMAIL_ADDRESS = 0x3003001F;
constexpr uint32_t PR_BODY = 0x1000001F;
constexpr uint32_t PR_SUBJECT = 0x0037001F;
constexpr uint32_t PR_SENDER_EMAIL_ADDRESS = 0x0C1F001F;
constexpr uint32_t PR_MSG_STATUS = 0x0E170003;
constexpr uint32_t PR_MESSAGE_FLAGS = 0x0E070003;
constexpr int32_t MSGSTATUS_RECTYPE_SMS = 0x40000;
constexpr int32_t MSGFLAG_FROMME = 0x20;
constexpr int32_t MSGFLAG_UNSENT = 0x08;

// One property: its tag says which of the values is meant (…0003 a 32-bit
// integer, …001F a UTF-16 text, …0102 binary).
struct SPropValue {
    uint32_t ulPropTag = 0;
    int32_t l = 0;
    std::u16string text;
    std::vector<uint8_t> bin;
};
struct SRow {
    std::vector<SPropValue> props;
};
struct SRowSet {
    std::vector<SRow> rows;
};
using EntryId = std::vector<uint8_t>;

// Objects are released by their holder, like the platform's interfaces.
class MapiObject {
public:
    virtual ~MapiObject() = default;
    void Release() { delete this; }
};

class IStream final : public MapiObject {
public:
    HRESULT Write(const void* data, uint32_t size, uint32_t* written);
    std::vector<uint8_t>* target = nullptr;
};

class IMessage final : public MapiObject {
public:
    HRESULT ModifyRecipients(uint32_t flags, const std::vector<std::vector<SPropValue>>& entries);
    HRESULT OpenProperty(uint32_t tag, uint32_t interfaceOptions, uint32_t flags, IStream** stream);
    HRESULT SetProps(const std::vector<SPropValue>& props);
    HRESULT SubmitMessage(uint32_t flags);

    std::u16string storeName;
    std::vector<std::vector<SPropValue>> recipients;
    std::vector<SPropValue> props;
    std::vector<uint8_t> body;
};

class IMAPIFolder final : public MapiObject {
public:
    HRESULT CreateMessage(const void* interfaceId, uint32_t flags, IMessage** message);
    std::u16string storeName;
};

class IMsgStore final : public MapiObject {
public:
    // Returns a buffer to free with MAPIFreeBuffer.
    HRESULT GetProps(
        const std::vector<uint32_t>& tags, uint32_t flags, uint32_t* count, SPropValue** props);
    HRESULT OpenEntry(const EntryId& entryId, const void* interfaceId, uint32_t flags,
        uint32_t* objectType, IMAPIFolder** folder);
    std::u16string name;
    EntryId drafts;
};

class IMAPITable final : public MapiObject {
public:
    // Returns the rows to free with FreeProws; an empty set at the end.
    HRESULT QueryRows(int32_t rowCount, uint32_t flags, SRowSet** rows);
    size_t cursor = 0;
};

class IMAPISession final : public MapiObject {
public:
    HRESULT GetMsgStoresTable(uint32_t flags, IMAPITable** table);
    HRESULT OpenMsgStore(uintptr_t uiParam, const EntryId& entryId, const void* interfaceId,
        uint32_t flags, IMsgStore** store);
    HRESULT Logoff(uintptr_t uiParam, uint32_t flags, uint32_t reserved);
};

// Whether a store's display name is "SMS", in any letter case: the store
// whose transport sends text messages.
bool IsSmsStoreName(std::u16string_view name);

HRESULT MAPIInitialize(void* init);
void MAPIUninitialize();
HRESULT MAPILogonEx(uintptr_t uiParam, const char16_t* profile, const char16_t* password,
    uint32_t flags, IMAPISession** session);
void FreeProws(SRowSet* rows);
void MAPIFreeBuffer(SPropValue* props);

// Configuration of the stand-in: the stores the table lists, in order, and
// whether the table can be obtained at all. Default: "ActiveSync" then "SMS".
void SetMessageStores(const std::vector<std::u16string>& names);
void SetStoresTableAvailable(bool available);
// Buffers and row sets handed out and not yet freed; objects not released.
int OutstandingMapiBuffers();
// The last message submitted in any store, as it was built.
struct SubmittedMessage {
    std::u16string storeName;
    std::vector<std::vector<SPropValue>> recipients;
    std::vector<SPropValue> props;
    std::vector<uint8_t> body;
};
const SubmittedMessage& LastSubmittedMessage();
int InitializeCount();

} // namespace pelmora::mapi
