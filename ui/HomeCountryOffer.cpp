#include "ui/HomeCountryOffer.h"

#include "platform/framework/MessageBox.h"

#include <QString>
#include <QWidget>

namespace pelmora {

void HomeCountryOffer::Offer(QWidget* owner, SettingsRecord& settings)
{
    if (offered_ || !source_ || !settings.internationalPrefix.Text().empty())
        return;
    offered_ = true;
    source_(owner, [owner, &settings](std::optional<HomeCountry> home) {
        // The user may have set a prefix while the modem was being asked.
        if (!home || !settings.internationalPrefix.Text().empty())
            return;
        const std::u16string question
            = QStringLiteral("Your phone reports %1, whose country calling code is %2.\n\nUse %2 "
                             "as the international prefix? Callers from your own country are then "
                             "found in your contacts however the network sends their number, and "
                             "they are not taken for international numbers.")
                  .arg(home->foundFrom, home->callingCode)
                  .toStdU16String();
        if (dlg::MessageBox(owner, question, u"International prefix", dlg::MessageButtons::YesNo)
            == dlg::IDYES)
            settings.internationalPrefix.Assign(home->callingCode.toStdU16String());
    });
}

} // namespace pelmora
