#include "history/HistoryText.h"
#include "messages/TemplateStore.h"
#include "rules/ProfileStore.h"

#include <QString>

#include <gtest/gtest.h>

using namespace pelmora;

TEST(HistoryText, RowColumnsAndTheWholeRecord)
{
    CallRecord r;
    r.timeUtc = 1'800'000'000; // 2027-01-15 08:00 UTC
    r.utcOffset = -(5 * 3600 + 30 * 60);
    r.number = u"+15550100";
    r.lookupStage = "not found";
    r.rings = 2;
    r.reason = HistoryReason::Rings;
    EXPECT_EQ(HistoryTime(r), u"2027-01-15 02:30");
    EXPECT_EQ(HistoryCaller(r), u"+15550100");
    EXPECT_EQ(HistoryOutcome(r), u"not sent: rings");
    EXPECT_EQ(HistoryDetails(r),
        u"Time: 2027-01-15 02:30 (UTC-05:30)\nNumber: +15550100\nName: (not identified)\n"
        u"Found: not found\nRings: 2\nReason: rings\nProfile: none, template: none\nFate: none\n"
        u"Delivery: unknown\nText sent:\n(none)");

    r.callerName = u"Ann";
    r.contactId = 7;
    r.reason = HistoryReason::Replied;
    ResetTemplateStore();
    ResetProfileStore();
    r.templateId = AppendTemplate(u"Greeting", u"Busy")->id;
    r.profileId = AddProfile(u"Work", r.templateId)->id + 1; // deleted since
    r.text = u"Busy";
    r.fate = ReplyFate::Failed;
    r.error = u"no signal";
    EXPECT_EQ(HistoryCaller(r), u"Ann");
    EXPECT_EQ(HistoryOutcome(r), u"failed");
    const std::u16string details = HistoryDetails(r);
    for (const std::u16string_view line :
        {u"Name: Ann (contact 7)\n", u"Profile: 2 (deleted), template: Greeting\n",
            u"Fate: failed (no signal)\n", u"Text sent:\nBusy"})
        EXPECT_NE(details.find(line), std::u16string::npos)
            << std::string(line.begin(), line.end());
    r.fate = ReplyFate::Sent;
    r.delivery = DeliveryState::Delivered;
    EXPECT_EQ(HistoryOutcome(r), u"sent, delivered");
    ResetTemplateStore();
    ResetProfileStore();
}

TEST(HistoryText, TheDeliveryOfAReplyThatWentInTheUsersWords)
{
    const struct {
        ReplyFate fate;
        DeliveryState delivery;
        std::u16string outcome;
        std::u16string details;
    } cases[] = {
        {ReplyFate::Sent, DeliveryState::Waiting, u"sent, no report yet",
            u"Delivery: no report yet\n"},
        {ReplyFate::Sent, DeliveryState::Failed, u"sent, not delivered",
            u"Delivery: not delivered (the number is not in service)\n"},
        {ReplyFate::AnsweredYes, DeliveryState::Delivered, u"sent, delivered",
            u"Delivery: delivered\n"},
        {ReplyFate::Sent, DeliveryState::Unknown, u"sent", u"Delivery: unknown\n"},
        {ReplyFate::AnsweredYes, DeliveryState::Unknown, u"answered yes", u"Delivery: unknown\n"},
        {ReplyFate::Failed, DeliveryState::Waiting, u"failed", u"Delivery: no report yet\n"},
    };
    for (const auto& c : cases) {
        CallRecord r;
        r.fate = c.fate;
        r.delivery = c.delivery;
        if (c.delivery == DeliveryState::Failed)
            r.deliveryReason = u"the number is not in service";
        EXPECT_EQ(HistoryOutcome(r), c.outcome);
        EXPECT_NE(HistoryDetails(r).find(c.details), std::u16string::npos)
            << QString::fromStdU16String(c.outcome).toStdString();
    }
}
