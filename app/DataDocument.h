#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

namespace pelmora {

// The four data files as one JSON document, read and written with the
// application's own load and save code.

// Loads the data directory as the application would and describes it.
// `warnings` receives one line per thing the application would drop or never
// reach (a duplicate id); `unread` one line per file that could not be read
// whole (unreadable or damaged), so a backup of it is known to be partial.
QJsonObject DumpDataDirectory(
    const std::filesystem::path& dir, QStringList& warnings, QStringList* unread = nullptr);

// One file, its kind taken from its name; nullopt (with `error`) when the
// name is not one of the four or the file is not there.
std::optional<QJsonObject> DumpDataFile(const std::filesystem::path& file, QStringList& warnings,
    QString& error, QStringList* unread = nullptr);

// Checks a whole document and, only when all of it is valid, writes the four
// files into `dir` together (WriteFilesTogether). On failure `error` names
// the place or the file that could not be written, and nothing is written. A settings version other
// than 1 is refused, as the application would ignore it. `warnings` receives one line per record
// that lookups can never reach (a duplicate id in its store).
bool LoadDataDocument(const QByteArray& json, const std::filesystem::path& dir, QString& error,
    QStringList& warnings);

} // namespace pelmora
