#pragma once

#include "options/OwnSettings.h"
#include "platform/framework/Dialog.h"
#include "ui/OrientedPropertyPage.h"

#include <functional>
#include <string_view>

namespace pelmora {

struct SettingsRecord;
class CMonitorDlg;

// The options that live outside the tabs: the start-up entry, whose
// existence is the option (nothing is stored for it), the international
// prefix, edited in the main window's live settings record so the next
// caller lookup uses it, and the history's options of Pelmora's own file,
// handed to the main window to save.
class CAdvancedSettingsDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CAdvancedSettingsDlg(SettingsRecord& settings, CMonitorDlg* mainWindow, QWidget* parent);

    CMonitorDlg* MainWindow() const { return mainWindow_; }

    // The main window's command that opens this dialog.
    static constexpr int ID_ADVANCED_SETTINGS = 32791;
    static constexpr int IDC_AUTORUN = 1044;
    static constexpr int IDC_INTERNATIONAL_PREFIX = 1051;
    static constexpr int IDC_HELP = 1011;
    static constexpr int IDC_HISTORY_KEEP = 1072; // a month, a year, forever
    static constexpr int IDC_QUIET_PERIOD = 1073; // kQuietPeriodMinutes in words

    // The own options the History group starts from, and who saves a change
    // (false: not saved, the dialog stays open). Without it the group shows
    // the defaults and OK saves nothing of it.
    void SetOwnSettings(OwnSettings current, std::function<bool(const OwnSettings&)> save);
    // The record's field holds more, but the option keeps at most this many.
    static constexpr int kMaxPrefixChars = 9;
    // The start-up entry's name (the application id, like the installed
    // desktop entry) and the argument it starts the program with. Entries
    // made before the program had an id carry the program's name; they are
    // still seen and replaced.
    static constexpr std::u16string_view kAutorunName = u"com.vantrel.Pelmora";
    static constexpr std::u16string_view kOldAutorunName = u"Pelmora";
    static constexpr std::u16string_view kAutorunArguments = u"/h";

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    SettingsRecord& settings_;
    CMonitorDlg* mainWindow_;
    OwnSettings own_;
    std::function<bool(const OwnSettings&)> saveOwn_;
};

} // namespace pelmora
