// The JSON document of `pelmora-data load`: any bytes at all.
#include "app/DataDocument.h"
#include "fuzz/FuzzSupport.h"

#include <QJsonDocument>

#include <unistd.h>

using namespace pelmora;

namespace {

std::filesystem::path ScratchDir()
{
    static const std::filesystem::path dir = fuzz::ScratchFolder("pelmora-fuzz");
    return dir;
}

QByteArray Json(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::filesystem::path first = ScratchDir() / "first";
    const std::filesystem::path second = ScratchDir() / "second";
    std::error_code error;
    std::filesystem::remove_all(first, error);
    QString message;
    QStringList warnings;
    if (!LoadDataDocument(json, first, message, warnings)) {
        FUZZ_CHECK(!message.isEmpty());
        // Nothing is written when the document is refused.
        FUZZ_CHECK(!std::filesystem::exists(first));
        return 0;
    }
    FUZZ_CHECK(message.isEmpty());
    // What was written dumps to a document that loads again, and the files
    // that gives hold the same data.
    QStringList ignored;
    const QJsonObject dumped = DumpDataDirectory(first, ignored);
    std::filesystem::remove_all(second, error);
    FUZZ_CHECK(LoadDataDocument(Json(dumped), second, message, ignored));
    FUZZ_CHECK(DumpDataDirectory(second, ignored) == dumped);
    return 0;
}
