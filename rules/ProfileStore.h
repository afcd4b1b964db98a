#pragma once

#include "platform/storage/DataFileCare.h"
#include "platform/storage/FixedText.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

struct TemplateRecord;

// A custom entry of a profile: one template for one contact or one group.
struct ProfileEntry {
    static constexpr size_t kFileSize = 9;
    uint8_t kind = 0; // 1 group, 0 contact; any non-zero byte is a group entry, kept as read
    uint32_t targetId = 0;
    int32_t messageId = 0;

    bool IsGroup() const { return kind != 0; }
};

// Which template answers which caller: a default message and custom entries
// in the order the user added them.
class ProfileRecord {
public:
    static constexpr size_t kNameUnits = 21;
    static constexpr size_t kFileNameUnits = 20;
    static constexpr size_t kHeaderSize = 52;

    ProfileRecord() = default;
    virtual ~ProfileRecord() = default;
    ProfileRecord(const ProfileRecord&) = delete;
    ProfileRecord& operator=(const ProfileRecord&) = delete;

    int32_t id = 0;
    FixedText<kNameUnits> name {};
    int32_t defaultMessageId = 0;
    // Entries are allocated one by one: list rows keep their addresses.
    std::vector<std::unique_ptr<ProfileEntry>> entries;

    void SetName(std::u16string_view value);
};

inline constexpr char kProfilesFileName[] = "pelmoraprofiles.data";

using ProfileList = std::vector<std::unique_ptr<ProfileRecord>>;
const ProfileList& Profiles();
int32_t LastProfileId();

struct ProfileLoadReport {
    bool fileOpened = false;
    int32_t loaded = 0;
    bool damaged = false; // bytes were left that did not make a whole profile
    FileCondition condition = FileCondition::Missing; // set by LoadProfiles
    int error = 0; // why an unreadable file could not be read
};

ProfileLoadReport LoadProfiles(const std::filesystem::path& dataDir);
SaveResult SaveProfiles(const std::filesystem::path& dataDir);
void FreeProfiles();
// Back to the state at program start: no profiles and the id counter at 0.
void ResetProfileStore();
// Null when no id is left (the largest id is 2147483647).
ProfileRecord* AddProfile(std::u16string_view name, int32_t templateId);
bool DeleteProfile(ProfileRecord* profile);
ProfileEntry* AddGroupEntry(ProfileRecord& profile, int32_t groupId, int32_t templateId);
ProfileEntry* AddContactEntry(ProfileRecord& profile, uint32_t contactId, int32_t templateId);
bool RemoveEntry(ProfileRecord& profile, ProfileEntry* entry);
int32_t EntryCount(const ProfileRecord& profile);
class CContactsSession;
// The entry's target as shown in lists: the group's name (empty when the
// group is gone) or the contact's full name. Without a session one is opened
// for this call only.
std::u16string EntryDisplayName(const ProfileEntry& entry, CContactsSession* session);
// The name of the entry's template: "<do not send>" for 0, empty for none.
std::u16string EntryMessageName(const ProfileEntry& entry);
// Where a profile's answer for a caller comes from.
enum class MessageSource { NoProfile, ContactEntry, GroupEntry, Default };

struct MessageChoice {
    MessageSource source = MessageSource::NoProfile;
    const ProfileEntry* entry = nullptr; // the contact or group entry that decided
    int32_t messageId = 0; // 0: "<do not send>"
    const TemplateRecord* chosen = nullptr; // none for 0 or an id no template has
};
// The contact's entry first, then the earliest group entry whose group holds
// the contact, then the default message; the first that applies ends the
// search, even when it says "<do not send>".
MessageChoice ChooseMessageWithSource(const ProfileRecord& profile, uint32_t contactId);
const TemplateRecord* ChooseMessage(const ProfileRecord& profile, uint32_t contactId);
bool IsMessageUsed(int32_t templateId);
void ForgetMessage(int32_t templateId);

// The active profile is the one selected on the Profile page; the page
// provides it through this source.
class ActiveProfileSource {
public:
    virtual ~ActiveProfileSource() = default;
    virtual ProfileRecord* ActiveProfile() const = 0;
};
void SetActiveProfileSource(const ActiveProfileSource* source);
// The profile the source names now; null without a source or a selection.
ProfileRecord* CurrentActiveProfile();
// The stored text of the template that answers `contactId` under the active
// profile; empty (send nothing) without an active profile or a template.
std::u16string ReplyTextFor(uint32_t contactId);

struct ReplyChoice {
    const ProfileRecord* profile = nullptr; // the active profile, if any
    MessageChoice choice;
    std::u16string text; // what ReplyTextFor gives
};
ReplyChoice ReplyChoiceFor(uint32_t contactId);

// The profile the Profile page selects at start: the one with the saved id,
// else the first; none only when there is no profile.
ProfileRecord* ProfileSelectedAtStart(int32_t activeProfileId);

// Connects the template and group stores to this one, so that deleting a
// template or a group drops its uses in the profiles.
void ConnectProfilesToStores();

// The file image of a list of profiles, and its reading.
std::vector<uint8_t> EncodeProfiles(const ProfileList& profiles);
ProfileLoadReport DecodeProfiles(
    std::span<const uint8_t> bytes, ProfileList& profiles, int32_t& lastId);

} // namespace pelmora
