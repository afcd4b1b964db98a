#pragma once

#include "platform/framework/MessageBox.h"
#include "tests/LogicTestSupport.h"

#include <deque>
#include <functional>
#include <vector>

namespace pelmora::test {

// Answers message boxes from a script and records what was shown. Boxes
// beyond the script are answered with OK (or No for questions).
class ScriptedMessageBoxes final {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Answer(int answer) { answers_.push_back(answer); }
    // Runs `act` while the next box is open, before it is answered.
    void Meanwhile(std::function<void()> act) { meanwhile_ = std::move(act); }
    const std::vector<dlg::MessageBoxCall>& Shown() const { return shown_; }

private:
    std::deque<int> answers_;
    std::function<void()> meanwhile_;
    std::vector<dlg::MessageBoxCall> shown_;
};

} // namespace pelmora::test
