#include "tests/LogicTestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// The main of the logic tests: a core application without a window system,
// so a logic test that needed widgets would not even link.
int main(int argc, char** argv)
{
    pelmora::test::TestSandbox sandbox;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Pelmora"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
