// One of the four data files, the options file or the history with any
// bytes at all, the others whole: a start (load, copies of damaged files)
// and an end (save) must leave that file's bytes either where they were or
// in a ".damaged-" copy beside it (an options file read whole may be written
// again in the program's own layout, but must read the same), and the whole
// files byte for byte as they were. A history, which the run writes to, keeps every row its keep
// period allows (measured back from its newest call, whatever the clock says). The first input byte
// chooses the file, the rest is its content.
#include "app/DataFiles.h"
#include "fuzz/FuzzSupport.h"
#include "history/CallHistory.h"
#include "messages/TemplateStore.h"
#include "options/OwnSettings.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"

#include <algorithm>
#include <unistd.h>

using namespace pelmora;

namespace {

constexpr const char* kNames[]
    = {kGroupsFileName, kTemplatesFileName, kProfilesFileName, kSettingsFileName};

void ResetStores()
{
    ResetGroupStore();
    ResetTemplateStore();
    ResetProfileStore();
}

std::filesystem::path ScratchDir()
{
    static const std::filesystem::path dir = fuzz::ScratchFolder("pelmora-fuzz-damaged");
    return dir;
}

// The whole files every run starts from, made with the stores' encoders.
const std::vector<std::vector<uint8_t>>& WholeFiles()
{
    static const std::vector<std::vector<uint8_t>> files = [] {
        ResetStores();
        GroupRecord group;
        group.members = {3, 4};
        AddGroup(group);
        AppendTemplate(u"One", u"first");
        AddGroupEntry(*AddProfile(u"Home", 1), 1, 1);
        SettingsRecord settings;
        settings.maxTotal = 9;
        std::vector<std::vector<uint8_t>> bytes {EncodeGroups(Groups()),
            EncodeTemplates(Templates()), EncodeProfiles(Profiles()), settings.Encode()};
        ResetStores();
        return bytes;
    }();
    return files;
}

std::vector<uint8_t> Read(const std::filesystem::path& path)
{
    return ReadFileBytes(path).value_or(std::vector<uint8_t> {});
}

// Whether a ".damaged-" copy of `file` beside it holds `content`.
bool CopyKept(const std::filesystem::path& file, const std::vector<uint8_t>& content)
{
    std::error_code error;
    const std::string prefix = file.filename().string() + ".damaged-";
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error))
        if (entry.path().filename().string().starts_with(prefix) && Read(entry.path()) == content)
            return true;
    return false;
}

constexpr size_t kOptions = 4;
constexpr size_t kHistory = 5;
// A clock years after any seed's calls, and a month's keeping.
constexpr int64_t kNow = 2200000000;
constexpr int64_t kKeep = 31 * 24 * 60 * 60;

// The rows a start may not lose: those within the keep period of the newest.
size_t RowsToKeep(const std::filesystem::path& file)
{
    const std::filesystem::path look = fuzz::ScratchFolder("pelmora-fuzz-damaged-look");
    std::error_code error;
    std::filesystem::remove(look / kHistoryFileName, error);
    std::filesystem::copy_file(file, look / kHistoryFileName, error);
    CallHistory before(look, kNow, 0, nullptr, CallHistory::Access::ReadOnly);
    const std::vector<CallRecord> rows = before.Read();
    if (rows.empty())
        return 0;
    int64_t newest = 0;
    for (const CallRecord& row : rows)
        newest = std::max(newest, row.timeUtc);
    return static_cast<size_t>(std::count_if(rows.begin(), rows.end(),
        [&](const CallRecord& row) { return row.timeUtc >= std::min(kNow, newest) - kKeep; }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chosen = data[0] % 6;
    const std::vector<uint8_t> content(data + 1, data + size);
    const std::filesystem::path dir = ScratchDir();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        std::filesystem::remove(entry.path(), error);
    for (size_t i = 0; i < 4; ++i)
        FUZZ_CHECK(WriteFileSafely(dir / kNames[i], i == chosen ? content : WholeFiles()[i]));

    if (chosen == kOptions || chosen == kHistory) {
        const std::filesystem::path file
            = dir / (chosen == kOptions ? kOwnSettingsFileName : kHistoryFileName);
        FUZZ_CHECK(WriteFileSafely(file, content));
        const size_t rows = chosen == kHistory ? RowsToKeep(file) : 0;
        OwnSettings options;
        QString ignored;
        const bool whole = LoadOwnSettings(dir, options, ignored);
        {
            CallHistory history(dir, kNow, kKeep);
            KeepDamagedCopies(dir, 0);
            if (chosen == kOptions)
                FUZZ_CHECK(SaveOwnSettings(dir, options));
            CallRecord call;
            call.timeUtc = kNow;
            call.number = u"+1";
            history.Record(call);
        }
        ForgetLoadedFiles();
        if (chosen == kOptions) {
            // A whole file is written again in the program's own layout:
            // nothing of it may be lost.
            OwnSettings again;
            FUZZ_CHECK(!whole || (LoadOwnSettings(dir, again, ignored) && again == options));
            ForgetLoadedFiles();
            FUZZ_CHECK(
                whole || Read(file) == content || CopyKept(file, content) || content.empty());
        } else if (!CopyKept(file, content)) {
            CallHistory after(dir, kNow, 0, nullptr, CallHistory::Access::ReadOnly);
            FUZZ_CHECK(after.Read().size() >= rows);
        }
        return 0;
    }

    ResetStores();
    SettingsRecord settings;
    LoadDataFiles(dir, settings);
    KeepDamagedDataFiles(dir, 0);
    FUZZ_CHECK(SaveDataFiles(dir, settings, {}).empty());
    ResetStores();

    for (size_t i = 0; i < 4; ++i)
        if (i != chosen)
            FUZZ_CHECK(Read(dir / kNames[i]) == WholeFiles()[i]);
    const std::filesystem::path file = dir / kNames[chosen];
    // An empty file holds nothing to lose; the defaults take its place.
    FUZZ_CHECK(Read(file) == content || CopyKept(file, content) || content.empty());
    return 0;
}
