#include "platform/shell/TimeZoneWatch.h"
#include "tests/LogicTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace pelmora;

// A zone file replaced as timedated replaces /etc/localtime: the new zone is
// told once, and a replacement with the same zone tells nothing.
TEST(TimeZoneWatch, TellsAReplacedZoneFileOnceItsZoneDiffers)
{
    test::ScratchDir dir;
    const std::filesystem::path file = dir.Path() / "localtime";
    const auto write = [&](const char* zone) {
        std::ofstream(dir.Path() / "new") << zone;
        std::filesystem::rename(dir.Path() / "new", file);
    };
    write("Europe/Berlin");
    TimeZoneWatch watch(nullptr, QString::fromStdString(file.string()), [&] {
        std::ifstream in(file);
        std::string id;
        in >> id;
        return QTimeZone(QByteArray::fromStdString(id));
    });
    QSignalSpy changed(&watch, &TimeZoneWatch::Changed);
    write("Asia/Tokyo");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(changed.front().front().value<QTimeZone>().id(), QByteArray("Asia/Tokyo"));
    write("Asia/Tokyo");
    write("America/New_York");
    ASSERT_TRUE(test::WaitUntil([&] { return changed.size() >= 2; }, 5000));
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.back().front().value<QTimeZone>().id(), QByteArray("America/New_York"));
}
