#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pelmora {

// Builds a little-endian byte image field by field, so every data file has
// the same bytes whatever the compiler's struct layout or the host's byte order.
class ByteWriter final {
public:
    void PutU8(uint8_t value);
    void PutU16(uint16_t value);
    void PutI32(int32_t value);
    void PutU32(uint32_t value);
    // Writes exactly `units` UTF-16LE code units: the text cut to fit with its
    // terminator, then zeros.
    void PutFixedText(std::u16string_view text, size_t units);
    // Writes the given code units as they are (used for fixed fields whose
    // bytes after the terminator must survive a load and save).
    void PutUnits(std::span<const char16_t> units);
    void PutZeros(size_t count);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }
    size_t Size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

// A text as UTF-16LE bytes followed by its two-byte terminator, as the
// platform's text buffers hand it over.
std::vector<uint8_t> Utf16leWithTerminator(std::u16string_view text);

} // namespace pelmora
