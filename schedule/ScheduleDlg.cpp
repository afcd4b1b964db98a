#include "schedule/ScheduleDlg.h"

#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"
#include "rules/ProfileStore.h"
#include "schedule/TimePicker.h"

#include <QLineEdit>
#include <QListWidget>

namespace pelmora {

namespace {

QString ProfileName(int32_t id)
{
    for (const auto& profile : Profiles())
        if (profile->id == id)
            return QString::fromStdU16String(profile->name.Text());
    return QStringLiteral("profile %1").arg(id);
}

} // namespace

CScheduleWindowDlg::CScheduleWindowDlg(ScheduleWindow& window, QWidget* parent)
    : COrientedDialog(IDD_SCHEDULE_WINDOW, IDD_SCHEDULE_WINDOW_L, parent)
    , window_(window)
{
}

bool CScheduleWindowDlg::OnInitDialog()
{
    for (int day = 0; day < 7; ++day)
        CheckDlgButton(IDC_FIRST_DAY + day, (window_.days >> day) & 1);
    SetDlgItemText(IDC_START, MinuteText(window_.startMinute).toStdU16String());
    SetDlgItemText(IDC_END, MinuteText(window_.endMinute).toStdU16String());
    // A window that ends where it starts runs the whole day round.
    CheckDlgButton(IDC_ALL_DAY, window_.startMinute == window_.endMinute);
    ShowAllDay();
    for (const int id : {IDC_START, IDC_END})
        if (auto* edit = Control<QLineEdit>(id))
            OfferTimePicker(edit);
    ComboAddString(IDC_ACTION, u"Monitoring off");
    int selected = 0;
    for (const auto& profile : Profiles()) {
        const int index = ComboAddString(
            IDC_ACTION, u"Monitoring on with " + std::u16string(profile->name.Text()));
        ComboSetItemData(IDC_ACTION, index, static_cast<uintptr_t>(profile->id));
        if (window_.monitoring && profile->id == window_.profileId)
            selected = index;
    }
    ComboSetCurSel(IDC_ACTION, selected);
    return true;
}

void CScheduleWindowDlg::ShowAllDay()
{
    const bool allDay = IsDlgButtonChecked(IDC_ALL_DAY) != 0;
    EnableDlgItem(IDC_START, !allDay);
    EnableDlgItem(IDC_END, !allDay);
}

bool CScheduleWindowDlg::OnCommand(int id)
{
    if (id == IDC_ALL_DAY) {
        ShowAllDay();
        return true;
    }
    if (id != dlg::IDOK)
        return COrientedDialog::OnCommand(id);
    ScheduleWindow read;
    for (int day = 0; day < 7; ++day)
        if (IsDlgButtonChecked(IDC_FIRST_DAY + day))
            read.days |= static_cast<uint8_t>(1u << day);
    const bool allDay = IsDlgButtonChecked(IDC_ALL_DAY) != 0;
    const auto start = allDay
        ? std::optional<int>(0)
        : MinuteFromTyped(QString::fromStdU16String(GetDlgItemText(IDC_START)));
    const auto end = allDay ? std::optional<int>(0)
                            : MinuteFromTyped(QString::fromStdU16String(GetDlgItemText(IDC_END)));
    if (read.days == 0) {
        dlg::MessageBox(this, u"Choose at least one day.", u"Schedule");
        return true;
    }
    if (!start || !end) {
        dlg::MessageBox(
            this, u"Write the times as 7:30 or 19:30, from 0:00 to 23:59.", u"Schedule");
        GetDlgItem(start ? IDC_END : IDC_START)->setFocus();
        return true;
    }
    if (!allDay && *start == *end) {
        dlg::MessageBox(this,
            u"The window starts and ends at the same time. Change one of the times, or choose "
            u"All day for the whole day.",
            u"Schedule");
        GetDlgItem(IDC_END)->setFocus();
        return true;
    }
    read.startMinute = *start;
    read.endMinute = *end;
    const int action = ComboGetCurSel(IDC_ACTION);
    read.monitoring = action > 0;
    read.profileId
        = read.monitoring ? static_cast<int32_t>(ComboGetItemData(IDC_ACTION, action)) : 0;
    window_ = read;
    EndDialog(dlg::IDOK);
    return true;
}

CScheduleDlg::CScheduleDlg(
    WeeklySchedule current, int32_t calendarProfileId, Save save, QWidget* parent)
    : COrientedDialog(IDD_SCHEDULE, IDD_SCHEDULE_L, parent)
    , current_(std::move(current))
    , calendarProfileId_(calendarProfileId)
    , save_(std::move(save))
    , edited_(current_)
{
}

bool CScheduleDlg::OnInitDialog()
{
    // The buttons follow the row a finger taps, not only the one Fill chose.
    if (auto* list = Control<QListWidget>(IDC_WINDOWS))
        connect(
            list, &QListWidget::currentRowChanged, this, [this](int row) { EnableForRow(row); });
    Fill(edited_.empty() ? -1 : 0);
    ComboAddString(IDC_CALENDAR, u"Nothing changes");
    int selected = 0;
    for (const auto& profile : Profiles()) {
        const int index = ComboAddString(
            IDC_CALENDAR, u"Monitoring on with " + std::u16string(profile->name.Text()));
        ComboSetItemData(IDC_CALENDAR, index, static_cast<uintptr_t>(profile->id));
        if (profile->id == calendarProfileId_)
            selected = index;
    }
    ComboSetCurSel(IDC_CALENDAR, selected);
    return true;
}

int32_t CScheduleDlg::EditedCalendarProfileId() const
{
    const int selected = ComboGetCurSel(IDC_CALENDAR);
    return selected > 0 ? static_cast<int32_t>(ComboGetItemData(IDC_CALENDAR, selected)) : 0;
}

void CScheduleDlg::Fill(int select)
{
    auto* list = Control<QListWidget>(IDC_WINDOWS);
    if (!list)
        return;
    list->clear();
    for (const ScheduleWindow& window : edited_)
        ListBoxAddString(
            IDC_WINDOWS, WindowText(window, ProfileName(window.profileId)).toStdU16String());
    ListBoxSetCurSel(IDC_WINDOWS, select);
    EnableForRow(select);
}

void CScheduleDlg::EnableForRow(int row)
{
    const bool any = row >= 0;
    EnableDlgItem(IDC_EDIT, any);
    EnableDlgItem(IDC_DELETE, any);
    EnableDlgItem(IDC_UP, row > 0);
    EnableDlgItem(IDC_DOWN, any && row + 1 < static_cast<int>(edited_.size()));
}

void CScheduleDlg::Move(int by)
{
    const int at = ListBoxGetCurSel(IDC_WINDOWS);
    const int to = at + by;
    if (at < 0 || to < 0 || to >= static_cast<int>(edited_.size()))
        return;
    std::swap(edited_[static_cast<size_t>(at)], edited_[static_cast<size_t>(to)]);
    Fill(to);
}

bool CScheduleDlg::OnCommand(int id)
{
    const int selected = ListBoxGetCurSel(IDC_WINDOWS);
    switch (id) {
    case IDC_ADD: {
        if (edited_.size() >= kMaxScheduleWindows) {
            dlg::MessageBox(this,
                u"A schedule holds at most 100 windows. Delete or change one instead.",
                u"Schedule");
            return true;
        }
        // A first guess most people change only a little: weeknights.
        ScheduleWindow window {
            0x1f, 22 * 60, 7 * 60, true, Profiles().empty() ? 0 : Profiles().front()->id};
        CScheduleWindowDlg editor(window, this);
        if (editor.DoModal() == dlg::IDOK) {
            edited_.push_back(window);
            Fill(static_cast<int>(edited_.size()) - 1);
        }
        return true;
    }
    case IDC_EDIT:
        if (selected >= 0) {
            ScheduleWindow window = edited_[static_cast<size_t>(selected)];
            CScheduleWindowDlg editor(window, this);
            if (editor.DoModal() == dlg::IDOK) {
                edited_[static_cast<size_t>(selected)] = window;
                Fill(selected);
            }
        }
        return true;
    case IDC_DELETE:
        if (selected >= 0
            && dlg::MessageBox(this, u"Delete this window of the schedule?", u"Schedule",
                   dlg::MessageButtons::YesNo)
                == dlg::IDYES) {
            edited_.erase(edited_.begin() + selected);
            Fill(std::min(selected, static_cast<int>(edited_.size()) - 1));
        }
        return true;
    case IDC_UP:
        Move(-1);
        return true;
    case IDC_DOWN:
        Move(1);
        return true;
    case dlg::IDOK:
        // Done: an unchanged schedule is not written again.
        if (edited_ == current_ && EditedCalendarProfileId() == calendarProfileId_) {
            EndDialog(dlg::IDOK);
            return true;
        }
        if (save_(edited_, EditedCalendarProfileId()))
            EndDialog(dlg::IDOK);
        return true;
    default:
        return COrientedDialog::OnCommand(id);
    }
}

} // namespace pelmora
