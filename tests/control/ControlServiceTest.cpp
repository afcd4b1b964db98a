#include "control/ControlService.h"
#include "control/ControlClient.h"
#include "tests/TestSupport.h"
#include "tests/app/MonitoringWindowFixture.h"
#include "tests/platform/PrivateSessionBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <fstream>

using namespace pelmora;
using namespace pelmora::test;

namespace {

QString Name(const char* text)
{
    return QString::fromLatin1(text);
}

// What the test's connection heard on the bus.
class SignalRecorder : public QObject {
    Q_OBJECT
public:
    QVariant Changed(const QString& property) const { return changes.value(property); }

    std::vector<QStringList> calls;
    QVariantMap changes; // the last value announced for each property

public Q_SLOTS:
    void Record(
        const QString& number, const QString& name, const QString& outcome, const QString& reason)
    {
        calls.push_back({number, name, outcome, reason});
    }
    void RecordChange(const QString&, const QVariantMap& changed, const QStringList&)
    {
        changes.insert(changed);
    }
};

// The window's control object on a private bus, and a second connection of
// the test's own that calls it as a script would.
class ControlOnBus : public MonitoringWindow {
protected:
    void SetUp() override
    {
        MonitoringWindow::SetUp();
        bus_ = std::make_unique<PrivateSessionBus>(PrivateSessionBus::Services::None);
        ASSERT_EQ(bus_->Error(), "");
        const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        server_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("control-server")));
        client_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("control-client")));
        Open();
        service_ = std::make_unique<ControlService>(dialog->Session());
        QObject::connect(&dialog->Session(), &MonitoringSession::StateChanged, service_.get(),
            &ControlService::StateMayHaveChanged);
        QObject::connect(&dialog->Session(), &MonitoringSession::MissedCallLogged, service_.get(),
            &ControlService::ReportMissedCall);
        ASSERT_TRUE(service_->Register(*server_));
        client_->connect(Name(kControlService), Name(kControlPath), Name(kControlInterface),
            QStringLiteral("MissedCall"), &signals_,
            SLOT(Record(QString, QString, QString, QString)));
        client_->connect(Name(kControlService), Name(kControlPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
            &signals_, SLOT(RecordChange(QString, QVariantMap, QStringList)));
    }
    void TearDown() override
    {
        service_.reset();
        MonitoringWindow::TearDown();
        client_.reset();
        server_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("control-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("control-server"));
        bus_.reset();
    }
    // Calls without blocking: the window answers from this same thread.
    QDBusMessage Call(const QString& interface, const QString& method, QVariantList arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            Name(kControlService), Name(kControlPath), interface, method);
        message.setArguments(arguments);
        QDBusPendingCall call = client_->asyncCall(message);
        EXPECT_TRUE(WaitUntil([&] { return call.isFinished(); })) << method.toStdString();
        return call.reply();
    }
    QDBusMessage Control(const char* method, QVariantList arguments = {})
    {
        return Call(Name(kControlInterface), Name(method), std::move(arguments));
    }
    QDBusMessage Set(const char* property, const QVariant& value)
    {
        return Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
            {Name(kControlInterface), Name(property), QVariant::fromValue(QDBusVariant(value))});
    }
    QVariant Get(const char* property)
    {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), {Name(kControlInterface), Name(property)});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    ScriptedMessageBoxes boxes;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<QDBusConnection> server_;
    std::unique_ptr<QDBusConnection> client_;
    std::unique_ptr<ControlService> service_;
    SignalRecorder signals_;
};

} // namespace

TEST_F(ControlOnBus, RefusalsAreErrorsWithTheWindowsTextAndShowNoBox)
{
    main->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"0");
    struct Case {
        QDBusMessage reply;
        const char* error;
        QString message;
    };
    const Case cases[] = {
        {Control("Start"), kRefusedError,
            QStringLiteral("Invalid \"Max allowed SMS to send\" please correct its value")},
        {Control("AnswerQuestion", {0u, true}), kNoQuestionError,
            QStringLiteral("No question is open.")},
        {Control("SetActiveProfile", {QStringLiteral("Nope")}), kUnknownProfileError,
            QStringLiteral("There is no profile named \"Nope\".")},
        // Stored but not yet on the Profile page: nothing would change.
        {(AddProfile(u"Later", greeting->id),
             Control("SetActiveProfile", {QStringLiteral("Later")})),
            kUnknownProfileError,
            QStringLiteral("The profile \"Later\" could not be made active.")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.reply.type(), QDBusMessage::ErrorMessage) << c.error;
        EXPECT_EQ(c.reply.errorName(), Name(c.error));
        EXPECT_EQ(c.reply.errorMessage(), c.message);
    }
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(dialog->IsMonitoring());
    // Property writes are refused as the methods are.
    const struct {
        const char* property;
        QVariant value;
        const char* error;
    } writes[] = {
        {"ActiveProfile", QStringLiteral("Nope"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"ActiveProfile", 3, "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Interactive", QStringLiteral("yes"), "org.freedesktop.DBus.Error.InvalidArgs"},
        {"Monitoring", true, "org.freedesktop.DBus.Error.PropertyReadOnly"},
        {"Nothing", true, "org.freedesktop.DBus.Error.UnknownProperty"},
    };
    for (const auto& write : writes)
        EXPECT_EQ(Set(write.property, write.value).errorName(), Name(write.error))
            << write.property << " " << write.value.toString().toStdString();
    EXPECT_EQ(Get("ActiveProfile").toString(), QStringLiteral("Default"));
    EXPECT_FALSE(Get("Interactive").toBool());
}

TEST_F(ControlOnBus, MethodsActAsTapsAndTheBusHearsOfEveryChange)
{
    EXPECT_EQ(Control("Start").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(dialog->IsMonitoring());
    EXPECT_EQ(main->GetDlgItemText(CMainPage::IDC_START_STOP), u"&Stop Monitor");
    ASSERT_TRUE(WaitUntil([&] { return signals_.Changed(QStringLiteral("Monitoring")) == true; }));

    EXPECT_EQ(Set("Interactive", true).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(main->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE));
    MissCall(u"07700900111");
    const QVariantMap question = qdbus_cast<QVariantMap>(Get("PendingQuestion"));
    EXPECT_EQ(question.value(QStringLiteral("number")), QStringLiteral("07700900111"));

    const uint id = question.value(QStringLiteral("id")).toUInt();
    EXPECT_EQ(Control("AnswerQuestion", {id, true}).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(outbox.Messages().size(), 1u);
    EXPECT_EQ(question.value(QStringLiteral("text")).toString().toStdU16String(),
        outbox.Messages()[0].text);
    EXPECT_EQ(Get("SentCount").toUInt(), 1u);
    EXPECT_TRUE(qdbus_cast<QVariantMap>(Get("PendingQuestion")).isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return signals_.calls.size() == 2; }));
    EXPECT_EQ(signals_.calls[0],
        (QStringList {QStringLiteral("07700900111"),
            QString::fromStdU16String(Column(CLogListCtrl::Caller)[0]),
            QStringLiteral("Interactive"), QStringLiteral("asked")}));
    EXPECT_EQ(
        signals_.calls[1].mid(2), (QStringList {QStringLiteral("Yes"), QStringLiteral("asked")}));
    ASSERT_TRUE(WaitUntil([&] { return signals_.Changed(QStringLiteral("SentCount")) == 1u; }));

    EXPECT_EQ(Control("Stop").type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(dialog->IsMonitoring());
    EXPECT_TRUE(boxes.Shown().empty());

    // A new schedule is announced with the Main page's words.
    ASSERT_TRUE(dialog->ChangeSchedule({{0x7f, 23 * 60, 7 * 60, true, activeProfile->id}}));
    ASSERT_TRUE(WaitUntil([&] {
        return signals_.Changed(QStringLiteral("NextChange"))
            == QStringLiteral("Schedule: Default from 23:00");
    }));
    EXPECT_TRUE(Get("Schedule").toString().contains(QStringLiteral("\"start\":\"23:00\"")));
}

TEST_F(ControlOnBus, QuestionsAreAnnouncedAndAnsweredByTheirId)
{
    EXPECT_EQ(Set("Interactive", true).type(), QDBusMessage::ReplyMessage);
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 3);
    main->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, 2);
    const QDBusMessage started = Control("Start");
    ASSERT_EQ(started.type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(started.arguments().value(0).toString().startsWith(QStringLiteral("Warning: ")))
        << "the warning a tap shows";
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 0);

    const auto announced = [&] {
        return qdbus_cast<QVariantMap>(signals_.Changed(QStringLiteral("PendingQuestion")));
    };
    MissCall(u"07700900111");
    ASSERT_TRUE(WaitUntil([&] { return !announced().isEmpty(); })) << "a question opens";
    const uint first = announced().value(QStringLiteral("id")).toUInt();
    // The schedule's notice (its start warns) is no question: it takes no number.
    EXPECT_EQ(Control("Stop").type(), QDBusMessage::ReplyMessage);
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 3);
    ASSERT_TRUE(dialog->ChangeSchedule({{0x7f, 0, 0, true, activeProfile->id}}));
    EXPECT_TRUE(dialog->IsMonitoring());
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 0);
    MissCall(u"07700900222");
    ASSERT_TRUE(WaitUntil([&] { return announced().value(QStringLiteral("id")) != first; }))
        << "a newer question replaces it";
    const QDBusMessage stale = Control("AnswerQuestion", {first, true});
    EXPECT_EQ(stale.errorName(), Name(kOtherQuestionError));
    EXPECT_TRUE(outbox.Messages().empty()) << "the caller the script never saw gets nothing";
    EXPECT_EQ(Control("AnswerQuestion", {first + 1, false}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitUntil([&] { return announced().isEmpty(); })) << "answered, it closes";
}

TEST_F(ControlOnBus, ProfileByNameAndQuitSavesAsExitDoes)
{
    AddProfile(u"Sleep", greeting->id);
    dialog->ProfilePage()->FillProfileCombo(activeProfile->id);
    EXPECT_EQ(Get("Profiles").toStringList(), (QStringList {"Default", "Sleep"}));
    EXPECT_EQ(Set("ActiveProfile", QStringLiteral("Sleep")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(dialog->ProfilePage()->ActiveProfile()->name.Text(), u"Sleep");
    const int32_t sleepId = dialog->ProfilePage()->ActiveProfile()->id;
    EXPECT_EQ(Control("Quit").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitUntil([&] { return dialog->isHidden() && dialog->result() == dlg::IDOK; }));
    dialog.reset();
    SettingsRecord saved;
    LoadSettings(dir.Path(), saved);
    EXPECT_EQ(saved.activeProfileId, sleepId);
    EXPECT_TRUE(boxes.Shown().empty());
}

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The program's command line, on the private bus and a data folder of the
// test's own.
class ControlCommandLine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(bus_.Error(), ""); }
    void TearDown() override
    {
        // A program left running by a failed test must not outlive the bus.
        if (Pelmora({"--quit"}).exitCode == 0) {
            EXPECT_TRUE(WaitUntil(
                [&] { return Pelmora({"--status"}).exitCode == kControlNotRunning; }, 20000));
        }
    }
    ProgramRun Pelmora(
        const std::vector<const char*>& arguments, const std::filesystem::path& data = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PELMORA_HOME"),
            QString::fromStdString((data.empty() ? data_.Path() : data).string()));
        process.setProcessEnvironment(environment);
        QStringList list {QStringLiteral("--backend"), QStringLiteral("simulated")};
        for (const char* argument : arguments)
            list << QString::fromUtf8(argument);
        process.start(QStringLiteral(PELMORA_PROGRAM), list);
        ProgramRun run;
        if (!process.waitForFinished(60000))
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    PrivateSessionBus bus_ {PrivateSessionBus::Services::None};
    ScratchDir data_;
};

} // namespace

namespace {

// The installed service file, as the bus reads it, on the test's data.
void InstallBusService(const std::filesystem::path& busRoot, const std::filesystem::path& data)
{
    std::filesystem::create_directories(busRoot / "services");
    std::ofstream(busRoot / "services" / "com.vantrel.Pelmora.service")
        << "[D-BUS Service]\nName=com.vantrel.Pelmora\nExec=/usr/bin/env PELMORA_HOME="
        << data.string() << " QT_QPA_PLATFORM=offscreen " << PELMORA_PROGRAM
        << " --hidden --backend simulated\n";
}

// A connection to the test's own bus: the process's session connection
// stays on the bus of the test that made it.
QDBusConnection TestBus()
{
    static int made = 0;
    return QDBusConnection::connectToBus(QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
        QStringLiteral("test-bus-%1").arg(++made));
}

// Whether the bus started the process that owns the control name: the bus
// gives the processes it starts DBUS_STARTER_BUS_TYPE.
bool StartedByTheBus()
{
    const QDBusReply<uint> pid
        = TestBus().interface()->servicePid(QString::fromLatin1(kControlService));
    std::ifstream environ("/proc/" + std::to_string(pid.value()) + "/environ");
    for (std::string entry; std::getline(environ, entry, '\0');)
        if (entry == "DBUS_STARTER_BUS_TYPE=session")
            return true;
    return false;
}

} // namespace

TEST_F(ControlCommandLine, StartsPelmoraHiddenThenTalksToIt)
{
    const ProgramRun none = Pelmora({"--status"});
    EXPECT_EQ(none.exitCode, kControlNotRunning);
    EXPECT_EQ(none.err, QStringLiteral("pelmora: Pelmora is not running\n"));

    // A refused start is told with the window's text, and the program
    // started for it does not stay.
    const ProgramRun refused = Pelmora({"--start", "--profile", "Nope"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("pelmora: There is no profile named \"Nope\".\n"));
    ASSERT_TRUE(
        WaitUntil([&] { return Pelmora({"--status"}).exitCode == kControlNotRunning; }, 20000));

    ResetTemplateStore();
    ResetProfileStore();
    const int32_t greeting = AppendTemplate(u"Greeting", u"Hi")->id;
    AddProfile(u"Work", greeting);
    AddProfile(u"Sleep", greeting);
    ASSERT_TRUE(SaveTemplates(data_.Path()) && SaveProfiles(data_.Path()));
    ResetTemplateStore();
    ResetProfileStore();

    const ProgramRun started = Pelmora({"--start", "--profile", "Sleep"});
    EXPECT_EQ(started.exitCode, 0) << started.err.toStdString();
    const ProgramRun status = Pelmora({"--status"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_EQ(
        status.out, QStringLiteral("monitoring: on\nsent: 0\nprofile: Sleep\nquestion: none\n"));
    const ProgramRun unknown = Pelmora({"--profile", "Nope"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, QStringLiteral("pelmora: There is no profile named \"Nope\".\n"));
    EXPECT_EQ(Pelmora({"--answer", "yes"}).err, QStringLiteral("pelmora: No question is open.\n"));
    EXPECT_EQ(Pelmora({"--stop"}).exitCode, 0);
    EXPECT_TRUE(Pelmora({"--status"}).out.startsWith(QStringLiteral("monitoring: off\n")));
    EXPECT_EQ(Pelmora({"--quit"}).exitCode, 0);
    ASSERT_TRUE(
        WaitUntil([&] { return Pelmora({"--status"}).exitCode == kControlNotRunning; }, 20000));
}

TEST_F(ControlCommandLine, APelmoraThatDoesNotAnswerIsSaidSoWithinSeconds)
{
    ASSERT_EQ(Pelmora({"--start"}).exitCode, 0);
    const QDBusReply<uint> pid
        = TestBus().interface()->servicePid(QString::fromLatin1(kControlService));
    ASSERT_TRUE(pid.isValid());
    ASSERT_EQ(kill(static_cast<pid_t>(pid.value()), SIGSTOP), 0);
    QElapsedTimer waited;
    waited.start();
    const ProgramRun stopped = Pelmora({"--status"});
    const qint64 elapsed = waited.elapsed();
    kill(static_cast<pid_t>(pid.value()), SIGCONT);
    EXPECT_EQ(stopped.exitCode, kControlNotAnswering);
    EXPECT_EQ(stopped.err, QStringLiteral("pelmora: Pelmora is not answering\n"));
    // Not the bus's own 25 s: a script goes on.
    EXPECT_LT(elapsed, 10000);
}

TEST_F(ControlCommandLine, TheBusStartsPelmoraForAScriptOutsideTheCallersGroup)
{
    InstallBusService(bus_.Root(), data_.Path());
    // A plain bus call starts it: nothing of Pelmora runs yet.
    QProcess gdbus;
    gdbus.start(QStringLiteral("gdbus"),
        {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
            QString::fromLatin1(kControlService), QStringLiteral("--object-path"),
            QString::fromLatin1(kControlPath), QStringLiteral("--method"),
            QStringLiteral("com.vantrel.Pelmora1.Start")});
    ASSERT_TRUE(gdbus.waitForFinished(60000));
    EXPECT_EQ(gdbus.exitCode(), 0) << gdbus.readAllStandardError().toStdString();
    EXPECT_TRUE(StartedByTheBus());

    const ProgramRun status = Pelmora({"--status", "--json"});
    ASSERT_EQ(status.exitCode, kControlDone) << status.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(status.out.toUtf8()).object();
    EXPECT_TRUE(json.value("monitoring").toBool());
    EXPECT_FALSE(json.value("interactive").toBool());
    EXPECT_EQ(json.value("profiles").toArray(), QJsonArray {"Default"});
    EXPECT_TRUE(json.value("question").isNull());
    EXPECT_TRUE(json.value("nextChange").isNull());
    EXPECT_EQ(json.value("dataDirectory").toString(),
        QString::fromStdString(std::filesystem::canonical(data_.Path()).string()));

    // The same Pelmora from --start, and --interactive and --quiet on it.
    ASSERT_EQ(Pelmora({"--quit"}).exitCode, kControlDone);
    ASSERT_TRUE(
        WaitUntil([&] { return Pelmora({"--status"}).exitCode == kControlNotRunning; }, 20000));
    ASSERT_EQ(Pelmora({"--start", "--interactive", "on", "--quiet", "60"}).exitCode, kControlDone);
    EXPECT_TRUE(StartedByTheBus());
    const QJsonObject after
        = QJsonDocument::fromJson(Pelmora({"--status", "--json"}).out.toUtf8()).object();
    EXPECT_TRUE(after.value("interactive").toBool());
    EXPECT_EQ(after.value("quietMinutes").toInt(), 60);
}

TEST_F(ControlCommandLine, EachOutcomeHasItsExitStatus)
{
    ASSERT_EQ(Pelmora({"--start"}).exitCode, kControlDone);
    ScratchDir other;
    const ProgramRun elsewhere = Pelmora({"--stop"}, other.Path());
    EXPECT_EQ(elsewhere.exitCode, kControlOtherDataDirectory);
    EXPECT_EQ(elsewhere.err,
        QStringLiteral("pelmora: the running Pelmora uses %1, not %2; nothing was done\n")
            .arg(QString::fromStdString(std::filesystem::canonical(data_.Path()).string()),
                QString::fromStdString(std::filesystem::canonical(other.Path()).string())));
    EXPECT_TRUE(Pelmora({"--status"}).out.startsWith("monitoring: on\n")) << "nothing was done";
    const std::pair<std::vector<const char*>, int> cases[] = {
        {{"--quiet", "16"}, kControlRefused},
        {{"--pause-schedule", "tomorrow"}, kControlRefused},
        {{"--interactive", "maybe"}, kControlUsage},
        {{"--json"}, kControlUsage},
        {{"--pause-schedule", "2099-01-01T08:00"}, kControlDone},
    };
    for (const auto& [arguments, exitCode] : cases)
        EXPECT_EQ(Pelmora(arguments).exitCode, exitCode) << arguments.front();
    const QJsonObject json
        = QJsonDocument::fromJson(Pelmora({"--status", "--json"}).out.toUtf8()).object();
    EXPECT_TRUE(json.value("schedulePausedUntil").toString().startsWith("2099-01-01T08:00:00"))
        << json.value("schedulePausedUntil").toString().toStdString();
}

TEST_F(ControlCommandLine, ASecondPelmoraOnAnotherDataDirectorySaysWhyItHasNoControl)
{
    ASSERT_EQ(Pelmora({"--start"}).exitCode, kControlDone);
    ScratchDir other;
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("PELMORA_HOME"), QString::fromStdString(other.Path().string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(PELMORA_PROGRAM),
        {QStringLiteral("--hidden"), QStringLiteral("--backend"), QStringLiteral("simulated")});
    QByteArray said;
    const bool told = WaitUntil(
        [&] {
            second.waitForReadyRead(100);
            said += second.readAllStandardError();
            return said.contains("has no control interface");
        },
        30000);
    second.terminate();
    second.waitForFinished(10000);
    ASSERT_TRUE(told) << said.toStdString();
    EXPECT_TRUE(said.contains(QByteArray::fromStdString(
        "held by the Pelmora of " + std::filesystem::canonical(data_.Path()).string())))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QByteArray::fromStdString(
        "this one (of " + std::filesystem::canonical(other.Path()).string() + ")")))
        << said.toStdString();
}

#include "ControlServiceTest.moc"
