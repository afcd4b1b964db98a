#pragma once

namespace pelmora {

namespace dlg {
class CDialog;
}

// Moves a dialog's controls to the rectangles of another template with the
// same control identifiers: all at once, visibility as the template says,
// buttons and static texts taking the template's text again and pictures
// reloading their image (keeping their size). Selections, texts, check states
// and rows stay. With `resizeWindow` the dialog takes the template's size.
// A missing template changes nothing and gives false.
bool RelayoutFromTemplate(dlg::CDialog& window, int templateId, bool resizeWindow);

} // namespace pelmora
