#include "resources/Resources.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    // Nothing a test writes may reach the user's own data or settings.
    QTemporaryDir sandbox;
    const QByteArray root = sandbox.path().toUtf8();
    setenv("PELMORA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/share").constData(), 1);
    unsetenv("PELMORA_SCREEN");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    pelmora::RegisterResources();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
