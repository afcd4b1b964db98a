#pragma once

#include <cstdint>
#include <functional>
#include <map>

class QObject;
class QTimer;

namespace pelmora {

// The numbered one-shot timers of one owner (a dialog, the monitoring
// session): on the installed TimerService when there is one, else Qt
// timers that are the owner's children. `fire` gets the number when one is due.
class NumberedTimers final {
public:
    NumberedTimers(QObject* owner, std::function<void(int)> fire);
    ~NumberedTimers();
    NumberedTimers(const NumberedTimers&) = delete;
    NumberedTimers& operator=(const NumberedTimers&) = delete;

    // Starts, or restarts, timer `id`.
    void Start(int id, int64_t milliseconds);
    void Stop(int id);
    bool IsActive(int id) const;

private:
    QObject* owner_;
    std::function<void(int)> fire_;
    std::map<int, QTimer*> timers_;
};

} // namespace pelmora
