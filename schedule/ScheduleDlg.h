#pragma once

#include "schedule/WeeklySchedule.h"
#include "ui/OrientedPropertyPage.h"

#include <functional>

namespace pelmora {

// One window of the schedule: its days, times and what holds inside it.
class CScheduleWindowDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CScheduleWindowDlg(ScheduleWindow& window, QWidget* parent);

    static constexpr int IDC_FIRST_DAY = 1090; // Monday; Sunday is 1096
    static constexpr int IDC_START = 1097;
    static constexpr int IDC_END = 1098;
    static constexpr int IDC_ACTION = 1099; // 0 off, then the profiles in order
    static constexpr int IDC_ALL_DAY = 1100;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void ShowAllDay();
    ScheduleWindow& window_;
};

// Tools > Schedule: lists the windows and adds, edits, deletes and reorders
// them; Done saves and applies the schedule.
class CScheduleDlg final : public COrientedDialog {
    Q_OBJECT
public:
    // `save` saves and applies a changed schedule and the profile that
    // holds while the calendar says busy (0: the calendar switches
    // nothing); false (after telling the user) when it could not, and the
    // dialog stays open.
    using Save = std::function<bool(const WeeklySchedule&, int32_t calendarProfileId)>;
    CScheduleDlg(WeeklySchedule current, int32_t calendarProfileId, Save save, QWidget* parent);

    const WeeklySchedule& Edited() const { return edited_; }
    int32_t EditedCalendarProfileId() const;

    static constexpr int IDC_WINDOWS = 1080;
    static constexpr int IDC_ADD = 1081;
    static constexpr int IDC_EDIT = 1082;
    static constexpr int IDC_DELETE = 1083;
    static constexpr int IDC_UP = 1084;
    static constexpr int IDC_DOWN = 1085;
    static constexpr int IDC_CALENDAR = 1086; // 0 nothing, then the profiles in order

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void Fill(int select);
    // Edit, Delete, up and down as the selected row allows.
    void EnableForRow(int row);
    void Move(int by);

    const WeeklySchedule current_;
    const int32_t calendarProfileId_;
    Save save_;
    WeeklySchedule edited_;
};

} // namespace pelmora
