#include "tests/LogicTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora::test {

TestSandbox::TestSandbox()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    const QByteArray root = root_.path().toUtf8();
    setenv("PELMORA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/share").constData(), 1);
    // A private runtime directory, as a desktop session has: without one Qt
    // warns on standard error, which the command-line tests compare.
    const QByteArray runtime = root + "/runtime";
    mkdir(runtime.constData(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    // The simulated screen, even when the tests run inside a phone's shell.
    unsetenv("PELMORA_SCREEN");
    for (const char* shell :
        {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "PLASMA_PLATFORM", "SXMO_WM"})
        unsetenv(shell);
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
