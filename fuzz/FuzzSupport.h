#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

extern "C" void __sanitizer_report_error_summary(const char* summary);

// Shared by the fuzz targets: property checks that stop the run, and the
// ways raw fuzz bytes become the texts the code under test takes.
namespace pelmora::fuzz {

// A broken property is a finding like a crash: reported where the
// sanitizers report (stderr may be closed, as some code under test is
// chatty), then an abort, so libFuzzer saves the input.
[[noreturn]] inline void PropertyFailed(const char* file, int line, const char* condition)
{
    char summary[512];
    std::snprintf(summary, sizeof summary, "property failed at %s:%d: %s", file, line, condition);
    __sanitizer_report_error_summary(summary);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::pelmora::fuzz::PropertyFailed(__FILE__, __LINE__, #condition);                       \
    } while (false)

// A folder of this process's own for files a target writes; in memory when
// the system has a memory file system. `name` tells targets apart.
inline std::filesystem::path ScratchFolder(const std::string& name)
{
    std::error_code error;
    std::filesystem::path base("/dev/shm");
    if (!std::filesystem::is_directory(base, error))
        base = std::filesystem::temp_directory_path();
    auto path = base / (name + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(path, error);
    return path;
}

inline std::span<const uint8_t> Bytes(const uint8_t* data, size_t size)
{
    return {data, size};
}

// The pieces of an input that carries several texts: split at every 0x1F
// byte (the ASCII unit separator), so a seed is readable text. Missing
// pieces are empty.
inline std::vector<std::string_view> Pieces(const uint8_t* data, size_t size, size_t count)
{
    std::vector<std::string_view> pieces(count);
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (size_t i = 0; i < count && start <= all.size(); ++i) {
        const size_t end = i + 1 == count ? all.size() : all.find('\x1f', start);
        const size_t stop = end == std::string_view::npos ? all.size() : end;
        pieces[i] = all.substr(start, stop - start);
        start = stop + 1;
    }
    return pieces;
}

// UTF-8 as the fuzzer writes it, read leniently into UTF-16: a byte that
// starts no valid sequence becomes that unit by itself, so every unit value
// below 0x100 and every surrogate half can be reached.
inline std::u16string Utf16(std::string_view bytes)
{
    std::u16string text;
    for (size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (lead >= 0xF8 || at + length > bytes.size())
            length = 1;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + i]);
            valid = valid && (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid || code > 0x10FFFF) {
            length = 1;
            code = lead;
        }
        at += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (code >> 10));
            text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            text += static_cast<char16_t>(code);
        }
    }
    return text;
}

// A copy of `text` in a heap block of exactly its length, with no
// terminator after it: AddressSanitizer stops any read past its end.
class ExactText final {
public:
    explicit ExactText(std::u16string_view text)
        : units_(std::make_unique<char16_t[]>(text.size()))
        , size_(text.size())
    {
        std::copy(text.begin(), text.end(), units_.get());
    }
    std::u16string_view View() const { return {units_.get(), size_}; }

private:
    std::unique_ptr<char16_t[]> units_;
    size_t size_;
};

} // namespace pelmora::fuzz
