#include "monitor/MessageStoreLink.h"

#include "platform/storage/ByteWriter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pelmora {

using namespace mapi;

namespace {

void CopyError(char16_t* errorText, size_t errorTextLength, const char16_t* message)
{
    if (!errorText || errorTextLength == 0)
        return;
    const std::u16string_view text(message);
    const size_t count = std::min(text.size(), errorTextLength - 1);
    std::copy_n(text.begin(), count, errorText);
    errorText[count] = u'\0';
}

SPropValue Int(uint32_t tag, int32_t value)
{
    SPropValue prop;
    prop.ulPropTag = tag;
    prop.l = value;
    return prop;
}

SPropValue Text(uint32_t tag, std::u16string_view value)
{
    SPropValue prop;
    prop.ulPropTag = tag;
    prop.text = std::u16string(value);
    return prop;
}

} // namespace

CMessageStoreLink::~CMessageStoreLink()
{
    Release();
}

bool CMessageStoreLink::Open()
{
    if (HMODULE module = LoadLibrary(u"cemapi.dll")) {
        if (DirectSendFunction entry = GetProcAddress(module, kDirectSendOrdinal)) {
            library = module;
            directSend = entry;
            isInitialised = 1;
            return true;
        }
        FreeLibrary(module);
    }
    if (MAPIInitialize(nullptr) >= 0) {
        isInitialised = 1;
        return true;
    }
    return false;
}

void CMessageStoreLink::Release()
{
    if (!isInitialised)
        return;
    if (directSend) {
        FreeLibrary(library);
        directSend = nullptr;
        library = nullptr;
    } else {
        MAPIUninitialize();
    }
    isInitialised = 0;
}

bool CMessageStoreLink::Send(std::u16string_view number, std::u16string_view text,
    char16_t* errorText, size_t errorTextLength)
{
    if (directSend) {
        const std::u16string to(number), body(text);
        directSend(to.c_str(), body.c_str(), 0);
        return true;
    }
    IMAPISession* session = nullptr;
    if (MAPILogonEx(0, nullptr, nullptr, 0, &session) < 0) {
        if (session)
            session->Release();
        return false;
    }
    const HRESULT result = SubmitSms(session, u"", number, text, errorText, errorTextLength);
    session->Logoff(0, 0, 0);
    session->Release();
    return result >= 0;
}

HRESULT FindSmsStore(IMAPISession* session, IMsgStore** found)
{
    *found = nullptr;
    IMAPITable* table = nullptr;
    if (session->GetMsgStoresTable(MAPI_UNICODE, &table) < 0)
        return S_OK; // no table: success without a store; the caller checks the store
    HRESULT result = HRESULT_NOT_FOUND;
    IMsgStore* store = nullptr;
    while (true) {
        SRowSet* rows = nullptr;
        result = table->QueryRows(1, 0, &rows);
        if (result >= 0) {
            if (rows->rows.size() == 1 && !rows->rows[0].props.empty())
                result = session->OpenMsgStore(0, rows->rows[0].props[0].bin, nullptr, 0, &store);
            else
                result = HRESULT_NOT_FOUND;
        }
        FreeProws(rows);
        if (result < 0)
            break;
        uint32_t count = 0;
        SPropValue* props = nullptr;
        result = store->GetProps({PR_DISPLAY_NAME}, MAPI_UNICODE, &count, &props);
        if (result < 0) {
            store->Release();
            store = nullptr;
            break;
        }
        const bool isSms
            = count == 1 && props[0].ulPropTag == PR_DISPLAY_NAME && IsSmsStoreName(props[0].text);
        MAPIFreeBuffer(props);
        if (isSms) {
            table->Release();
            *found = store;
            return S_OK;
        }
        store->Release();
        store = nullptr;
    }
    table->Release();
    return result;
}

HRESULT CMessageStoreLink::SubmitSms(IMAPISession* session, std::u16string_view senderAddress,
    std::u16string_view number, std::u16string_view text, char16_t* errorText,
    size_t errorTextLength)
{
    auto fail = [&](int step, HRESULT result) {
        CopyError(errorText, errorTextLength, kStoreSendFailures[step]);
        return result < 0 ? result : E_FAIL;
    };

    IMsgStore* store = nullptr;
    HRESULT result = FindSmsStore(session, &store);
    if (result < 0 || !store)
        return fail(0, result);

    uint32_t count = 0;
    SPropValue* props = nullptr;
    IMAPIFolder* folder = nullptr;
    result = store->GetProps({PR_CE_IPM_DRAFTS_ENTRYID}, MAPI_UNICODE, &count, &props);
    if (result >= 0) {
        uint32_t objectType = 0;
        result = props[0].ulPropTag == PR_CE_IPM_DRAFTS_ENTRYID
            ? store->OpenEntry(props[0].bin, nullptr, MAPI_MODIFY, &objectType, &folder)
            : MAPI_E_NOT_FOUND;
        MAPIFreeBuffer(props);
    }
    if (result < 0) {
        store->Release();
        return fail(1, result);
    }

    IMessage* message = nullptr;
    result = folder->CreateMessage(nullptr, 0, &message);
    if (result < 0) {
        folder->Release();
        store->Release();
        return fail(2, result);
    }
    auto releaseAll = [&] {
        message->Release();
        folder->Release();
        store->Release();
    };

    result = message->ModifyRecipients(MODRECIP_ADD,
        {{Int(PR_RECIPIENT_TYPE, MAPI_TO), Text(PR_ADDRTYPE, u"SMS"),
            Text(PR_EMAIL_ADDRESS, number)}});
    if (result < 0) {
        releaseAll();
        return fail(3, result);
    }

    IStream* stream = nullptr;
    result = message->OpenProperty(PR_BODY, STGM_WRITE, MAPI_MODIFY | MAPI_CREATE, &stream);
    if (result < 0) {
        releaseAll();
        return fail(4, result);
    }
    const std::vector<uint8_t> body = Utf16leWithTerminator(text);
    uint32_t written = 0;
    stream->Write(body.data(), static_cast<uint32_t>(body.size()), &written);
    stream->Release();

    result = message->SetProps({Text(PR_SUBJECT, u""), Text(PR_SENDER_EMAIL_ADDRESS, senderAddress),
        Int(PR_MSG_STATUS, MSGSTATUS_RECTYPE_SMS),
        Int(PR_MESSAGE_FLAGS, MSGFLAG_FROMME | MSGFLAG_UNSENT)});
    if (result < 0) {
        releaseAll();
        return fail(5, result);
    }

    result = message->SubmitMessage(0);
    releaseAll();
    if (result < 0)
        return fail(6, result);
    return S_OK;
}

} // namespace pelmora
