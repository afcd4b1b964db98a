#pragma once

namespace pelmora {

// The main window's template.
void RegisterMainTemplates();

} // namespace pelmora
