#include "monitor/PendingReply.h"
#include "platform/sms/SmsBackend.h"
#include "tests/monitor/PipelineFakes.h"

#include <gtest/gtest.h>

using namespace pelmora;
using test::SentMessage;

namespace {

class PendingReplyTest : public ::testing::Test {
protected:
    test::RecordingBubble bubble;
    test::OutboxTransport transport;
    CPendingReply pending {bubble};
};

} // namespace

TEST_F(PendingReplyTest, StartsIdleAndClosingIdleRemovesNothing)
{
    EXPECT_FALSE(pending.IsPending());
    pending.Close();
    EXPECT_TRUE(bubble.events.empty());
    EXPECT_EQ(pending.SendPending(transport.sender), PendingSendResult::NothingPending);
    EXPECT_TRUE(transport.Messages().empty());
}

TEST_F(PendingReplyTest, AskHoldsTheReplyAndCloseRemovesItsBubbleOnce)
{
    bubble.Add(u"t", u"first", 90, kQuestionNotificationId);
    pending.Ask(u"Hello", u"0123");
    EXPECT_TRUE(pending.IsPending());
    EXPECT_EQ(pending.text, u"Hello");
    EXPECT_EQ(pending.number, u"0123");

    pending.Close();
    pending.Close();
    EXPECT_FALSE(pending.IsPending());
    EXPECT_EQ(bubble.events, (std::vector<std::u16string> {u"add 99", u"remove 99"}));
    EXPECT_TRUE(bubble.shown.empty());
}

TEST_F(PendingReplyTest, AskWithdrawsTheOlderQuestion)
{
    pending.Ask(u"first", u"1");
    pending.Ask(u"second", u"2");
    EXPECT_EQ(bubble.events, (std::vector<std::u16string> {u"remove 99"}));
    EXPECT_EQ(pending.SendPending(transport.sender), PendingSendResult::Sent);
    EXPECT_EQ(transport.Messages(), (std::vector<SentMessage> {{u"2", u"second"}}));
}

TEST_F(PendingReplyTest, SendPendingSendsOnceAndCloses)
{
    pending.Ask(u"Call you later", u"+4470");
    EXPECT_EQ(pending.SendPending(transport.sender), PendingSendResult::Sent);
    EXPECT_FALSE(pending.IsPending());
    EXPECT_EQ(bubble.events, (std::vector<std::u16string> {u"remove 99"}));
    EXPECT_EQ(pending.SendPending(transport.sender), PendingSendResult::NothingPending);
    EXPECT_EQ(transport.Messages(), (std::vector<SentMessage> {{u"+4470", u"Call you later"}}));
}

TEST_F(PendingReplyTest, RefusedSendIsReportedAndStillCloses)
{
    FailSmsCall(SmsCall::SmsSendMessage, 5);
    pending.Ask(u"Hi", u"0123");
    EXPECT_EQ(pending.SendPending(transport.sender), PendingSendResult::Failed);
    EXPECT_FALSE(pending.IsPending());
    EXPECT_EQ(bubble.events, (std::vector<std::u16string> {u"remove 99"}));
    EXPECT_TRUE(transport.Messages().empty());
}
