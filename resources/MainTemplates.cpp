#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

namespace pelmora {

using namespace dlg;

void RegisterMainTemplates()
{
    RegisterTemplate({IDD_PELMORA_DIALOG, u"Pelmora", {0, 0, 139, 103},
        {
            {1001, ControlClass::TabControl, u"", {0, 0, 139, 103}},
        }});
}

} // namespace pelmora
