#include "messages/MainPage.h"

#include "ui/ShellHelpers.h"

#include <algorithm>
#include <climits>

namespace pelmora {

namespace {

int32_t LeadingDecimalValue(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - u'0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace

CMainPage::CMainPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

void CMainPage::ApplySettings(const SettingsRecord& settings)
{
    ComboSetCurSel(IDC_MAX_PER_CALLER, settings.maxPerCallerIndex);
    CheckDlgButton(IDC_INTERACTIVE, settings.interactive);
    ComboSetCurSel(IDC_RINGS_BEFORE_SEND, settings.ringsBeforeSendIndex);
    ComboSetCurSel(IDC_HANGUP_RINGS, settings.hangupIndex);
    SetDlgItemInt(IDC_MAX_TOTAL, settings.maxTotal);
}

void CMainPage::CollectSettings(SettingsRecord& settings) const
{
    settings.maxPerCallerIndex = ComboGetCurSel(IDC_MAX_PER_CALLER);
    settings.interactive = IsDlgButtonChecked(IDC_INTERACTIVE);
    settings.ringsBeforeSendIndex = ComboGetCurSel(IDC_RINGS_BEFORE_SEND);
    settings.hangupIndex = ComboGetCurSel(IDC_HANGUP_RINGS);
    // Read as Start reads it, so a saved value always starts again.
    settings.maxTotal = MaxTotal();
}

int32_t CMainPage::MaxTotal() const
{
    return LeadingDecimalValue(GetDlgItemText(IDC_MAX_TOTAL));
}

bool CMainPage::OnCommand(int id)
{
    if (id == IDC_HELP) {
        LaunchHelp(u"pelmora.htm", u"mainpage");
        return true;
    }
    return COrientedPropertyPage::OnCommand(id);
}

} // namespace pelmora
