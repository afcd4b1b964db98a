// The profiles file as read from a data directory: any bytes at all.
#include "fuzz/FuzzSupport.h"
#include "rules/ProfileStore.h"

#include <algorithm>

using namespace pelmora;

namespace {

bool SameProfiles(const ProfileList& a, const ProfileList& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x->id == y->id && x->name == y->name && x->defaultMessageId == y->defaultMessageId
            && std::equal(x->entries.begin(), x->entries.end(), y->entries.begin(),
                y->entries.end(), [](const auto& e, const auto& f) {
                    return e->kind == f->kind && e->targetId == f->targetId
                        && e->messageId == f->messageId;
                });
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ProfileList profiles;
    int32_t lastId = 0;
    const ProfileLoadReport report = DecodeProfiles(fuzz::Bytes(data, size), profiles, lastId);
    FUZZ_CHECK(report.loaded == static_cast<int32_t>(profiles.size()));
    size_t entries = 0;
    for (const auto& profile : profiles) {
        FUZZ_CHECK(profile->id <= lastId);
        FUZZ_CHECK(profile->name.units[ProfileRecord::kFileNameUnits] == u'\0');
        entries += profile->entries.size();
    }
    // Every profile and entry came from bytes of the file.
    FUZZ_CHECK(
        profiles.size() * ProfileRecord::kHeaderSize + entries * ProfileEntry::kFileSize <= size);

    // The loaded store saves to bytes that load to the same store; an
    // undamaged file is saved as it was, but that an entry count below 0
    // (no entries) is written as 0.
    const std::vector<uint8_t> saved = EncodeProfiles(profiles);
    if (!report.damaged) {
        std::vector<uint8_t> expected(data, data + size);
        for (size_t at = 0; at < expected.size();) {
            const auto count = static_cast<int32_t>(expected[at + 48] | expected[at + 49] << 8
                | expected[at + 50] << 16 | static_cast<uint32_t>(expected[at + 51]) << 24);
            if (count < 0)
                std::fill_n(expected.begin() + static_cast<ptrdiff_t>(at) + 48, 4, 0);
            at += ProfileRecord::kHeaderSize + ProfileEntry::kFileSize * std::max(count, 0);
        }
        FUZZ_CHECK(saved == expected);
    }
    ProfileList again;
    int32_t againLastId = 0;
    const ProfileLoadReport reloaded = DecodeProfiles(saved, again, againLastId);
    FUZZ_CHECK(!reloaded.damaged);
    FUZZ_CHECK(SameProfiles(profiles, again));
    FUZZ_CHECK(againLastId == lastId);
    return 0;
}
