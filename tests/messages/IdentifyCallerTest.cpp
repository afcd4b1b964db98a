#include "messages/ContactsSession.h"
#include "platform/contacts/AddressBook.h"
#include "tests/RandomContacts.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

// The three stages written as plain walks over the cards: the position of
// the contact that should be identified, or -1.
int64_t WalkedLookup(
    const std::vector<ContactCard>& cards, std::u16string_view number, std::u16string_view prefix)
{
    if (const int64_t found = test::ScanExact(cards, number); found >= 0)
        return found;
    std::u16string_view national = number;
    while (!national.empty() && national.front() == u'0')
        national.remove_prefix(1);
    const std::u16string international = std::u16string(prefix) + std::u16string(national);
    if (const int64_t found = test::ScanExact(cards, international); found >= 0)
        return found;
    if (const int64_t found = test::ScanUnformatted(cards, std::u16string(number), international);
        found >= 0)
        return found;
    const std::u16string_view home = HomeNationalNumber(number, prefix);
    return home.empty() ? -1 : test::ScanNational(cards, std::u16string(home));
}

LookupStage ExpectedStage(
    const std::vector<ContactCard>& cards, std::u16string_view number, std::u16string_view prefix)
{
    if (test::ScanExact(cards, number) >= 0)
        return LookupStage::AsDelivered;
    std::u16string_view national = number;
    while (!national.empty() && national.front() == u'0')
        national.remove_prefix(1);
    const std::u16string international = std::u16string(prefix) + std::u16string(national);
    if (test::ScanExact(cards, international) >= 0)
        return LookupStage::WithPrefix;
    if (test::ScanUnformatted(cards, std::u16string(number), international) >= 0)
        return LookupStage::Scan;
    const std::u16string_view home = HomeNationalNumber(number, prefix);
    if (!home.empty() && test::ScanNational(cards, std::u16string(home)) >= 0)
        return LookupStage::National;
    return LookupStage::NotFound;
}

} // namespace

TEST(IdentifyCallerTest, IndexedLookupIdentifiesWhomAWalkWould)
{
    SimulatedAddressBook book;
    SetAddressBook(&book);
    CContactsSession session;
    ASSERT_TRUE(session.Logon());
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        test::RandomContacts random(seed * 7919);
        const std::vector<ContactCard> cards = random.Book(40);
        book.Clear();
        for (const ContactCard& card : cards)
            book.Add(card);
        for (int call = 0; call < 30; ++call) {
            const std::u16string prefix = random.Prefix();
            const std::u16string number = random.CallingNumber(cards, prefix);
            const int64_t expected = WalkedLookup(cards, number, prefix);
            const ContactNameParts parts = IdentifyCaller(session, number, prefix);
            const bool same = expected < 0
                ? parts == ContactNameParts {}
                : parts.contactId == cards[static_cast<size_t>(expected)].oid
                    && parts.firstName == cards[static_cast<size_t>(expected)].firstName
                    && parts.lastName == cards[static_cast<size_t>(expected)].lastName;
            ASSERT_TRUE(same) << "seed " << seed << ", call " << call;

            // The staged lookup finds the same caller and names the stage a walk would.
            const IdentifiedCaller staged = IdentifyCallerStage(session, number, prefix);
            ASSERT_EQ(staged.parts, parts);
            ASSERT_EQ(staged.stage, ExpectedStage(cards, number, prefix))
                << "seed " << seed << ", call " << call;

            // Each stage on its own, too.
            ContactNameParts found;
            const int64_t exact = test::ScanExact(cards, number);
            ASSERT_EQ(session.FindContactByNumber(number, found), exact >= 0);
            ASSERT_EQ(found.contactId, exact >= 0 ? cards[static_cast<size_t>(exact)].oid : 0u);
            const std::u16string other = random.CallingNumber(cards, prefix);
            const int64_t unformatted = test::ScanUnformatted(cards, number, other);
            found = {};
            ASSERT_EQ(session.ScanContactsByNumber(number, other, found), unformatted >= 0);
            ASSERT_EQ(found.contactId,
                unformatted >= 0 ? cards[static_cast<size_t>(unformatted)].oid : 0u);
        }
    }
    session.Logoff();
    SetAddressBook(nullptr);
    EXPECT_EQ(poom::OutstandingStrings(), 0);
}

namespace {

struct NationalCase {
    const char* name;
    std::u16string_view stored;
    std::u16string_view calling;
    std::u16string_view prefix;
    LookupStage stage;
};

const NationalCase kNational[] = {
    {"SpacedNational", u"07700 900111", u"+447700900111", u"+44", LookupStage::National},
    {"ZeroInParentheses", u"(0)7700-900111", u"+447700900111", u"+44", LookupStage::National},
    {"NoTrunkZero", u"212 555 1234", u"+12125551234", u"+1", LookupStage::National},
    {"OtherCountry", u"07700 900111", u"+337700900111", u"+44", LookupStage::NotFound},
    {"EmptyPrefix", u"07700 900111", u"+447700900111", u"", LookupStage::NotFound},
    {"PrefixWithoutPlus", u"07700 900111", u"00447700900111", u"0044", LookupStage::NotFound},
    {"NationalFormAsBefore", u"07700 900111", u"07700900111", u"+44", LookupStage::Scan},
    {"EarlierStageFirst", u"+447700900111", u"+447700900111", u"+44", LookupStage::AsDelivered},
    {"TailIsNoMatch", u"0700900111", u"+447700900111", u"+44", LookupStage::NotFound},
};

class NationalLookup : public ::testing::TestWithParam<NationalCase> { };

INSTANTIATE_TEST_SUITE_P(Cases, NationalLookup, ::testing::ValuesIn(kNational),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_P(NationalLookup, FindsHomeCallersStoredNationally)
{
    const NationalCase& c = GetParam();
    SimulatedAddressBook book;
    ContactCard other;
    other.oid = 5;
    other.firstName = u"Other";
    other.phones[0] = u"01234 567890";
    ContactCard card;
    card.oid = 9;
    card.firstName = u"Ann";
    card.phones[3] = std::u16string(c.stored);
    book.Add(other);
    book.Add(card);
    SetAddressBook(&book);
    CContactsSession session;
    ASSERT_TRUE(session.Logon());
    const IdentifiedCaller caller = IdentifyCallerStage(session, c.calling, c.prefix);
    EXPECT_EQ(caller.stage, c.stage);
    EXPECT_EQ(caller.parts.contactId, c.stage == LookupStage::NotFound ? 0u : 9u);
    session.Logoff();
    SetAddressBook(nullptr);
}
