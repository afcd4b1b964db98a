#include "rules/GroupStore.h"
#include "platform/storage/ByteWriter.h"
#include "tests/LogicTestSupport.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class GroupStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGroupStore(); }
    void TearDown() override
    {
        ResetGroupStore();
        SetGroupProfileHooks({});
    }
    std::filesystem::path File() const { return dir.Path() / kGroupsFileName; }

    static void PutGroup(ByteWriter& out, int32_t id, std::u16string_view name,
        const std::vector<uint32_t>& members, int32_t claimed = -2)
    {
        out.PutI32(id);
        out.PutFixedText(name, 50);
        out.PutI32(claimed == -2 ? static_cast<int32_t>(members.size()) : claimed);
        for (uint32_t member : members)
            out.PutU32(member);
    }

    test::ScratchDir dir;
};

} // namespace

TEST_F(GroupStoreTest, EmptyOrNegativeCountGivesNoGroups)
{
    for (int32_t count : {0, -1, -2147483647 - 1}) {
        ResetGroupStore();
        ByteWriter out;
        out.PutI32(count);
        PutGroup(out, 1, u"Ignored", {5});
        test::WriteAll(File(), out.Bytes());
        LoadGroups(dir.Path());
        EXPECT_EQ(GroupCount(), 0) << count;
        ASSERT_TRUE(SaveGroups(dir.Path()));
        EXPECT_EQ(test::ReadAll(File()), (std::vector<uint8_t> {0, 0, 0, 0}));
    }
}

TEST_F(GroupStoreTest, MissingOrTinyFileGivesNoGroups)
{
    LoadGroups(dir.Path());
    EXPECT_EQ(GroupCount(), 0);
    test::WriteAll(File(), {1, 0});
    LoadGroups(dir.Path());
    EXPECT_EQ(GroupCount(), 0);
}

TEST_F(GroupStoreTest, GroupsRoundTripByteForByte)
{
    ByteWriter out;
    out.PutI32(2);
    PutGroup(out, 2, u"Family", {0x11223344, 7});
    PutGroup(out, 7, u"Nobody", {});
    test::WriteAll(File(), out.Bytes());
    LoadGroups(dir.Path());
    ASSERT_EQ(GroupCount(), 2);
    EXPECT_EQ(Groups()[0]->members, (std::vector<uint32_t> {0x11223344, 7}));
    EXPECT_TRUE(Groups()[1]->members.empty());
    EXPECT_EQ(std::u16string(GroupName(7)), u"Nobody");
    EXPECT_EQ(GroupName(3), nullptr);
    EXPECT_EQ(FindGroup(2), Groups()[0].get());
    ASSERT_TRUE(SaveGroups(dir.Path()));
    const auto saved = test::ReadAll(File());
    EXPECT_EQ(saved, out.Bytes());
    // A group without members ends with its zero count.
    EXPECT_EQ(saved.size(), 4u + (108 + 8) + 108);
}

TEST_F(GroupStoreTest, NextIdFollowsTheLargestLoaded)
{
    ByteWriter out;
    out.PutI32(2);
    PutGroup(out, 7, u"B", {});
    PutGroup(out, 2, u"A", {});
    test::WriteAll(File(), out.Bytes());
    LoadGroups(dir.Path());
    GroupRecord edited;
    edited.SetName(u"New");
    edited.members = {1, 2, 3};
    GroupRecord* added = AddGroup(edited);
    EXPECT_EQ(added->id, 8);
    EXPECT_EQ(added->members, (std::vector<uint32_t> {1, 2, 3}));
    EXPECT_TRUE(edited.members.empty()) << "the source gives up its members";
    EXPECT_EQ(Groups().back().get(), added);
}

TEST_F(GroupStoreTest, NoGroupIsAddedOnceTheLargestIdIsTaken)
{
    ByteWriter out;
    out.PutI32(1);
    PutGroup(out, INT32_MAX - 1, u"Almost", {});
    test::WriteAll(File(), out.Bytes());
    LoadGroups(dir.Path());
    GroupRecord last;
    ASSERT_NE(AddGroup(last), nullptr);
    EXPECT_EQ(Groups().back()->id, INT32_MAX);
    GroupRecord refused;
    refused.members = {4, 5};
    EXPECT_EQ(AddGroup(refused), nullptr);
    EXPECT_EQ(GroupCount(), 2);
    EXPECT_EQ(LastGroupId(), INT32_MAX);
    EXPECT_EQ(refused.members, (std::vector<uint32_t> {4, 5})) << "the source keeps its members";
}

TEST_F(GroupStoreTest, ShortFileKeepsTheCompleteGroups)
{
    ByteWriter out;
    out.PutI32(3);
    PutGroup(out, 1, u"One", {10});
    PutGroup(out, 2, u"Two", {20, 21});
    test::WriteAll(File(), out.Bytes());
    const GroupLoadReport report = LoadGroups(dir.Path());
    EXPECT_EQ(GroupCount(), 2);
    EXPECT_EQ(report.promised, 3);
    EXPECT_EQ(report.loaded, 2);
    EXPECT_TRUE(report.damaged);
}

TEST_F(GroupStoreTest, HostileMemberCountsEndTheLoadAtThatRecord)
{
    for (int32_t claimed : {0x7FFFFFFF, -1, 3}) {
        ResetGroupStore();
        ByteWriter out;
        out.PutI32(3);
        PutGroup(out, 1, u"Good", {1});
        PutGroup(out, 2, u"Bad", {5, 6}, claimed);
        PutGroup(out, 3, u"After", {});
        auto bytes = out.Take();
        if (claimed == 3)
            bytes.resize(bytes.size() - 108); // without "After": 3 members promised, 2 present
        test::WriteAll(File(), bytes);
        const GroupLoadReport report = LoadGroups(dir.Path());
        ASSERT_EQ(GroupCount(), 1) << claimed;
        EXPECT_EQ(Groups()[0]->name.Text(), u"Good");
        EXPECT_TRUE(report.damaged);
    }
}

TEST_F(GroupStoreTest, NameOfFiftyUnitsWithoutTerminatorLoadsWhole)
{
    ByteWriter out;
    out.PutI32(1);
    out.PutI32(4);
    out.PutUnits(std::u16string(50, u'g'));
    out.PutI32(0);
    test::WriteAll(File(), out.Bytes());
    LoadGroups(dir.Path());
    ASSERT_EQ(GroupCount(), 1);
    EXPECT_EQ(Groups()[0]->name.Text(), std::u16string(50, u'g'));
}

TEST_F(GroupStoreTest, UseAndDeletionAskTheProfiles)
{
    static std::vector<int32_t> removed;
    removed.clear();
    SetGroupProfileHooks(
        {[](int32_t id) { return id == 2; }, [](int32_t id) { removed.push_back(id); }});
    GroupRecord a, b;
    GroupRecord* one = AddGroup(a);
    GroupRecord* two = AddGroup(b);
    EXPECT_FALSE(IsGroupUsed(*one));
    EXPECT_TRUE(IsGroupUsed(*two));
    EXPECT_TRUE(DeleteGroup(two));
    EXPECT_EQ(removed, std::vector<int32_t> {2});
    EXPECT_EQ(GroupCount(), 1);
    EXPECT_FALSE(DeleteGroup(two == one ? nullptr : &a));
    EXPECT_EQ(GroupCount(), 1);
}
