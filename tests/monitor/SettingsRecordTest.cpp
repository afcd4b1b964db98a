#include "settings/SettingsRecord.h"
#include "platform/storage/DataFile.h"
#include "tests/LogicTestSupport.h"

#include <gtest/gtest.h>

using namespace pelmora;
namespace off = pelmora::settings_offset;

namespace {

int32_t I32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16
        | static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

std::u16string TextAt(const std::vector<uint8_t>& bytes, size_t offset, size_t units)
{
    std::u16string text;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit
            = static_cast<char16_t>(bytes[offset + 2 * i] | bytes[offset + 2 * i + 1] << 8);
        if (!unit)
            break;
        text.push_back(unit);
    }
    return text;
}

} // namespace

TEST(SettingsRecordTest, DefaultRecordBytes)
{
    const std::vector<uint8_t> bytes = SettingsRecord().Encode();
    ASSERT_EQ(bytes.size(), 1900u);
    EXPECT_EQ(I32At(bytes, off::version), 1);
    EXPECT_EQ(I32At(bytes, off::maxTotal), 20);
    EXPECT_EQ(TextAt(bytes, off::replacement + 102, 51), u"Friend");
    EXPECT_EQ(bytes[off::replacement + 102], 'F');
    EXPECT_EQ(bytes[off::replacement + 103], 0);
    EXPECT_EQ(I32At(bytes, off::excludeInternational), 1);
    EXPECT_EQ(I32At(bytes, off::clearLogEachStart), 1);
    EXPECT_EQ(I32At(bytes, off::removeSpaceAfterEmpty), 1);
    // Everything else is zero, the reserved bytes included.
    std::vector<uint8_t> expected(1900, 0);
    expected[off::version] = 1;
    expected[off::maxTotal] = 20;
    const std::u16string friendText = u"Friend";
    for (size_t i = 0; i < friendText.size(); ++i)
        expected[off::replacement + 102 + 2 * i] = static_cast<uint8_t>(friendText[i]);
    expected[off::excludeInternational] = 1;
    expected[off::clearLogEachStart] = 1;
    expected[off::removeSpaceAfterEmpty] = 1;
    EXPECT_EQ(bytes, expected);
}

namespace {

void PutI32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)]
            = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

void PutText(std::vector<uint8_t>& bytes, size_t offset, std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[offset + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
        bytes[offset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
}

// Every field with a value no other field has, so two swapped fields show.
struct IntField {
    int32_t SettingsRecord::*member;
    size_t offset;
    int32_t value;
};
const IntField kIntFields[] = {
    {&SettingsRecord::maxPerCallerIndex, off::maxPerCallerIndex, 3},
    {&SettingsRecord::maxTotal, off::maxTotal, 1001},
    {&SettingsRecord::includeMode, off::includeMode, 1002},
    {&SettingsRecord::excludeInternational, off::excludeInternational, 1003},
    {&SettingsRecord::excludeUnidentified, off::excludeUnidentified, 1004},
    {&SettingsRecord::excludeStartingWith, off::excludeStartingWith, 1005},
    {&SettingsRecord::clearLogEachStart, off::clearLogEachStart, 1006},
    {&SettingsRecord::removeSpaceAfterEmpty, off::removeSpaceAfterEmpty, 1007},
    {&SettingsRecord::ringsBeforeSendIndex, off::ringsBeforeSendIndex, 1008},
    {&SettingsRecord::logMaxAgeIndex, off::logMaxAgeIndex, 1009},
    {&SettingsRecord::hangupIndex, off::hangupIndex, 1010},
    {&SettingsRecord::activeProfileId, off::activeProfileId, -1011},
    {&SettingsRecord::interactive, off::interactive, 1012},
};
const std::u16string kReplacements[6]
    = {u"r0 title", u"r1 first", u"r2 middle", u"r3 last", u"r4 suffix", u"r5 full"};

} // namespace

TEST(SettingsRecordTest, EveryFieldHasItsOwnPlace)
{
    // The image built by hand, offset by offset.
    std::vector<uint8_t> image(1900, 0);
    PutI32(image, off::version, 1);
    for (const IntField& field : kIntFields)
        PutI32(image, field.offset, field.value);
    for (size_t i = 0; i < 6; ++i)
        PutText(image, off::replacement + 102 * i, kReplacements[i]);
    PutText(image, off::includePrefixes, u"include;07");
    PutText(image, off::excludePrefixes, u"exclude;0900");
    PutText(image, off::internationalPrefix, u"+44");

    SettingsRecord record;
    for (const IntField& field : kIntFields)
        record.*field.member = field.value;
    for (size_t i = 0; i < 6; ++i)
        record.replacement[i].Assign(kReplacements[i]);
    record.includePrefixes.Assign(u"include;07");
    record.excludePrefixes.Assign(u"exclude;0900");
    record.internationalPrefix.Assign(u"+44");
    EXPECT_EQ(record.Encode(), image);

    const auto decoded = SettingsRecord::Decode(image);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->version, 1);
    for (const IntField& field : kIntFields)
        EXPECT_EQ((*decoded).*field.member, field.value) << "field at " << field.offset;
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(decoded->replacement[i].Text(), kReplacements[i]) << i;
    EXPECT_EQ(decoded->includePrefixes.Text(), u"include;07");
    EXPECT_EQ(decoded->excludePrefixes.Text(), u"exclude;0900");
    EXPECT_EQ(decoded->internationalPrefix.Text(), u"+44");
    EXPECT_EQ(*decoded, record);

    // And through the file.
    test::ScratchDir dir;
    ASSERT_TRUE(SaveSettings(dir.Path(), record));
    EXPECT_EQ(test::ReadAll(dir.Path() / kSettingsFileName), image);
    SettingsRecord loaded;
    EXPECT_TRUE(LoadSettings(dir.Path(), loaded).applied);
    EXPECT_EQ(loaded, record);
}

TEST(SettingsRecordTest, TextLeftAfterATerminatorSurvivesLoadAndSave)
{
    test::ScratchDir dir;
    auto bytes = SettingsRecord().Encode();
    // "Friend" shortened in place to "Fr": the old tail stays after the zero.
    bytes[off::replacement + 102 + 4] = 0;
    bytes[off::replacement + 102 + 5] = 0;
    // Reserved bytes are ignored on reading and written as zero.
    bytes[1230] = 0x55;
    test::WriteAll(dir.Path() / kSettingsFileName, bytes);
    SettingsRecord record;
    LoadSettings(dir.Path(), record);
    EXPECT_EQ(record.replacement[1].Text(), u"Fr");
    ASSERT_TRUE(SaveSettings(dir.Path(), record));
    auto saved = test::ReadAll(dir.Path() / kSettingsFileName);
    bytes[1230] = 0;
    EXPECT_EQ(saved, bytes);
}

struct FileCase {
    const char* name;
    size_t size;
    int32_t version;
    bool accepted;
};

class SettingsFileCase : public ::testing::TestWithParam<FileCase> { };

TEST_P(SettingsFileCase, LoadsOnlyAFullRecordOfTheRightVersion)
{
    const FileCase& c = GetParam();
    test::ScratchDir dir;
    SettingsRecord stored;
    stored.version = c.version;
    stored.maxTotal = 55;
    stored.replacement[5].Assign(u"Kept");
    auto bytes = stored.Encode();
    bytes.resize(c.size, 0xEE);
    test::WriteAll(dir.Path() / kSettingsFileName, bytes);

    SettingsRecord record;
    LoadSettings(dir.Path(), record);
    if (c.accepted) {
        EXPECT_EQ(record.maxTotal, 55);
        EXPECT_EQ(record.replacement[5].Text(), u"Kept");
    } else {
        EXPECT_EQ(record, SettingsRecord());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileCase,
    ::testing::Values(FileCase {"exact", 1900, 1, true}, FileCase {"longer", 2000, 1, true},
        FileCase {"oneShort", 1899, 1, false}, FileCase {"empty", 0, 1, false},
        FileCase {"wrongVersion", 1900, 2, false}, FileCase {"zeroVersion", 1900, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsRecordTest, MissingFileKeepsDefaults)
{
    test::ScratchDir dir;
    SettingsRecord record;
    record.maxTotal = 3;
    LoadSettings(dir.Path(), record);
    EXPECT_EQ(record.maxTotal, 3);
}

TEST(SettingsRecordTest, InterruptedSaveKeepsThePreviousFile)
{
    test::ScratchDir dir;
    SettingsRecord first;
    first.maxTotal = 11;
    ASSERT_TRUE(SaveSettings(dir.Path(), first));
    const auto before = test::ReadAll(dir.Path() / kSettingsFileName);

    SettingsRecord second;
    second.maxTotal = 99;
    FailNextWriteAfter(950);
    EXPECT_FALSE(SaveSettings(dir.Path(), second));
    EXPECT_EQ(test::ReadAll(dir.Path() / kSettingsFileName), before);
    SettingsRecord loaded;
    LoadSettings(dir.Path(), loaded);
    EXPECT_EQ(loaded.maxTotal, 11);
}
