#include "tests/TestSupport.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

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

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter {0};
    path_ = std::filesystem::temp_directory_path()
        / ("pelmora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace pelmora::test
