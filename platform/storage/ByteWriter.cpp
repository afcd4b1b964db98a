#include "platform/storage/ByteWriter.h"

#include <algorithm>

namespace pelmora {

void ByteWriter::PutU8(uint8_t value)
{
    bytes_.push_back(value);
}

void ByteWriter::PutU16(uint16_t value)
{
    bytes_.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::PutU32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

void ByteWriter::PutI32(int32_t value)
{
    PutU32(static_cast<uint32_t>(value));
}

void ByteWriter::PutFixedText(std::u16string_view text, size_t units)
{
    if (units == 0)
        return;
    const size_t used = std::min(text.size(), units - 1);
    for (size_t i = 0; i < used; ++i)
        PutU16(static_cast<uint16_t>(text[i]));
    PutZeros((units - used) * 2);
}

void ByteWriter::PutUnits(std::span<const char16_t> units)
{
    for (char16_t unit : units)
        PutU16(static_cast<uint16_t>(unit));
}

void ByteWriter::PutZeros(size_t count)
{
    bytes_.insert(bytes_.end(), count, 0);
}

} // namespace pelmora

namespace pelmora {

std::vector<uint8_t> Utf16leWithTerminator(std::u16string_view text)
{
    ByteWriter out;
    for (char16_t unit : text)
        out.PutU16(static_cast<uint16_t>(unit));
    out.PutU16(0);
    return out.Take();
}

} // namespace pelmora
