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
    RegisterProgramArt();
    RegisterMainTemplates();
    RegisterVariablesDialog();
    RegisterLogPage();
    RegisterAdvancedAbout();
    RegisterRulesPages();
    RegisterGroupsDialogs();
    RegisterMainPage();
    RegisterMessageEditor();
    RegisterProfileDialogs();
    RegisterScheduleDialogs();
    RegisterHistoryDialogs();
}

} // namespace pelmora
