#pragma once

#include "platform/modem/CallingCodes.h"
#include "settings/SettingsRecord.h"

#include <functional>
#include <optional>

class QObject;
class QWidget;

namespace pelmora {

// Offers the phone's own country calling code as the international prefix,
// once a run, when none is set: the question comes after the first start by
// hand, when someone is looking.
class HomeCountryOffer final {
public:
    // Where the home country comes from (the modem's network); `done` may
    // come later, on `context`'s thread.
    using Source = std::function<void(
        QObject* context, std::function<void(std::optional<HomeCountry>)> done)>;
    void SetSource(Source source) { source_ = std::move(source); }
    void Offer(QWidget* owner, SettingsRecord& settings);

private:
    Source source_;
    bool offered_ = false;
};

} // namespace pelmora
