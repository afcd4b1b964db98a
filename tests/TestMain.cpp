#include "resources/Resources.h"
#include "tests/LogicTestSupport.h"

#include <QApplication>
#include <QFont>

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
    // The desktop's font at the design's own 10 pixels, whatever the
    // platform's default, so that the simulated screen is drawn at scale 1
    // and the tests' pixels are the design's.
    QFont font = QApplication::font();
    font.setPixelSize(10);
    QApplication::setFont(font);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
