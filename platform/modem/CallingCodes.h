#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pelmora {

// The user's own country as the phone's network or SIM tells it: its
// international calling code ("+44") and what it was found from, in words.
struct HomeCountry {
    QString callingCode;
    QString foundFrom;

    bool operator==(const HomeCountry&) const = default;
};

// The calling code of the country a mobile country code (the first three
// digits of a 3GPP operator code) belongs to; nothing for an unknown one.
std::optional<QString> CallingCodeOfMcc(int mcc);

// The calling code that an international number ("+447700900111") begins
// with; nothing when it does not begin with "+" and a known code.
std::optional<QString> CallingCodeOfNumber(const QString& number);

// The home country from the registered network's operator code ("23410"),
// else from the SIM's own numbers; nothing when neither tells it.
std::optional<HomeCountry> HomeCountryOf(
    const QString& operatorCode, const QStringList& ownNumbers);

} // namespace pelmora
