#include "rules/ProfileStore.h"

#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "platform/storage/ByteReader.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/DataFileCare.h"
#include "platform/storage/FixedText.h"
#include "rules/GroupStore.h"

#include <algorithm>
#include <limits>

namespace pelmora {

namespace {

struct ProfileState {
    ProfileList list;
    int32_t lastId = 0;
    const ActiveProfileSource* active = nullptr;
};

ProfileState& State()
{
    static ProfileState state;
    return state;
}

bool HasGroupEntry(int32_t groupId)
{
    for (const auto& profile : State().list)
        for (const auto& entry : profile->entries)
            if (entry->IsGroup() && entry->targetId == static_cast<uint32_t>(groupId))
                return true;
    return false;
}

void RemoveGroupEntries(int32_t groupId)
{
    for (const auto& profile : State().list)
        std::erase_if(profile->entries, [groupId](const auto& entry) {
            return entry->IsGroup() && entry->targetId == static_cast<uint32_t>(groupId);
        });
}

} // namespace

void ProfileRecord::SetName(std::u16string_view value)
{
    name.SetCleared(value);
}

const ProfileList& Profiles()
{
    return State().list;
}
int32_t LastProfileId()
{
    return State().lastId;
}
void SetActiveProfileSource(const ActiveProfileSource* source)
{
    State().active = source;
}
ProfileRecord* CurrentActiveProfile()
{
    const ActiveProfileSource* source = State().active;
    return source ? source->ActiveProfile() : nullptr;
}

void ConnectProfilesToStores()
{
    SetTemplateForgetter(&ForgetMessage);
    SetGroupProfileHooks({&HasGroupEntry, &RemoveGroupEntries});
}

ProfileLoadReport DecodeProfiles(
    std::span<const uint8_t> bytes, ProfileList& profiles, int32_t& lastId)
{
    ProfileLoadReport report;
    report.fileOpened = true;
    ByteReader in(bytes);
    while (in.Remaining() > 0) {
        auto profile = std::make_unique<ProfileRecord>();
        int32_t count = 0;
        if (!in.GetI32(profile->id)
            || !in.GetUnits(std::span(profile->name.units).first(ProfileRecord::kFileNameUnits))
            || !in.GetI32(profile->defaultMessageId) || !in.GetI32(count)) {
            report.damaged = true;
            break;
        }
        profile->name.units[ProfileRecord::kFileNameUnits] = u'\0';
        // Entries are read one by one as the bytes allow; a count larger than
        // the file can hold is a short read, without reserving its memory.
        bool complete = true;
        for (int32_t i = 0; i < count; ++i) {
            auto entry = std::make_unique<ProfileEntry>();
            if (!in.GetU8(entry->kind) || !in.GetU32(entry->targetId)
                || !in.GetI32(entry->messageId)) {
                complete = false;
                break;
            }
            profile->entries.push_back(std::move(entry));
        }
        if (!complete) {
            report.damaged = true;
            break;
        }
        if (profile->id > lastId)
            lastId = profile->id;
        profiles.push_back(std::move(profile));
        ++report.loaded;
    }
    return report;
}

std::vector<uint8_t> EncodeProfiles(const ProfileList& profiles)
{
    ByteWriter out;
    for (const auto& profile : profiles) {
        out.PutI32(profile->id);
        out.PutUnits(std::span(profile->name.units).first(ProfileRecord::kFileNameUnits));
        out.PutI32(profile->defaultMessageId);
        out.PutI32(static_cast<int32_t>(profile->entries.size()));
        for (const auto& entry : profile->entries) {
            out.PutU8(entry->kind);
            out.PutU32(entry->targetId);
            out.PutI32(entry->messageId);
        }
    }
    return out.Take();
}

ProfileLoadReport LoadProfiles(const std::filesystem::path& dataDir)
{
    ProfileState& state = State();
    ProfileLoadReport report;
    const std::filesystem::path file = dataDir / kProfilesFileName;
    const FileRead read = ReadDataFile(file);
    ProfileList loaded;
    if (read.status == FileRead::Status::Read)
        report = DecodeProfiles(read.bytes, loaded, state.lastId);
    // Pelmora never writes an empty file (the last profile cannot be
    // deleted): one with no bytes lost them, and is damaged, not a choice.
    const bool empty = read.status == FileRead::Status::Read && read.bytes.empty();
    if (empty)
        NoteLoadedFile({file, FileCondition::Damaged, {}, 0,
            "no profile, so the Default profile takes their place", {}});
    report.condition = empty ? FileCondition::Damaged
                             : NoteLoadedFile(file, read, EncodeProfiles(loaded),
                                 Counted(report.loaded, "whole profile"));
    report.error = read.error;
    for (auto& profile : loaded)
        state.list.push_back(std::move(profile));
    // Only a file that could not be read gives the default profile; an
    // existing file that yields nothing leaves the list empty.
    if ((!report.fileOpened || empty) && state.list.empty())
        AddProfile(u"Default", FirstTemplateId());
    return report;
}

SaveResult SaveProfiles(const std::filesystem::path& dataDir)
{
    return SaveDataFile(dataDir / kProfilesFileName, EncodeProfiles(State().list));
}

void FreeProfiles()
{
    State().list.clear();
}

void ResetProfileStore()
{
    State().list.clear();
    State().lastId = 0;
}

ProfileRecord* AddProfile(std::u16string_view name, int32_t templateId)
{
    // No id follows 2147483647: refuse, as when a record cannot be made.
    if (State().lastId == std::numeric_limits<int32_t>::max())
        return nullptr;
    auto profile = std::make_unique<ProfileRecord>();
    profile->SetName(name);
    profile->defaultMessageId = templateId;
    profile->id = ++State().lastId;
    State().list.push_back(std::move(profile));
    return State().list.back().get();
}

bool DeleteProfile(ProfileRecord* profile)
{
    auto& list = State().list;
    auto it = std::find_if(
        list.begin(), list.end(), [profile](const auto& p) { return p.get() == profile; });
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

ProfileEntry* AddGroupEntry(ProfileRecord& profile, int32_t groupId, int32_t templateId)
{
    const auto target = static_cast<uint32_t>(groupId);
    for (const auto& entry : profile.entries)
        if (entry->IsGroup() && entry->targetId == target) {
            entry->messageId = templateId;
            return nullptr;
        }
    profile.entries.push_back(std::make_unique<ProfileEntry>(ProfileEntry {1, target, templateId}));
    return profile.entries.back().get();
}

ProfileEntry* AddContactEntry(ProfileRecord& profile, uint32_t contactId, int32_t templateId)
{
    for (const auto& entry : profile.entries)
        if (!entry->IsGroup() && entry->targetId == contactId)
            return nullptr;
    profile.entries.push_back(
        std::make_unique<ProfileEntry>(ProfileEntry {0, contactId, templateId}));
    return profile.entries.back().get();
}

bool RemoveEntry(ProfileRecord& profile, ProfileEntry* entry)
{
    auto it = std::find_if(profile.entries.begin(), profile.entries.end(),
        [entry](const auto& e) { return e.get() == entry; });
    if (it == profile.entries.end())
        return false;
    profile.entries.erase(it);
    return true;
}

int32_t EntryCount(const ProfileRecord& profile)
{
    return static_cast<int32_t>(profile.entries.size());
}

std::u16string EntryDisplayName(const ProfileEntry& entry, CContactsSession* session)
{
    if (entry.IsGroup()) {
        const char16_t* name = GroupName(static_cast<int32_t>(entry.targetId));
        // The name field holds up to 50 characters and its terminator; the
        // shown text is cut to the 199 characters of the caller's buffer.
        return name ? std::u16string(CutWhole(name, 199)) : std::u16string();
    }
    std::u16string name;
    if (session) {
        session->GetContactFullName(entry.targetId, name);
    } else {
        CContactsSession own;
        if (own.Logon())
            own.GetContactFullName(entry.targetId, name);
    }
    return std::u16string(CutWhole(name, 199));
}

std::u16string EntryMessageName(const ProfileEntry& entry)
{
    const char16_t* name = TemplateName(entry.messageId);
    return name ? std::u16string(name) : std::u16string();
}

MessageChoice ChooseMessageWithSource(const ProfileRecord& profile, uint32_t contactId)
{
    auto decided = [](MessageSource source, const ProfileEntry* entry, int32_t messageId) {
        return MessageChoice {source, entry, messageId, FindTemplate(messageId)};
    };
    // An unidentified caller (0) matches no contact entry, even one for 0
    // that a damaged or hand-made file holds, and no group member.
    for (const auto& entry : profile.entries)
        if (contactId != 0 && !entry->IsGroup() && entry->targetId == contactId)
            return decided(MessageSource::ContactEntry, entry.get(), entry->messageId);
    for (const auto& entry : profile.entries) {
        if (!entry->IsGroup())
            continue;
        const GroupRecord* group = FindGroup(static_cast<int32_t>(entry->targetId));
        if (group && IsMember(*group, contactId))
            return decided(MessageSource::GroupEntry, entry.get(), entry->messageId);
    }
    return decided(MessageSource::Default, nullptr, profile.defaultMessageId);
}

const TemplateRecord* ChooseMessage(const ProfileRecord& profile, uint32_t contactId)
{
    return ChooseMessageWithSource(profile, contactId).chosen;
}

ReplyChoice ReplyChoiceFor(uint32_t contactId)
{
    ReplyChoice reply;
    const ActiveProfileSource* source = State().active;
    reply.profile = source ? source->ActiveProfile() : nullptr;
    if (!reply.profile)
        return reply;
    reply.choice = ChooseMessageWithSource(*reply.profile, contactId);
    if (reply.choice.chosen)
        reply.text = reply.choice.chosen->text.Text();
    return reply;
}

std::u16string ReplyTextFor(uint32_t contactId)
{
    return ReplyChoiceFor(contactId).text;
}

ProfileRecord* ProfileSelectedAtStart(int32_t activeProfileId)
{
    const ProfileList& list = State().list;
    for (const auto& profile : list)
        if (profile->id == activeProfileId)
            return profile.get();
    return list.empty() ? nullptr : list.front().get();
}

bool IsMessageUsed(int32_t templateId)
{
    for (const auto& profile : State().list) {
        if (profile->defaultMessageId == templateId)
            return true;
        for (const auto& entry : profile->entries)
            if (entry->messageId == templateId)
                return true;
    }
    return false;
}

void ForgetMessage(int32_t templateId)
{
    for (const auto& profile : State().list) {
        if (profile->defaultMessageId == templateId)
            profile->defaultMessageId = 0;
        std::erase_if(profile->entries,
            [templateId](const auto& entry) { return entry->messageId == templateId; });
    }
}

} // namespace pelmora
