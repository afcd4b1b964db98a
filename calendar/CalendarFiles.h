#pragma once

#include "calendar/CalendarDocuments.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace pelmora {

// The calendar of iCalendar files: one file, or a folder whose .ics files
// are read in name order, for desktops, demos and tests. The files are read
// again whenever one was added, removed or changed.
class CalendarFiles final {
public:
    explicit CalendarFiles(std::filesystem::path source);

    // The files as they are now, when they changed since the last call (the
    // first call always reads them); none while they are unchanged.
    std::optional<CalendarSnapshot> Changed();
    const std::filesystem::path& Source() const { return source_; }

    // Larger files are not calendars a phone keeps: they are refused.
    static constexpr uintmax_t kMostBytes = 16u << 20;

private:
    struct FileStamp {
        std::filesystem::path path;
        uintmax_t size = 0;
        int64_t modified = 0; // nanoseconds
        bool operator==(const FileStamp&) const = default;
    };
    std::vector<FileStamp> TakeStamp(std::string& problem) const;
    CalendarSnapshot Read(const std::vector<FileStamp>& files, std::string problem) const;

    std::filesystem::path source_;
    std::optional<std::vector<FileStamp>> stamp_;
    std::string stampProblem_;
};

} // namespace pelmora
