#include "tests/TestSupport.h"

namespace pelmora::test {

ScriptedMessageBoxes::ScriptedMessageBoxes()
{
    dlg::SetMessageBoxHandler([this](const dlg::MessageBoxCall& call) {
        shown_.push_back(call);
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
