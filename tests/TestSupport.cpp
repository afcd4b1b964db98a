#include "tests/TestSupport.h"

#include <utility>

namespace pelmora::test {

ScriptedMessageBoxes::ScriptedMessageBoxes()
{
    dlg::SetMessageBoxHandler([this](const dlg::MessageBoxCall& call) {
        shown_.push_back(call);
        // What happens elsewhere while the user reads the box.
        if (meanwhile_)
            std::exchange(meanwhile_, nullptr)();
        if (!answers_.empty()) {
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return call.buttons == dlg::MessageButtons::YesNo ? dlg::IDNO : dlg::IDOK;
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes()
{
    dlg::SetMessageBoxHandler(nullptr);
}

} // namespace pelmora::test
