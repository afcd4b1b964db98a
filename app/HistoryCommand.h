#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace pelmora {

inline constexpr char kHistoryUsage[]
    = "pelmora-data history [--since DATE] [--number N] [--json|--csv]";

// The --since of the history command: "YYYY-MM-DD" (local midnight),
// "YYYY-MM-DD HH:MM", "YYYY-MM-DDTHH:MM[:SS]" in local time, or with "Z" or
// an offset ("+02:00") after it. Seconds since 1970; none when not one of
// these or not a real time.
std::optional<int64_t> ParseHistoryDate(const QString& text);

// `pelmora-data history`: the recorded calls of `dataDir`, oldest first, as
// lines, JSON or CSV. `args` are the words after "history". Returns the exit
// code: 0 read (also when there is no history yet), 1 the history cannot be
// read, 2 the words are not understood. It never creates, migrates or prunes
// the history.
int RunHistory(
    const QStringList& args, const std::filesystem::path& dataDir, QString& out, QString& err);

} // namespace pelmora
