#include "calendar/CalendarFiles.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace pelmora {

namespace {

bool IsCalendarName(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ics";
}

std::string Quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

} // namespace

CalendarFiles::CalendarFiles(std::filesystem::path source)
    : source_(std::move(source))
{
}

std::vector<CalendarFiles::FileStamp> CalendarFiles::TakeStamp(std::string& problem) const
{
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    if (std::filesystem::is_directory(source_, error)) {
        for (std::filesystem::directory_iterator it(source_, error), end; !error && it != end;
             it.increment(error))
            if (IsCalendarName(it->path()))
                paths.push_back(it->path());
        std::sort(paths.begin(), paths.end());
    } else if (std::filesystem::exists(source_, error)) {
        paths.push_back(source_);
    } else {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (error)
        problem = "the calendar " + Quoted(source_) + " could not be read: " + error.message();
    std::vector<FileStamp> stamp;
    for (const std::filesystem::path& path : paths) {
        struct stat status { };
        FileStamp file {path};
        if (::stat(path.c_str(), &status) == 0) {
            file.size = static_cast<uintmax_t>(status.st_size);
            file.modified
                = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
        }
        stamp.push_back(std::move(file));
    }
    return stamp;
}

std::optional<CalendarSnapshot> CalendarFiles::Changed()
{
    std::string problem;
    std::vector<FileStamp> stamp = TakeStamp(problem);
    if (stamp_ && *stamp_ == stamp && problem == stampProblem_)
        return std::nullopt;
    stamp_ = stamp;
    stampProblem_ = problem;
    return Read(stamp, std::move(problem));
}

CalendarSnapshot CalendarFiles::Read(const std::vector<FileStamp>& files, std::string problem) const
{
    CalendarSnapshot snapshot;
    std::vector<std::string> problems;
    if (!problem.empty())
        problems.push_back(std::move(problem));
    for (const FileStamp& file : files) {
        const std::string name = file.path.filename().string();
        std::error_code error;
        // A pipe or a device in a calendar's place would block the read.
        if (!std::filesystem::is_regular_file(file.path, error)) {
            problems.push_back("the calendar " + Quoted(file.path) + " is not a file");
            continue;
        }
        if (file.size > kMostBytes) {
            problems.push_back("the calendar " + Quoted(file.path) + " is larger than 16 MB");
            continue;
        }
        std::ifstream in(file.path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            problems.push_back("the calendar " + Quoted(file.path) + " could not be read");
            continue;
        }
        snapshot.documents.push_back({name, std::move(text).str()});
    }
    for (const std::string& line : problems)
        snapshot.problem += (snapshot.problem.empty() ? "" : "; ") + line;
    // Whose calendar a file is nobody says: the address the user gives
    // their mail programs (EMAIL) tells which attendee they are.
    if (const char* email = std::getenv("EMAIL"); email && *email)
        snapshot.ownAddresses.push_back(email);
    return snapshot;
}

} // namespace pelmora
