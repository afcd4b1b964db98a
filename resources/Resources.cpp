#include "resources/Resources.h"

#include "resources/Images.h"
#include "resources/MainTemplates.h"

namespace pelmora {

void RegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterImages();
    RegisterMainTemplates();
}

} // namespace pelmora
