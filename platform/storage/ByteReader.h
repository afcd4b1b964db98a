#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pelmora {

// Reads a little-endian byte image field by field. Every read checks the bytes
// left first; a read past the end fails and leaves the position unchanged, so
// a short file ends a load cleanly instead of reading garbage.
class ByteReader final {
public:
    explicit ByteReader(std::span<const uint8_t> bytes)
        : bytes_(bytes)
    {
    }

    bool GetU8(uint8_t& value);
    bool GetU16(uint16_t& value);
    bool GetI32(int32_t& value);
    bool GetU32(uint32_t& value);
    // Reads a fixed field of `units` UTF-16LE code units into `out`, which
    // must hold `units` elements.
    bool GetUnits(std::span<char16_t> out);
    // Reads a fixed field and returns the text up to its first zero unit.
    bool GetFixedText(size_t units, std::u16string& text);
    bool Skip(size_t count);

    size_t Remaining() const { return bytes_.size() - pos_; }
    size_t Position() const { return pos_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// The text of a zero-terminated UTF-16 field: up to the first zero unit, or the
// whole field when it holds none.
std::u16string TextOfField(std::span<const char16_t> field);

} // namespace pelmora
