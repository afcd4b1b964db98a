#include "platform/storage/ByteReader.h"

namespace pelmora {

bool ByteReader::GetU8(uint8_t& value)
{
    if (Remaining() < 1)
        return false;
    value = bytes_[pos_++];
    return true;
}

bool ByteReader::GetU16(uint16_t& value)
{
    if (Remaining() < 2)
        return false;
    value = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
}

bool ByteReader::GetU32(uint32_t& value)
{
    if (Remaining() < 4)
        return false;
    value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes_[pos_ + static_cast<size_t>(i)];
    pos_ += 4;
    return true;
}

bool ByteReader::GetI32(int32_t& value)
{
    uint32_t raw = 0;
    if (!GetU32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool ByteReader::GetUnits(std::span<char16_t> out)
{
    if (Remaining() < out.size() * 2)
        return false;
    for (char16_t& unit : out) {
        uint16_t raw = 0;
        GetU16(raw);
        unit = static_cast<char16_t>(raw);
    }
    return true;
}

bool ByteReader::GetFixedText(size_t units, std::u16string& text)
{
    if (Remaining() < units * 2)
        return false;
    std::u16string field(units, u'\0');
    GetUnits(field);
    text = TextOfField(field);
    return true;
}

bool ByteReader::Skip(size_t count)
{
    if (Remaining() < count)
        return false;
    pos_ += count;
    return true;
}

std::u16string TextOfField(std::span<const char16_t> field)
{
    std::u16string text;
    for (char16_t unit : field) {
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

} // namespace pelmora
