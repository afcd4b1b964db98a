#pragma once

#include "platform/storage/DataFile.h"

#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// What a load found in one data file.
enum class FileCondition {
    Missing,
    Whole, // what was read, written again, gives back the file's bytes
    Damaged, // something in it could not be taken: written again it would differ
    Unreadable, // it is there but could not be read
};

// Missing and unreadable come from the read; a read file is whole exactly
// when `reencoded` (what the load took from it, encoded again) is its bytes.
FileCondition ClassifyLoadedFile(const FileRead& read, std::span<const uint8_t> reencoded);

// Why a data file is guarded: the loads note each file, the saves ask
// before replacing one. A damaged file is copied aside (once) before
// anything replaces it; an unreadable one is never replaced, since what it
// holds was never seen.
struct LoadedFileNote {
    std::filesystem::path file;
    FileCondition condition = FileCondition::Missing;
    std::vector<uint8_t> bytes; // the file as read, for its copy
    int error = 0; // why an unreadable file could not be read
    std::string kept; // what the load took from it, in words ("3 of 5 groups")
    std::filesystem::path copy; // the damaged file's copy, once made
};

// Notes (or notes again, replacing) what the load of `note.file` found.
void NoteLoadedFile(LoadedFileNote note);
// Notes what a load found and returns the condition: the read, what was
// taken from it encoded again, and what was taken in words.
FileCondition NoteLoadedFile(const std::filesystem::path& file, const FileRead& read,
    std::span<const uint8_t> reencoded, std::string kept);
// The notes of the files in `dir` that were damaged or unreadable, in the
// order they were loaded.
std::vector<LoadedFileNote> ProblemFilesIn(const std::filesystem::path& dir);

// The name of the copy of a damaged file made at `now` (local time):
// "NAME.damaged-YYYYMMDD-HHMMSS".
std::filesystem::path DamagedCopyName(const std::filesystem::path& file, std::time_t now);

// Makes the copy of every damaged file noted in `dir` that has none yet, named
// after `now` (a name already taken gets "-2", "-3", ...); a copy that cannot
// be made leaves the file unsaved. Returns the notes of the problem files
// after it, as ProblemFilesIn does.
std::vector<LoadedFileNote> KeepDamagedCopies(const std::filesystem::path& dir, std::time_t now);

// Saves a data file with WriteFileSafely unless its note forbids it: an
// unreadable file is left alone (the result says why), a damaged one is
// copied aside first (now, if the start did not). Once the file is written
// it is whole.
SaveResult SaveDataFile(const std::filesystem::path& file, std::span<const uint8_t> bytes);

// "1 group", "2 groups": a count of `noun` in words.
std::string Counted(int64_t count, std::string_view noun);

// For tests that load and save the same folder as if they were new runs.
void ForgetLoadedFiles();

} // namespace pelmora
