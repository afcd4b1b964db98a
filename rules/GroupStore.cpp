#include "rules/GroupStore.h"

#include "platform/storage/ByteReader.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/DataFileCare.h"

#include <algorithm>
#include <limits>

namespace pelmora {

namespace {

struct GroupState {
    GroupList list;
    int32_t lastId = 0;
    GroupProfileHooks hooks;
};

GroupState& State()
{
    static GroupState state;
    return state;
}

} // namespace

void GroupRecord::SetName(std::u16string_view value)
{
    name.SetCleared(value);
}

const GroupList& Groups()
{
    return State().list;
}
int32_t LastGroupId()
{
    return State().lastId;
}
void SetGroupProfileHooks(GroupProfileHooks hooks)
{
    State().hooks = hooks;
}

GroupLoadReport DecodeGroups(std::span<const uint8_t> bytes, GroupList& groups, int32_t& lastId)
{
    GroupLoadReport report;
    ByteReader in(bytes);
    int32_t count = 0;
    if (!in.GetI32(count) || count <= 0)
        return report;
    report.promised = count;
    for (int32_t i = 0; i < count; ++i) {
        auto record = std::make_unique<GroupRecord>();
        int32_t members = 0;
        if (!in.GetI32(record->id)
            || !in.GetUnits(std::span(record->name.units).first(GroupRecord::kFileNameUnits))
            || !in.GetI32(members)) {
            report.damaged = true;
            break;
        }
        record->name.units[GroupRecord::kFileNameUnits] = u'\0';
        // A count that the rest of the file cannot hold (or a negative one)
        // marks damage: stop here rather than reserve what the file claims.
        if (members < 0 || static_cast<uint64_t>(members) * 4 > in.Remaining()) {
            report.damaged = true;
            break;
        }
        record->members.resize(static_cast<size_t>(members));
        for (uint32_t& member : record->members)
            in.GetU32(member);
        if (record->id > lastId)
            lastId = record->id;
        groups.push_back(std::move(record));
        ++report.loaded;
    }
    return report;
}

std::vector<uint8_t> EncodeGroups(const GroupList& groups)
{
    ByteWriter out;
    out.PutI32(static_cast<int32_t>(groups.size()));
    for (const auto& group : groups) {
        out.PutI32(group->id);
        out.PutUnits(std::span(group->name.units).first(GroupRecord::kFileNameUnits));
        out.PutI32(group->MemberCount());
        for (uint32_t member : group->members)
            out.PutU32(member);
    }
    return out.Take();
}

GroupLoadReport LoadGroups(const std::filesystem::path& dataDir)
{
    const std::filesystem::path file = dataDir / kGroupsFileName;
    const FileRead read = ReadDataFile(file);
    GroupList loaded;
    GroupLoadReport report;
    if (read.status == FileRead::Status::Read)
        report = DecodeGroups(read.bytes, loaded, State().lastId);
    const std::string kept = std::to_string(report.loaded) + " of the "
        + Counted(std::max(report.promised, report.loaded), "group") + " it lists";
    report.condition = NoteLoadedFile(file, read, EncodeGroups(loaded), kept);
    report.error = read.error;
    for (auto& group : loaded)
        State().list.push_back(std::move(group));
    return report;
}

SaveResult SaveGroups(const std::filesystem::path& dataDir)
{
    return SaveDataFile(dataDir / kGroupsFileName, EncodeGroups(State().list));
}

void FreeGroups()
{
    State().list.clear();
}

void ResetGroupStore()
{
    State().list.clear();
    State().lastId = 0;
}

int32_t GroupCount()
{
    return static_cast<int32_t>(State().list.size());
}

GroupRecord* FindGroup(int32_t id)
{
    for (const auto& group : State().list)
        if (group->id == id)
            return group.get();
    return nullptr;
}

const char16_t* GroupName(int32_t id)
{
    GroupRecord* group = FindGroup(id);
    return group ? group->name.units.data() : nullptr;
}

bool IsMember(const GroupRecord& group, uint32_t contactId)
{
    // 0 is an unidentified caller: a member 0 (from a damaged or hand-made
    // file) must not make every unknown caller a member.
    if (contactId == 0)
        return false;
    return std::find(group.members.begin(), group.members.end(), contactId) != group.members.end();
}

GroupRecord* AddGroup(GroupRecord& source)
{
    // After a loaded id of 2147483647 no larger id exists: refuse, as when a
    // record cannot be made, rather than hand out a wrapped-around id.
    if (State().lastId == std::numeric_limits<int32_t>::max())
        return nullptr;
    auto record = std::make_unique<GroupRecord>();
    record->members = std::move(source.members);
    source.members.clear();
    record->SetName(source.name.Text());
    record->id = ++State().lastId;
    State().list.push_back(std::move(record));
    return State().list.back().get();
}

bool IsGroupUsed(const GroupRecord& group)
{
    return State().hooks.isUsed && State().hooks.isUsed(group.id);
}

bool DeleteGroup(GroupRecord* group)
{
    GroupState& state = State();
    if (group && state.hooks.removeEntries)
        state.hooks.removeEntries(group->id);
    auto it = std::find_if(state.list.begin(), state.list.end(),
        [group](const auto& owned) { return owned.get() == group; });
    if (it == state.list.end())
        return false;
    state.list.erase(it);
    return true;
}

} // namespace pelmora
