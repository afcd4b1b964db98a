#include "app/DataFiles.h"
#include "messages/TemplateStore.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/LogicTestSupport.h"

#include <QString>

#include <gtest/gtest.h>

#include <map>

using namespace pelmora;

namespace {

void ResetStores()
{
    ResetGroupStore();
    ResetTemplateStore();
    ResetProfileStore();
}

// 2026-01-02 03:04:05, local time.
std::time_t Now()
{
    std::tm local {};
    local.tm_year = 126;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

struct Damage {
    const char* name;
    const char* file;
    // Turns the file's good bytes into the damaged ones.
    void (*damage)(std::vector<uint8_t>& bytes);
    const char* kept; // what the start says was read
};

class DamagedDataFile : public ::testing::TestWithParam<Damage> {
protected:
    // A whole set of four files, written as the program writes them.
    void SetUp() override
    {
        ResetStores();
        AppendTemplate(u"One", u"first");
        AppendTemplate(u"Two", u"second");
        GroupRecord family, friends;
        family.members = {4, 5};
        AddGroup(family);
        AddGroup(friends);
        AddGroupEntry(*AddProfile(u"Home", 1), 1, 2);
        AddProfile(u"Work", 2);
        SettingsRecord settings;
        settings.maxTotal = 7;
        ASSERT_TRUE(SaveDataFiles(dir.Path(), settings, {}).empty());
        ResetStores();
        ForgetLoadedFiles();
    }
    void TearDown() override { ResetStores(); }

    std::filesystem::path File(const char* name) const { return dir.Path() / name; }

    test::ScratchDir dir;
};

} // namespace

TEST_P(DamagedDataFile, IsCopiedAsideAndToldOfOnceAndTheOthersStayByteExact)
{
    const Damage& c = GetParam();
    const char* const names[]
        = {kGroupsFileName, kTemplatesFileName, kProfilesFileName, kSettingsFileName};
    std::map<std::string, std::vector<uint8_t>> before;
    for (const char* name : names)
        before[name] = test::ReadAll(File(name));
    std::vector<uint8_t> damaged = before[c.file];
    c.damage(damaged);
    test::WriteAll(File(c.file), damaged);

    SettingsRecord settings;
    LoadDataFiles(dir.Path(), settings);
    const std::filesystem::path copy = File(c.file).string() + ".damaged-20260102-030405";
    EXPECT_EQ(KeepDamagedDataFiles(dir.Path(), Now()),
        QStringLiteral("%1 is damaged. Pelmora uses what it could read: %2. The file as it was "
                       "is kept in %3.")
            .arg(QString::fromStdString(File(c.file).string()), QString::fromLatin1(c.kept),
                QString::fromStdString(copy.string()))
            .toStdU16String());
    EXPECT_EQ(test::ReadAll(copy), damaged);
    EXPECT_TRUE(SaveDataFiles(dir.Path(), settings, {}).empty());
    for (const char* name : names)
        if (name != std::string(c.file)) {
            EXPECT_EQ(test::ReadAll(File(name)), before[name]) << name;
        }

    // The next start finds every file whole and has nothing to tell.
    ResetStores();
    LoadDataFiles(dir.Path(), settings);
    EXPECT_EQ(KeepDamagedDataFiles(dir.Path(), Now()), u"");
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedDataFile,
    ::testing::Values(Damage {"TemplatesWithAStrayByte", kTemplatesFileName,
                          [](std::vector<uint8_t>& b) { b.push_back(0); }, "2 whole templates"},
        Damage {"GroupsCutShort", kGroupsFileName, [](std::vector<uint8_t>& b) { b.resize(130); },
            "1 of the 2 groups it lists"},
        Damage {"ProfilesWithANegativeEntryCount", kProfilesFileName,
            [](std::vector<uint8_t>& b) { b[61 + 48 + 3] = 0x80; }, "2 whole profiles"},
        Damage {"SettingsOfAnotherVersion", kSettingsFileName,
            [](std::vector<uint8_t>& b) { b[0] = 2; }, "none of its settings; the defaults apply"},
        Damage {"SettingsWithBytesAfterTheRecord", kSettingsFileName,
            [](std::vector<uint8_t>& b) { b.push_back(1); }, "its settings"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataFiles, AFileThatCannotBeReadIsNeverReplaced)
{
    test::ScratchDir dir;
    ResetStores();
    // A folder in the file's place: unreadable for root as for anyone.
    std::filesystem::create_directory(dir.Path() / kProfilesFileName);
    std::filesystem::create_directory(dir.Path() / kProfilesFileName / "inside");
    SettingsRecord settings;
    LoadDataFiles(dir.Path(), settings);
    const QString file = QString::fromStdString((dir.Path() / kProfilesFileName).string());
    // The folder may be named with a slash at the end, as PELMORA_HOME may.
    EXPECT_EQ(KeepDamagedDataFiles(dir.Path() / "", Now()),
        (file
            + QStringLiteral(" could not be read (Is a directory). Pelmora will not save it, so "
                             "it stays as it is."))
            .toStdU16String());
    const std::vector<SaveResult> failures = SaveDataFiles(dir.Path(), settings, {});
    EXPECT_EQ(SaveFailureMessage(failures),
        (QStringLiteral("Could not save ") + file
            + QStringLiteral(": it could not be read at start (Is a directory), so it was left as "
                             "it is."))
            .toStdU16String());
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / kProfilesFileName / "inside"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / kTemplatesFileName)) << "the others are saved";
    ResetStores();
}

TEST(DataFiles, EveryFileThatCouldNotBeWrittenIsNamedWithTheReason)
{
    test::ScratchDir dir;
    ResetStores();
    SettingsRecord settings;
    LoadDataFiles(dir.Path(), settings);
    // The disk is full while the templates file is written.
    FailNextWriteAfter(0, 1);
    std::vector<SaveResult> failures = SaveDataFiles(dir.Path(), settings, {});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(SaveFailureMessage(failures),
        (QStringLiteral("Could not save ")
            + QString::fromStdString((dir.Path() / kTemplatesFileName).string())
            + QStringLiteral(": No space left on device."))
            .toStdU16String());
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / kGroupsFileName));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / kSettingsFileName));
    ResetStores();
}
