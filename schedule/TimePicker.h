#pragma once

#include <optional>

class QLineEdit;
class QWidget;

namespace pelmora {

// A touch picker for a time of day: hours and minutes as two lists a finger
// swipes and taps, OK and Cancel below. Returns the minute after midnight
// chosen, or none when cancelled; `minute` is selected first.
std::optional<int> PickTime(QWidget* parent, int minute);

// Gives a time edit a clock button at its end that opens the picker and
// writes the choice back as HH:MM; typing stays possible.
void OfferTimePicker(QLineEdit* edit);

} // namespace pelmora
