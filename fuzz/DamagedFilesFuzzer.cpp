// One of the four data files with any bytes at all, the others whole: a
// start (load, copies of damaged files) and an end (save) of the program's
// data files must leave that file's bytes either where they were or in a
// ".damaged-" copy beside it, and the whole files byte for byte as they were.
// The first input byte chooses the file, the rest is its content.
#include "app/DataFiles.h"
#include "fuzz/FuzzSupport.h"
#include "messages/TemplateStore.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chosen = data[0] % 4;
    const std::vector<uint8_t> content(data + 1, data + size);
    const std::filesystem::path dir = ScratchDir();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        std::filesystem::remove(entry.path(), error);
    for (size_t i = 0; i < 4; ++i)
        FUZZ_CHECK(WriteFileSafely(dir / kNames[i], i == chosen ? content : WholeFiles()[i]));

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
    bool kept = Read(file) == content;
    const std::string copyPrefix = file.filename().string() + ".damaged-";
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().filename().string().starts_with(copyPrefix))
            kept = kept || Read(entry.path()) == content;
    // An empty file holds nothing to lose; the defaults take its place.
    FUZZ_CHECK(kept || content.empty());
    return 0;
}
