#include "messages/ContactsSession.h"
#include "platform/contacts/AddressBook.h"
#include "platform/contacts/VCardAddressBook.h"
#include "tests/TestSupport.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace pelmora;

namespace {

ContactCard Card(uint32_t oid, std::u16string first, std::u16string last,
    std::initializer_list<std::pair<PhoneField, std::u16string>> phones)
{
    ContactCard card;
    card.oid = oid;
    card.firstName = std::move(first);
    card.lastName = std::move(last);
    for (const auto& [field, number] : phones)
        card.phones[field] = number;
    return card;
}

class ContactsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAddressBook(&book);
        book.Add(Card(101, u"Ann", u"Exact", {{Home, u"0201234567"}}));
        book.Add(Card(102, u"Bob", u"Intl", {{Business, u"+44201234999"}}));
        ContactCard formatted = Card(103, u"Cy", u"Spaced", {{Car, u"+44 (20) 555-0100"}});
        formatted.title = u"Dr.";
        formatted.middleName = u"Q";
        formatted.suffix = u"Jr";
        book.Add(formatted);
        book.Add(Card(104, u"", u"", {{Pager, u"0800"}}));
        book.Add(Card(105, u"First", u"Sharer", {{BusinessFax, u"07 700"}, {Mobile, u"06"}}));
        book.Add(Card(106, u"Second", u"Sharer", {{Mobile, u"07700"}}));
        ASSERT_TRUE(session.Logon());
    }
    void TearDown() override
    {
        session.Logoff();
        SetAddressBook(nullptr);
        EXPECT_EQ(poom::OutstandingStrings(), 0) << "every string handed out was freed";
    }
    SimulatedAddressBook book;
    CContactsSession session;
};

} // namespace

TEST_F(ContactsTest, StageOneFindsTheNumberAsReported)
{
    const ContactNameParts parts = IdentifyCaller(session, u"0201234567", u"+44");
    EXPECT_EQ(parts.contactId, 101u);
    EXPECT_EQ(parts.firstName, u"Ann");
    EXPECT_EQ(parts.lastName, u"Exact");
}

TEST_F(ContactsTest, StageTwoDropsEveryLeadingZeroBehindThePrefix)
{
    EXPECT_EQ(IdentifyCaller(session, u"0201234999", u"+44").contactId, 102u);
    EXPECT_EQ(IdentifyCaller(session, u"000201234999", u"+44").contactId, 102u);
    EXPECT_EQ(IdentifyCaller(session, u"0201234999", u"").contactId, 0u) << "no prefix, no match";
    // Without a prefix stage 2 searches the bare national number.
    book.Add(Card(107, u"Nat", u"", {{Home2, u"5551234"}}));
    EXPECT_EQ(IdentifyCaller(session, u"005551234", u"").contactId, 107u);
}

TEST_F(ContactsTest, StageTwoComesBeforeTheScan)
{
    // The formatted card comes first in the folder, so a scan in place of
    // stage 2 would pick it.
    book.Add(Card(110, u"Early", u"Formatted", {{Home, u"+44 20 7946 0555"}}));
    book.Add(Card(111, u"Later", u"Exact", {{Mobile, u"+442079460555"}}));
    EXPECT_EQ(IdentifyCaller(session, u"02079460555", u"+44").contactId, 111u);
    EXPECT_EQ(IdentifyCaller(session, u"020 7946 0555", u"+44").contactId, 110u)
        << "stage 2 forms \"+4420 7946 0555\", which only the scan matches";
}

TEST_F(ContactsTest, EveryPhoneFieldIsSearchedExactly)
{
    for (size_t field = 0; field < kPhoneFieldCount; ++field) {
        SCOPED_TRACE(::testing::Message() << "phone field " << field);
        const auto here = static_cast<PhoneField>(field);
        const auto other = static_cast<PhoneField>((field + 1) % kPhoneFieldCount);
        book.Clear();
        // Earlier cards hold the numbers formatted, so only an exact search
        // of `here` finds the later ones.
        book.Add(Card(201, u"Formatted", u"National", {{other, u"020 7946 0100"}}));
        book.Add(Card(202, u"Formatted", u"International", {{other, u"+44 20 7946 0200"}}));
        book.Add(Card(203, u"Exact", u"National", {{here, u"02079460100"}}));
        book.Add(Card(204, u"Exact", u"International", {{here, u"+442079460200"}}));
        ContactNameParts parts;
        ASSERT_TRUE(session.FindContactByNumber(u"02079460100", parts));
        EXPECT_EQ(parts.contactId, 203u);
        EXPECT_EQ(IdentifyCaller(session, u"02079460100", u"+44").contactId, 203u) << "stage 1";
        EXPECT_EQ(IdentifyCaller(session, u"02079460200", u"+44").contactId, 204u) << "stage 2";
        EXPECT_EQ(IdentifyCaller(session, u"(020) 7946-0100", u"+44").contactId, 201u) << "stage 3";
    }
}

TEST_F(ContactsTest, QueriesSeeTheAddressBookAsItIsNow)
{
    // Logged on in SetUp; the address book changes while the session runs.
    EXPECT_EQ(IdentifyCaller(session, u"01632960999", u"+44").contactId, 0u);
    book.Add(Card(120, u"New", u"Comer", {{Home, u"01632960999"}}));
    EXPECT_EQ(IdentifyCaller(session, u"01632960999", u"+44").contactId, 120u);
    EXPECT_EQ(session.GetContactCount(), 7);
    std::u16string name;
    EXPECT_TRUE(session.GetContactFullName(120, name));
    EXPECT_EQ(name, u"New Comer");
    std::u16string title, first, last;
    uint32_t id = 0;
    ASSERT_TRUE(session.GetContactAt(7, title, first, last, id));
    EXPECT_EQ(id, 120u);

    ASSERT_TRUE(book.Remove(101));
    EXPECT_EQ(IdentifyCaller(session, u"0201234567", u"+44").contactId, 0u);
    EXPECT_EQ(session.GetContactCount(), 6);
    EXPECT_FALSE(session.GetContactFullName(101, name));
    ASSERT_TRUE(session.GetContactAt(1, title, first, last, id));
    EXPECT_EQ(id, 102u);
}

TEST_F(ContactsTest, StageThreeIgnoresFormattingCharacters)
{
    ContactNameParts parts = IdentifyCaller(session, u"+4420555-0100", u"");
    EXPECT_EQ(parts.contactId, 103u);
    EXPECT_EQ(parts.title, u"Dr.");
    EXPECT_EQ(parts.middleName, u"Q");
    EXPECT_EQ(parts.suffix, u"Jr");
    EXPECT_EQ(ComposeFullName(parts), u"Dr. Cy Q Spaced Jr");
    // National form with the prefix: stage 3 compares the stripped field
    // with the stage-2 form too.
    EXPECT_EQ(IdentifyCaller(session, u"020 555 0100", u"+44").contactId, 103u);
    // A stored number that merely ends with the caller's does not match.
    EXPECT_EQ(IdentifyCaller(session, u"5550100", u"").contactId, 0u);
}

TEST_F(ContactsTest, PlusNumberGetsThePrefixInFront)
{
    // Stage 2 would search "+44+44201234999"; only stage 1 can match.
    EXPECT_EQ(IdentifyCaller(session, u"+44201234999", u"+44").contactId, 102u);
    EXPECT_EQ(IdentifyCaller(session, u"+44 20 1234999", u"+44").contactId, 102u) << "stage 3";
}

TEST_F(ContactsTest, FirstContactInFolderOrderWinsASharedNumber)
{
    // "07700" is 105's business fax once stripped and 106's mobile exactly.
    EXPECT_EQ(IdentifyCaller(session, u"07700", u"").contactId, 106u)
        << "stage 1 searches exact text";
    EXPECT_EQ(IdentifyCaller(session, u"07-700", u"").contactId, 105u)
        << "stage 3 walks in folder order";
}

TEST_F(ContactsTest, ContactWithoutNamesStillHasItsIdentifier)
{
    const ContactNameParts parts = IdentifyCaller(session, u"0800", u"");
    EXPECT_EQ(parts.contactId, 104u);
    EXPECT_TRUE(parts.firstName.empty());
    EXPECT_TRUE(parts.lastName.empty());
    EXPECT_EQ(ComposeFullName(parts), u"");
}

TEST_F(ContactsTest, NumberOfZerosMatchesNoEmptyField)
{
    EXPECT_EQ(IdentifyCaller(session, u"000", u"").contactId, 0u);
    EXPECT_EQ(IdentifyCaller(session, u"0", u"").contactId, 0u);
}

TEST_F(ContactsTest, LoggedOffSessionFindsNothing)
{
    session.Logoff();
    ContactNameParts parts;
    EXPECT_FALSE(session.FindContactByNumber(u"0201234567", parts));
    EXPECT_EQ(IdentifyCaller(session, u"0201234567", u"").contactId, 0u);
    EXPECT_EQ(session.GetContactCount(), -1);
    std::u16string name = u"stale";
    EXPECT_FALSE(session.GetContactFullName(101, name));
    EXPECT_EQ(name, u"");
    std::u16string t, f, l;
    uint32_t id = 0;
    EXPECT_FALSE(session.GetContactAt(1, t, f, l, id));
    session.Logoff(); // does nothing
    EXPECT_TRUE(session.Logon());
    EXPECT_FALSE(session.Logon()) << "already logged on";
}

TEST_F(ContactsTest, EnumerationAndFullNames)
{
    ASSERT_EQ(session.GetContactCount(), 6);
    std::u16string title, first, last;
    uint32_t id = 0;
    ASSERT_TRUE(session.GetContactAt(3, title, first, last, id));
    EXPECT_EQ(title, u"Dr.");
    EXPECT_EQ(first, u"Cy");
    EXPECT_EQ(id, 103u);
    EXPECT_FALSE(session.GetContactAt(7, title, first, last, id));
    std::u16string name;
    EXPECT_TRUE(session.GetContactFullName(102, name));
    EXPECT_EQ(name, u"Bob Intl");
    EXPECT_FALSE(session.GetContactFullName(999, name)) << "a vanished contact";
    EXPECT_EQ(name, u"");
}

TEST_F(ContactsTest, RestrictionTextIsTenExactClauses)
{
    poom::IFolder* folder = nullptr;
    ASSERT_EQ(session.application->GetDefaultFolder(10, &folder), poom::S_OK);
    poom::IPOutlookItemCollection* items = nullptr;
    ASSERT_EQ(folder->get_Items(&items), poom::S_OK);
    poom::IContact* item = nullptr;
    EXPECT_EQ(items->Find(u"[CarTelephoneNumber] = \"+44 (20) 555-0100\"", &item), poom::S_OK);
    ASSERT_NE(item, nullptr);
    item->Release();
    EXPECT_EQ(items->Find(u"[Nonsense] = \"1\"", &item), poom::E_INVALIDARG);
    EXPECT_EQ(items->Find(u"[PagerNumber] = \"0800\" OR [MobileTelephoneNumber] = \"06\"", &item),
        poom::S_OK);
    ASSERT_NE(item, nullptr);
    int32_t oid = 0;
    item->get_Oid(&oid);
    EXPECT_EQ(oid, 104) << "the first card in folder order that any clause matches";
    item->Release();
    items->Release();
    folder->Release();
}

TEST_F(ContactsTest, FailedLogonLeavesTheSessionLoggedOff)
{
    CContactsSession other;
    poom::FailContactsCall(poom::E_FAIL, poom::S_OK);
    EXPECT_FALSE(other.Logon());
    poom::FailContactsCall(poom::S_OK, poom::E_FAIL);
    EXPECT_FALSE(other.Logon());
    EXPECT_FALSE(other.IsLoggedOn());
    EXPECT_EQ(other.application, nullptr);
    poom::FailContactsCall(poom::S_OK, poom::S_OK);
    EXPECT_TRUE(other.Logon());
}

TEST(PhoneFormatting, StripsOnlyParenthesesSpacesAndDashes)
{
    std::u16string number = u" +44 (0)20-7946.0018/9 x ";
    StripPhoneFormatting(number);
    EXPECT_EQ(number,
        u"+44020794"
        u"6.0018/9x");
}

TEST(ContactsVCardTest, CardAddedToTheFileWhileLoggedOnIsFoundByTheNextLookup)
{
    test::ScratchDir dir;
    const auto file = dir.Path() / "contacts.vcf";
    auto append = [&](const std::string& uid, const std::string& number) {
        std::ofstream(file, std::ios::binary | std::ios::app)
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" << uid << ";Pat;;;\r\nUID:" << uid
            << "\r\nTEL;TYPE=cell:" << number << "\r\nEND:VCARD\r\n";
    };
    append("first", "01632960001");
    VCardAddressBook book(file);
    SetAddressBook(&book);
    CContactsSession session;
    ASSERT_TRUE(session.Logon());
    EXPECT_EQ(IdentifyCaller(session, u"01632960001", u"").contactId, ContactIdOfUid("first"));
    EXPECT_EQ(IdentifyCaller(session, u"01632960002", u"").contactId, 0u);

    append("second", "01632960002");
    const ContactNameParts found = IdentifyCaller(session, u"01632960002", u"");
    EXPECT_EQ(found.contactId, ContactIdOfUid("second"));
    EXPECT_EQ(found.lastName, u"second");
    EXPECT_EQ(session.GetContactCount(), 2);
    std::u16string name;
    EXPECT_TRUE(session.GetContactFullName(ContactIdOfUid("second"), name));
    EXPECT_EQ(name, u"Pat second");

    const int reads = book.Reads();
    for (int i = 0; i < 50; ++i)
        IdentifyCaller(session, u"0999", u"+44");
    EXPECT_EQ(book.Reads(), reads) << "an unchanged file is not read again";
    session.Logoff();
    SetAddressBook(nullptr);
}
