#pragma once

#include <optional>
#include <string>

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

class SaveAllTarget;
struct TemplateRecord;

// The message editor: the user writes a text, saves it as a named preset,
// loads or deletes presets and inserts variables, while a counter shows the
// estimated length against the SMS limit (and cuts what is over it).
class CAddEditMessagesDlg final : public COrientedDialog {
    Q_OBJECT
public:
    explicit CAddEditMessagesDlg(QWidget* parent = nullptr);

    // Set by the opener before the dialog is shown; saves after each change.
    SaveAllTarget* mainWindow = nullptr;

    bool IsModified() const { return modified_; }

    static constexpr int IDC_MESSAGE = 1002;
    static constexpr int IDC_LENGTH = 1004;
    static constexpr int IDC_MAXIMUM = 1005;
    static constexpr int IDC_PRESETS = 1006;
    static constexpr int IDC_SAVE_PRESET = 1008;
    static constexpr int IDC_DELETE_PRESET = 1009;
    static constexpr int IDC_HELP = 1011;
    static constexpr int IDC_INSERT_VARIABLE = 1032;

protected:
    // Ctrl+Z right after a cut brings back the text before the edit that
    // made it too long.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnNotify(int id, dlg::ControlNotification code) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTextChanged();
    void UpdateCounter();
    void OnPresetChosen();
    void OnSavePreset();
    void OnDeletePreset();
    void OnInsertVariable();
    // The OK command: true when the dialog ended.
    bool OnOK();
    TemplateRecord* SelectedPreset() const;

    bool modified_ = false;
    bool settingText_ = false;
    std::u16string lastFitting_; // the text as it was when it last fitted
    std::optional<std::u16string> beforeCut_;
};

} // namespace pelmora
