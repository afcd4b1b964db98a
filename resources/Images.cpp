#include "resources/Images.h"

#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QFile>

namespace pelmora {

namespace {

QByteArray Drawing(const char* name)
{
    QFile file(QStringLiteral(":/images/%1.svg").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void RegisterImages()
{
    // One style for every picture: flat discs and tiles in the program's blue,
    // orange, green and grey with white symbols, drawn as SVG.
    dlg::RegisterSvgImage(IDB_BANNER, Drawing("banner"));
    dlg::RegisterSvgImage(IDB_REPLY, Drawing("reply"));
    dlg::RegisterSvgImage(IDB_ADD, Drawing("add"));
    dlg::RegisterSvgImage(IDB_DELETE, Drawing("delete"));
    dlg::RegisterSvgImage(IDB_HELP, Drawing("help"));
    dlg::RegisterSvgImage(IDB_RUNNING, Drawing("running"));
    dlg::RegisterSvgImage(IDB_STOPPED, Drawing("stopped"));
    dlg::RegisterSvgImage(IDB_CONTACT, Drawing("contact"));
    dlg::RegisterSvgImage(IDB_GROUP, Drawing("group"));
}

} // namespace pelmora
