#include "ui/ShellHelpers.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/HelpViewer.h"
#include "platform/shell/ShellServices.h"
#include "tests/TestSupport.h"
#include "ui/AdvancedSettingsDlg.h"

#include <QCoreApplication>
#include <QFile>
#include <QScrollBar>
#include <QString>
#include <QTest>
#include <QTextBrowser>

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

TEST(HelpFileTest, FoundBesideTheProgramOrInTheInstalledDataFolder)
{
    // A build tree has the help beside the program; an installed tree has it
    // in share/pelmora beside bin, wherever the prefix is.
    test::ScratchDir root;
    const std::vector<uint8_t> html = {'<', 'p', '>'};
    std::filesystem::create_directories(root.Path() / "usr" / "share" / "pelmora");
    test::WriteAll(root.Path() / "usr" / "share" / "pelmora" / "pelmora.htm", html);
    std::filesystem::create_directories(root.Path() / "usr" / "bin");
    EXPECT_EQ(FindInstalledHelpFile(u"pelmora.htm", root.Path() / "usr" / "bin"),
        std::filesystem::canonical(root.Path() / "usr" / "share" / "pelmora" / "pelmora.htm"));

    test::WriteAll(root.Path() / "usr" / "bin" / "pelmora.htm", html);
    EXPECT_EQ(FindInstalledHelpFile(u"pelmora.htm", root.Path() / "usr" / "bin"),
        std::filesystem::canonical(root.Path() / "usr" / "bin" / "pelmora.htm"))
        << "the build tree's copy comes first";

    EXPECT_TRUE(FindInstalledHelpFile(u"other.htm", root.Path() / "usr" / "bin").empty());
}

TEST(ApplicationIdTest, OneIdForTheInstalledFilesTheWindowsAndTheStartUpEntry)
{
    EXPECT_STREQ(kApplicationId, PELMORA_APP_ID);
    EXPECT_EQ(QString::fromStdU16String(std::u16string(CAdvancedSettingsDlg::kAutorunName)),
        QLatin1String(kApplicationId));
    const std::filesystem::path desktop
        = std::filesystem::path(PELMORA_SOURCE_DIR) / "resources" / "desktop";
    const auto entryBytes = test::ReadAll(desktop / (std::string(kApplicationId) + ".desktop"));
    const std::string entry(entryBytes.begin(), entryBytes.end());
    EXPECT_NE(entry.find("\nIcon=" + std::string(kApplicationId) + "\n"), std::string::npos);
    EXPECT_NE(entry.find("\nX-Purism-FormFactor=Workstation;Mobile;\n"), std::string::npos);
    const auto infoBytes = test::ReadAll(desktop / (std::string(kApplicationId) + ".metainfo.xml"));
    const std::string info(infoBytes.begin(), infoBytes.end());
    EXPECT_NE(info.find("<id>" + std::string(kApplicationId) + "</id>"), std::string::npos);
    EXPECT_NE(
        info.find(">" + std::string(kApplicationId) + ".desktop</launchable>"), std::string::npos);
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

TEST(HelpViewerTest, OpensAtTheTopicAndFollowsItsLinksWithoutABrowser)
{
    const std::filesystem::path file = PELMORA_SOURCE_DIR "/resources/help/pelmora.htm";
    CHelpViewer* viewer = nullptr;
    for (const char* topic : {"excluderules", "advancedsettings", ""}) {
        SCOPED_TRACE(topic);
        viewer = CHelpViewer::Open(file, QString::fromLatin1(topic));
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer, CHelpViewer::Current()) << "one viewer, showing the new topic";
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Help"));
        EXPECT_EQ(viewer->size(), dlg::ScreenModel::Instance().Size());
        QTextBrowser* browser = viewer->Browser();
        EXPECT_EQ(browser->source().fragment(), QString::fromLatin1(topic));
        EXPECT_EQ(browser->verticalScrollBar()->value() > 0, *topic != 0);
    }
    // A link of the contents goes to its section, inside the viewer.
    QTextBrowser* browser = viewer->Browser();
    QTextCursor link = browser->document()->find(
        QStringLiteral("Log tab"), browser->document()->find(QStringLiteral("Writing messages")));
    ASSERT_FALSE(link.isNull());
    link.setPosition(link.selectionStart() + 2);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(link).center());
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("log"));
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);
    viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CHelpViewer::Current(), nullptr);
}
