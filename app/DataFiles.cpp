#include "app/DataFiles.h"

#include "messages/TemplateStore.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"

#include <QString>
#include <QStringList>

#include <cstring>

namespace pelmora {

namespace {

QString Path(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

void LoadDataFiles(const std::filesystem::path& dir, SettingsRecord& settings)
{
    LoadGroups(dir);
    LoadTemplates(dir);
    LoadProfiles(dir);
    LoadSettings(dir, settings);
}

std::u16string KeepDamagedDataFiles(const std::filesystem::path& dir, std::time_t now)
{
    return DamagedFilesMessage(KeepDamagedCopies(dir, now));
}

std::u16string DamagedFilesMessage(const std::vector<LoadedFileNote>& problems)
{
    QStringList parts;
    for (const LoadedFileNote& note : problems) {
        if (note.condition == FileCondition::Unreadable) {
            parts << QStringLiteral("%1 could not be read (%2). Pelmora will not save it, so it "
                                    "stays as it is.")
                         .arg(Path(note.file), QString::fromLocal8Bit(std::strerror(note.error)));
            continue;
        }
        QString part = QStringLiteral("%1 is damaged. Pelmora uses what it could read: %2.")
                           .arg(Path(note.file), QString::fromStdString(note.kept));
        part += note.copy.empty()
            ? QStringLiteral(" No copy of it could be made; Pelmora will not replace it before "
                             "one is made.")
            : QStringLiteral(" The file as it was is kept in %1.").arg(Path(note.copy));
        parts << part;
    }
    return parts.join(QStringLiteral("\n\n")).toStdU16String();
}

std::vector<SaveResult> SaveDataFiles(
    const std::filesystem::path& dir, const SettingsRecord& settings, const DataSaveSteps& steps)
{
    std::vector<SaveResult> failures;
    const auto keep = [&failures](SaveResult result) {
        if (!result)
            failures.push_back(std::move(result));
    };
    keep(SaveGroups(dir));
    keep(SaveTemplates(dir));
    if (steps.beforeProfiles)
        steps.beforeProfiles();
    keep(SaveProfiles(dir));
    if (steps.beforeSettings)
        steps.beforeSettings();
    keep(SaveSettings(dir, settings));
    return failures;
}

std::u16string SaveFailureMessage(const std::vector<SaveResult>& failures)
{
    QStringList lines;
    for (const SaveResult& failure : failures)
        lines << QStringLiteral("Could not save %1: %2.")
                     .arg(Path(failure.file), QString::fromLocal8Bit(failure.reason.c_str()));
    return lines.join(u'\n').toStdU16String();
}

} // namespace pelmora
