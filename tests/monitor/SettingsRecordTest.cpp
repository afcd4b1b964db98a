#include "monitor/SettingsRecord.h"
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

TEST(SettingsRecordTest, FieldsLandAtTheirOffsets)
{
    SettingsRecord record;
    record.maxPerCallerIndex = 4;
    record.replacement[5].Assign(u"Sir");
    record.includeMode = 1;
    record.includePrefixes.Assign(u"07;08");
    record.excludeUnidentified = 1;
    record.excludeStartingWith = 1;
    record.excludePrefixes.Assign(u"0900");
    record.ringsBeforeSendIndex = 3;
    record.logMaxAgeIndex = 48;
    record.internationalPrefix.Assign(u"+44");
    record.hangupIndex = 21;
    record.activeProfileId = -7;
    record.interactive = 1;
    const auto bytes = record.Encode();
    EXPECT_EQ(I32At(bytes, off::maxPerCallerIndex), 4);
    EXPECT_EQ(TextAt(bytes, off::replacement + 5 * 102, 51), u"Sir");
    EXPECT_EQ(I32At(bytes, off::includeMode), 1);
    EXPECT_EQ(TextAt(bytes, off::includePrefixes, 301), u"07;08");
    EXPECT_EQ(I32At(bytes, off::excludeUnidentified), 1);
    EXPECT_EQ(I32At(bytes, off::excludeStartingWith), 1);
    EXPECT_EQ(TextAt(bytes, off::excludePrefixes, 301), u"0900");
    EXPECT_EQ(I32At(bytes, off::ringsBeforeSendIndex), 3);
    EXPECT_EQ(I32At(bytes, off::logMaxAgeIndex), 48);
    EXPECT_EQ(TextAt(bytes, off::internationalPrefix, 11), u"+44");
    EXPECT_EQ(I32At(bytes, off::hangupIndex), 21);
    EXPECT_EQ(I32At(bytes, off::activeProfileId), -7);
    EXPECT_EQ(I32At(bytes, off::interactive), 1);

    auto decoded = SettingsRecord::Decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, record);
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
