#include "resources/Resources.h"
#include "tests/LogicTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

// The main of the widget tests: a whole Qt application on the offscreen
// platform, with the program's resources.
int main(int argc, char** argv)
{
    pelmora::test::TestSandbox sandbox;
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    pelmora::RegisterResources();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
