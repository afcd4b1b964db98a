// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook/libebook.h>

#include "platform/contacts/EdsBook.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct ContactDeleter {
    void operator()(EContact* contact) const { g_object_unref(contact); }
};
using Contact = std::unique_ptr<EContact, ContactDeleter>;

Contact FromVCard(const char* text)
{
    return Contact(e_contact_new_from_vcard(text));
}

} // namespace

// Each of the server's own phone fields, set the way its editors set them,
// lands in the field of the same name, and nowhere else. A second home or
// business number needs the first one before it.
TEST(EdsContactTest, ServerPhoneFieldsGoToTheFieldsOfTheSameName)
{
    const struct {
        EContactField serverField;
        PhoneField field;
        EContactField before; // set first, or 0
        PhoneField beforeField;
    } rows[] = {
        {E_CONTACT_PHONE_MOBILE, Mobile, {}, {}},
        {E_CONTACT_PHONE_PAGER, Pager, {}, {}},
        {E_CONTACT_PHONE_BUSINESS, Business, {}, {}},
        {E_CONTACT_PHONE_HOME, Home, {}, {}},
        {E_CONTACT_PHONE_HOME_2, Home2, E_CONTACT_PHONE_HOME, Home},
        {E_CONTACT_PHONE_HOME_FAX, HomeFax, {}, {}},
        {E_CONTACT_PHONE_CAR, Car, {}, {}},
        {E_CONTACT_PHONE_BUSINESS_2, Business2, E_CONTACT_PHONE_BUSINESS, Business},
        {E_CONTACT_PHONE_RADIO, Radio, {}, {}},
        {E_CONTACT_PHONE_BUSINESS_FAX, BusinessFax, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(e_contact_field_name(row.serverField));
        Contact contact = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:one\r\nEND:VCARD\r\n");
        std::array<std::u16string, kPhoneFieldCount> expected;
        if (row.before) {
            e_contact_set(contact.get(), row.before, "0100");
            expected[row.beforeField] = u"0100";
        }
        e_contact_set(contact.get(), row.serverField, "0199");
        expected[row.field] = u"0199";
        std::string uid;
        EdsBook::Entry entry;
        ASSERT_TRUE(ReadEdsContact(contact.get(), uid, entry));
        EXPECT_EQ(uid, "one");
        EXPECT_EQ(entry.card.uid, "one");
        EXPECT_EQ(entry.card.card.phones, expected);
    }
}

// The server's other numbers go where a vCard file's would: a fax without
// home or work to the business fax, the rest to the free fields in table
// order.
TEST(EdsContactTest, OtherNumbersGoWhereAVCardFileWouldPutThem)
{
    Contact contact = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:others\r\nEND:VCARD\r\n");
    e_contact_set(contact.get(), E_CONTACT_PHONE_MOBILE, "07700 900001");
    e_contact_set(contact.get(), E_CONTACT_PHONE_OTHER, "0200 1");
    e_contact_set(contact.get(), E_CONTACT_PHONE_OTHER_FAX, "0200 2");
    e_contact_set(contact.get(), E_CONTACT_PHONE_ISDN, "0200 3");
    e_contact_set(contact.get(), E_CONTACT_PHONE_COMPANY, "0200 4");
    std::string uid;
    EdsBook::Entry entry;
    ASSERT_TRUE(ReadEdsContact(contact.get(), uid, entry));
    const auto& phones = entry.card.card.phones;
    EXPECT_EQ(phones[Mobile], u"07700 900001");
    EXPECT_EQ(phones[BusinessFax], u"0200 2");
    EXPECT_EQ(phones[Pager], u"0200 1");
    EXPECT_EQ(phones[Business], u"0200 3");
    EXPECT_EQ(phones[Home], u"0200 4");
}

// A radio number written by the server (X-EVOLUTION-RADIO) is a radio
// number here too, and two work numbers fill business and business 2 in
// the server's order even when a home number stands between them.
TEST(EdsContactTest, ServerTypesWinOverFreeFieldFilling)
{
    Contact contact = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:typed\r\n"
                                "N:Quill;Ada;Bea;Dr.;PhD\r\n"
                                "TEL;TYPE=X-EVOLUTION-RADIO:0300 1\r\n"
                                "TEL;TYPE=WORK,VOICE:0300 2\r\n"
                                "TEL;TYPE=HOME,VOICE:0300 3\r\n"
                                "TEL;TYPE=WORK,VOICE:0300 4\r\n"
                                "TEL;TYPE=HOME,FAX:0300 5\r\n"
                                "END:VCARD\r\n");
    std::string uid;
    EdsBook::Entry entry;
    ASSERT_TRUE(ReadEdsContact(contact.get(), uid, entry));
    const ContactCard& card = entry.card.card;
    EXPECT_EQ(card.title, u"Dr.");
    EXPECT_EQ(card.firstName, u"Ada");
    EXPECT_EQ(card.middleName, u"Bea");
    EXPECT_EQ(card.lastName, u"Quill");
    EXPECT_EQ(card.suffix, u"PhD");
    EXPECT_EQ(card.phones[Radio], u"0300 1");
    EXPECT_EQ(card.phones[Business], u"0300 2");
    EXPECT_EQ(card.phones[Home], u"0300 3");
    EXPECT_EQ(card.phones[Business2], u"0300 4");
    EXPECT_EQ(card.phones[HomeFax], u"0300 5");
    EXPECT_EQ(card.phones[Mobile], u"") << "nothing spilled into a free field";
}

// Two attributes with the same number: each is filed once.
TEST(EdsContactTest, RepeatedNumberFilledOncePerAttribute)
{
    Contact contact = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:twice\r\n"
                                "TEL;TYPE=VOICE:0400\r\n"
                                "TEL;TYPE=CELL:0400\r\n"
                                "END:VCARD\r\n");
    std::string uid;
    EdsBook::Entry entry;
    ASSERT_TRUE(ReadEdsContact(contact.get(), uid, entry));
    EXPECT_EQ(entry.card.card.phones[Mobile], u"0400");
    EXPECT_EQ(entry.card.card.phones[Pager], u"0400");
    EXPECT_EQ(entry.card.card.phones[Business], u"");
}

TEST(EdsContactTest, ListsAndContactsWithoutUidAreNotPeople)
{
    Contact list = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:list\r\nN:Team;;;;\r\n"
                             "X-EVOLUTION-LIST:TRUE\r\nEND:VCARD\r\n");
    Contact noUid = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nobody;;;;\r\n"
                              "TEL;TYPE=CELL:0500\r\nEND:VCARD\r\n");
    std::string uid;
    EdsBook::Entry entry;
    EXPECT_FALSE(ReadEdsContact(list.get(), uid, entry));
    EXPECT_FALSE(ReadEdsContact(noUid.get(), uid, entry));
}

// Contacts sort by their "file as" name, ignoring case.
TEST(EdsContactTest, SortKeyFollowsTheFileAsNameIgnoringCase)
{
    Contact lower = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:1\r\nN:;;;;\r\n"
                              "X-EVOLUTION-FILE-AS:adams\r\nEND:VCARD\r\n");
    Contact upper = FromVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:2\r\nN:;;;;\r\n"
                              "X-EVOLUTION-FILE-AS:Baker\r\nEND:VCARD\r\n");
    std::string uid;
    EdsBook::Entry a, b;
    ASSERT_TRUE(ReadEdsContact(lower.get(), uid, a));
    ASSERT_TRUE(ReadEdsContact(upper.get(), uid, b));
    EXPECT_LT(a.sortKey, b.sortKey);
}
