#include "monitor/SmsSender.h"
#include "platform/sms/MessageStore.h"
#include "platform/sms/Outbox.h"
#include "platform/sms/PlatformVersion.h"
#include "platform/sms/SmsApi.h"
#include "tests/LogicTestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class SmsTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSmsBackend(&outbox);
        ClearSmsFailures();
        sms::ClearSmsSendLog();
        mapi::SetMessageStores({u"ActiveSync", u"SMS"});
        mapi::SetStoresTableAvailable(true);
        SetDirectSendExported(false);
        SetPlatformMajorVersion(5);
    }
    void TearDown() override
    {
        SetSmsBackend(nullptr);
        ClearSmsFailures();
        SetPlatformMajorVersion(5);
        SetDirectSendExported(false);
    }

    std::vector<QJsonObject> OutboxLines() const
    {
        std::vector<QJsonObject> lines;
        QFile file(QString::fromStdString(outbox.File().string()));
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
            lines.push_back(doc.object());
        }
        return lines;
    }

    static QDateTime FixedTime()
    {
        return QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7), QTimeZone(3600 + 1800));
    }

    test::ScratchDir dir;
    OutboxSmsBackend outbox {dir.Path(), &SmsTransportTest::FixedTime};
};

QString Str(const QJsonObject& object, const char* key)
{
    return object.value(QString::fromLatin1(key)).toString();
}

} // namespace

TEST_F(SmsTransportTest, VersionChoosesThePath)
{
    for (uint32_t major : {3u, 4u}) {
        SetPlatformMajorVersion(major);
        CSmsSender sender;
        EXPECT_TRUE(sender.Init());
        EXPECT_EQ(sender.useMessageStore, 0);
        EXPECT_FALSE(sender.storeLink.isInitialised);
    }
    SetPlatformMajorVersion(5);
    CSmsSender storeSender;
    EXPECT_TRUE(storeSender.Init());
    EXPECT_EQ(storeSender.useMessageStore, 1);
    EXPECT_TRUE(storeSender.storeLink.isInitialised);
    EXPECT_EQ(storeSender.storeLink.directSend, nullptr);
    EXPECT_EQ(test::SendNow(storeSender, u"via store", u"0700"), true);

    SetPlatformMajorVersion(4);
    CSmsSender apiSender;
    ASSERT_TRUE(apiSender.Init());
    EXPECT_EQ(test::SendNow(apiSender, u"via api", u"0701"), true);

    const auto lines = OutboxLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Str(lines[0], "path"), QStringLiteral("message-store"));
    EXPECT_EQ(Str(lines[0], "text"), QStringLiteral("via store"));
    EXPECT_EQ(Str(lines[1], "path"), QStringLiteral("sms-api"));
    EXPECT_EQ(Str(lines[1], "number"), QStringLiteral("0701"));
    EXPECT_EQ(Str(lines[1], "time"), QStringLiteral("2026-12-08T09:05:07+01:30"));
}

TEST_F(SmsTransportTest, PlusNumberIsInternationalWithThePlusKept)
{
    SetPlatformMajorVersion(4);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    ASSERT_EQ(test::SendNow(sender, u"Hi", u"+447700900123"), true);
    ASSERT_EQ(test::SendNow(sender, u"Hi", u"00447700900123"), true);
    const auto& log = sms::SmsSendLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].addressType, sms::SMSAT_INTERNATIONAL);
    EXPECT_EQ(log[0].addressText, u"+447700900123");
    EXPECT_EQ(log[1].addressType, sms::SMSAT_UNKNOWN);
    EXPECT_EQ(log[1].addressText, u"00447700900123");
    // Text with its terminator, class 1 provider block, optimal encoding.
    EXPECT_EQ(log[0].data, (std::vector<uint8_t> {'H', 0, 'i', 0, 0, 0}));
    std::vector<uint8_t> provider(164, 0);
    provider[4] = 1;
    EXPECT_EQ(log[0].providerData, provider);
    EXPECT_EQ(log[0].encoding, 0u);
    EXPECT_EQ(log[0].options, 0u);
    EXPECT_EQ(sms::OpenSmsHandles(), 0);
}

TEST_F(SmsTransportTest, EmptyTextIsSentAsItsTerminator)
{
    SetPlatformMajorVersion(4);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    ASSERT_EQ(test::SendNow(sender, u"", u"123"), true);
    ASSERT_EQ(sms::SmsSendLog().size(), 1u);
    EXPECT_EQ(sms::SmsSendLog()[0].data, (std::vector<uint8_t> {0, 0}));
    ASSERT_EQ(OutboxLines().size(), 1u);
    EXPECT_EQ(Str(OutboxLines()[0], "text"), QString());
}

TEST_F(SmsTransportTest, SmsApiFailuresReturnFalseAndCloseTheHandle)
{
    SetPlatformMajorVersion(4);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    FailSmsCall(SmsCall::SmsOpen, sms::SMS_E_MISC);
    EXPECT_EQ(test::SendNow(sender, u"x", u"1"), false);
    ClearSmsFailures();
    FailSmsCall(SmsCall::SmsSendMessage, sms::SMS_E_MISC);
    EXPECT_EQ(test::SendNow(sender, u"x", u"1"), false);
    EXPECT_EQ(sms::OpenSmsHandles(), 0);
    EXPECT_TRUE(OutboxLines().empty());
}

TEST_F(SmsTransportTest, StoreMessageCarriesTheDataModelProperties)
{
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    ASSERT_EQ(test::SendNow(sender, u"Ring me", u"+4915100"), true);
    const mapi::SubmittedMessage& message = mapi::LastSubmittedMessage();
    EXPECT_EQ(message.storeName, u"SMS");
    ASSERT_EQ(message.recipients.size(), 1u);
    ASSERT_EQ(message.recipients[0].size(), 3u);
    EXPECT_EQ(message.recipients[0][0].ulPropTag, 0x0C150003u);
    EXPECT_EQ(message.recipients[0][0].l, 1);
    EXPECT_EQ(message.recipients[0][1].text, u"SMS");
    EXPECT_EQ(message.recipients[0][2].ulPropTag, 0x3003001Fu);
    EXPECT_EQ(message.recipients[0][2].text, u"+4915100");
    EXPECT_EQ(message.body.size(), (7u + 1) * 2);
    std::map<uint32_t, mapi::SPropValue> props;
    for (const auto& prop : message.props)
        props[prop.ulPropTag] = prop;
    EXPECT_EQ(props.at(0x0037001F).text, u"");
    EXPECT_EQ(props.at(0x0C1F001F).text, u"");
    EXPECT_EQ(props.at(0x0E170003).l, 0x40000);
    EXPECT_EQ(props.at(0x0E070003).l, 0x28);
    EXPECT_EQ(mapi::OutstandingMapiBuffers(), 0) << "property reads and rows are freed";
}

struct FailureStep {
    SmsCall call;
    int step;
};

class StoreFailure : public SmsTransportTest, public ::testing::WithParamInterface<FailureStep> { };

TEST_P(StoreFailure, YieldsItsTextAndFalse)
{
    CMessageStoreLink link;
    ASSERT_TRUE(link.Open());
    FailSmsCall(GetParam().call, mapi::E_FAIL);
    char16_t error[64] = u"untouched";
    EXPECT_FALSE(link.Send(u"123", u"text", error, 64));
    EXPECT_EQ(std::u16string(error), std::u16string(kStoreSendFailures[GetParam().step]));
    EXPECT_TRUE(OutboxLines().empty());
    EXPECT_EQ(mapi::OutstandingMapiBuffers(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, StoreFailure,
    ::testing::Values(FailureStep {SmsCall::QueryRows, 0}, FailureStep {SmsCall::OpenMsgStore, 0},
        FailureStep {SmsCall::GetStoreDisplayName, 0}, FailureStep {SmsCall::GetDraftsFolderId, 1},
        FailureStep {SmsCall::OpenEntry, 1}, FailureStep {SmsCall::CreateMessage, 2},
        FailureStep {SmsCall::ModifyRecipients, 3}, FailureStep {SmsCall::OpenBodyStream, 4},
        FailureStep {SmsCall::SetProps, 5}, FailureStep {SmsCall::SubmitMessage, 6}));

TEST_F(SmsTransportTest, ErrorTextIsCutToTheBuffer)
{
    CMessageStoreLink link;
    ASSERT_TRUE(link.Open());
    FailSmsCall(SmsCall::SubmitMessage, mapi::E_FAIL);
    char16_t error[7];
    EXPECT_FALSE(link.Send(u"1", u"t", error, 7));
    EXPECT_EQ(std::u16string(error), u"Failed");
    EXPECT_FALSE(link.Send(u"1", u"t", nullptr, 0));
}

TEST_F(SmsTransportTest, StoreIsFoundByNameInAnyCase)
{
    mapi::SetMessageStores({u"Outlook", u"sMs"});
    CMessageStoreLink link;
    ASSERT_TRUE(link.Open());
    EXPECT_TRUE(link.Send(u"5", u"ok", nullptr, 0));
    EXPECT_EQ(OutboxLines().size(), 1u);
}

TEST_F(SmsTransportTest, NoSmsStoreIsNotFound)
{
    mapi::SetMessageStores({u"ActiveSync", u"SMS2", u"Mail"});
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), mapi::S_OK);
    mapi::IMAPISession* session = nullptr;
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0, &session), mapi::S_OK);
    mapi::IMsgStore* store = reinterpret_cast<mapi::IMsgStore*>(1);
    EXPECT_EQ(FindSmsStore(session, &store), mapi::HRESULT_NOT_FOUND);
    EXPECT_EQ(store, nullptr);
    session->Release();
    mapi::MAPIUninitialize();
    EXPECT_EQ(mapi::OutstandingMapiBuffers(), 0);

    CMessageStoreLink link;
    ASSERT_TRUE(link.Open());
    char16_t error[64] = {};
    EXPECT_FALSE(link.Send(u"1", u"t", error, 64));
    EXPECT_EQ(std::u16string(error), u"Failed to get SMS Message store");
}

TEST_F(SmsTransportTest, MissingStoresTableFailsCleanly)
{
    mapi::SetStoresTableAvailable(false);
    CMessageStoreLink link;
    ASSERT_TRUE(link.Open());
    char16_t error[64] = {};
    EXPECT_FALSE(link.Send(u"1", u"t", error, 64));
    EXPECT_EQ(std::u16string(error), u"Failed to get SMS Message store");
    EXPECT_TRUE(OutboxLines().empty());
}

TEST_F(SmsTransportTest, DirectEntryPointReportsSuccessWhateverItDoes)
{
    SetDirectSendExported(true);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    ASSERT_NE(sender.storeLink.directSend, nullptr);
    EXPECT_EQ(LoadedLibraries(), 1);
    EXPECT_EQ(mapi::InitializeCount(), 0) << "the messaging subsystem is not needed";
    EXPECT_EQ(test::SendNow(sender, u"direct", u"+1"), true);
    FailSmsCall(SmsCall::DirectSend, -5);
    EXPECT_EQ(test::SendNow(sender, u"lost", u"+2"), true);
    const auto lines = OutboxLines();
    ASSERT_EQ(lines.size(), 1u) << "only the accepted message reached the outbox";
    EXPECT_EQ(Str(lines[0], "path"), QStringLiteral("direct"));
    sender.storeLink.Release();
    EXPECT_EQ(LoadedLibraries(), 0);
    EXPECT_EQ(sender.storeLink.library, nullptr);
}

TEST_F(SmsTransportTest, InitFailsWhenNeitherWayIsAvailable)
{
    FailSmsCall(SmsCall::MAPIInitialize, mapi::E_FAIL);
    CSmsSender sender;
    EXPECT_FALSE(sender.Init());
    EXPECT_FALSE(sender.storeLink.isInitialised);
    FailSmsCall(SmsCall::MAPIInitialize, 0);
    FailSmsCall(SmsCall::MAPILogonEx, mapi::E_FAIL);
    CSmsSender other;
    ASSERT_TRUE(other.Init());
    EXPECT_EQ(test::SendNow(other, u"t", u"1"), false);
}

TEST_F(SmsTransportTest, OutboxEscapesAndKeepsUnicode)
{
    SetPlatformMajorVersion(4);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    const std::u16string text = u"Line \"one\"\r\nZoë \\ 😀";
    ASSERT_EQ(test::SendNow(sender, text, u"+1"), true);
    const auto lines = OutboxLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Str(lines[0], "text").toStdU16String(), text);
}
