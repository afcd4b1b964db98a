#include "control/ControlState.h"
#include "app/StartOptions.h"
#include "control/ControlClient.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

ControlState Sample()
{
    ControlState state;
    state.activeProfile = QStringLiteral("Work");
    state.profiles = {QStringLiteral("Work"), QStringLiteral("Sleep")};
    return state;
}

} // namespace

TEST(ControlState, OnlyChangedPropertiesAreAnnounced)
{
    struct Case {
        const char* name;
        void (*change)(ControlState&);
        QStringList changed;
    };
    const Case cases[] = {
        {"Nothing", [](ControlState&) {}, {}},
        {"Monitoring", [](ControlState& s) { s.monitoring = true; }, {"Monitoring"}},
        {"SentCount", [](ControlState& s) { s.sentCount = 2; }, {"SentCount"}},
        {"Profile", [](ControlState& s) { s.activeProfile = QStringLiteral("Sleep"); },
            {"ActiveProfile"}},
        {"ProfileList", [](ControlState& s) { s.profiles.removeLast(); }, {"Profiles"}},
        {"Meeting",
            [](ControlState& s) {
                s.busyFrom = QStringLiteral("2027-03-02T14:00:00+01:00");
                s.busyUntil = QStringLiteral("2027-03-02T15:30:00+01:00");
            },
            {"BusyFrom", "BusyUntil"}},
        {"Question",
            [](ControlState& s) {
                s.pendingQuestion = {{QStringLiteral("number"), QStringLiteral("+4470")}};
                s.interactive = true;
            },
            {"Interactive", "PendingQuestion"}},
    };
    for (const Case& c : cases) {
        ControlState after = Sample();
        c.change(after);
        const QVariantMap changed = ChangedControlProperties(Sample(), after);
        EXPECT_EQ(changed.keys(), c.changed) << c.name;
        for (const QString& key : changed.keys())
            EXPECT_EQ(changed.value(key), ControlProperties(after).value(key)) << c.name;
    }
}

TEST(ControlState, StatusNamesTheQuestionAndItsCaller)
{
    QVariantMap properties = ControlProperties(Sample());
    EXPECT_EQ(ControlStatusText(properties),
        QStringLiteral("monitoring: off\nsent: 0\nprofile: Work\nquestion: none\n"));
    properties[QStringLiteral("Monitoring")] = true;
    properties[QStringLiteral("SentCount")] = 3u;
    properties[QStringLiteral("PendingQuestion")] = QVariantMap {
        {QStringLiteral("number"), QStringLiteral("+447700900111")},
        {QStringLiteral("name"), QStringLiteral("Ann Lee")},
        {QStringLiteral("text"), QStringLiteral("Busy")},
    };
    EXPECT_EQ(ControlStatusText(properties),
        QStringLiteral("monitoring: on\nsent: 3\nprofile: Work\nquestion: +447700900111 (Ann "
                       "Lee)\nquestion text: Busy\n"));
    EXPECT_EQ(ControlStatusJson(properties)[QStringLiteral("busy")], QJsonValue());
    properties[QStringLiteral("BusyFrom")] = QStringLiteral("2027-03-02T14:00:00+01:00");
    properties[QStringLiteral("BusyUntil")] = QStringLiteral("2027-03-02T15:30:00+01:00");
    EXPECT_TRUE(ControlStatusText(properties)
                    .contains(QStringLiteral("\nbusy until: 2027-03-02T15:30:00+01:00\n")));
    EXPECT_EQ(ControlStatusJson(properties)[QStringLiteral("busy")],
        (QJsonObject {{QStringLiteral("from"), QStringLiteral("2027-03-02T14:00:00+01:00")},
            {QStringLiteral("until"), QStringLiteral("2027-03-02T15:30:00+01:00")}}));
}

TEST(ControlOptions, AreReadAndCheckedAsUsage)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        bool start, stop, status, quit;
        QString profile;
        std::optional<bool> answer;
    };
    const auto args
        = [](QStringList list) { return QStringList {QStringLiteral("pelmora")} + list; };
    const Case cases[] = {
        {args({"--start", "--profile", "Sleep"}), -1, true, false, false, false, "Sleep", {}},
        {args({"--status"}), -1, false, false, true, false, {}, {}},
        {args({"--answer", "YES", "--quit"}), -1, false, false, false, true, {}, true},
        {args({"--answer", "no"}), -1, false, false, false, false, {}, false},
        {args({"--stop"}), -1, false, true, false, false, {}, {}},
        {args({"--answer", "maybe"}), 2, false, false, false, false, {}, {}},
        {args({"--start", "--stop"}), 2, true, true, false, false, {}, {}},
        {args({"--profile", ""}), 2, false, false, false, false, {}, {}},
        {args({"--status", "--screenshot", "a.png"}), 2, false, false, true, false, {}, {}},
    };
    for (const Case& c : cases) {
        const StartOptions options = ParseStartOptions(c.arguments);
        const QString line = c.arguments.join(u' ');
        EXPECT_EQ(options.exitCode, c.exitCode) << line.toStdString();
        if (c.exitCode != -1) {
            EXPECT_TRUE(options.message.startsWith(QStringLiteral("pelmora: ")))
                << line.toStdString();
            continue;
        }
        EXPECT_EQ(options.control.start, c.start) << line.toStdString();
        EXPECT_EQ(options.control.stop, c.stop) << line.toStdString();
        EXPECT_EQ(options.control.status, c.status) << line.toStdString();
        EXPECT_EQ(options.control.quit, c.quit) << line.toStdString();
        EXPECT_EQ(options.control.profile, c.profile) << line.toStdString();
        EXPECT_EQ(options.control.answer, c.answer) << line.toStdString();
    }
}
