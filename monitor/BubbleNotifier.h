#pragma once

#include <cstdint>
#include <string_view>

namespace pelmora {

// The shell's notification bubble as the reply pipeline uses it: an HTML
// text whose buttons send commands to the main window, shown with the
// program's icon. The main window implements it with AddNotification and
// RemoveNotification, itself as the sink.
class BubbleNotifier {
public:
    virtual ~BubbleNotifier() = default;
    virtual bool Add(
        std::u16string_view title, std::u16string_view html, uint32_t durationSeconds, uint32_t id)
        = 0;
    virtual bool Remove(uint32_t id) = 0;
};

} // namespace pelmora
