#pragma once

#include "settings/SettingsRecord.h"

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

// The Main tab: the Start Monitor button with its state pictures and the main
// sending settings. The main window handles the button and reads and writes
// the settings controls; the page itself only opens its help.
class CMainPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CMainPage(QWidget* parent = nullptr);

    static constexpr int IDC_START_STOP = 1000;
    static constexpr int IDC_HELP = 1011;
    static constexpr int IDC_SENT_COUNT = 1012;
    static constexpr int IDC_MAX_PER_CALLER = 1013;
    static constexpr int IDC_MAX_TOTAL = 1014;
    static constexpr int IDC_STOPPED_IMAGE = 1015;
    static constexpr int IDC_RUNNING_IMAGE = 1016;
    static constexpr int IDC_RINGS_BEFORE_SEND = 1017;
    static constexpr int IDC_HANGUP_RINGS = 1018;
    static constexpr int IDC_INTERACTIVE = 1069;
    // The schedule's next change, when there is a schedule.
    static constexpr int IDC_SCHEDULE_NOTE = 1070;

    // The record's values into the controls, and back.
    void ApplySettings(const SettingsRecord& settings);
    void CollectSettings(SettingsRecord& settings) const;
    // "Max allowed SMS to send" as Start reads it: the C library's reading
    // of the text (leading blanks, a sign, digits up to the first other
    // character; none is 0, too large the largest).
    int32_t MaxTotal() const;

protected:
    bool OnCommand(int id) override;
};

} // namespace pelmora
