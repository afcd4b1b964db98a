#include "platform/contacts/PhoneNumberIndex.h"

#include <algorithm>
#include <array>
#include <bit>

namespace pelmora {

namespace {

constexpr uint32_t kFields = kPhoneFieldCount;

// Walks a number's characters in an index's form: all of them, without
// formatting ones, or also without the zeros that lead the rest.
class Units final {
public:
    Units(std::u16string_view text, PhoneNumberIndex::Form form)
        : text_(text)
        , skip_(form != PhoneNumberIndex::Form::Exact)
        , skipZeros_(form == PhoneNumberIndex::Form::National)
    {
        Settle();
    }
    bool Done() const { return at_ == text_.size(); }
    char16_t Get() const { return text_[at_]; }
    void Next()
    {
        ++at_;
        Settle();
    }

private:
    void Settle()
    {
        while (skip_ && at_ < text_.size()
            && (IsPhoneFormatting(text_[at_]) || (skipZeros_ && text_[at_] == u'0')))
            ++at_;
        // Only the zeros before the first other character are skipped.
        if (skipZeros_ && at_ < text_.size())
            skipZeros_ = false;
    }
    std::u16string_view text_;
    bool skip_;
    bool skipZeros_;
    size_t at_ = 0;
};

// Sorts keys by their upper 32 bits, keeping the order of equal ones: four
// passes of counting by one byte.
void SortByHash(std::vector<uint64_t>& keys)
{
    std::vector<uint64_t> other(keys.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::array<size_t, 257> start {};
        for (uint64_t key : keys)
            ++start[((key >> shift) & 0xFF) + 1];
        for (size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        for (uint64_t key : keys)
            other[start[(key >> shift) & 0xFF]++] = key;
        keys.swap(other);
    }
}

} // namespace

std::u16string_view PhoneNumberIndex::Number(const CardTable& cards, uint32_t slot) const
{
    return cards.Phone(slot / kFields, static_cast<PhoneField>(slot % kFields));
}

uint32_t PhoneNumberIndex::Hash(std::u16string_view number, Form form)
{
    // FNV-1a over the characters, then a final mix so that the low bits
    // that choose a bucket depend on every character.
    uint32_t hash = 2166136261u;
    for (Units u(number, form); !u.Done(); u.Next()) {
        hash ^= u.Get();
        hash *= 16777619u;
    }
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    hash ^= hash >> 16;
    return hash;
}

bool PhoneNumberIndex::Equal(std::u16string_view stored, std::u16string_view number) const
{
    if (form_ == Form::Exact)
        return stored == number;
    Units a(stored, form_), b(number, form_);
    for (; !a.Done() && !b.Done(); a.Next(), b.Next())
        if (a.Get() != b.Get())
            return false;
    return a.Done() && b.Done();
}

bool PhoneNumberIndex::Less(std::u16string_view a, std::u16string_view b) const
{
    Units x(a, form_), y(b, form_);
    for (; !x.Done() && !y.Done(); x.Next(), y.Next())
        if (x.Get() != y.Get())
            return x.Get() < y.Get();
    return x.Done() && !y.Done();
}

bool PhoneNumberIndex::IsEmpty(std::u16string_view stored) const
{
    return Units(stored, form_).Done();
}

PhoneNumberIndex::PhoneNumberIndex(const CardTable& cards, Form form)
    : form_(form)
{
    // Every slot with a number, keyed by its hash, in slot order: sorting by
    // the hash brings the slots of one number together, still in slot order.
    std::vector<uint64_t> keyed;
    for (size_t position = 0; position < cards.Size(); ++position)
        for (uint32_t field = 0; field < kFields; ++field) {
            const auto slot = static_cast<uint32_t>(position * kFields + field);
            const std::u16string_view number = Number(cards, slot);
            if (!IsEmpty(number))
                keyed.push_back(uint64_t {Hash(number)} << 32 | slot);
        }
    SortByHash(keyed);

    slots_.reserve(keyed.size());
    std::vector<uint32_t> groupHashes;
    for (size_t run = 0; run < keyed.size();) {
        const uint32_t hash = static_cast<uint32_t>(keyed[run] >> 32);
        size_t end = run + 1;
        while (end < keyed.size() && static_cast<uint32_t>(keyed[end] >> 32) == hash)
            ++end;
        // Different numbers that hash alike: order them by number, keeping
        // each one's slots in order.
        auto text = [&](uint64_t key) { return Number(cards, static_cast<uint32_t>(key)); };
        bool mixed = false;
        for (size_t i = run + 1; i < end && !mixed; ++i)
            mixed = !Equal(text(keyed[i]), text(keyed[run]));
        if (mixed)
            std::stable_sort(keyed.begin() + static_cast<ptrdiff_t>(run),
                keyed.begin() + static_cast<ptrdiff_t>(end),
                [&](uint64_t a, uint64_t b) { return Less(text(a), text(b)); });
        for (size_t i = run; i < end; ++i) {
            const std::u16string_view number = text(keyed[i]);
            if (i == run || !Equal(text(keyed[i - 1]), number)) {
                groups_.push_back(static_cast<uint32_t>(slots_.size()));
                groupHashes.push_back(hash);
            }
            slots_.push_back(static_cast<uint32_t>(keyed[i]));
        }
        run = end;
    }
    groups_.push_back(static_cast<uint32_t>(slots_.size()));
    keyed = {};

    // Open addressing with linear probing, at most three quarters full. The
    // bucket is the hash's top bits, so the groups, in hash order, fill the
    // table from front to back.
    const size_t size = std::bit_ceil(std::max<size_t>(8, groupHashes.size() * 4 / 3 + 1));
    shift_ = 32 - std::countr_zero(size);
    buckets_.assign(size, 0);
    for (size_t group = 0; group < groupHashes.size(); ++group) {
        size_t at = groupHashes[group] >> shift_;
        while (buckets_[at] != 0)
            at = (at + 1) & (size - 1);
        buckets_[at] = static_cast<uint32_t>(group + 1);
    }
}

std::span<const uint32_t> PhoneNumberIndex::Slots(
    const CardTable& cards, std::u16string_view number) const
{
    if (number.empty() || buckets_.empty())
        return {};
    const size_t mask = buckets_.size() - 1;
    for (size_t at = Hash(number) >> shift_; buckets_[at] != 0; at = (at + 1) & mask) {
        const uint32_t group = buckets_[at] - 1;
        const uint32_t begin = groups_[group];
        if (Equal(Number(cards, slots_[begin]), number))
            return std::span<const uint32_t>(slots_).subspan(begin, groups_[group + 1] - begin);
    }
    return {};
}

size_t PhoneNumberIndex::Bytes() const
{
    return (slots_.capacity() + groups_.capacity() + buckets_.capacity()) * sizeof(uint32_t);
}

} // namespace pelmora
