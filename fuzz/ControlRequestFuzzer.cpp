// The command line a script passes to reach the running program: any
// arguments.
#include "app/StartOptions.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kArguments = 6;
    QStringList arguments {QStringLiteral("pelmora")};
    for (const std::string_view piece : fuzz::Pieces(data, size, kArguments))
        if (!piece.empty())
            arguments << QString::fromStdU16String(fuzz::Utf16(piece));
    const StartOptions options = ParseStartOptions(arguments);
    FUZZ_CHECK(options.exitCode == -1 || options.exitCode == 0 || options.exitCode == 2);
    if (options.exitCode != -1) {
        FUZZ_CHECK(!options.message.isEmpty());
        return 0;
    }
    // What reaches the bus is a request that can be carried out.
    const ControlCommand& control = options.control;
    FUZZ_CHECK(!(control.start && control.stop));
    FUZZ_CHECK(!control.Any() || options.screenshot.isEmpty());
    if (control.answer)
        FUZZ_CHECK(arguments.contains(QStringLiteral("--answer"))
            || std::any_of(arguments.begin(), arguments.end(),
                [](const QString& a) { return a.startsWith(QStringLiteral("--answer=")); }));
    return 0;
}
