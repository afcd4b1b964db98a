#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

namespace {

constexpr uint32_t kPicture = Visible | Notify;
constexpr uint32_t kMessageEdit = kDefaultStyle | Multiline | AutoVScroll | VScroll | Border;

// The message editor: the preset row, the text and the length counter.
std::vector<DialogItem> EditorItems(bool landscape)
{
    const int right = landscape ? 206 : 153; // right edge of the content
    const int counterY = landscape ? 125 : 180;
    return {
        {1055, ControlClass::Static, u"Preset:", {5, 9, 26, 10}},
        {1006, ControlClass::ComboDropList, u"", {33, 5, landscape ? 110 : 78, 80},
            kDefaultStyle | VScroll},
        {1008, ControlClass::Bitmap, u"", {landscape ? 148 : 115, 4, 17, 18}, kPicture, IDB_ADD},
        {1009, ControlClass::Bitmap, u"", {landscape ? 169 : 136, 4, 17, 18}, kPicture, IDB_DELETE},
        {1059, ControlClass::Static, u"SMS to send:", {5, 32, 42, 10}},
        {1011, ControlClass::Bitmap, u"", {landscape ? 195 : 49, landscape ? 8 : 31, 11, 10},
            kPicture, IDB_HELP},
        {1032, ControlClass::PushButton, u"[X]", {right - 32, 28, 32, 16}},
        {1002, ControlClass::Edit, u"", {5, 48, right - 5, counterY - 54}, kMessageEdit},
        {1053, ControlClass::Static, u"Characters:", {5, counterY, 40, 10}},
        {1004, ControlClass::Static, u"", {46, counterY, 24, 10}},
        {1054, ControlClass::Static, u"Max:", {right - 49, counterY, 20, 10},
            kDefaultStyle | Right},
        {1005, ControlClass::Static, u"160", {right - 27, counterY, 27, 10}},
    };
}

} // namespace

// The message editor and its two small dialogs: the preset name and the
// choice of a variable.
void RegisterMessageEditor()
{
    RegisterTemplate({IDD_ADDEDIT_MESSAGES, u"Messages", {0, 0, 158, 196}, EditorItems(false)});
    RegisterTemplate({IDD_ADDEDIT_MESSAGES_L, u"Messages", {0, 0, 211, 140}, EditorItems(true)});
    RegisterTemplate({IDD_NEW_PRESET, u"New preset", {0, 0, 150, 62},
        {
            {-1, ControlClass::Static, u"Preset name:", {6, 6, 138, 10}},
            {1002, ControlClass::Edit, u"", {6, 18, 138, 16}, kDefaultStyle | AutoHScroll},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {22, 40, 50, 16}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {78, 40, 50, 16}},
        }});
    RegisterTemplate({IDD_INSERT_VARIABLE, u"Variables", {0, 0, 150, 131},
        {
            {-1, ControlClass::Static, u"Select a variable to insert it:", {6, 5, 138, 10}},
            {1029, ControlClass::ListBox, u"", {6, 17, 138, 62}, kDefaultStyle | VScroll | Border},
            {-1, ControlClass::Static,
                u"Variables are automatically inserted when callers are identified.",
                {6, 83, 138, 22}},
            {IDOK_ID, ControlClass::DefPushButton, u"&Select", {22, 109, 50, 16}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {78, 109, 50, 16}},
        }});
}

} // namespace pelmora
