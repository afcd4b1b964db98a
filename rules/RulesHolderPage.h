#pragma once

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

// The Rules tab: an empty page whose placeholder 1059 the main window
// replaces by the pane container of the two rule pages. The container does
// not see its parent's size changes, so the page passes each one on.
class CRulesHolderPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CRulesHolderPage(QWidget* parent = nullptr);

    static constexpr int IDC_PANES = 1059;

protected:
    void OnSize() override;
};

} // namespace pelmora
