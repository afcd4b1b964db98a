#include "platform/storage/DataFile.h"
#include "platform/storage/DataDirectory.h"
#include "tests/LogicTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace pelmora;

TEST(DataFile, SafeWriteReplacesTheWholeFile)
{
    test::ScratchDir dir;
    const auto path = dir.Path() / "f.data";
    const std::vector<uint8_t> first(100, 1), second = {9, 8, 7};
    ASSERT_TRUE(WriteFileSafely(path, first));
    ASSERT_TRUE(WriteFileSafely(path, second));
    EXPECT_EQ(test::ReadAll(path), second);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "f.data.new"));
}

TEST(DataFile, InterruptedWriteLeavesThePreviousFileIntact)
{
    test::ScratchDir dir;
    const auto path = dir.Path() / "f.data";
    const std::vector<uint8_t> old = {1, 2, 3, 4, 5};
    ASSERT_TRUE(WriteFileSafely(path, old));
    FailNextWriteAfter(2);
    EXPECT_FALSE(WriteFileSafely(path, std::vector<uint8_t>(50, 0xAA)));
    EXPECT_EQ(test::ReadAll(path), old);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "f.data.new"));
    // The fault is one-shot.
    EXPECT_TRUE(WriteFileSafely(path, std::vector<uint8_t>(3, 0xBB)));
}

TEST(DataFile, UnwritableDirectoryFailsQuietly)
{
    EXPECT_FALSE(WriteFileSafely("/nonexistent-dir/x.data", std::vector<uint8_t> {1}));
    EXPECT_FALSE(ReadFileBytes("/nonexistent-dir/x.data").has_value());
}

TEST(DataFile, ReadStopsAtTheLimit)
{
    test::ScratchDir dir;
    test::WriteAll(dir.Path() / "big", std::vector<uint8_t>(3000, 7));
    auto bytes = ReadFileBytes(dir.Path() / "big", 1901);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 1901u);
}

TEST(DataDirectoryTest, PelmoraHomeWinsAndIsCreated)
{
    test::ScratchDir dir;
    const char* saved = std::getenv("PELMORA_HOME");
    const std::string previous = saved ? saved : "";
    setenv("PELMORA_HOME", (dir.Path() / "nested" / "home").c_str(), 1);
    EXPECT_EQ(DataDirectory(), dir.Path() / "nested" / "home");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "nested" / "home"));
    unsetenv("PELMORA_HOME");
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(DataDirectory(), dir.Path() / "Vantrel" / "Pelmora");
    setenv("PELMORA_HOME", previous.c_str(), 1);
}
