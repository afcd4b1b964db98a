#include "ui/ShellHelpers.h"
#include "platform/shell/ShellServices.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct Started {
    std::u16string program;
    std::u16string commandLine;
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProcessLauncher([this](const std::u16string& program, const std::u16string& line) {
            started.push_back({program, line});
            return true;
        });
    }
    void TearDown() override { SetProcessLauncher(nullptr); }
    std::vector<Started> started;
};

} // namespace

TEST_F(HelpTest, CommandLinesForTheProgramsTopics)
{
    EXPECT_TRUE(LaunchHelp(u"pelmora.htm", u"mainpage"));
    LaunchHelp(u"pelmora.htm", u"");
    LaunchHelp(u"pelmora.htm");
    LaunchHelp(u"pelmora", u"advancedsettings");
    ASSERT_EQ(started.size(), 4u);
    EXPECT_EQ(started[0].program, u"peghelp.exe");
    EXPECT_EQ(started[0].commandLine, u"file:pelmora.htm#mainpage");
    EXPECT_EQ(started[1].commandLine, u"file:pelmora.htm#Main_Contents");
    EXPECT_EQ(started[2].commandLine, u"file:pelmora.htm#Main_Contents");
    EXPECT_EQ(started[3].commandLine, u"file:pelmora.htm#advancedsettings");
}

TEST_F(HelpTest, LongInputsStayWithinTheBuffer)
{
    LaunchHelp(std::u16string(300, u'h'), std::u16string(300, u't'));
    ASSERT_EQ(started.size(), 1u);
    const std::u16string& line = started[0].commandLine;
    EXPECT_EQ(line.size(), 259u);
    EXPECT_EQ(line.substr(0, 5), u"file:");
    EXPECT_EQ(line.substr(5, 250), std::u16string(250, u'h'))
        << "each append takes at most 250 characters";
}

TEST(HelpFileTest, HoldsEveryAnchorTheProgramUses)
{
    QFile file(QStringLiteral(PELMORA_SOURCE_DIR "/resources/help/pelmora.htm"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const char* topic : {"Main_Contents", "mainpage", "includerules", "excluderules",
             "profilecombo", "addeditmessages", "advancedsettings"})
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(QLatin1String(topic)))) << topic;
}

TEST(AutorunTest, DesktopEntryInTheAutostartFolder)
{
    test::ScratchDir dir;
    const std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    const std::u16string path = GetAutorunShortcutPath(u"Pelmora");
    EXPECT_EQ(QString::fromStdU16String(path).toStdString(),
        (dir.Path() / "autostart" / "Pelmora.desktop").string());
    EXPECT_FALSE(AutorunShortcutExists(u"Pelmora"));
    CreateAutorunShortcut(u"Pelmora", u"/h");
    ASSERT_TRUE(AutorunShortcutExists(u"Pelmora")) << "the missing folder was created";
    const auto bytes = test::ReadAll(dir.Path() / "autostart" / "Pelmora.desktop");
    const std::string entry(bytes.begin(), bytes.end());
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("Name=Pelmora\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"" + ProgramPath().string() + "\" /h\n"), std::string::npos)
        << entry;
    DeleteAutorunShortcut(u"Pelmora");
    EXPECT_FALSE(AutorunShortcutExists(u"Pelmora"));
    DeleteAutorunShortcut(u"Pelmora"); // a missing entry is not an error
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}
