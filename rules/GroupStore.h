#pragma once

#include "platform/storage/DataFileCare.h"
#include "platform/storage/FixedText.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace pelmora {

// A named set of contacts, so a profile can give one message to many callers.
// Members are contact identifiers in the contact list's order.
class GroupRecord {
public:
    static constexpr size_t kNameUnits = 51;
    static constexpr size_t kFileNameUnits = 50;
    static constexpr size_t kEditNameChars = 49;

    GroupRecord() = default;
    virtual ~GroupRecord() = default;
    GroupRecord(const GroupRecord&) = delete;
    GroupRecord& operator=(const GroupRecord&) = delete;

    int32_t id = 0;
    FixedText<kNameUnits> name {};
    std::vector<uint32_t> members; // owned; empty when the group has none

    int32_t MemberCount() const { return static_cast<int32_t>(members.size()); }
    // Copies at most 50 units and clears the rest of the field.
    void SetName(std::u16string_view value);
};

inline constexpr char kGroupsFileName[] = "pelmoragroups.data";

// The process-wide group list; records keep their addresses for their whole
// life, as list rows and combo items refer to them.
using GroupList = std::vector<std::unique_ptr<GroupRecord>>;
const GroupList& Groups();
int32_t LastGroupId();

// What LoadGroups had to leave out of a damaged file, for those who report it.
struct GroupLoadReport {
    int32_t promised = 0;
    int32_t loaded = 0;
    bool damaged = false; // a record was cut short or claimed an impossible member count
    FileCondition condition = FileCondition::Missing; // set by LoadGroups
    int error = 0; // why an unreadable file could not be read
};

GroupLoadReport LoadGroups(const std::filesystem::path& dataDir);
SaveResult SaveGroups(const std::filesystem::path& dataDir);
void FreeGroups();
// Back to the state at program start: no records and the id counter at 0.
void ResetGroupStore();
int32_t GroupCount();
GroupRecord* FindGroup(int32_t id);
const char16_t* GroupName(int32_t id);
// Contact 0, an unidentified caller, is nobody's member.
bool IsMember(const GroupRecord& group, uint32_t contactId);
// Appends a group built from `source`, which gives up its members. Null, and
// `source` untouched, when no id is left (the largest id is 2147483647).
GroupRecord* AddGroup(GroupRecord& source);
bool IsGroupUsed(const GroupRecord& group);
bool DeleteGroup(GroupRecord* group);

// The profiles' side of group use and deletion, connected by the profiles store.
struct GroupProfileHooks {
    bool (*isUsed)(int32_t groupId) = nullptr;
    void (*removeEntries)(int32_t groupId) = nullptr;
};
void SetGroupProfileHooks(GroupProfileHooks hooks);

// The file image of a list of groups, and its reading, shared with the
// data tool.
std::vector<uint8_t> EncodeGroups(const GroupList& groups);
GroupLoadReport DecodeGroups(std::span<const uint8_t> bytes, GroupList& groups, int32_t& lastId);

} // namespace pelmora
