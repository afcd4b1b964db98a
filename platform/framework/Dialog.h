#pragma once

#include "platform/NumberedTimers.h"
#include "platform/framework/CommandTarget.h"
#include "platform/framework/DialogTemplate.h"
#include "platform/framework/DialogUnits.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QButtonGroup;
class QTimer;

namespace pelmora::dlg {

// What a control tells its dialog besides commands: the user picked an item
// of a drop-down list (SelChange) or closed its list without a pick
// (CloseUp); an edit field's text changed, also when the program set it.
enum class ControlNotification { SelChange, CloseUp, Change };

// The framework's dialog: built from a dialog template, with its controls
// found by identifier and read and written the way the system does. Pages are
// modeless child dialogs (`Create`); dialogs run modally (`DoModal`).
class CDialog : public QDialog, public CommandTarget {
    Q_OBJECT
public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    int TemplateId() const { return templateId_; }
    // Before the dialog is built, chooses another template (landscape layout).
    void SetTemplateId(int templateId) { templateId_ = templateId; }

    // Builds the dialog as a modeless child window of `parent`; false when the
    // template is missing.
    bool Create(QWidget* parent);
    // Builds the dialog and runs it modally through the modal seam; returns
    // the value given to EndDialog.
    int DoModal();
    void EndDialog(int result);
    bool IsBuilt() const { return built_; }

    // Controls by identifier.
    QWidget* GetDlgItem(int id) const;
    template <class T> T* Control(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    std::vector<std::pair<int, QWidget*>> Controls() const { return controls_; }
    // Puts `widget` in the place of control `oldId` under identifier `newId`.
    void ReplaceControl(int oldId, int newId, QWidget* widget);

    std::u16string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, std::u16string_view text);
    void SetLimitText(int id, int maxChars);
    // A number field read the platform's way: blanks around an optional minus
    // sign (when signed) and decimal digits. Anything else, or a value that
    // does not fit, reads as 0 with `translated` false.
    int GetDlgItemInt(int id, bool* translated = nullptr, bool isSigned = true) const;
    void SetDlgItemInt(int id, int value);
    int IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, int checked);
    // Index of the checked button in the radio group starting at `firstId`,
    // or -1 when none is checked.
    int GetRadioValue(int firstId) const;
    void SetRadioValue(int firstId, int index);

    int ComboAddString(int id, std::u16string_view text);
    int ComboGetCount(int id) const;
    int ComboGetCurSel(int id) const;
    // An index out of range leaves the combo box without a selection.
    void ComboSetCurSel(int id, int index);
    void ComboSetItemData(int id, int index, uintptr_t data);
    uintptr_t ComboGetItemData(int id, int index) const;
    std::u16string ComboGetItemText(int id, int index) const;
    void ComboResetContent(int id);

    int ListBoxAddString(int id, std::u16string_view text);
    int ListBoxGetCurSel(int id) const;
    void ListBoxSetCurSel(int id, int index);
    void ListBoxSetItemData(int id, int index, uintptr_t data);
    uintptr_t ListBoxGetItemData(int id, int index) const;

    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void SetDlgItemReadOnly(int id, bool readOnly);
    bool IsDlgItemReadOnly(int id) const;
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemVisible(int id) const;

    const DialogBaseUnits& BaseUnits() const { return units_; }
    // Takes the font and units of the screen's present scale (a phone turned
    // scales the design anew); true when they changed.
    bool RefreshScale();
    // The design's scale this window is drawn at.
    double Scale() const;
    QRect MapDialogRect(const DialogRect& rect) const { return units_.Map(rect); }

    // Offers a command to the parent first when this window forwards (pages
    // do), then handles it here. True when someone handled it.
    bool RouteCommand(int id) override;
    std::optional<bool> UpdateCommand(int id) override;

    // One-shot timers by identifier; setting one again restarts it. They run
    // on the installed timer service when there is one (TimerService.h).
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool IsTimerActive(int id) const;
    // A size-change message with no size: the window re-checks its layout.
    void NotifySizeChange() { OnSize(); }
    // Lets tests fire a timer without waiting for it.
    void FireTimerForTesting(int id) { OnTimer(id); }

protected:
    virtual bool OnInitDialog() { return true; }
    // A command that reached this window; true when handled. By default OK
    // and Cancel end a modal dialog.
    virtual bool OnCommand(int id);
    virtual void OnTimer(int /*id*/) { }
    // Whether a command is available now (menus ask before showing it).
    virtual std::optional<bool> OnUpdateCommand(int /*id*/) { return std::nullopt; }
    virtual void OnSize() { }
    // The screen turned while this dialog was open on a phone's whole
    // screen; it has the screen's new size already. Dialogs with a
    // template for each orientation take the other one here.
    virtual void OnTurned() { }
    virtual void OnNotify(int /*id*/, ControlNotification /*code*/) { }

    // Replaces the widget built for control `id` by one made here, the way a
    // dialog class attaches its own control class to a template control. Set
    // before the dialog is built.
    void SetControlFactory(int id, std::function<QWidget*(QWidget* parent)> factory);
    void SetOffersCommandsToParentFirst(bool offer) { offersToParentFirst_ = offer; }

    void resizeEvent(QResizeEvent* event) override;
    // Enter presses the push button that has the focus, as on the platform,
    // rather than the dialog's default button.
    void keyPressEvent(QKeyEvent* event) override;
    void accept() override;
    void reject() override;

private:
    bool Build();
    QWidget* BuildControl(const DialogItem& item, QButtonGroup*& radioGroup);
    // On a phone's whole screen a dialog whose template has neither OK nor
    // Cancel gets a Done, since no title bar with a close button is drawn.
    void AddTouchDone();
    void PlaceTouchDone();

    int templateId_;
    bool built_ = false;
    bool modal_ = false;
    bool offersToParentFirst_ = false;
    bool wholeScreen_ = false;
    int result_ = 0;
    DialogBaseUnits units_;
    std::vector<std::pair<int, QWidget*>> controls_;
    std::map<int, std::function<QWidget*(QWidget*)>> factories_;
    NumberedTimers timers_;
    QPushButton* touchDone_ = nullptr;
};

// The pixel rectangle of a template control.
QRect ControlRect(const DialogItem& item, const QWidget* control, const DialogBaseUnits& units);

// Tests run modal dialogs without a nested event loop: while a handler is
// installed, DoModal builds and initialises the dialog and hands it to the
// handler, whose answer (or EndDialog's value) is DoModal's result.
using ModalHandler = std::function<int(CDialog&)>;
void SetModalHandler(ModalHandler handler);

} // namespace pelmora::dlg
