// Measures the road of one missed call, from the monitor's report to the text
// handed to the SMS transport, with 10,000 contacts and a log of 200 rows:
// a caller that no contact has, and a contact found only by the scan of all
// contacts. The outbox file write that follows a send is measured apart.

#include "bench/Measure.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/MemoryCallLog.h"
#include "monitor/MissedCallPipeline.h"
#include "monitor/MissedCallTexts.h"
#include "monitor/SmsSender.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/sms/Outbox.h"
#include "platform/sms/PlatformVersion.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace pelmora;
using pelmora::bench::Figures;
using pelmora::bench::Summarise;

namespace {

constexpr int kContacts = 10000;
constexpr int kLogRows = 200;

std::u16string U16(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

void WriteBook(const std::filesystem::path& file)
{
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < kContacts; ++i) {
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
            << "N:Last" << i << ";First" << i << ";;Mr.;\r\n"
            << "FN:First" << i << " Last" << i << "\r\n"
            << "UID:bench-" << i << "\r\n"
            << "TEL;TYPE=cell:+44 7700 " << 100000 + i << "\r\n"
            << "TEL;TYPE=work:020 7946 " << 100000 + i << "\r\n"
            << "END:VCARD\r\n";
    }
}

// Takes what the transport hands to the platform and keeps it in memory.
class MemorySmsBackend final : public ImmediateSmsBackend {
public:
    bool Send(std::u16string_view number, std::u16string_view text, SmsPath) override
    {
        lastNumber = number;
        lastText = text;
        ++count;
        return true;
    }
    std::u16string lastNumber, lastText;
    int count = 0;
};

class QuietBubble final : public BubbleNotifier {
public:
    bool Add(std::u16string_view, std::u16string_view, uint32_t, uint32_t) override { return true; }
    bool Remove(uint32_t) override { return true; }
};

class BenchWindow final : public MissedCallWindow {
public:
    MissedCallOptions ReadOptions() const override
    {
        MissedCallOptions options;
        options.maxPerCallerIndex = 4;
        options.ringsBeforeSendIndex = 1;
        options.logAgeIndex = 48;
        // Exclude international numbers and two prefixes, as the rule pages would.
        options.passesRules = [](std::u16string_view number, bool) {
            if (!number.empty() && number[0] == u'+')
                return false;
            for (std::u16string_view piece : {u"0800", u"0900"})
                if (number.starts_with(piece))
                    return false;
            return true;
        };
        return options;
    }
    void StartTimer(uint32_t, uint32_t) override { }
    void ShowSentCount(int32_t) override { }
    void ReplyRefused(std::u16string_view) override { }
};

class FixedActiveProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

template <class F> Figures Time(int repeat, F&& f)
{
    std::vector<double> micros;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return Summarise(std::move(micros));
}

void Print(const char* what, const Figures& f)
{
    std::printf("%-34s %10.1f %10.1f %10.1f\n", what, f.median, f.mean, f.worst);
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path()
        / ("pelmora-pipeline-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    WriteBook(dir / "contacts.vcf");
    VCardAddressBook book(dir / "contacts.vcf");
    SetAddressBook(&book);
    CContactsSession contacts;
    if (!contacts.Logon()) {
        std::fprintf(stderr, "contacts logon failed\n");
        return 1;
    }

    // A profile with contact and group entries in front of its default message.
    ResetTemplateStore();
    ConnectProfilesToStores();
    const TemplateRecord* greeting = AppendTemplate(
        u"Greeting", u"Hi [FIRSTNAME], sorry I missed your call. I will call back.");
    const TemplateRecord* dear = AppendTemplate(u"Dear", u"Dear [TITLE] [FULLNAME], back soon.");
    FixedActiveProfile active;
    active.profile = AddProfile(u"Default", greeting->id);
    SetActiveProfileSource(&active);
    for (uint32_t oid = 1; oid <= 20; ++oid)
        AddContactEntry(*active.profile, oid * 7919, dear->id);
    for (int g = 0; g < 5; ++g) {
        GroupRecord source;
        for (uint32_t m = 0; m < 50; ++m)
            source.members.push_back(1000000 + static_cast<uint32_t>(g) * 100 + m);
        AddGroupEntry(*active.profile, AddGroup(source)->id, dear->id);
    }

    SettingsRecord settings;
    settings.internationalPrefix.Assign(u"+44");
    SetPlatformMajorVersion(4);
    MemorySmsBackend memory;
    SetSmsBackend(&memory);
    CSmsSender transport;
    transport.Init();

    int64_t now = 1'800'000'000;
    CMemoryCallLog log([&] { return now; });
    for (int i = 0; i < kLogRows; ++i) {
        const ContactNameParts nobody;
        log.AppendRow(MakeCallLogRow(U16("0161496" + std::to_string(1000 + i % 150)), nobody, 3,
            i % 3 == 0 ? ReplyStatus::Yes : ReplyStatus::No, now - 600));
    }
    BenchWindow window;
    QuietBubble bubble;
    CMissedCallPipeline pipeline(
        settings, contacts, transport, window, bubble, log, [&] { return now; });
    pipeline.maxTotalAtStart = 1 << 30;

    const std::u16string stranger = u"01632960999";
    const std::u16string lastContact = U16("07700" + std::to_string(100000 + kContacts - 1));
    bool right = true;
    auto check = [&](const MissedCallResult& result, const std::u16string& number,
                     std::u16string_view expected) {
        right = right && result.status == ReplyStatus::Yes && memory.lastNumber == number
            && memory.lastText.starts_with(expected);
        log.RemoveRow(log.Rows().size() - 1); // the log stays at 200 rows
    };
    auto whole = [&](const std::u16string& number, std::u16string_view expected) {
        return Time(100, [&] { check(pipeline.OnMissedCall(number, 4), number, expected); });
    };
    auto lookup = [&](const std::u16string& number, ContactNameParts& caller) {
        return Time(100, [&] { caller = IdentifyCaller(contacts, number, u"+44"); });
    };
    auto rest = [&](const std::u16string& number, const ContactNameParts& caller,
                    std::u16string_view expected) {
        return Time(
            1000, [&] { check(pipeline.ProcessMissedCall(number, caller, 4), number, expected); });
    };

    std::printf("%d contacts, %d log rows; microseconds per call\n", kContacts, kLogRows);
    std::printf("%-34s %10s %10s %10s\n", "", "median", "mean", "worst");
    for (const auto& [name, number, expected] :
        {std::tuple {"unknown number", stranger, std::u16string_view(u"Hi Friend")},
            std::tuple {
                "contact found in stage 3", lastContact, std::u16string_view(u"Hi First9999")}}) {
        std::printf("%s\n", name);
        check(pipeline.OnMissedCall(number, 4), number, expected); // warm-up
        Print("  report to transport", whole(number, expected));
        ContactNameParts caller;
        Print("  of which IdentifyCaller", lookup(number, caller));
        Print("  of which the rest", rest(number, caller, expected));
    }
    std::printf("\n");

    OutboxSmsBackend outbox(dir);
    SetSmsBackend(&outbox);
    const std::u16string text = memory.lastText;
    Print("outbox write (not ours above)", Time(200, [&] {
        transport.Send(text, lastContact, [&](const SmsUpdate& update) {
            right = right && (update.IsReport() || update.Accepted());
        });
    }));

    SetSmsBackend(nullptr);
    SetActiveProfileSource(nullptr);
    contacts.Logoff();
    SetAddressBook(nullptr);
    std::filesystem::remove_all(dir);
    if (!right) {
        std::printf("(a call did not end as expected!)\n");
        return 1;
    }
    return 0;
}
