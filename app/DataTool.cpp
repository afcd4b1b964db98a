// pelmora-data: shows, backs up and restores Pelmora's data files as JSON,
// through the application's own load and save code.

#include "app/DataDocument.h"
#include "app/HistoryCommand.h"
#include "app/PreviewCommand.h"
#include "platform/shell/SingleInstance.h"
#include "platform/storage/DataDirectory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>
#include <optional>

namespace {

constexpr int kUsageError = 2;

void Warn(const QStringList& warnings)
{
    for (const QString& warning : warnings)
        std::fprintf(stderr, "pelmora-data: warning: %s\n", warning.toUtf8().constData());
}

int Dump(const std::optional<QString>& file)
{
    QStringList warnings;
    QStringList unread;
    QJsonObject document;
    if (!file) {
        document = pelmora::DumpDataDirectory(pelmora::DataDirectory(), warnings, &unread);
    } else {
        QString error;
        const auto one = pelmora::DumpDataFile(file->toStdString(), warnings, error, &unread);
        if (!one) {
            std::fprintf(stderr, "pelmora-data: %s\n", error.toUtf8().constData());
            return 1;
        }
        document = *one;
    }
    Warn(warnings);
    // A backup made of a file that could not be read would be silently
    // partial: each such file is named, and the status says it.
    for (const QString& line : unread)
        std::fprintf(stderr, "pelmora-data: %s\n", line.toUtf8().constData());
    std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
    return unread.isEmpty() ? 0 : 1;
}

int Load(const QString& path)
{
    // The running program writes its own copy back when it ends, and none
    // may start while the files are written: the lock is held till then.
    const pelmora::DataDirectoryLock lock(pelmora::DataDirectory());
    switch (lock.GetState()) {
    case pelmora::DataDirectoryLock::State::Held:
    case pelmora::DataDirectoryLock::State::Unguarded:
        break;
    case pelmora::DataDirectoryLock::State::Running:
        std::fputs("pelmora-data: Pelmora is running on this data directory; exit it first; "
                   "nothing was written\n",
            stderr);
        return 1;
    case pelmora::DataDirectoryLock::State::Refused:
        std::fprintf(
            stderr, "pelmora-data: %s; nothing was written\n", lock.Problem().toUtf8().constData());
        return 1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "pelmora-data: %s: cannot be read\n", path.toUtf8().constData());
        return 1;
    }
    QString error;
    QStringList warnings;
    if (!pelmora::LoadDataDocument(file.readAll(), pelmora::DataDirectory(), error, warnings)) {
        std::fprintf(stderr, "pelmora-data: %s: %s; nothing was written\n",
            path.toUtf8().constData(), error.toUtf8().constData());
        return 1;
    }
    Warn(warnings);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList words = QCoreApplication::arguments().mid(1);
    // preview and history have options of their own, which the parser
    // below does not know.
    for (const auto& [name, run] : {std::pair {"preview", &pelmora::RunPreview},
             std::pair {"history", &pelmora::RunHistory}}) {
        if (words.value(0) != QLatin1String(name))
            continue;
        QString out, err;
        const int code = run(words.mid(1), pelmora::DataDirectory(), out, err);
        std::fputs(err.toUtf8().constData(), stderr);
        std::fputs(out.toUtf8().constData(), stdout);
        return code;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows, backs up and restores Pelmora's data files as JSON.\n\n"
        "  dump [--file PATH]  print the data directory, or one data file, as JSON\n"
        "  load FILE.json      write the four data files (and the options, when the\n"
        "                      document has them) from a JSON document\n"
        "  preview NUMBER      what a missed call from NUMBER would get now\n"
        "                      [--rings N] [--at \"YYYY-MM-DD HH:MM\"] [--contacts FILE_OR_DIR]\n"
        "                      [--json]\n"
        "  history             the calls Pelmora handled and what became of each reply\n"
        "                      [--since DATE] [--number N] [--json|--csv]\n\n"
        "The document holds Pelmora's own options (the weekly schedule, how long the\n"
        "history is kept, the quiet period) under \"options\". dump and load leave the\n"
        "history (history.sqlite) alone.\n"
        "The data directory is PELMORA_HOME, or Vantrel/Pelmora under the XDG data home."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption file(QStringLiteral("file"),
        QStringLiteral("With dump: the one data file to show."), QStringLiteral("PATH"));
    parser.addOption(file);
    parser.addPositionalArgument(QStringLiteral("command"),
        QStringLiteral("dump, load, preview or history (above)"),
        QStringLiteral("dump|load FILE.json|preview NUMBER|history"));

    const auto usageError = [&parser](const QString& what) {
        std::fprintf(stderr, "pelmora-data: %s\n%s", what.toUtf8().constData(),
            parser.helpText().toUtf8().constData());
        return kUsageError;
    };
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == QStringLiteral("dump") && args.size() == 1)
        return Dump(parser.isSet(file) ? std::optional(parser.value(file)) : std::nullopt);
    if (command == QStringLiteral("load") && args.size() == 2 && !parser.isSet(file))
        return Load(args[1]);
    if (command == QStringLiteral("dump"))
        return usageError(QStringLiteral("dump takes no file name; use --file PATH"));
    if (command == QStringLiteral("load"))
        return usageError(QStringLiteral("load takes one JSON file and no --file"));
    return usageError(command.isEmpty() ? QStringLiteral("a command is missing")
                                        : QStringLiteral("unknown command: %1").arg(command));
}
