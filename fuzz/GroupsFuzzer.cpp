// The groups file as read from a data directory: any bytes at all.
#include "fuzz/FuzzSupport.h"
#include "rules/GroupStore.h"

#include <algorithm>

using namespace pelmora;

namespace {

bool SameGroups(const GroupList& a, const GroupList& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x->id == y->id && x->name == y->name && x->members == y->members;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GroupList groups;
    int32_t lastId = 0;
    const GroupLoadReport report = DecodeGroups(fuzz::Bytes(data, size), groups, lastId);
    FUZZ_CHECK(report.loaded == static_cast<int32_t>(groups.size()));
    FUZZ_CHECK(report.loaded <= report.promised || report.promised == 0);
    FUZZ_CHECK(report.damaged == (report.loaded < report.promised));
    for (const auto& group : groups) {
        FUZZ_CHECK(group->id <= lastId);
        FUZZ_CHECK(group->name.units[GroupRecord::kFileNameUnits] == u'\0');
    }
    // No group holds more members than the file had bytes for.
    size_t members = 0;
    for (const auto& group : groups)
        members += group->members.size();
    FUZZ_CHECK(members * 4 <= size);

    // The loaded store saves to bytes that load to the same store.
    const std::vector<uint8_t> saved = EncodeGroups(groups);
    GroupList again;
    int32_t againLastId = 0;
    const GroupLoadReport reloaded = DecodeGroups(saved, again, againLastId);
    FUZZ_CHECK(!reloaded.damaged);
    FUZZ_CHECK(SameGroups(groups, again));
    FUZZ_CHECK(againLastId == lastId);
    // An undamaged file is saved as it was, up to what the load read.
    if (!report.damaged && !groups.empty())
        FUZZ_CHECK(saved.size() <= size && std::equal(saved.begin(), saved.end(), data));
    return 0;
}
