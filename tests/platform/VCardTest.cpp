#include "platform/contacts/VCardAddressBook.h"
#include "platform/contacts/VCardParser.h"
#include "tests/LogicTestSupport.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace pelmora;

namespace {

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

const char kVersion21[] = "BEGIN:VCARD\r\n"
                          "VERSION:2.1\r\n"
                          "N:Trellowayne;Quilby;A.;Mrs.;III\r\n"
                          "TEL;CELL:+447700900001\r\n"
                          "TEL;WORK;VOICE:020 7946 0001\r\n"
                          "TEL;WORK:020 7946 0002\r\n"
                          "TEL;HOME;FAX:020 7946 0003\r\n"
                          "TEL:0800 123\r\n"
                          "UID:card-21\r\n"
                          "END:VCARD\r\n";

const char kVersion30[] = "BEGIN:VCARD\n"
                          "VERSION:3.0\n"
                          "N:Smith;Jo;;;\n"
                          "FN:Jo Smith\n"
                          "TEL;TYPE=HOME,VOICE:01632 960001\n"
                          "TEL;TYPE=home:01632 960002\n"
                          "TEL;TYPE=pager:01632 960003\n"
                          "TEL;TYPE=car:01632 960004\n"
                          "TEL;TYPE=fax:01632 960005\n"
                          "UID:card-30\n"
                          "END:VCARD\n";

const char kVersion40[] = "BEGIN:VCARD\r\n"
                          "VERSION:4.0\r\n"
                          "N:Nguyen;;;;\r\n"
                          "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+44-7700-900123\r\n"
                          "TEL;VALUE=uri;TYPE=work:tel:+44-20-7946-0000;ext=12\r\n"
                          "TEL;VALUE=uri:tel:+1-555-0100\r\n"
                          "END:VCARD\r\n";

} // namespace

TEST(VCardParserTest, Version21BareTypesAndStructuredName)
{
    const auto cards = ParseVCards(kVersion21, "test");
    ASSERT_EQ(cards.size(), 1u);
    const ContactCard& c = cards[0].card;
    EXPECT_EQ(cards[0].uid, "card-21");
    EXPECT_EQ(c.title, u"Mrs.");
    EXPECT_EQ(c.firstName, u"Quilby");
    EXPECT_EQ(c.middleName, u"A.");
    EXPECT_EQ(c.lastName, u"Trellowayne");
    EXPECT_EQ(c.suffix, u"III");
    EXPECT_EQ(c.phones[Mobile], u"+447700900001");
    EXPECT_EQ(c.phones[Business], u"020 7946 0001");
    EXPECT_EQ(c.phones[Business2], u"020 7946 0002");
    EXPECT_EQ(c.phones[HomeFax], u"020 7946 0003");
    EXPECT_EQ(c.phones[Pager], u"0800 123") << "untyped: first free field in table order";
}

TEST(VCardParserTest, Version30TypeLists)
{
    const auto cards = ParseVCards(kVersion30, "test");
    ASSERT_EQ(cards.size(), 1u);
    const ContactCard& c = cards[0].card;
    EXPECT_EQ(c.firstName, u"Jo");
    EXPECT_EQ(c.lastName, u"Smith");
    EXPECT_EQ(c.phones[Home], u"01632 960001");
    EXPECT_EQ(c.phones[Home2], u"01632 960002");
    EXPECT_EQ(c.phones[Pager], u"01632 960003");
    EXPECT_EQ(c.phones[Car], u"01632 960004");
    EXPECT_EQ(c.phones[BusinessFax], u"01632 960005");
}

TEST(VCardParserTest, Version40QuotedTypesAndTelUris)
{
    const auto cards = ParseVCards(kVersion40, "test");
    ASSERT_EQ(cards.size(), 1u);
    const ContactCard& c = cards[0].card;
    EXPECT_EQ(c.lastName, u"Nguyen");
    EXPECT_EQ(c.phones[Mobile], u"+44-7700-900123");
    EXPECT_EQ(c.phones[Business], u"+44-20-7946-0000");
    EXPECT_EQ(c.phones[Pager], u"+1-555-0100");
    EXPECT_EQ(cards[0].uid.rfind("pelmora-content:", 0), 0u)
        << "no UID: one derived from the content";
    EXPECT_EQ(ParseVCards(kVersion40, "again")[0].uid, cards[0].uid);
}

TEST(VCardParserTest, NumbersBeyondTheTenFieldsAreDropped)
{
    std::string card = "BEGIN:VCARD\nVERSION:3.0\nN:Many;;;;\n";
    for (int i = 0; i < 12; ++i)
        card += "TEL:" + std::to_string(1000 + i) + "\n";
    card += "END:VCARD\n";
    const auto cards = ParseVCards(card, "test");
    ASSERT_EQ(cards.size(), 1u);
    for (size_t field = 0; field < kPhoneFieldCount; ++field)
        EXPECT_EQ(cards[0].card.phones[field],
            u"100" + std::u16string(1, static_cast<char16_t>(u'0' + field)));
}

TEST(VCardParserTest, BrokenCardsAreSkippedNotFatal)
{
    const std::string text = std::string(kVersion30)
        + "BEGIN:VCARD\nVERSION:3.0\nN:Bad\xff\xfe;;;;\nEND:VCARD\n" + "garbage between cards\n"
        + kVersion21 + "BEGIN:VCARD\nVERSION:3.0\nN:Cut;;;;\n";
    const auto cards = ParseVCards(text, "test");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].uid, "card-30");
    EXPECT_EQ(cards[1].uid, "card-21");
    EXPECT_TRUE(ParseVCards("", "empty").empty());
}

TEST(ContactIdsTest, StableNonZeroAndUniqueUnderCollision)
{
    // These two UIDs have the same 32-bit hash.
    ASSERT_EQ(ContactIdOfUid("uid-522789"), ContactIdOfUid("uid-739192"));
    std::vector<std::string> uids = {"uid-739192", "x", "uid-522789"};
    std::vector<ContactCard> cards(3);
    AssignContactIds(uids, cards);
    EXPECT_NE(cards[0].oid, cards[2].oid);
    EXPECT_NE(cards[0].oid, 0u);
    EXPECT_EQ(cards[2].oid, ContactIdOfUid("uid-522789")) << "the smaller UID keeps the hash";
    // The same UIDs in another order get the same identifiers.
    std::vector<std::string> swapped = {"uid-522789", "uid-739192", "x"};
    std::vector<ContactCard> again(3);
    AssignContactIds(swapped, again);
    EXPECT_EQ(again[0].oid, cards[2].oid);
    EXPECT_EQ(again[1].oid, cards[0].oid);
    EXPECT_EQ(again[2].oid, cards[1].oid);
}

TEST(VCardAddressBookTest, FolderOfFilesInNameOrderAndCachedUntilChanged)
{
    test::ScratchDir dir;
    WriteText(dir.Path() / "b.vcf", kVersion21);
    WriteText(dir.Path() / "a.VCF", kVersion30);
    WriteText(dir.Path() / "notes.txt", kVersion40);
    VCardAddressBook book(dir.Path());
    auto folder = book.Current();
    ASSERT_EQ(folder->Cards().size(), 2u);
    EXPECT_EQ(folder->Cards()[0].lastName, u"Smith");
    EXPECT_EQ(folder->Cards()[1].lastName, u"Trellowayne");
    const uint32_t smithId = folder->Cards()[0].oid;
    EXPECT_EQ(book.Current(), folder);
    EXPECT_EQ(book.Reads(), 1) << "an unchanged source is not read again";

    // An edit (new size) is read again; identifiers stay.
    WriteText(dir.Path() / "c.vcf", kVersion40);
    auto changed = book.Current();
    EXPECT_EQ(book.Reads(), 2);
    ASSERT_EQ(changed->Cards().size(), 3u);
    EXPECT_EQ(changed->Cards()[0].oid, smithId);
    EXPECT_EQ(changed->Cards()[0].oid, ContactIdOfUid("card-30"));
}

TEST(VCardAddressBookTest, MissingSourceIsAnEmptyBook)
{
    VCardAddressBook book("/nonexistent/contacts.vcf");
    EXPECT_TRUE(book.Current()->Cards().empty());
}
