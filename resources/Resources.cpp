#include "resources/Resources.h"

#include "resources/Images.h"
#include "resources/Templates.h"

namespace pelmora {

void RegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterImages();
    RegisterMainTemplates();
    RegisterVariablesDialog();
    RegisterLogPage();
    RegisterMainPage();
    RegisterMessageEditor();
}

} // namespace pelmora
