#include "platform/shell/SoftKeyboard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QGuiApplication>
#include <QInputMethod>

namespace pelmora {

namespace {

const QString kOskService = QStringLiteral("sm.puri.OSK0");
const QString kOskPath = QStringLiteral("/sm/puri/OSK0");

SoftKeyboard* g_keyboard = nullptr;

bool OskAnswers()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kOskService);
    return registered.isValid() && registered.value();
}

} // namespace

bool LinuxSoftKeyboard::IsUp()
{
    if (OskAnswers()) {
        QDBusInterface osk(kOskService, kOskPath, kOskService, QDBusConnection::sessionBus());
        const QVariant visible = osk.property("Visible");
        return visible.isValid() && visible.toBool();
    }
    const QInputMethod* method = QGuiApplication::inputMethod();
    return method && method->isVisible();
}

void LinuxSoftKeyboard::SetUp(QWidget*, bool up)
{
    if (OskAnswers()) {
        QDBusInterface osk(kOskService, kOskPath, kOskService, QDBusConnection::sessionBus());
        osk.call(QDBus::NoBlock, QStringLiteral("SetVisible"), up);
        return;
    }
    if (QInputMethod* method = QGuiApplication::inputMethod())
        up ? method->show() : method->hide();
}

void SetSoftKeyboard(SoftKeyboard* keyboard)
{
    g_keyboard = keyboard;
}

SoftKeyboard& CurrentSoftKeyboard()
{
    static LinuxSoftKeyboard linux;
    return g_keyboard ? *g_keyboard : linux;
}

} // namespace pelmora
