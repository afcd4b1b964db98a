#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

#include <array>
#include <vector>

namespace pelmora {

using namespace dlg;

namespace {

constexpr uint32_t kListStyle = kDefaultStyle | VScroll | Border;
constexpr uint32_t kEditStyle = kDefaultStyle | AutoHScroll | Border;

// The seven day boxes: two or three columns, a row each.
void AddDayBoxes(std::vector<DialogItem>& items, int columns, int top)
{
    static constexpr std::array<const char16_t*, 7> kDays
        = {u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat", u"Sun"};
    for (int day = 0; day < 7; ++day)
        items.push_back({1090 + day, ControlClass::AutoCheckBox, kDays[day],
            {4 + 52 * (day % columns), top + 16 * (day / columns), 48, 14}});
}

} // namespace

// Tools > Schedule: the weekly windows and the editor of one window.
void RegisterScheduleDialogs()
{
    const char16_t* const kLater = u"Weekly windows; where they overlap, the later one wins:";
    const char16_t* const kBusy = u"While my calendar says busy:";
    const char16_t* const kBusyWins = u"A busy event wins over a window.";
    RegisterTemplate({IDD_SCHEDULE, u"Schedule", {0, 0, 160, 224},
        {
            {-1, ControlClass::Static, kLater, {4, 4, 152, 18}},
            {1080, ControlClass::ListBox, u"", {4, 24, 152, 104}, kListStyle},
            {1081, ControlClass::PushButton, u"&Add", {4, 132, 35, 19}},
            {1082, ControlClass::PushButton, u"&Edit", {41, 132, 35, 19}},
            {1083, ControlClass::PushButton, u"&Delete", {78, 132, 35, 19}},
            {1084, ControlClass::PushButton, u"\u2191", {115, 132, 19, 19}},
            {1085, ControlClass::PushButton, u"\u2193", {137, 132, 19, 19}},
            {-1, ControlClass::Static, kBusy, {4, 158, 152, 10}},
            {1086, ControlClass::ComboDropList, u"", {4, 170, 152, 100}, kDefaultStyle | VScroll},
            {-1, ControlClass::Static, kBusyWins, {4, 187, 152, 10}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {56, 201, 48, 19}},
        }});
    RegisterTemplate({IDD_SCHEDULE_L, u"Schedule", {0, 0, 212, 164},
        {
            {-1, ControlClass::Static, kLater, {4, 4, 150, 18}},
            {1080, ControlClass::ListBox, u"", {4, 24, 150, 78}, kListStyle},
            {-1, ControlClass::Static, kBusy, {4, 106, 150, 10}},
            {1086, ControlClass::ComboDropList, u"", {4, 118, 150, 100}, kDefaultStyle | VScroll},
            {-1, ControlClass::Static, kBusyWins, {4, 135, 150, 10}},
            {1081, ControlClass::PushButton, u"&Add", {158, 4, 50, 19}},
            {1082, ControlClass::PushButton, u"&Edit", {158, 27, 50, 19}},
            {1083, ControlClass::PushButton, u"&Delete", {158, 50, 50, 19}},
            {1084, ControlClass::PushButton, u"\u2191", {158, 73, 24, 19}},
            {1085, ControlClass::PushButton, u"\u2193", {184, 73, 24, 19}},
            {IDOK_ID, ControlClass::DefPushButton, u"Done", {158, 141, 50, 19}},
        }});

    const char16_t* const kPastMidnight
        = u"A window belongs to the day it starts: an end before the start is the next morning.";
    std::vector<DialogItem> portrait {
        {-1, ControlClass::Static, u"Days:", {4, 4, 152, 10}},
    };
    AddDayBoxes(portrait, 3, 16);
    portrait.insert(portrait.end(),
        {
            {-1, ControlClass::Static, u"From:", {4, 72, 30, 10}},
            {1097, ControlClass::Edit, u"", {36, 68, 40, 16}, kEditStyle},
            {-1, ControlClass::Static, u"To:", {84, 72, 20, 10}},
            {1098, ControlClass::Edit, u"", {106, 68, 40, 16}, kEditStyle},
            {1100, ControlClass::AutoCheckBox, u"&All day", {4, 88, 80, 14}},
            {-1, ControlClass::Static, kPastMidnight, {4, 106, 152, 18}},
            {-1, ControlClass::Static, u"Inside the window:", {4, 130, 152, 10}},
            {1099, ControlClass::ComboDropList, u"", {4, 142, 152, 100}, kDefaultStyle | VScroll},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {28, 201, 50, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {82, 201, 50, 19}},
        });
    RegisterTemplate({IDD_SCHEDULE_WINDOW, u"Window", {0, 0, 160, 224}, portrait});

    std::vector<DialogItem> landscape {
        {-1, ControlClass::Static, u"Days:", {4, 4, 100, 10}},
    };
    AddDayBoxes(landscape, 2, 16);
    landscape.insert(landscape.end(),
        {
            {-1, ControlClass::Static, u"From:", {112, 8, 30, 10}},
            {1097, ControlClass::Edit, u"", {144, 4, 40, 16}, kEditStyle},
            {-1, ControlClass::Static, u"To:", {112, 28, 30, 10}},
            {1098, ControlClass::Edit, u"", {144, 24, 40, 16}, kEditStyle},
            {1100, ControlClass::AutoCheckBox, u"&All day", {112, 42, 96, 14}},
            {-1, ControlClass::Static, kPastMidnight, {112, 58, 96, 36}},
            {-1, ControlClass::Static, u"Inside the window:", {4, 98, 100, 10}},
            {1099, ControlClass::ComboDropList, u"", {4, 110, 204, 100}, kDefaultStyle | VScroll},
            {IDOK_ID, ControlClass::DefPushButton, u"&OK", {56, 141, 48, 19}},
            {IDCANCEL_ID, ControlClass::PushButton, u"&Cancel", {108, 141, 48, 19}},
        });
    RegisterTemplate({IDD_SCHEDULE_WINDOW_L, u"Window", {0, 0, 212, 164}, landscape});
}

} // namespace pelmora
