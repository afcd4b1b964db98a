#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

namespace {

constexpr uint32_t kPicture = Visible | Notify;
constexpr uint32_t kCombo = kDefaultStyle | VScroll;
constexpr uint32_t kList = kDefaultStyle | SingleSelection | ShowSelAlways | Border;

// The Profile tab: the profile row with its pictures, the default message in
// a box, and the buttons to the other dialogs. Buttons are 19 units high
// (about 7 mm with the dialog font).
std::vector<DialogItem> ProfilePageItems(bool landscape)
{
    const int right = landscape ? 206 : 153; // right edge of the content
    const int comboWidth = landscape ? 106 : 58;
    const int add = 38 + comboWidth;
    std::vector<DialogItem> items = {
        {1055, ControlClass::Static, u"Profile:", {5, 9, 30, 10}},
        {1006, ControlClass::ComboDropList, u"", {36, 5, comboWidth, 80}, kCombo},
        {1008, ControlClass::Bitmap, u"", {add, 4, 17, 18}, kPicture, IDB_ADD},
        {1009, ControlClass::Bitmap, u"", {add + 20, 4, 17, 18}, kPicture, IDB_DELETE},
        {1011, ControlClass::Bitmap, u"", {right - 11, 8, 11, 10}, kPicture, IDB_HELP},
    };
    if (landscape) {
        items.insert(items.end(),
            {
                {1059, ControlClass::GroupBox, u"", {5, 27, 201, 58}},
                {1053, ControlClass::Static, u"Default msg:", {11, 40, 46, 10}},
                {1007, ControlClass::ComboDropList, u"", {60, 36, 140, 80}, kCombo},
                {1054, ControlClass::Static, u"Custom msg:", {11, 65, 46, 10}},
                {1034, ControlClass::PushButton, u"Set custom", {60, 60, 70, 19}},
                {1035, ControlClass::PushButton, u"Add/Edit messages", {5, 92, 98, 19}},
                {1033, ControlClass::PushButton, u"Variable replacements", {107, 92, 99, 19}},
            });
    } else {
        items.insert(items.end(),
            {
                {1035, ControlClass::PushButton, u"Add/Edit messages", {5, 28, 148, 19}},
                {1059, ControlClass::GroupBox, u"", {5, 51, 148, 80}},
                {1053, ControlClass::Static, u"Default msg:", {11, 62, 136, 10}},
                {1007, ControlClass::ComboDropList, u"", {11, 74, 136, 80}, kCombo},
                {1054, ControlClass::Static, u"Custom msg:", {11, 108, 50, 10}},
                {1034, ControlClass::PushButton, u"Set custom", {63, 103, 84, 19}},
                {1033, ControlClass::PushButton, u"Variable replacements", {5, 137, 148, 19}},
            });
    }
    return items;
}

} // namespace

// The Profile tab, the profile's custom messages and the two pickers of a
// custom message.
void RegisterProfileDialogs()
{
    RegisterTemplate({IDD_PROFILE, u"", {0, 0, 158, 218}, ProfilePageItems(false)});
    RegisterTemplate({IDD_PROFILE_L, u"", {0, 0, 211, 160}, ProfilePageItems(true)});

    RegisterTemplate({IDD_PROFILE_CUSTOM_MSGS, u"Profile custom messages", {0, 0, 160, 224},
        {
            {3, ControlClass::PushButton, u"Add Group Msg", {4, 4, 74, 19}},
            {4, ControlClass::PushButton, u"Add Contact Msg", {82, 4, 74, 19}},
            {5, ControlClass::PushButton, u"Delete Entry", {4, 27, 74, 19}},
            {6, ControlClass::PushButton, u"Add/Edit Groups", {82, 27, 74, 19}},
            {1063, ControlClass::ListView, u"", {4, 50, 152, 147}, kList},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {56, 201, 48, 19}},
        }});
    RegisterTemplate({IDD_PROFILE_CUSTOM_MSGS_L, u"Profile custom messages", {0, 0, 212, 164},
        {
            {1063, ControlClass::ListView, u"", {4, 4, 134, 156}, kList},
            {3, ControlClass::PushButton, u"Add Group Msg", {142, 4, 66, 19}},
            {4, ControlClass::PushButton, u"Add Contact Msg", {142, 27, 66, 19}},
            {5, ControlClass::PushButton, u"Delete Entry", {142, 50, 66, 19}},
            {6, ControlClass::PushButton, u"Add/Edit Groups", {142, 73, 66, 19}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {142, 141, 66, 19}},
        }});

    // Small enough for both orientations.
    RegisterTemplate({IDD_SELECT_GROUP_MSG, u"Select group message", {0, 0, 150, 102},
        {
            {-1, ControlClass::Static, u"Group:", {6, 6, 138, 10}},
            {1068, ControlClass::ComboDropList, u"", {6, 17, 138, 80}, kCombo},
            {-1, ControlClass::Static, u"Message:", {6, 40, 138, 10}},
            {1007, ControlClass::ComboDropList, u"", {6, 51, 138, 80}, kCombo},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {22, 78, 50, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {78, 78, 50, 19}},
        }});

    RegisterTemplate({IDD_SELECT_CONTACT_MSG, u"Select contact message", {0, 0, 160, 224},
        {
            {1060, ControlClass::Static, u"Find:", {4, 9, 30, 10}},
            {1038, ControlClass::Edit, u"", {36, 4, 120, 19}, kDefaultStyle | Border | AutoHScroll},
            {1063, ControlClass::ListView, u"", {4, 27, 152, 136}, kList},
            {-1, ControlClass::Static, u"Message:", {4, 172, 36, 10}},
            {1007, ControlClass::ComboDropList, u"", {42, 168, 114, 80}, kCombo},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {28, 201, 50, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {82, 201, 50, 19}},
        }});
    RegisterTemplate({IDD_SELECT_CONTACT_MSG_L, u"Select contact message", {0, 0, 212, 164},
        {
            {1063, ControlClass::ListView, u"", {4, 4, 134, 156}, kList},
            {1060, ControlClass::Static, u"Find:", {142, 4, 66, 10}},
            {1038, ControlClass::Edit, u"", {142, 15, 66, 19},
                kDefaultStyle | Border | AutoHScroll},
            {-1, ControlClass::Static, u"Message:", {142, 39, 66, 10}},
            {1007, ControlClass::ComboDropList, u"", {142, 50, 66, 80}, kCombo},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {142, 118, 66, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {142, 141, 66, 19}},
        }});
}

} // namespace pelmora
