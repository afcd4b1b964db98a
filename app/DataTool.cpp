// pelmora-data: shows, backs up and restores Pelmora's data files as JSON,
// through the application's own load and save code.

#include "app/DataDocument.h"
#include "app/PreviewCommand.h"
#include "platform/storage/DataDirectory.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: pelmora-data dump [--file PATH]\n"
               "       pelmora-data load FILE.json\n"
               "       pelmora-data preview NUMBER [--rings N] [--contacts FILE_OR_DIR] [--json]\n"
               "The data directory is PELMORA_HOME, or Vantrel/Pelmora under the XDG data home.\n",
        stderr);
    return 2;
}

void Warn(const QStringList& warnings)
{
    for (const QString& warning : warnings)
        std::fprintf(stderr, "pelmora-data: warning: %s\n", warning.toUtf8().constData());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return Usage();

    if (args[0] == QStringLiteral("dump")) {
        QStringList warnings;
        QJsonObject document;
        if (args.size() == 1) {
            document = pelmora::DumpDataDirectory(pelmora::DataDirectory(), warnings);
        } else if (args.size() == 3 && args[1] == QStringLiteral("--file")) {
            QString error;
            const auto one = pelmora::DumpDataFile(args[2].toStdString(), warnings, error);
            if (!one) {
                std::fprintf(stderr, "pelmora-data: %s\n", error.toUtf8().constData());
                return 1;
            }
            document = *one;
        } else {
            return Usage();
        }
        Warn(warnings);
        std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
        return 0;
    }

    if (args[0] == QStringLiteral("preview")) {
        QString out, err;
        const int code = pelmora::RunPreview(args.mid(1), pelmora::DataDirectory(), out, err);
        std::fputs(err.toUtf8().constData(), stderr);
        std::fputs(out.toUtf8().constData(), stdout);
        return code;
    }

    if (args[0] == QStringLiteral("load") && args.size() == 2) {
        QFile file(args[1]);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(
                stderr, "pelmora-data: %s: cannot be read\n", args[1].toUtf8().constData());
            return 1;
        }
        QString error;
        if (!pelmora::LoadDataDocument(file.readAll(), pelmora::DataDirectory(), error)) {
            std::fprintf(stderr, "pelmora-data: %s: %s; nothing was written\n",
                args[1].toUtf8().constData(), error.toUtf8().constData());
            return 1;
        }
        return 0;
    }
    return Usage();
}
