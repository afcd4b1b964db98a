#pragma once

#include "platform/framework/Dialog.h"

namespace pelmora {

// A tab page that exists as a portrait and a landscape template with the
// same controls, and follows the screen's rotation: on a size change that
// comes with a new orientation it moves its controls to the other template.
class COrientedPropertyPage : public dlg::CDialog {
    Q_OBJECT
public:
    explicit COrientedPropertyPage(QWidget* parent = nullptr);

    // Builds the page as a child of `parent` from the template that fits the
    // screen now.
    bool Create(int portraitTemplate, int landscapeTemplate, QWidget* parent);
    bool IsLandscapeLayout() const { return landscape_ != 0; }
    int PortraitTemplate() const { return portrait_; }
    int LandscapeTemplate() const { return landscapeTemplate_; }

protected:
    // Pages that add their own size handling call this first.
    void OnSize() override;

private:
    int portrait_ = 0;
    int landscapeTemplate_ = 0;
    uint8_t landscape_ = 0;
};

// A modal dialog with a portrait and a landscape template: built with the
// one that fits the screen, it moves its controls to the other when the
// phone turns while it is open.
class COrientedDialog : public dlg::CDialog {
    Q_OBJECT
public:
    COrientedDialog(int portraitTemplate, int landscapeTemplate, QWidget* parent);
    int HelpId() const { return helpId_; }

protected:
    void OnTurned() override;

private:
    int helpId_;
    int landscapeTemplate_;
};

} // namespace pelmora
