#include "platform/storage/DataFileCare.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pelmora {

namespace {

std::vector<LoadedFileNote>& Notes()
{
    static std::vector<LoadedFileNote> notes;
    return notes;
}

LoadedFileNote* NoteOf(const std::filesystem::path& file)
{
    const std::filesystem::path key = file.lexically_normal();
    for (LoadedFileNote& note : Notes())
        if (note.file == key)
            return &note;
    return nullptr;
}

// The folder as the notes' file names have it ("/a/b/" and "/a/./b" are "/a/b").
std::filesystem::path Folder(const std::filesystem::path& dir)
{
    return (dir / "file").lexically_normal().parent_path();
}

bool IsProblem(const LoadedFileNote& note)
{
    return note.condition == FileCondition::Damaged || note.condition == FileCondition::Unreadable;
}

// Copies the damaged file's bytes, as read, beside it; the note keeps where.
SaveResult KeepCopy(LoadedFileNote& note, std::time_t now)
{
    const std::filesystem::path first = DamagedCopyName(note.file, now);
    SaveResult result;
    constexpr int kTries = 100;
    for (int i = 1; i <= kTries; ++i) {
        const std::filesystem::path name
            = i == 1 ? first : std::filesystem::path(first.string() + "-" + std::to_string(i));
        result = WriteNewFileSafely(name, note.bytes);
        if (result || result.reason != std::strerror(EEXIST))
            break;
    }
    if (result)
        note.copy = result.file;
    return result;
}

} // namespace

FileCondition ClassifyLoadedFile(const FileRead& read, std::span<const uint8_t> reencoded)
{
    switch (read.status) {
    case FileRead::Status::Missing:
        return FileCondition::Missing;
    case FileRead::Status::Unreadable:
        return FileCondition::Unreadable;
    case FileRead::Status::Read:
        break;
    }
    return std::ranges::equal(read.bytes, reencoded) ? FileCondition::Whole
                                                     : FileCondition::Damaged;
}

void NoteLoadedFile(LoadedFileNote note)
{
    note.file = note.file.lexically_normal();
    if (note.condition != FileCondition::Damaged)
        note.bytes.clear();
    if (LoadedFileNote* old = NoteOf(note.file))
        *old = std::move(note);
    else
        Notes().push_back(std::move(note));
}

FileCondition NoteLoadedFile(const std::filesystem::path& file, const FileRead& read,
    std::span<const uint8_t> reencoded, std::string kept)
{
    const FileCondition condition = ClassifyLoadedFile(read, reencoded);
    NoteLoadedFile({file, condition, read.bytes, read.error, std::move(kept), {}});
    return condition;
}

std::vector<LoadedFileNote> ProblemFilesIn(const std::filesystem::path& dir)
{
    const std::filesystem::path folder = Folder(dir);
    std::vector<LoadedFileNote> problems;
    for (const LoadedFileNote& note : Notes())
        if (IsProblem(note) && note.file.parent_path() == folder)
            problems.push_back(note);
    return problems;
}

std::filesystem::path DamagedCopyName(const std::filesystem::path& file, std::time_t now)
{
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return file.string() + ".damaged-" + stamp;
}

std::vector<LoadedFileNote> KeepDamagedCopies(const std::filesystem::path& dir, std::time_t now)
{
    const std::filesystem::path folder = Folder(dir);
    for (LoadedFileNote& note : Notes())
        if (note.condition == FileCondition::Damaged && note.copy.empty()
            && note.file.parent_path() == folder)
            KeepCopy(note, now);
    return ProblemFilesIn(dir);
}

SaveResult SaveDataFile(const std::filesystem::path& file, std::span<const uint8_t> bytes)
{
    LoadedFileNote* note = NoteOf(file);
    if (note && note->condition == FileCondition::Unreadable)
        return {file,
            std::string("it could not be read at start (") + std::strerror(note->error)
                + "), so it was left as it is"};
    if (note && note->condition == FileCondition::Damaged && note->copy.empty()) {
        // A save without the start's copy (a tool, a test): the copy is
        // made now, named after the wall clock.
        if (const SaveResult copied = KeepCopy(*note, std::time(nullptr)); !copied)
            return {file, "a copy of the damaged file could not be kept: " + copied.reason};
    }
    SaveResult result = WriteFileSafely(file, bytes);
    if (result && note) {
        note->condition = FileCondition::Whole;
        note->bytes.clear();
    }
    return result;
}

std::string Counted(int64_t count, std::string_view noun)
{
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

void ForgetLoadedFiles()
{
    Notes().clear();
}

} // namespace pelmora
