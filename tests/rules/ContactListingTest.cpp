#include "rules/ContactListing.h"

#include <gtest/gtest.h>

using namespace pelmora;

struct RowTextCase {
    const char16_t* title;
    const char16_t* first;
    const char16_t* last;
    const char16_t* text;
};

class ContactRowTextTest : public ::testing::TestWithParam<RowTextCase> { };

TEST_P(ContactRowTextTest, EachNonEmptyPartIsFollowedByOneSpace)
{
    const RowTextCase& c = GetParam();
    EXPECT_EQ(ContactRowText(c.title, c.first, c.last), c.text);
}

INSTANTIATE_TEST_SUITE_P(Parts, ContactRowTextTest,
    ::testing::Values(RowTextCase {u"Dr.", u"Ann", u"Lee", u"Dr. Ann Lee "},
        RowTextCase {u"", u"Ann", u"Lee", u"Ann Lee "}, RowTextCase {u"", u"", u"Lee", u"Lee "},
        RowTextCase {u"Mr.", u"", u"", u"Mr. "}, RowTextCase {u"", u"", u"", u""},
        RowTextCase {u"", u"Ann ", u"", u"Ann  "}));

TEST(ListContacts, ReadsEveryPositionInOrder)
{
    std::vector<int32_t> asked;
    const ContactListing listing = ListContacts(3, [&](int32_t position, ContactRow& row) {
        asked.push_back(position);
        row = {std::u16string(1, static_cast<char16_t>(u'a' + position)),
            static_cast<uint32_t>(position * 10)};
        return true;
    });
    EXPECT_EQ(asked, (std::vector<int32_t> {1, 2, 3}));
    EXPECT_TRUE(listing.complete);
    EXPECT_EQ(listing.rows, (std::vector<ContactRow> {{u"b", 10}, {u"c", 20}, {u"d", 30}}));
}

TEST(ListContacts, StopsAtTheFirstContactThatCannotBeReadAndSaysSo)
{
    int calls = 0;
    const ContactListing listing = ListContacts(5, [&](int32_t position, ContactRow& row) {
        ++calls;
        row.contactId = static_cast<uint32_t>(position);
        return position != 3;
    });
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(listing.complete);
    EXPECT_EQ(listing.rows, (std::vector<ContactRow> {{u"", 1}, {u"", 2}}));
}

TEST(ListContacts, NoSessionListsNothingAndAnEmptyBookIsWhole)
{
    auto never = [](int32_t, ContactRow&) {
        ADD_FAILURE() << "no position may be asked for";
        return false;
    };
    const ContactListing noSession = ListContacts(-1, never);
    EXPECT_FALSE(noSession.complete);
    EXPECT_TRUE(noSession.rows.empty());
    const ContactListing empty = ListContacts(0, never);
    EXPECT_TRUE(empty.complete);
    EXPECT_TRUE(empty.rows.empty());
}

struct KeepCase {
    const char* name;
    std::vector<uint32_t> members;
    std::vector<uint32_t> listed;
    bool complete;
    std::vector<uint32_t> kept;
    friend void PrintTo(const KeepCase& c, std::ostream* out) { *out << c.name; }
};

class KeepUnlistedTest : public ::testing::TestWithParam<KeepCase> { };

TEST_P(KeepUnlistedTest, KeepsOnlyWhatTheUserCouldNotSee)
{
    const KeepCase& c = GetParam();
    EXPECT_EQ(UnlistedMembersToKeep(c.members, c.listed, c.complete), c.kept);
}

INSTANTIATE_TEST_SUITE_P(Listings, KeepUnlistedTest,
    ::testing::Values(
        KeepCase {"WholeListingDropsDeletedContacts", {5, 99, 3}, {3, 4, 5}, true, {}},
        KeepCase {"FailedListingKeepsTheUnlistedInTheirOrder", {99, 5, 77, 3}, {3, 4, 5}, false,
            {99, 77}},
        KeepCase {"NoSessionKeepsEveryMember", {8, 2}, {}, false, {8, 2}},
        KeepCase {"EmptyAddressBookKeepsEveryMember", {8, 2}, {}, true, {8, 2}},
        KeepCase {"GroupWithoutMembersKeepsNothing", {}, {}, false, {}}),
    [](const ::testing::TestParamInfo<KeepCase>& info) { return std::string(info.param.name); });
