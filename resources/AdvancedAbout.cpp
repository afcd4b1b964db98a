#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

void RegisterAdvancedAbout()
{
    constexpr uint32_t plain = Visible;
    constexpr uint32_t list = kDefaultStyle | VScroll;
    // The History group holds Pelmora's own options, kept in its own file.
    RegisterTemplate({IDD_ADVANCED_SETTINGS, u"Advanced settings...", {0, 0, 142, 176},
        {
            {-1, ControlClass::GroupBox, u"System", {7, 11, 128, 31}, plain},
            {1044, ControlClass::AutoCheckBox, u"Auto run after login", {23, 23, 95, 10}},
            {-1, ControlClass::GroupBox, u"Caller identification", {7, 46, 128, 31}, plain},
            {-1, ControlClass::Static, u"International prefix:", {15, 60, 66, 9}, plain},
            {1051, ControlClass::Edit, u"", {85, 58, 40, 12}, kDefaultStyle | Border | AutoHScroll},
            {-1, ControlClass::GroupBox, u"History", {7, 81, 128, 66}, plain},
            {-1, ControlClass::Static, u"Keep calls for:", {15, 95, 60, 9}, plain},
            {1072, ControlClass::ComboDropList, u"", {80, 93, 45, 60}, list},
            {-1, ControlClass::Static, u"Don't reply again to the same number within:",
                {15, 111, 110, 18}, plain},
            {1073, ControlClass::ComboDropList, u"", {80, 129, 45, 90}, list},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {21, 156, 38, 13}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {78, 156, 38, 13}},
            {1011, ControlClass::Bitmap, u"", {124, 1, 11, 10}, plain | Notify, IDB_HELP},
        }});

    // Landscape: the History group beside the other two.
    RegisterTemplate({IDD_ADVANCED_SETTINGS_L, u"Advanced settings...", {0, 0, 212, 116},
        {
            {-1, ControlClass::GroupBox, u"System", {4, 4, 100, 28}, plain},
            {1044, ControlClass::AutoCheckBox, u"Auto run after login", {10, 16, 90, 10}},
            {-1, ControlClass::GroupBox, u"Caller identification", {4, 36, 100, 44}, plain},
            {-1, ControlClass::Static, u"International prefix:", {10, 48, 88, 9}, plain},
            {1051, ControlClass::Edit, u"", {10, 60, 50, 12}, kDefaultStyle | Border | AutoHScroll},
            {-1, ControlClass::GroupBox, u"History", {108, 4, 100, 88}, plain},
            {-1, ControlClass::Static, u"Keep calls for:", {114, 16, 88, 9}, plain},
            {1072, ControlClass::ComboDropList, u"", {114, 27, 60, 60}, list},
            {-1, ControlClass::Static, u"Don't reply again to the same number within:",
                {114, 44, 90, 27}, plain},
            {1073, ControlClass::ComboDropList, u"", {114, 72, 60, 90}, list},
            {IDOK_ID, ControlClass::DefPushButton, u"OK", {50, 98, 38, 13}},
            {IDCANCEL_ID, ControlClass::PushButton, u"Cancel", {114, 98, 38, 13}},
            {1011, ControlClass::Bitmap, u"", {196, 100, 11, 10}, plain | Notify, IDB_HELP},
        }});

    // 1070 names the phone line in use; the main window fills it in.
    RegisterTemplate({IDD_ABOUT, u"", {0, 0, 131, 134},
        {
            {1059, ControlClass::Bitmap, u"", {14, 7, 109, 32}, plain, IDB_LOGO},
            {1053, ControlClass::Icon, u"", {9, 41, 20, 20}, plain, IDR_MAINFRAME},
            {1054, ControlClass::Static, u"Pelmora 1.5", {43, 45, 68, 9}, plain},
            {1070, ControlClass::Static, u"", {9, 68, 118, 16}, plain},
        }});
    RegisterTemplate({IDD_ABOUT_L, u"", {0, 0, 177, 89},
        {
            {1059, ControlClass::Bitmap, u"", {44, 2, 109, 32}, plain, IDB_LOGO},
            {1053, ControlClass::Icon, u"", {18, 7, 20, 20}, plain, IDR_MAINFRAME},
            {1054, ControlClass::Static, u"Pelmora 1.5", {17, 37, 68, 9}, plain},
            {1070, ControlClass::Static, u"", {17, 50, 153, 16}, plain},
        }});
}

} // namespace pelmora
