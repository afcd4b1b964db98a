#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

// Tools > History: the search field, the calls newest first, Clear history.
// The list's control is made by the dialog, which reads it a page at a time.
void RegisterHistoryDialogs()
{
    constexpr uint32_t kListStyle = kDefaultStyle | SingleSelection | ShowSelAlways | Border;
    constexpr uint32_t kEditStyle = kDefaultStyle | AutoHScroll | Border;
    RegisterTemplate({IDD_HISTORY, u"History", {0, 0, 160, 224},
        {
            {-1, ControlClass::Static, u"Search number or name:", {4, 4, 152, 10}},
            {1110, ControlClass::Edit, u"", {4, 15, 152, 19}, kEditStyle},
            {1111, ControlClass::ListView, u"", {4, 38, 152, 159}, kListStyle},
            {1112, ControlClass::PushButton, u"&Clear history", {4, 201, 70, 19}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {108, 201, 48, 19}},
        }});
    RegisterTemplate({IDD_HISTORY_L, u"History", {0, 0, 212, 164},
        {
            {-1, ControlClass::Static, u"Search:", {4, 8, 28, 10}},
            {1110, ControlClass::Edit, u"", {34, 4, 106, 19}, kEditStyle},
            {1111, ControlClass::ListView, u"", {4, 27, 136, 133}, kListStyle},
            {1112, ControlClass::PushButton, u"&Clear history", {144, 4, 64, 19}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {144, 141, 64, 19}},
        }});
    // One call's whole record, wrapped, scrolling when it is longer than the
    // screen.
    constexpr uint32_t kRecordStyle = kDefaultStyle | Multiline | ReadOnly | VScroll | Border;
    RegisterTemplate({IDD_HISTORY_CALL, u"Call", {0, 0, 160, 224},
        {
            {1113, ControlClass::Edit, u"", {4, 4, 152, 193}, kRecordStyle},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {108, 201, 48, 19}},
        }});
    RegisterTemplate({IDD_HISTORY_CALL_L, u"Call", {0, 0, 212, 164},
        {
            {1113, ControlClass::Edit, u"", {4, 4, 136, 156}, kRecordStyle},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {144, 141, 64, 19}},
        }});
}

} // namespace pelmora
