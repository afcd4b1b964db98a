#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

namespace {

constexpr uint32_t kPrefixEdit = kDefaultStyle | Border | AutoHScroll;
constexpr uint32_t kFirstRadio = kDefaultStyle | Group;
constexpr uint32_t kHelpPicture = Visible | Notify;

} // namespace

// The Rules tab holds only the place of the pane container; the two rule
// pages fill the container's content area between its caption bars. Rows
// a thumb uses are 20 units (about 7 mm) high.
void RegisterRulesPages()
{
    RegisterTemplate({IDD_RULES, u"", {0, 0, 158, 217},
        {
            {1059, ControlClass::Static, u"", {0, 0, 158, 217}, Visible},
        }});
    RegisterTemplate({IDD_RULES_L, u"", {0, 0, 211, 159},
        {
            {1059, ControlClass::Static, u"", {0, 0, 211, 159}, Visible},
        }});

    RegisterTemplate({IDD_INCLUDE_RULES, u"", {0, 0, 156, 186},
        {
            {1059, ControlClass::GroupBox, u"Include", {4, 3, 148, 84}, Visible},
            {1017, ControlClass::RadioButton, u"All numbers", {10, 14, 136, 20}, kFirstRadio},
            {1018, ControlClass::RadioButton, u"Only numbers starting with", {10, 36, 136, 20}},
            {1019, ControlClass::Edit, u"", {22, 60, 124, 20}, kPrefixEdit},
            {1011, ControlClass::Bitmap, u"", {141, 91, 11, 12}, kHelpPicture, IDB_HELP},
        }});
    RegisterTemplate({IDD_INCLUDE_RULES_L, u"", {0, 0, 210, 128},
        {
            {1059, ControlClass::GroupBox, u"Include", {4, 3, 202, 62}, Visible},
            {1017, ControlClass::RadioButton, u"All numbers", {10, 14, 110, 20}, kFirstRadio},
            {1018, ControlClass::RadioButton, u"Only numbers starting with", {10, 36, 110, 20}},
            {1019, ControlClass::Edit, u"", {122, 36, 78, 20}, kPrefixEdit},
            {1011, ControlClass::Bitmap, u"", {195, 69, 11, 12}, kHelpPicture, IDB_HELP},
        }});

    RegisterTemplate({IDD_EXCLUDE_RULES, u"", {0, 0, 156, 186},
        {
            {1023, ControlClass::GroupBox, u"Exclude", {4, 3, 148, 106}, Visible},
            {1020, ControlClass::AutoCheckBox, u"International numbers", {10, 14, 136, 20}},
            {1021, ControlClass::AutoCheckBox, u"Numbers not identified", {10, 36, 136, 20}},
            {1022, ControlClass::AutoCheckBox, u"Numbers starting with", {10, 58, 136, 20}},
            {1024, ControlClass::Edit, u"", {22, 82, 124, 20}, kPrefixEdit},
            {1012, ControlClass::Bitmap, u"", {141, 113, 11, 12}, kHelpPicture, IDB_HELP},
        }});
    RegisterTemplate({IDD_EXCLUDE_RULES_L, u"", {0, 0, 210, 128},
        {
            {1023, ControlClass::GroupBox, u"Exclude", {4, 3, 202, 62}, Visible},
            {1020, ControlClass::AutoCheckBox, u"International numbers", {10, 14, 94, 20}},
            {1021, ControlClass::AutoCheckBox, u"Numbers unidentified", {106, 14, 94, 20}},
            {1022, ControlClass::AutoCheckBox, u"Numbers starting with", {10, 36, 94, 20}},
            {1024, ControlClass::Edit, u"", {106, 36, 94, 20}, kPrefixEdit},
            {1012, ControlClass::Bitmap, u"", {195, 69, 11, 12}, kHelpPicture, IDB_HELP},
        }});
}

} // namespace pelmora
