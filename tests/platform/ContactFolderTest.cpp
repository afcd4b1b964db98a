#include "platform/contacts/ContactFolder.h"
#include "tests/RandomContacts.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

ContactCard WithPhones(
    uint32_t oid, std::initializer_list<std::pair<PhoneField, std::u16string>> phones)
{
    ContactCard card;
    card.oid = oid;
    for (const auto& [field, number] : phones)
        card.phones[field] = number;
    return card;
}

constexpr uint32_t kAllFields = (1u << kPhoneFieldCount) - 1;

} // namespace

TEST(CardTableTest, KeepsEveryTextOfEveryCard)
{
    test::RandomContacts random(7);
    const std::vector<ContactCard> cards = random.Book(200);
    const ContactFolder folder(cards);
    ASSERT_EQ(folder.Size(), cards.size());
    for (size_t position = 0; position < cards.size(); ++position)
        EXPECT_EQ(folder.Cards().Card(position), cards[position]) << position;
    ContactCard named = WithPhones(9, {{BusinessFax, u"+44 1"}});
    named.title = u"Dr.";
    named.middleName = u"Ö";
    named.suffix = u"Jr";
    CardTable table;
    ASSERT_TRUE(table.Append(ContactCard {}));
    ASSERT_TRUE(table.Append(named));
    EXPECT_EQ(table.Card(0), ContactCard {});
    EXPECT_EQ(table.Card(1), named);
    EXPECT_EQ(table.TextOf(1, CardTable::MiddleName), u"Ö");
    EXPECT_EQ(table.Phone(1, BusinessFax), u"+44 1");
}

TEST(ContactFolderTest, IndexAnswersWhatAWalkAnswers)
{
    // Many made-up address books, each asked many numbers in both forms and
    // over random sets of fields.
    for (uint32_t seed = 1; seed <= 250; ++seed) {
        test::RandomContacts random(seed);
        const std::vector<ContactCard> cards = random.Book(seed % 25 == 0 ? 200 : 40);
        const ContactFolder folder(cards);
        for (int query = 0; query < 40; ++query) {
            const std::u16string prefix = random.Prefix();
            const std::u16string a = random.CallingNumber(cards, prefix);
            const std::u16string b = random.CallingNumber(cards, prefix);
            const auto fields = static_cast<uint32_t>(random.Below(1u << kPhoneFieldCount));
            const auto field = static_cast<PhoneField>(random.Below(kPhoneFieldCount));
            const bool same = folder.FirstWithAny(a, fields) == test::ScanExact(cards, a, fields)
                && folder.FirstWithAny(a, kAllFields) == test::ScanExact(cards, a)
                && folder.FirstWith(field, a) == test::ScanExact(cards, a, 1u << field)
                && folder.FirstUnformatted(a, b) == test::ScanUnformatted(cards, a, b);
            ASSERT_TRUE(same) << "seed " << seed << ", query " << query;
        }
    }
}

TEST(ContactFolderTest, NumbersThatHashAlikeStayApart)
{
    // These two numbers have the same hash, in both forms.
    const std::u16string first = u"40189", second = u"797186";
    ASSERT_NE(first, second);
    for (auto form : {PhoneNumberIndex::Form::Exact, PhoneNumberIndex::Form::Unformatted})
        ASSERT_EQ(PhoneNumberIndex::Hash(first, form), PhoneNumberIndex::Hash(second, form));
    // Interleaved over many cards and fields, so that the slots of each
    // number must be kept apart and in order.
    std::vector<ContactCard> cards;
    for (uint32_t i = 0; i < 60; ++i) {
        const auto field = static_cast<PhoneField>((i * 7) % kPhoneFieldCount);
        cards.push_back(WithPhones(100 + i, {{field, i % 3 == 0 ? first : second}}));
    }
    cards.push_back(WithPhones(200, {{Radio, u"(" + first + u")"}}));
    const ContactFolder folder(cards);
    for (const std::u16string& number : {first, second, u"(" + first + u")"}) {
        for (size_t field = 0; field < kPhoneFieldCount; ++field)
            EXPECT_EQ(folder.FirstWith(static_cast<PhoneField>(field), number),
                test::ScanExact(cards, number, 1u << field));
        EXPECT_EQ(folder.FirstUnformatted(u"", number), test::ScanUnformatted(cards, u"", number));
    }
}

TEST(ContactFolderTest, EmptyFieldsAndFormattingAloneMatchNothing)
{
    const ContactFolder folder(
        {WithPhones(1, {{Mobile, u"- -"}, {Pager, u""}}), WithPhones(2, {{Home, u"0"}})});
    EXPECT_EQ(folder.FirstWithAny(u"", ~0u), -1);
    EXPECT_EQ(folder.FirstWith(Mobile, u"- -"), 0) << "the exact text still matches exactly";
    EXPECT_EQ(folder.FirstUnformatted(u"--", u""), -1);
    EXPECT_EQ(folder.FirstUnformatted(u"", u"(0)"), 1);
    EXPECT_EQ(folder.FirstWith(static_cast<PhoneField>(kPhoneFieldCount), u"0"), -1);
    const ContactFolder none(std::vector<ContactCard> {});
    EXPECT_EQ(none.FirstWithAny(u"0", ~0u), -1);
    EXPECT_EQ(none.FirstUnformatted(u"0", u"1"), -1);
}
