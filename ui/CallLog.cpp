#include "ui/CallLog.h"

#include <string>

namespace pelmora {

namespace {
std::u16string Ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}
} // namespace

std::u16string FormatLogTime(const std::tm& local)
{
    return Ascii(std::to_string(local.tm_hour) + ":" + std::to_string(local.tm_min) + ":"
        + std::to_string(local.tm_sec) + " " + std::to_string(local.tm_mday) + "/"
        + std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_year + 1900));
}

std::u16string LogCallerText(std::u16string_view firstName, std::u16string_view lastName)
{
    if (firstName.empty() && lastName.empty())
        return u"Unknown";
    std::u16string text(firstName);
    text += u' ';
    text += lastName;
    return text;
}

std::u16string LogAgeChoiceText(int index)
{
    if (index <= 0)
        return u"Never";
    if (index == 2)
        return u"1.0 hour";
    const int whole = index / 2;
    const bool half = index % 2 != 0;
    std::string text = std::to_string(whole);
    if (whole < 10)
        text += half ? ".5" : ".0";
    else if (half)
        text += ".5";
    return Ascii(text + " hours");
}

bool IsLogRowExpired(uint32_t now, uint32_t stamp, int32_t halfHours)
{
    // No choice (or "Never") removes nothing.
    if (halfHours < 1)
        return false;
    const uint32_t ageMinutes = (now - stamp) / 60u;
    return static_cast<int64_t>(halfHours) * 30 <= static_cast<int32_t>(ageMinutes);
}

LogClock SystemLogClock()
{
    return [] { return static_cast<int64_t>(std::time(nullptr)); };
}

} // namespace pelmora
