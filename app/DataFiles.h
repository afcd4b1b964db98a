#pragma once

#include "platform/storage/DataFileCare.h"
#include "settings/SettingsRecord.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pelmora {

// The four data files as the program takes them at start and writes them
// back, shared by the main window and the tools that act as it does.

// Loads groups, templates, profiles and the settings record of `dir`, in
// this order, into the stores and `settings`.
void LoadDataFiles(const std::filesystem::path& dir, SettingsRecord& settings);

// What the start does after the loads: keeps a copy of each damaged file
// (named after `now`) and returns what to tell the user once, which file,
// what was kept and where the copy is; empty when every file was whole or
// missing.
std::u16string KeepDamagedDataFiles(const std::filesystem::path& dir, std::time_t now);
std::u16string DamagedFilesMessage(const std::vector<LoadedFileNote>& problems);

// Writes groups, templates, profiles and the settings, in this order, each
// whatever became of the ones before; `beforeProfiles` and `beforeSettings`
// let the window put its pages' state into the stores first. Returns the
// files that were not written, with the reasons.
struct DataSaveSteps {
    std::function<void()> beforeProfiles;
    std::function<void()> beforeSettings;
};
std::vector<SaveResult> SaveDataFiles(
    const std::filesystem::path& dir, const SettingsRecord& settings, const DataSaveSteps& steps);
// One line per file that was not written: "Could not save FILE: REASON."
std::u16string SaveFailureMessage(const std::vector<SaveResult>& failures);

} // namespace pelmora
