#include "platform/storage/DirectoryWatch.h"
#include "tests/LogicTestSupport.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace pelmora;

namespace {

bool IsCard(std::string_view name)
{
    return name.ends_with(".vcf");
}

} // namespace

TEST(DirectoryWatchTest, ReportsChangesToRelevantEntriesOnce)
{
    test::ScratchDir dir;
    DirectoryWatch watch;
    EXPECT_TRUE(watch.Changed()) << "not armed: callers must check for themselves";
    ASSERT_TRUE(watch.Arm({dir.Path()}, IsCard));
    EXPECT_FALSE(watch.Changed());

    std::ofstream(dir.Path() / "a.vcf") << "x";
    EXPECT_TRUE(watch.Changed()) << "created and written";
    EXPECT_FALSE(watch.Changed()) << "drained";

    std::ofstream(dir.Path() / "notes.txt") << "x";
    EXPECT_FALSE(watch.Changed()) << "not a relevant name";

    std::ofstream(dir.Path() / "a.vcf", std::ios::app) << "y";
    EXPECT_TRUE(watch.Changed()) << "appended";
    std::filesystem::rename(dir.Path() / "notes.txt", dir.Path() / "b.vcf");
    EXPECT_TRUE(watch.Changed()) << "renamed into a relevant name";
    std::filesystem::remove(dir.Path() / "a.vcf");
    EXPECT_TRUE(watch.Changed()) << "removed";
    EXPECT_TRUE(watch.Armed());
}

TEST(DirectoryWatchTest, LosingTheDirectoryDisarms)
{
    test::ScratchDir dir;
    const auto watched = dir.Path() / "cards";
    std::filesystem::create_directory(watched);
    DirectoryWatch watch;
    ASSERT_TRUE(watch.Arm({watched}, IsCard));
    std::filesystem::rename(watched, dir.Path() / "moved");
    EXPECT_TRUE(watch.Changed());
    EXPECT_FALSE(watch.Armed());
    EXPECT_TRUE(watch.Changed()) << "stays changed until armed again";

    EXPECT_FALSE(watch.Arm({dir.Path() / "missing"}, IsCard));
    EXPECT_FALSE(watch.Armed());
}
