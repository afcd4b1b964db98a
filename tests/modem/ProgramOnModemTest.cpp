// The pelmora program itself, started as at a session start ("/h") on the
// ModemManager backend, against the real ModemManager and the emulated modem.

#include "messages/TemplateStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"
#include "tests/modem/ModemRig.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <fstream>
#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

TEST(ProgramOnModem, ContactsMissedCallIsAnsweredThroughTheModem)
{
    ASSERT_FALSE(Rig().ModemPath().isEmpty()) << Rig().Error().toStdString();
    ScratchDir dir;
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directories(data);
    ResetTemplateStore();
    ResetProfileStore();
    const int32_t id = AppendTemplate(u"Reply", u"Hi [FIRSTNAME], call you later")->id;
    SettingsRecord settings;
    settings.activeProfileId = AddProfile(u"Default", id)->id;
    settings.excludeInternational = 0;
    ASSERT_TRUE(SaveTemplates(data) && SaveProfiles(data) && SaveSettings(data, settings));
    ResetTemplateStore();
    ResetProfileStore();
    std::ofstream(dir.Path() / "contacts.vcf")
        << "BEGIN:VCARD\nVERSION:3.0\nN:Smith;Ann;;;\nTEL;TYPE=CELL:+447700900111\nEND:VCARD\n";

    QProcess pelmora;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMORA_HOME"), QString::fromStdString(data.string()));
    environment.insert(QStringLiteral("PELMORA_CONTACTS"),
        QString::fromStdString((dir.Path() / "contacts.vcf").string()));
    environment.insert(QStringLiteral("PELMORA_RING_INTERVAL"), QStringLiteral("0.2"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    pelmora.setProcessEnvironment(environment);
    pelmora.setProcessChannelMode(QProcess::ForwardedChannels);
    pelmora.start(QStringLiteral(PELMORA_PROGRAM),
        {QStringLiteral("--backend"), QStringLiteral("modemmanager"), QStringLiteral("/h")});
    ASSERT_TRUE(pelmora.waitForStarted(10000));

    // Monitoring starts after the program's wait for the phone's services:
    // calls before that go unanswered, the first one after it is answered.
    const QDeadlineTimer deadline(90000);
    while (Rig().Sms().empty() && !deadline.hasExpired() && pelmora.state() == QProcess::Running) {
        Rig().Ring(QStringLiteral("+447700900111"));
        QTest::qWait(2500);
        Rig().HangUp();
        // ModemManager sees the call gone at its next poll, within 2 seconds.
        (void)WaitUntil([] { return !Rig().Sms().empty(); }, 3000);
    }
    EXPECT_EQ(pelmora.state(), QProcess::Running);
    pelmora.terminate();
    pelmora.waitForFinished(10000);

    const std::vector<ModemSms> sms = Rig().Sms();
    ASSERT_EQ(sms.size(), 1u);
    EXPECT_EQ(sms[0].number, QStringLiteral("+447700900111"));
    EXPECT_EQ(sms[0].text, QStringLiteral("Hi Ann, call you later"));
    EXPECT_EQ(sms[0].coding, QStringLiteral("gsm7"));
}
