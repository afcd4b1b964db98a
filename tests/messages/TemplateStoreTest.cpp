#include "messages/TemplateStore.h"
#include "tests/LogicTestSupport.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class TemplateStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ResetTemplateStore(); }
    void TearDown() override
    {
        ResetTemplateStore();
        SetTemplateForgetter(nullptr);
    }

    std::filesystem::path File() const { return dir.Path() / kTemplatesFileName; }

    // One 368-byte record as the file holds it.
    static std::vector<uint8_t> Record(
        int32_t id, std::u16string_view name, std::u16string_view text)
    {
        std::vector<uint8_t> bytes(368, 0);
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<size_t>(i)]
                = static_cast<uint8_t>(static_cast<uint32_t>(id) >> (8 * i));
        for (size_t i = 0; i < name.size() && i < 21; ++i) {
            bytes[4 + 2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
            bytes[5 + 2 * i] = static_cast<uint8_t>(name[i] >> 8);
        }
        for (size_t i = 0; i < text.size() && i < 161; ++i) {
            bytes[46 + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
            bytes[47 + 2 * i] = static_cast<uint8_t>(text[i] >> 8);
        }
        return bytes;
    }

    test::ScratchDir dir;
};

} // namespace

TEST_F(TemplateStoreTest, FirstStartCreatesTheDefaultTemplate)
{
    LoadTemplates(dir.Path());
    ASSERT_EQ(Templates().size(), 1u);
    const TemplateRecord& record = *Templates()[0];
    EXPECT_EQ(record.id, 1);
    EXPECT_EQ(record.name.Text(), u"Default");
    EXPECT_EQ(record.text.Text(), kDefaultTemplateText);
    EXPECT_EQ(record.text.Text().size(), 110u);

    ASSERT_TRUE(SaveTemplates(dir.Path()));
    EXPECT_EQ(test::ReadAll(File()), Record(1, u"Default", kDefaultTemplateText));
}

TEST_F(TemplateStoreTest, WholeRecordsOfAFileOfWrongLengthAreKept)
{
    // Size, and the id of the only template after the load: 9 is the file's
    // record, 1 the default a file without a whole record gets.
    for (const auto& [size, id] : {std::pair<size_t, int32_t> {0, 1}, {367, 1}, {369, 9}}) {
        ResetTemplateStore();
        auto bytes = Record(9, u"Kept", u"yes");
        bytes.resize(size, 0);
        test::WriteAll(File(), bytes);
        const TemplateLoadReport report = LoadTemplates(dir.Path());
        EXPECT_EQ(report.cutShort, size % 368 != 0) << size;
        ASSERT_EQ(Templates().size(), 1u) << size;
        EXPECT_EQ(Templates()[0]->id, id) << size;
    }
}

TEST_F(TemplateStoreTest, RecordsLoadInOrderAndTheNextIdFollowsTheLargest)
{
    std::vector<uint8_t> file;
    for (auto [id, name] :
        {std::pair {3, u"Three"}, std::pair {7, u"Seven"}, std::pair {5, u"Five"}}) {
        const auto record = Record(id, name, u"Call me");
        file.insert(file.end(), record.begin(), record.end());
    }
    test::WriteAll(File(), file);
    LoadTemplates(dir.Path());
    ASSERT_EQ(Templates().size(), 3u);
    EXPECT_EQ(Templates()[1]->name.Text(), u"Seven");
    EXPECT_EQ(LastTemplateId(), 7);
    EXPECT_EQ(AppendTemplate(u"New", u"")->id, 8);
    ASSERT_TRUE(SaveTemplates(dir.Path()));
    const auto saved = test::ReadAll(File());
    ASSERT_EQ(saved.size(), 4u * 368);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), saved.begin()))
        << "loaded records are written back unchanged";
    EXPECT_EQ(saved[3 * 368], 8);
}

TEST_F(TemplateStoreTest, NoTemplateIsAddedOnceTheLargestIdIsTaken)
{
    test::WriteAll(File(), Record(INT32_MAX, u"Last", u"x"));
    LoadTemplates(dir.Path());
    EXPECT_EQ(AppendTemplate(u"Refused", u"y"), nullptr);
    EXPECT_EQ(AddOrUpdateTemplate(u"Refused", u"y"), nullptr);
    EXPECT_EQ(FindTemplateByName(u"Refused"), nullptr);
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(LastTemplateId(), INT32_MAX);
    // Saving under an existing name needs no new id and still works.
    EXPECT_EQ(AddOrUpdateTemplate(u"LAST", u"z"), nullptr);
    EXPECT_EQ(Templates()[0]->text.Text(), u"z");
}

TEST_F(TemplateStoreTest, LastUnitsOfTheFieldsAlwaysEndTheTexts)
{
    auto bytes = Record(2, u"", u"");
    for (size_t i = 0; i < 21; ++i)
        bytes[4 + 2 * i] = 'n';
    for (size_t i = 0; i < 161; ++i)
        bytes[46 + 2 * i] = 't';
    test::WriteAll(File(), bytes);
    LoadTemplates(dir.Path());
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Templates()[0]->name.Text(), std::u16string(20, u'n'));
    EXPECT_EQ(Templates()[0]->text.Text(), std::u16string(160, u't'));
}

TEST_F(TemplateStoreTest, SavingUnderAnExistingNameInOtherCaseOverwrites)
{
    LoadTemplates(dir.Path());
    EXPECT_EQ(AddOrUpdateTemplate(u"default", u"New text"), nullptr);
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Templates()[0]->id, 1);
    EXPECT_EQ(Templates()[0]->name.Text(), u"default");
    EXPECT_EQ(Templates()[0]->text.Text(), u"New text");
    EXPECT_EQ(LastTemplateId(), 1);
    // The overwrite cleared the old text's tail: only zeros follow.
    for (size_t i = 8; i < 161; ++i)
        ASSERT_EQ(Templates()[0]->text.units[i], u'\0') << i;
}

TEST_F(TemplateStoreTest, NamesCompareCaseInsensitivelyBeyondAscii)
{
    LoadTemplates(dir.Path());
    TemplateRecord* emile = AppendTemplate(u"Émile", u"x");
    EXPECT_EQ(FindTemplateByName(u"émile"), emile);
    EXPECT_EQ(FindTemplateByName(u"ÉMILE"), emile);
    EXPECT_EQ(FindTemplateByName(u"Emile"), nullptr);
    EXPECT_EQ(AddOrUpdateTemplate(u"ÉmIlE", u"y"), nullptr);
    EXPECT_EQ(emile->text.Text(), u"y");
}

TEST_F(TemplateStoreTest, NamesAreLoweredOneUnitAtATime)
{
    LoadTemplates(dir.Path());
    // Lowered as a whole string, the dotted capital I becomes two units and
    // "İzmir" would no longer match "izmir"; unit by unit it is "i".
    TemplateRecord* izmir = AppendTemplate(u"İzmir", u"x");
    EXPECT_EQ(FindTemplateByName(u"izmir"), izmir);
    EXPECT_EQ(FindTemplateByName(u"İZMİR"), izmir);
    EXPECT_EQ(FindTemplateByName(u"ızmir"), nullptr) << "the dotless i is another letter";
    EXPECT_TRUE(NamesEqualIgnoringCase(u"ΣΑΣ", u"σασ"));
    EXPECT_FALSE(NamesEqualIgnoringCase(u"abc", u"ab"));
    EXPECT_FALSE(NamesEqualIgnoringCase(u"ß", u"ss"));
}

TEST_F(TemplateStoreTest, LongNamesAndTextsAreCut)
{
    LoadTemplates(dir.Path());
    const std::u16string name25 = u"abcdefghijklmnopqrstuvwxy";
    TemplateRecord* first = AddOrUpdateTemplate(name25, std::u16string(200, u'x'));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name.Text(), name25.substr(0, 20));
    EXPECT_EQ(first->text.Text(), std::u16string(160, u'x'));
    TemplateRecord* second = AddOrUpdateTemplate(name25, u"again");
    ASSERT_NE(second, nullptr) << "the lookup uses the whole name, which no record has";
    EXPECT_NE(second, first);
    EXPECT_EQ(Templates().size(), 3u);
}

TEST_F(TemplateStoreTest, QueriesForIdZeroAndUnknownIds)
{
    LoadTemplates(dir.Path());
    EXPECT_EQ(std::u16string(TemplateName(0)), u"<do not send>");
    EXPECT_EQ(FindTemplate(0), nullptr);
    EXPECT_EQ(FindTemplate(42), nullptr);
    EXPECT_EQ(TemplateName(42), nullptr);
    EXPECT_EQ(std::u16string(TemplateName(1)), u"Default");
    FreeTemplates();
    EXPECT_EQ(FirstTemplateId(), 0);
}

TEST_F(TemplateStoreTest, DeletingTheLastTemplateWritesAnEmptyFile)
{
    LoadTemplates(dir.Path());
    std::vector<int32_t> forgotten;
    static std::vector<int32_t>* sink = nullptr;
    sink = &forgotten;
    SetTemplateForgetter([](int32_t id) { sink->push_back(id); });
    EXPECT_TRUE(DeleteTemplate(Templates()[0].get()));
    EXPECT_TRUE(Templates().empty());
    EXPECT_EQ(forgotten, std::vector<int32_t> {1});
    TemplateRecord stranger;
    EXPECT_FALSE(DeleteTemplate(&stranger));
    ASSERT_TRUE(SaveTemplates(dir.Path()));
    EXPECT_EQ(std::filesystem::file_size(File()), 0u);

    ResetTemplateStore(); // the next start
    LoadTemplates(dir.Path());
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Templates()[0]->id, 1);
}
