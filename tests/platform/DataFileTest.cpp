#include "platform/storage/DataFile.h"
#include "platform/sms/Outbox.h"
#include "platform/storage/DataDirectory.h"
#include "tests/LogicTestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

unsigned ModeOf(const std::filesystem::path& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The widest umask, so only the modes Pelmora asks for count.
class OpenUmask final {
public:
    OpenUmask()
        : old_(::umask(0))
    {
    }
    ~OpenUmask() { ::umask(old_); }

private:
    mode_t old_;
};

size_t EntriesIn(const std::filesystem::path& dir)
{
    return static_cast<size_t>(std::distance(
        std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

} // namespace

TEST(DataFile, SavesArePrivateAndNeverWidenTheModeTheFileHad)
{
    test::ScratchDir dir;
    const OpenUmask umask;
    const auto path = dir.Path() / "f.data";
    // The file's mode before the save (0: no file) and after it.
    for (const auto& [before, after] :
        {std::pair {0u, 0600u}, {0644u, 0600u}, {0600u, 0600u}, {0400u, 0400u}}) {
        std::filesystem::remove(path);
        if (before) {
            test::WriteAll(path, {1});
            ::chmod(path.c_str(), before);
        }
        ASSERT_TRUE(WriteFileSafely(path, std::vector<uint8_t> {2}));
        EXPECT_EQ(ModeOf(path), after) << std::oct << before;
    }
}

TEST(DataFile, ALinkIsWrittenThroughAndAPlantedTemporaryNameIsNot)
{
    test::ScratchDir dir;
    const auto target = dir.Path() / "real.data", link = dir.Path() / "f.data";
    const auto victim = dir.Path() / "victim";
    test::WriteAll(target, {1});
    test::WriteAll(victim, {7});
    std::filesystem::create_symlink("real.data", link);
    // Another user's links where a fixed temporary name would be.
    std::filesystem::create_symlink(victim, dir.Path() / "f.data.new");
    std::filesystem::create_symlink(victim, dir.Path() / "real.data.new");
    ASSERT_TRUE(WriteFileSafely(link, std::vector<uint8_t> {2, 3}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadAll(target), (std::vector<uint8_t> {2, 3}));
    EXPECT_EQ(test::ReadAll(victim), std::vector<uint8_t> {7});
    EXPECT_EQ(EntriesIn(dir.Path()), 5u) << "no temporary is left";
}

TEST(DataFile, AFileThatCannotBeReadIsNotMissing)
{
    test::ScratchDir dir;
    EXPECT_EQ(ReadDataFile(dir.Path() / "none").status, FileRead::Status::Missing);
    std::filesystem::create_directory(dir.Path() / "folder");
    const FileRead folder = ReadDataFile(dir.Path() / "folder");
    EXPECT_EQ(folder.status, FileRead::Status::Unreadable);
    EXPECT_EQ(folder.error, EISDIR);
}

TEST(DataFile, AFileWithoutReadPermissionIsUnreadable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file; run as another user to check permissions";
    test::ScratchDir dir;
    test::WriteAll(dir.Path() / "f.data", {1});
    ::chmod((dir.Path() / "f.data").c_str(), 0);
    const FileRead read = ReadDataFile(dir.Path() / "f.data");
    EXPECT_EQ(read.status, FileRead::Status::Unreadable);
    EXPECT_EQ(read.error, EACCES);
}

TEST(DataFile, FilesWrittenTogetherAreAllOrNothing)
{
    test::ScratchDir dir;
    const std::vector<uint8_t> fresh {9, 9, 9};
    std::vector<FileContent> files;
    for (const char* name : {"a", "b", "c", "d"}) {
        test::WriteAll(dir.Path() / name, {static_cast<uint8_t>(name[0])});
        files.push_back({dir.Path() / name, fresh});
    }
    const auto unchanged = [&] {
        for (const char* name : {"a", "b", "c"})
            EXPECT_EQ(test::ReadAll(dir.Path() / name),
                std::vector<uint8_t> {static_cast<uint8_t>(name[0])})
                << name;
        EXPECT_EQ(EntriesIn(dir.Path()), 4u) << "no temporary is left";
    };
    // The disk fills while the third is written.
    FailNextWriteAfter(1, 2);
    SaveResult result = WriteFilesTogether(files);
    EXPECT_EQ(result.file, dir.Path() / "c");
    EXPECT_EQ(result.reason, std::strerror(ENOSPC));
    unchanged();
    // The last cannot be put in place after the others were: they are put back.
    std::filesystem::remove(dir.Path() / "d");
    std::filesystem::create_directory(dir.Path() / "d");
    result = WriteFilesTogether(files);
    EXPECT_EQ(result.file, dir.Path() / "d");
    EXPECT_EQ(result.reason, std::strerror(EISDIR));
    unchanged();
}

TEST(Outbox, ALineIsWrittenWholeOrNotAtAllAndPrivately)
{
    test::ScratchDir dir;
    const OpenUmask umask;
    OutboxSmsBackend outbox(dir.Path());
    ASSERT_TRUE(outbox.Send(u"+1", u"first", SmsPath::Direct));
    FailNextWriteAfter(10);
    EXPECT_FALSE(outbox.Send(u"+2", u"cut short", SmsPath::Direct));
    ASSERT_TRUE(outbox.Send(u"+3", u"third", SmsPath::Direct));
    QFile file(QString::fromStdString(outbox.File().string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList numbers;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            numbers << QJsonDocument::fromJson(line)[QStringLiteral("number")].toString();
    EXPECT_EQ(numbers, (QStringList {QStringLiteral("+1"), QStringLiteral("+3")}));
    EXPECT_EQ(ModeOf(outbox.File()), 0600u);
}

TEST(DataDirectoryTest, PelmoraHomeWinsAndFoldersAreMadePrivate)
{
    test::ScratchDir dir;
    const OpenUmask umask;
    const char* saved = std::getenv("PELMORA_HOME");
    const std::string previous = saved ? saved : "";
    setenv("PELMORA_HOME", (dir.Path() / "nested" / "home").c_str(), 1);
    EXPECT_EQ(DataDirectory(), dir.Path() / "nested" / "home");
    EXPECT_EQ(ModeOf(dir.Path() / "nested"), 0700u);
    EXPECT_EQ(ModeOf(dir.Path() / "nested" / "home"), 0700u);
    unsetenv("PELMORA_HOME");
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    // A folder an earlier version left open to everyone is narrowed.
    std::filesystem::create_directories(dir.Path() / "Vantrel" / "Pelmora");
    ::chmod((dir.Path() / "Vantrel" / "Pelmora").c_str(), 0755);
    EXPECT_EQ(DataDirectory(), dir.Path() / "Vantrel" / "Pelmora");
    EXPECT_EQ(ModeOf(dir.Path() / "Vantrel" / "Pelmora"), 0700u);

    // Without a home nothing goes to a folder every user shares.
    const std::string xdg = std::getenv("XDG_DATA_HOME"), home = std::getenv("HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    std::string problem;
    EXPECT_FALSE(FindDataDirectory(problem));
    EXPECT_EQ(problem,
        "neither HOME nor XDG_DATA_HOME is set, so there is no private folder for Pelmora's "
        "data; set HOME (or PELMORA_HOME) and start again");
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    setenv("PELMORA_HOME", previous.c_str(), 1);
}
