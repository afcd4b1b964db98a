#include "resources/Templates.h"

#include "platform/framework/DialogTemplate.h"
#include "resources/Resources.h"

#include <string>
#include <vector>

namespace pelmora {

using namespace dlg;

namespace {

// `first` (when given), then the numbers from `from` to `to`.
std::vector<std::u16string> NumberItems(std::u16string_view first, int from, int to)
{
    std::vector<std::u16string> items;
    if (!first.empty())
        items.emplace_back(first);
    for (int n = from; n <= to; ++n) {
        const std::string digits = std::to_string(n);
        items.emplace_back(digits.begin(), digits.end());
    }
    return items;
}

constexpr uint32_t kPicture = Visible;
constexpr uint32_t kList = kDefaultStyle | VScroll;

// The controls every orientation shares; `landscape` moves them.
std::vector<DialogItem> MainPageItems(bool landscape)
{
    // Settings rows: labels on the left, their controls in one column.
    const int top = landscape ? 34 : 90;
    const int pitch = landscape ? 24 : 26;
    const auto row = [top, pitch](int i) { return top + pitch * i; };
    const int startY = landscape ? 5 : 38;
    // Beside the button in landscape, on a row of its own in portrait.
    const DialogRect interactive
        = landscape ? DialogRect {141, startY + 3, 50, 16} : DialogRect {5, 66, 148, 16};
    return {
        {1059, ControlClass::Bitmap, u"", {5, 4, 132, 28}, landscape ? 0u : kPicture, IDB_BANNER},
        {1011, ControlClass::Bitmap, u"", {landscape ? 195 : 142, 4, 11, 10}, kPicture | Notify,
            IDB_HELP},
        {1053, ControlClass::Bitmap, u"", {5, startY, 20, 22}, kPicture, IDB_REPLY},
        {1000, ControlClass::PushButton, u"&Start Monitor", {29, startY, landscape ? 80 : 96, 22}},
        {1015, ControlClass::Bitmap, u"", {landscape ? 113 : 133, startY, 20, 22}, kPicture,
            IDB_STOPPED},
        {1016, ControlClass::Bitmap, u"", {landscape ? 113 : 133, startY, 20, 22}, 0, IDB_RUNNING},
        {1069, ControlClass::AutoCheckBox, landscape ? u"Interactive" : u"Interactive mode",
            interactive},
        {1055, ControlClass::Static, u"Max SMS to send per caller:", {5, row(0) + 3, 100, 10}},
        {1013, ControlClass::ComboDropList, u"", {108, row(0), 45, 80}, kList, 0, {},
            NumberItems(u"", 1, 5)},
        {1056, ControlClass::Static, u"Max allowed SMS to send:", {5, row(1) + 3, 100, 10}},
        {1014, ControlClass::Edit, u"", {108, row(1), 45, 16},
            kDefaultStyle | Number | AutoHScroll},
        {1057, ControlClass::Static, u"Number of rings before send:", {5, row(2) + 3, 100, 10}},
        {1017, ControlClass::ComboDropList, u"", {108, row(2), 45, 100}, kList, 0, {},
            NumberItems(u"end", 1, 20)},
        {1058, ControlClass::Static, u"Number of rings to hangup:", {5, row(3) + 3, 100, 10}},
        {1018, ControlClass::ComboDropList, u"", {108, row(3), 45, 100}, kList, 0, {},
            NumberItems(u"none", 0, 20)},
        {1054, ControlClass::Static, u"SMSs sent in the current session:",
            {5, row(4) + 2, 100, 10}},
        {1012, ControlClass::Static, u"0", {108, row(4) + 2, 45, 10}},
        // Shown only when a schedule will change something.
        {1070, ControlClass::Static, u"", {5, row(4) + 14, landscape ? 201 : 148, 10}, 0},
    };
}

} // namespace

// The Main tab: Start Monitor and the main sending settings.
void RegisterMainPage()
{
    RegisterTemplate({IDD_MAIN, u"", {0, 0, 158, 218}, MainPageItems(false)});
    RegisterTemplate({IDD_MAIN_L, u"", {0, 0, 211, 160}, MainPageItems(true)});
}

} // namespace pelmora
