#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>

namespace pelmora {

inline constexpr char kPreviewUsage[] = "pelmora-data preview NUMBER [--rings N] [--at "
                                        "\"YYYY-MM-DD HH:MM\"] [--contacts FILE_OR_DIR] "
                                        "[--calendar FILE_OR_DIR] [--json]";

// `pelmora-data preview`: what a missed call from NUMBER would get now (or at
// --at, the schedule included), from
// the data files in `dataDir` and the address book. `args` are the words
// after "preview". Returns the exit code: 0 a reply would be sent, 1 not,
// 2 the words are not understood. The stores and the address book are left
// empty afterwards.
int RunPreview(
    const QStringList& args, const std::filesystem::path& dataDir, QString& out, QString& err);

} // namespace pelmora
