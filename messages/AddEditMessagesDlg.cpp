#include "messages/AddEditMessagesDlg.h"

#include "messages/InsertVariableDlg.h"
#include "messages/MessageCounter.h"
#include "messages/NewPresetDlg.h"
#include "messages/TemplateCombo.h"
#include "messages/TemplateStore.h"
#include "messages/VariableExpansion.h"
#include "platform/framework/ComboBox.h"
#include "platform/framework/ControlText.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/WaitCursor.h"
#include "resources/Resources.h"
#include "rules/ProfileStore.h"
#include "ui/AutoSIPEdit.h"
#include "ui/SaveAllTarget.h"
#include "ui/ShellHelpers.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace pelmora {

namespace {

// Where a text read from the field ends in the field's document, whose line
// breaks are one position where the text has CR LF.
int MultilinePosition(std::u16string_view text)
{
    int position = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
            ++position;
    return position;
}

} // namespace

CAddEditMessagesDlg::CAddEditMessagesDlg(QWidget* parent)
    : COrientedDialog(IDD_ADDEDIT_MESSAGES, IDD_ADDEDIT_MESSAGES_L, parent)
{
}

bool CAddEditMessagesDlg::OnInitDialog()
{
    new CAutoSIPEdit(GetDlgItem(IDC_MESSAGE));
    GetDlgItem(IDC_MESSAGE)->installEventFilter(this);
    FillTemplateCombo(dlg::CComboBox(Control<QComboBox>(IDC_PRESETS)), false);
    return true;
}

bool CAddEditMessagesDlg::OnCommand(int id)
{
    switch (id) {
    case dlg::IDOK:
        OnOK();
        return true;
    case IDC_SAVE_PRESET:
        OnSavePreset();
        return true;
    case IDC_DELETE_PRESET:
        OnDeletePreset();
        return true;
    case IDC_INSERT_VARIABLE:
        OnInsertVariable();
        return true;
    case IDC_HELP:
        LaunchHelp(u"pelmora.htm", u"addeditmessages");
        return true;
    default:
        return CDialog::OnCommand(id);
    }
}

void CAddEditMessagesDlg::OnNotify(int id, dlg::ControlNotification code)
{
    if (id == IDC_MESSAGE && code == dlg::ControlNotification::Change)
        OnTextChanged();
    else if (id == IDC_PRESETS
        && (code == dlg::ControlNotification::SelChange
            || code == dlg::ControlNotification::CloseUp))
        OnPresetChosen();
}

void CAddEditMessagesDlg::OnTextChanged()
{
    if (settingText_)
        settingText_ = false;
    else
        modified_ = true;
    beforeCut_.reset();
    UpdateCounter();
}

bool CAddEditMessagesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && beforeCut_
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        auto* edit = Control<QPlainTextEdit>(IDC_MESSAGE);
        const std::u16string text = *beforeCut_;
        // Replaced through the cursor, so the field's own undo still works.
        QTextCursor cursor(edit->document());
        cursor.select(QTextCursor::Document);
        cursor.insertText(dlg::ToMultiline(text));
        edit->moveCursor(QTextCursor::End);
        return true;
    }
    return COrientedDialog::eventFilter(watched, event);
}

void CAddEditMessagesDlg::UpdateCounter()
{
    const MessageCount count = CountMessage(GetDlgItemText(IDC_MESSAGE));
    if (!count.cut)
        lastFitting_ = GetDlgItemText(IDC_MESSAGE);
    if (count.cut) {
        auto* edit = Control<QPlainTextEdit>(IDC_MESSAGE);
        {
            const QSignalBlocker quiet(edit);
            QTextCursor cursor(edit->document());
            cursor.movePosition(QTextCursor::End);
            cursor.setPosition(MultilinePosition(count.keptText), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
        edit->moveCursor(QTextCursor::End);
        beforeCut_ = lastFitting_;
        lastFitting_ = count.keptText;
        modified_ = true;
        dlg::MessageBox(
            this, u"Message text is too long, it has been automatically cut", u"Too long");
    }
    SetDlgItemInt(IDC_LENGTH, count.shownLength);
    SetDlgItemInt(IDC_MAXIMUM, count.maximum);
}

TemplateRecord* CAddEditMessagesDlg::SelectedPreset() const
{
    const dlg::CComboBox presets(Control<QComboBox>(IDC_PRESETS));
    const int selection = presets.GetCurSel();
    return selection < 0 ? nullptr : presets.ItemPointer<TemplateRecord>(selection);
}

void CAddEditMessagesDlg::OnPresetChosen()
{
    // The field reports every text set, even an unchanged one; that report
    // updates the counter and clears the flag.
    if (const TemplateRecord* preset = SelectedPreset()) {
        settingText_ = true;
        SetDlgItemText(IDC_MESSAGE, preset->text.Text());
    }
}

void CAddEditMessagesDlg::OnSavePreset()
{
    CNewPresetDlg nameDlg(this);
    const int selection = ComboGetCurSel(IDC_PRESETS);
    if (selection >= 0)
        nameDlg.name = ComboGetItemText(IDC_PRESETS, selection);
    if (nameDlg.DoModal() != dlg::IDOK)
        return;
    // The combo's entry that sends nothing is not a name a template may take:
    // a template under it would send its text while looking like nothing.
    if (QString::fromStdU16String(nameDlg.name)
            .compare(QStringLiteral("<do not send>"), Qt::CaseInsensitive)
        == 0) {
        dlg::MessageBox(this,
            u"\"<do not send>\" is the choice that sends nothing, please choose another name",
            u"Save preset");
        return;
    }
    const bool existed = FindTemplateByName(nameDlg.name) != nullptr;
    TemplateRecord* added = AddOrUpdateTemplate(nameDlg.name, GetDlgItemText(IDC_MESSAGE));
    if (!existed && !added) {
        // The text stays unsaved, and marked so.
        dlg::MessageBox(this,
            u"The message template could not be saved: no more template ids are available",
            u"Save preset");
        return;
    }
    if (mainWindow)
        mainWindow->SaveAll();
    modified_ = false;
    if (added) {
        const int index = ComboAddString(IDC_PRESETS, added->name.Text());
        ComboSetItemData(IDC_PRESETS, index, reinterpret_cast<uintptr_t>(added));
        ComboSetCurSel(IDC_PRESETS, index);
    }
}

void CAddEditMessagesDlg::OnDeletePreset()
{
    TemplateRecord* preset = SelectedPreset();
    if (!preset)
        return;
    if (dlg::MessageBox(this, u"Are you sure you want to delete this message template?",
            u"Confirm delete", dlg::MessageButtons::YesNo)
        != dlg::IDYES)
        return;
    if (IsMessageUsed(preset->id)
        && dlg::MessageBox(this,
               u"The following message template is in use, are you sure you want to delete it?",
               u"Confirm delete", dlg::MessageButtons::YesNo)
            != dlg::IDYES)
        return;
    {
        const dlg::CWaitCursor wait;
        const int selection = ComboGetCurSel(IDC_PRESETS);
        if (DeleteTemplate(preset)) {
            dlg::CComboBox combo(Control<QComboBox>(IDC_PRESETS));
            combo.DeleteString(selection);
            combo.SetCurSel(-1);
        }
    }
    if (mainWindow)
        mainWindow->SaveAll();
}

void CAddEditMessagesDlg::OnInsertVariable()
{
    CInsertVariableDlg variables(this);
    if (variables.DoModal() != dlg::IDOK || variables.chosen < 0
        || variables.chosen >= static_cast<int>(InsertableVariables.size()))
        return;
    auto* edit = Control<QPlainTextEdit>(IDC_MESSAGE);
    // Inserted as a change that cannot be undone.
    const std::u16string variable(InsertableVariables[static_cast<size_t>(variables.chosen)]);
    edit->setUndoRedoEnabled(false);
    QTextCursor cursor = edit->textCursor();
    cursor.insertText(QString::fromStdU16String(variable));
    edit->setTextCursor(cursor);
    edit->setUndoRedoEnabled(true);
    edit->setFocus();
}

bool CAddEditMessagesDlg::OnOK()
{
    if (modified_
        && dlg::MessageBox(this,
               u"Message not saved, are you sure you want to exit the Message window?", u"Confirm",
               dlg::MessageButtons::YesNo)
            != dlg::IDYES)
        return false;
    EndDialog(dlg::IDOK);
    return true;
}

void CAddEditMessagesDlg::closeEvent(QCloseEvent* event)
{
    // The editor has no buttons of its own: the window's close button is the
    // caption's OK, so unsaved text is asked about, as with OK.
    if (OnOK())
        event->accept();
    else
        event->ignore();
}

} // namespace pelmora
