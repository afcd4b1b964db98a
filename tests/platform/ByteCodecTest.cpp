#include "platform/storage/ByteReader.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/FixedText.h"

#include <gtest/gtest.h>

using namespace pelmora;

TEST(ByteCodec, IntegersAreLittleEndianAndTextIsUtf16le)
{
    ByteWriter writer;
    writer.PutI32(-2);
    writer.PutU16(0x1234);
    writer.PutFixedText(u"Aé", 4);
    const std::vector<uint8_t> expected
        = {0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 'A', 0, 0xE9, 0, 0, 0, 0, 0};
    EXPECT_EQ(writer.Bytes(), expected);

    ByteReader reader(writer.Bytes());
    int32_t number = 0;
    uint16_t word = 0;
    std::u16string text;
    ASSERT_TRUE(reader.GetI32(number));
    ASSERT_TRUE(reader.GetU16(word));
    ASSERT_TRUE(reader.GetFixedText(4, text));
    EXPECT_EQ(number, -2);
    EXPECT_EQ(word, 0x1234);
    EXPECT_EQ(text, u"Aé");
    EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteCodec, FixedTextIsCutToKeepItsTerminator)
{
    ByteWriter writer;
    writer.PutFixedText(u"abcdef", 3);
    const std::vector<uint8_t> expected = {'a', 0, 'b', 0, 0, 0};
    EXPECT_EQ(writer.Bytes(), expected);
}

TEST(ByteCodec, ShortReadFailsWithoutMoving)
{
    const std::vector<uint8_t> bytes = {1, 2, 3};
    ByteReader reader(bytes);
    int32_t value = 77;
    EXPECT_FALSE(reader.GetI32(value));
    EXPECT_EQ(value, 77);
    EXPECT_EQ(reader.Position(), 0u);
    std::u16string text;
    EXPECT_FALSE(reader.GetFixedText(2, text));
}

TEST(FixedTextField, AssignKeepsUnitsAfterTheTerminator)
{
    FixedText<6> field;
    field.Assign(u"hello");
    field.Assign(u"hi");
    EXPECT_EQ(field.Text(), u"hi");
    EXPECT_EQ(field.units[3], u'l');
    field.Assign(u"much too long");
    EXPECT_EQ(field.Text(), u"much ");
    EXPECT_EQ(field.units[5], u'\0');
}

TEST(FixedTextField, CutsNeverSplitASurrogatePair)
{
    const std::u16string smile = u"ab\U0001F600"; // a, b, then a pair
    struct Case {
        size_t max;
        std::u16string_view kept;
    };
    for (const Case c : {Case {4, smile}, Case {3, u"ab"}, Case {2, u"ab"}, Case {0, u""}})
        EXPECT_EQ(CutWhole(smile, c.max), c.kept) << c.max;
    FixedText<4> field; // three characters and the terminator
    field.Assign(smile);
    EXPECT_EQ(field.Text(), u"ab");
}
