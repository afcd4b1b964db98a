#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

void RegisterLogPage()
{
    constexpr uint32_t listStyle = kDefaultStyle | SingleSelection | ShowSelAlways | Border;
    RegisterTemplate({IDD_LOG, u"", {0, 0, 131, 134},
        {
            {1031, ControlClass::PushButton, u"&Clear All", {5, 3, 39, 14}},
            {1028, ControlClass::AutoCheckBox, u"Automatically clear every session",
                {54, 1, 75, 18}, kDefaultStyle | Multiline},
            {-1, ControlClass::Static, u"Auto clear older than:", {3, 23, 71, 9}},
            {1046, ControlClass::ComboDropList, u"", {75, 20, 50, 125}, kDefaultStyle | VScroll},
            {1029, ControlClass::ListView, u"", {1, 37, 129, 97}, listStyle},
        }});
    RegisterTemplate({IDD_LOG_L, u"", {0, 0, 177, 89},
        {
            {1031, ControlClass::PushButton, u"&Clear All", {3, 3, 39, 14}},
            {1028, ControlClass::AutoCheckBox, u"Automatically clear every session",
                {52, 1, 120, 13}, kDefaultStyle | Multiline},
            {-1, ControlClass::Static, u"Auto clear older than:", {4, 17, 71, 9}},
            {1046, ControlClass::ComboDropList, u"", {81, 14, 50, 125}, kDefaultStyle | VScroll},
            {1029, ControlClass::ListView, u"", {1, 31, 175, 58}, listStyle},
        }});
}

} // namespace pelmora
