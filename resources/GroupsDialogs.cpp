#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

// The groups list and the group editor. Buttons and edit fields are 19 units
// high (about 7 mm with the dialog font), with 4-unit margins and gaps.
void RegisterGroupsDialogs()
{
    constexpr uint32_t listStyle = kDefaultStyle | SingleSelection | ShowSelAlways | Border;
    constexpr uint32_t editStyle = kDefaultStyle | Border | AutoHScroll;

    RegisterTemplate({IDD_GROUPS, u"Groups...", {0, 0, 160, 224},
        {
            {3, ControlClass::PushButton, u"&New", {4, 4, 48, 19}},
            {5, ControlClass::PushButton, u"&Edit", {56, 4, 48, 19}},
            {4, ControlClass::PushButton, u"&Delete", {108, 4, 48, 19}},
            {1061, ControlClass::ListView, u"", {4, 27, 152, 170}, listStyle},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {56, 201, 48, 19}},
        }});
    RegisterTemplate({IDD_GROUPS_L, u"Groups...", {0, 0, 212, 164},
        {
            {1061, ControlClass::ListView, u"", {4, 4, 150, 156}, listStyle},
            {3, ControlClass::PushButton, u"&New", {158, 4, 50, 19}},
            {5, ControlClass::PushButton, u"&Edit", {158, 27, 50, 19}},
            {4, ControlClass::PushButton, u"&Delete", {158, 50, 50, 19}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {158, 141, 50, 19}},
        }});

    RegisterTemplate({IDD_GROUP, u"Group", {0, 0, 160, 224},
        {
            {1059, ControlClass::Static, u"Group name:", {4, 9, 46, 10}},
            {1037, ControlClass::Edit, u"", {52, 4, 104, 19}, editStyle},
            {1060, ControlClass::Static, u"Find:", {4, 32, 46, 10}},
            {1038, ControlClass::Edit, u"", {52, 27, 104, 19}, editStyle},
            {1063, ControlClass::ListView, u"", {4, 50, 152, 147}, listStyle},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {28, 201, 50, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {82, 201, 50, 19}},
        }});
    RegisterTemplate({IDD_GROUP_L, u"Group", {0, 0, 212, 164},
        {
            {1063, ControlClass::ListView, u"", {4, 4, 134, 156}, listStyle},
            {1059, ControlClass::Static, u"Group name:", {142, 4, 66, 10}},
            {1037, ControlClass::Edit, u"", {142, 15, 66, 19}, editStyle},
            {1060, ControlClass::Static, u"Find:", {142, 39, 66, 10}},
            {1038, ControlClass::Edit, u"", {142, 50, 66, 19}, editStyle},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {142, 118, 66, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {142, 141, 66, 19}},
        }});
}

} // namespace pelmora
