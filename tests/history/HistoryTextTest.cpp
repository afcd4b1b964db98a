#include "history/HistoryText.h"

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
        u"Found: not found\nRings: 2\nReason: rings\nProfile: 0, template: 0\nFate: none\n"
        u"Delivery: unknown\nText sent:\n(none)");

    r.callerName = u"Ann";
    r.contactId = 7;
    r.reason = HistoryReason::Replied;
    r.profileId = 3;
    r.templateId = 9;
    r.text = u"Busy";
    r.fate = ReplyFate::Failed;
    r.error = u"no signal";
    EXPECT_EQ(HistoryCaller(r), u"Ann");
    EXPECT_EQ(HistoryOutcome(r), u"failed");
    const std::u16string details = HistoryDetails(r);
    for (const std::u16string_view line : {u"Name: Ann (contact 7)\n", u"Profile: 3, template: 9\n",
             u"Fate: failed (no signal)\n", u"Text sent:\nBusy"})
        EXPECT_NE(details.find(line), std::u16string::npos)
            << std::string(line.begin(), line.end());
    r.fate = ReplyFate::Sent;
    r.delivery = DeliveryState::Delivered;
    EXPECT_EQ(HistoryOutcome(r), u"sent, delivered");
}
