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
// reach (a duplicate id).
QJsonObject DumpDataDirectory(const std::filesystem::path& dir, QStringList& warnings);

// One file, its kind taken from its name; nullopt (with `error`) when the
// name is not one of the four or the file cannot be read.
std::optional<QJsonObject> DumpDataFile(
    const std::filesystem::path& file, QStringList& warnings, QString& error);

// Checks a whole document and, only when all of it is valid, writes the four
// files into `dir` with the application's safe save. On failure `error` names
// the place, and nothing is written. A settings version other than 1 is
// refused, as the application would ignore it. `warnings` receives one line
// per record that lookups can never reach (a duplicate id in its store).
bool LoadDataDocument(const QByteArray& json, const std::filesystem::path& dir, QString& error,
    QStringList& warnings);

} // namespace pelmora
