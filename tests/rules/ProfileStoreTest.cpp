#include "rules/ProfileStore.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "platform/contacts/AddressBook.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/DataFileCare.h"
#include "rules/GroupStore.h"
#include "tests/LogicTestSupport.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class FixedActiveProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        ConnectProfilesToStores();
        A = AppendTemplate(u"A", u"text A");
        B = AppendTemplate(u"B", u"text B");
        C = AppendTemplate(u"C", u"text C");
        D = AppendTemplate(u"D", u"text D");
        SetActiveProfileSource(&active);
    }
    void TearDown() override
    {
        SetActiveProfileSource(nullptr);
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        SetTemplateForgetter(nullptr);
        SetGroupProfileHooks({});
    }

    GroupRecord* MakeGroup(std::vector<uint32_t> members)
    {
        GroupRecord source;
        source.members = std::move(members);
        return AddGroup(source);
    }

    std::filesystem::path File() const { return dir.Path() / kProfilesFileName; }

    test::ScratchDir dir;
    FixedActiveProfile active;
    TemplateRecord *A = nullptr, *B = nullptr, *C = nullptr, *D = nullptr;
};

} // namespace

TEST_F(ProfileStoreTest, DefaultMessageAnswersEveryCaller)
{
    ProfileRecord* profile = AddProfile(u"Work", A->id);
    EXPECT_EQ(ChooseMessage(*profile, 17), A);
    EXPECT_EQ(ChooseMessage(*profile, 0), A);
    active.profile = profile;
    EXPECT_EQ(ReplyTextFor(0), u"text A");
    active.profile = nullptr;
    EXPECT_EQ(ReplyTextFor(17), u"") << "no active profile sends nothing";
}

TEST_F(ProfileStoreTest, ContactEntryBeatsGroupEntryAndDefault)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    GroupRecord* group = MakeGroup({5, 17});
    AddGroupEntry(*profile, group->id, C->id);
    AddContactEntry(*profile, 17, B->id);
    EXPECT_EQ(ChooseMessage(*profile, 17), B);
    EXPECT_EQ(ChooseMessage(*profile, 5), C);
    EXPECT_EQ(ChooseMessage(*profile, 6), A);
}

TEST_F(ProfileStoreTest, DoNotSendOnAContactStopsTheSearch)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    GroupRecord* group = MakeGroup({17});
    AddGroupEntry(*profile, group->id, C->id);
    AddContactEntry(*profile, 17, 0);
    active.profile = profile;
    EXPECT_EQ(ChooseMessage(*profile, 17), nullptr);
    EXPECT_EQ(ReplyTextFor(17), u"");
    EXPECT_EQ(ReplyTextFor(18), u"text A");
    // An entry naming a template that no longer exists also sends nothing.
    AddContactEntry(*profile, 20, 999);
    EXPECT_EQ(ChooseMessage(*profile, 20), nullptr);
}

TEST_F(ProfileStoreTest, FirstMatchingGroupEntryWins)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    GroupRecord* g1 = MakeGroup({1, 17});
    GroupRecord* g2 = MakeGroup({17, 2});
    ProfileEntry* first = AddGroupEntry(*profile, g1->id, C->id);
    AddGroupEntry(*profile, g2->id, D->id);
    EXPECT_EQ(ChooseMessage(*profile, 17), C);
    EXPECT_TRUE(RemoveEntry(*profile, first));
    EXPECT_FALSE(RemoveEntry(*profile, first));
    EXPECT_EQ(ChooseMessage(*profile, 17), D);
}

TEST_F(ProfileStoreTest, MissingGroupIsSkippedAndContactZeroMatchesNothing)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    AddGroupEntry(*profile, 42, C->id); // no such group
    GroupRecord* group = MakeGroup({3});
    AddGroupEntry(*profile, group->id, D->id);
    EXPECT_EQ(ChooseMessage(*profile, 3), D);
    EXPECT_EQ(ChooseMessage(*profile, 0), A);
    // A contact entry and a group entry with the same number never interfere.
    AddContactEntry(*profile, static_cast<uint32_t>(group->id), B->id);
    EXPECT_EQ(ChooseMessage(*profile, 3), D);
}

TEST_F(ProfileStoreTest, ChoiceNamesItsSource)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    GroupRecord* g1 = MakeGroup({4});
    GroupRecord* g2 = MakeGroup({5, 17});
    AddGroupEntry(*profile, g1->id, C->id);
    ProfileEntry* family = AddGroupEntry(*profile, g2->id, D->id);
    ProfileEntry* own = AddContactEntry(*profile, 17, 0);

    const MessageChoice contact = ChooseMessageWithSource(*profile, 17);
    EXPECT_EQ(contact.source, MessageSource::ContactEntry);
    EXPECT_EQ(contact.entry, own);
    EXPECT_EQ(contact.messageId, 0);
    EXPECT_EQ(contact.chosen, nullptr);

    const MessageChoice group = ChooseMessageWithSource(*profile, 5);
    EXPECT_EQ(group.source, MessageSource::GroupEntry);
    EXPECT_EQ(group.entry, family);
    EXPECT_EQ(group.chosen, D);

    const MessageChoice fallback = ChooseMessageWithSource(*profile, 6);
    EXPECT_EQ(fallback.source, MessageSource::Default);
    EXPECT_EQ(fallback.entry, nullptr);
    EXPECT_EQ(fallback.chosen, A);

    EXPECT_EQ(ReplyChoiceFor(5).profile, nullptr) << "no active profile";
    active.profile = profile;
    const ReplyChoice reply = ReplyChoiceFor(5);
    EXPECT_EQ(reply.profile, profile);
    EXPECT_EQ(reply.choice.source, MessageSource::GroupEntry);
    EXPECT_EQ(reply.text, ReplyTextFor(5));
    EXPECT_EQ(reply.text, u"text D");
}

TEST_F(ProfileStoreTest, SavedProfileOrTheFirstIsSelectedAtStart)
{
    EXPECT_EQ(ProfileSelectedAtStart(1), nullptr);
    ProfileRecord* first = AddProfile(u"One", A->id);
    ProfileRecord* second = AddProfile(u"Two", A->id);
    EXPECT_EQ(ProfileSelectedAtStart(second->id), second);
    EXPECT_EQ(ProfileSelectedAtStart(first->id), first);
    EXPECT_EQ(ProfileSelectedAtStart(0), first);
    EXPECT_EQ(ProfileSelectedAtStart(77), first);
}

TEST_F(ProfileStoreTest, EntriesAndMembersForContactZeroNeverMatch)
{
    // Files from elsewhere can hold a contact entry 0 or a member 0; an
    // unidentified caller (0) must still get only the default message.
    ProfileRecord* profile = AddProfile(u"P", A->id);
    GroupRecord* group = MakeGroup({0, 7});
    AddContactEntry(*profile, 0, B->id);
    AddGroupEntry(*profile, group->id, C->id);
    EXPECT_FALSE(IsMember(*group, 0));
    EXPECT_TRUE(IsMember(*group, 7));
    EXPECT_EQ(ChooseMessage(*profile, 0), A);
    EXPECT_EQ(ChooseMessage(*profile, 7), C);
    active.profile = profile;
    EXPECT_EQ(ReplyTextFor(0), u"text A");
}

TEST_F(ProfileStoreTest, ReaddingEntries)
{
    ProfileRecord* profile = AddProfile(u"P", A->id);
    ASSERT_NE(AddGroupEntry(*profile, 4, C->id), nullptr);
    EXPECT_EQ(AddGroupEntry(*profile, 4, D->id), nullptr);
    EXPECT_EQ(EntryCount(*profile), 1);
    EXPECT_EQ(profile->entries[0]->messageId, D->id) << "the group's message is replaced";
    ASSERT_NE(AddContactEntry(*profile, 9, B->id), nullptr);
    EXPECT_EQ(AddContactEntry(*profile, 9, C->id), nullptr);
    EXPECT_EQ(EntryCount(*profile), 2);
    EXPECT_EQ(profile->entries[1]->messageId, B->id) << "the contact's entry is unchanged";
    EXPECT_EQ(EntryMessageName(*profile->entries[1]), u"B");
    profile->entries[1]->messageId = 0;
    EXPECT_EQ(EntryMessageName(*profile->entries[1]), u"<do not send>");
    profile->entries[1]->messageId = 555;
    EXPECT_EQ(EntryMessageName(*profile->entries[1]), u"");
}

TEST_F(ProfileStoreTest, DeletingATemplateForgetsOnlyItsUses)
{
    ProfileRecord* p1 = AddProfile(u"One", A->id);
    ProfileRecord* p2 = AddProfile(u"Two", B->id);
    AddContactEntry(*p1, 1, A->id);
    AddContactEntry(*p1, 2, C->id);
    AddGroupEntry(*p2, 3, A->id);
    AddGroupEntry(*p2, 4, B->id);
    EXPECT_TRUE(IsMessageUsed(A->id));
    EXPECT_FALSE(IsMessageUsed(D->id));
    const int32_t a = A->id;
    ASSERT_TRUE(DeleteTemplate(A));
    EXPECT_EQ(p1->defaultMessageId, 0);
    EXPECT_EQ(p2->defaultMessageId, B->id);
    ASSERT_EQ(EntryCount(*p1), 1);
    EXPECT_EQ(p1->entries[0]->targetId, 2u);
    ASSERT_EQ(EntryCount(*p2), 1);
    EXPECT_EQ(p2->entries[0]->targetId, 4u);
    EXPECT_FALSE(IsMessageUsed(a));
    ASSERT_TRUE(DeleteTemplate(D));
    EXPECT_EQ(EntryCount(*p1) + EntryCount(*p2), 2) << "an unused template changes nothing";
}

TEST_F(ProfileStoreTest, DeletingAGroupRemovesOnlyItsGroupEntries)
{
    ProfileRecord* p1 = AddProfile(u"One", A->id);
    ProfileRecord* p2 = AddProfile(u"Two", A->id);
    GroupRecord* doomed = MakeGroup({1});
    GroupRecord* kept = MakeGroup({2});
    const auto doomedId = static_cast<uint32_t>(doomed->id);
    AddGroupEntry(*p1, doomed->id, B->id);
    AddGroupEntry(*p1, kept->id, B->id);
    AddContactEntry(*p1, doomedId, C->id); // same number, a contact
    AddGroupEntry(*p2, doomed->id, D->id);
    EXPECT_TRUE(IsGroupUsed(*doomed));
    ASSERT_TRUE(DeleteGroup(doomed));
    ASSERT_EQ(EntryCount(*p1), 2);
    EXPECT_EQ(p1->entries[0]->targetId, static_cast<uint32_t>(kept->id));
    EXPECT_FALSE(p1->entries[1]->IsGroup());
    EXPECT_EQ(p1->entries[1]->targetId, doomedId);
    EXPECT_EQ(EntryCount(*p2), 0);
    EXPECT_TRUE(IsGroupUsed(*kept));
}

TEST_F(ProfileStoreTest, FileLayoutIsExact)
{
    ProfileRecord* profile = AddProfile(u"abcdefghijklmnopqrstuvwxy", B->id);
    EXPECT_EQ(profile->name.Text(), u"abcdefghijklmnopqrst");
    ASSERT_TRUE(SaveProfiles(dir.Path()));
    auto bytes = test::ReadAll(File());
    ASSERT_EQ(bytes.size(), 52u) << "a profile without entries";
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[4], 'a');
    EXPECT_EQ(bytes[42], 't');
    EXPECT_EQ(bytes[44], static_cast<uint8_t>(B->id));
    EXPECT_EQ(bytes[48], 0);

    AddGroupEntry(*profile, 0x01020304, C->id);
    AddContactEntry(*profile, 0xA0B0C0D0, 0);
    ASSERT_TRUE(SaveProfiles(dir.Path()));
    bytes = test::ReadAll(File());
    ASSERT_EQ(bytes.size(), 52u + 18);
    const std::vector<uint8_t> entries(bytes.begin() + 52, bytes.end());
    const auto c = static_cast<uint8_t>(C->id);
    EXPECT_EQ(entries,
        (std::vector<uint8_t> {1, 4, 3, 2, 1, c, 0, 0, 0, 0, 0xD0, 0xC0, 0xB0, 0xA0, 0, 0, 0, 0}));
}

TEST_F(ProfileStoreTest, LoadRoundTripKeepsOddKindBytes)
{
    ByteWriter out;
    out.PutI32(5);
    out.PutFixedText(u"Five", 20);
    out.PutI32(2);
    out.PutI32(1);
    out.PutU8(7); // any non-zero kind is a group entry, written back as read
    out.PutU32(3);
    out.PutI32(4);
    test::WriteAll(File(), out.Bytes());
    const ProfileLoadReport report = LoadProfiles(dir.Path());
    EXPECT_EQ(report.loaded, 1);
    ASSERT_EQ(Profiles().size(), 1u);
    EXPECT_TRUE(Profiles()[0]->entries[0]->IsGroup());
    EXPECT_EQ(LastProfileId(), 5);
    EXPECT_EQ(AddProfile(u"Next", 0)->id, 6);
    DeleteProfile(Profiles()[1].get());
    ASSERT_TRUE(SaveProfiles(dir.Path()));
    EXPECT_EQ(test::ReadAll(File()), out.Bytes());
}

TEST_F(ProfileStoreTest, NoProfileIsAddedOnceTheLargestIdIsTaken)
{
    ByteWriter out;
    out.PutI32(INT32_MAX);
    out.PutFixedText(u"Last", 20);
    out.PutI32(A->id);
    out.PutI32(0);
    test::WriteAll(File(), out.Bytes());
    LoadProfiles(dir.Path());
    EXPECT_EQ(AddProfile(u"Refused", A->id), nullptr);
    ASSERT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(LastProfileId(), INT32_MAX);
}

TEST_F(ProfileStoreTest, AMissingOrEmptyFileGivesTheDefaultProfile)
{
    LoadProfiles(dir.Path());
    ASSERT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(Profiles()[0]->name.Text(), u"Default");
    EXPECT_EQ(Profiles()[0]->id, 1);
    EXPECT_EQ(Profiles()[0]->defaultMessageId, FirstTemplateId());

    // Pelmora never writes an empty file: one lost its profiles.
    ResetProfileStore();
    test::WriteAll(File(), {});
    EXPECT_EQ(LoadProfiles(dir.Path()).condition, FileCondition::Damaged);
    ASSERT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(Profiles()[0]->name.Text(), u"Default");
    ASSERT_EQ(ProblemFilesIn(dir.Path()).size(), 1u);
    EXPECT_EQ(
        ProblemFilesIn(dir.Path())[0].kept, "no profile, so the Default profile takes their place");
    ForgetLoadedFiles();
}

TEST_F(ProfileStoreTest, DamagedRecordsEndTheLoad)
{
    ByteWriter out;
    out.PutI32(1);
    out.PutFixedText(u"Good", 20);
    out.PutI32(0);
    out.PutI32(-3); // no entries
    out.PutI32(2);
    out.PutFixedText(u"Claims", 20);
    out.PutI32(0);
    out.PutI32(0x7FFFFFFF); // far more entries than the file holds
    out.PutU8(1);
    out.PutU32(1);
    out.PutI32(1);
    test::WriteAll(File(), out.Bytes());
    const ProfileLoadReport report = LoadProfiles(dir.Path());
    ASSERT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(Profiles()[0]->name.Text(), u"Good");
    EXPECT_EQ(EntryCount(*Profiles()[0]), 0);
    EXPECT_TRUE(report.damaged);

    ResetProfileStore();
    auto firstOnly = out.Bytes();
    firstOnly.resize(30);
    test::WriteAll(File(), firstOnly);
    LoadProfiles(dir.Path());
    EXPECT_TRUE(Profiles().empty()) << "damaged in its first record: no default either";
}

TEST_F(ProfileStoreTest, EntriesAreNamedByGroupOrContact)
{
    SimulatedAddressBook book;
    ContactCard card;
    card.oid = 17;
    card.title = u"Mrs.";
    card.lastName = u"Trellowayne";
    book.Add(card);
    SetAddressBook(&book);
    GroupRecord source;
    source.SetName(u"Family");
    GroupRecord* group = AddGroup(source);
    ProfileRecord* profile = AddProfile(u"P", A->id);
    ProfileEntry* groupEntry = AddGroupEntry(*profile, group->id, B->id);
    ProfileEntry* contactEntry = AddContactEntry(*profile, 17, C->id);
    ProfileEntry* goneEntry = AddContactEntry(*profile, 18, C->id);
    EXPECT_EQ(EntryDisplayName(*groupEntry, nullptr), u"Family");
    EXPECT_EQ(EntryDisplayName(*contactEntry, nullptr), u"Mrs. Trellowayne")
        << "a session of its own";
    CContactsSession session;
    ASSERT_TRUE(session.Logon());
    EXPECT_EQ(EntryDisplayName(*contactEntry, &session), u"Mrs. Trellowayne");
    EXPECT_EQ(EntryDisplayName(*goneEntry, &session), u"");
    DeleteGroup(group);
    ProfileEntry orphan {1, 5, 0};
    EXPECT_EQ(EntryDisplayName(orphan, &session), u"") << "a group that no longer exists";
    session.Logoff();
    SetAddressBook(nullptr);
}
