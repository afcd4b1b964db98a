#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

// The replacement words for callers who are not in the address book.
void RegisterVariablesDialog()
{
    const char16_t* const kFree = u"[BUSYUNTIL] is used while your calendar shows you free.";
    RegisterTemplate({IDD_VARIABLES, u"Variables", {0, 0, 156, 202},
        {
            {1045, ControlClass::AutoCheckBox, u"Remove space after empty variables",
                {4, 4, 148, 10}},
            {-1, ControlClass::Static, u"[TITLE]", {4, 22, 56, 9}},
            {1036, ControlClass::Edit, u"", {62, 20, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[FIRSTNAME]", {4, 38, 56, 9}},
            {1037, ControlClass::Edit, u"", {62, 36, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[MIDDLENAME]", {4, 54, 56, 9}},
            {1040, ControlClass::Edit, u"", {62, 52, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[LASTNAME]", {4, 70, 56, 9}},
            {1038, ControlClass::Edit, u"", {62, 68, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[SUFFIX]", {4, 86, 56, 9}},
            {1039, ControlClass::Edit, u"", {62, 84, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[FULLNAME]", {4, 102, 56, 9}},
            {1041, ControlClass::Edit, u"", {62, 100, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[BUSYUNTIL]", {4, 118, 56, 9}},
            {1042, ControlClass::Edit, u"", {62, 116, 90, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static,
                u"Variable replacements are used when a caller is not found in your address book.",
                {4, 134, 148, 26}},
            {-1, ControlClass::Static, kFree, {4, 162, 148, 18}},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {24, 182, 50, 14}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {82, 182, 50, 14}},
        }});
    RegisterTemplate({IDD_VARIABLES_L, u"Variables", {0, 0, 210, 150},
        {
            {1045, ControlClass::AutoCheckBox, u"Remove space after empty variables",
                {4, 4, 200, 10}},
            {-1, ControlClass::Static, u"[TITLE]", {4, 22, 56, 9}},
            {1036, ControlClass::Edit, u"", {62, 20, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[FIRSTNAME]", {4, 38, 56, 9}},
            {1037, ControlClass::Edit, u"", {62, 36, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[MIDDLENAME]", {4, 54, 56, 9}},
            {1040, ControlClass::Edit, u"", {62, 52, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[LASTNAME]", {4, 70, 56, 9}},
            {1038, ControlClass::Edit, u"", {62, 68, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[SUFFIX]", {4, 86, 56, 9}},
            {1039, ControlClass::Edit, u"", {62, 84, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[FULLNAME]", {4, 102, 56, 9}},
            {1041, ControlClass::Edit, u"", {62, 100, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, u"[BUSYUNTIL]", {4, 118, 56, 9}},
            {1042, ControlClass::Edit, u"", {62, 116, 60, 12}, kDefaultStyle | AutoHScroll},
            {-1, ControlClass::Static, kFree, {4, 134, 200, 10}},
            {-1, ControlClass::Static,
                u"Variable replacements are used when a caller is not found in your address book.",
                {130, 20, 76, 50}},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {130, 76, 50, 14}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {130, 94, 50, 14}},
        }});
}

} // namespace pelmora
