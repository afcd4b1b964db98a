// Writes the seed corpora of the fuzz targets: valid files made with the
// program's own encoders, and the damaged and hostile inputs the test suite
// uses. Run as `pelmora_fuzz_seeds fuzz/corpus`; the output is checked in.
#include "app/DataDocument.h"
#include "history/CallHistory.h"
#include "messages/TemplateStore.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/DataFile.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace pelmora;
using namespace std::literals;

namespace {

std::filesystem::path g_root;

void Write(const char* target, const char* name, std::span<const uint8_t> bytes)
{
    const auto dir = g_root / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void Write(const char* target, const char* name, std::string_view text)
{
    Write(target, name, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// Texts of several parts, as the targets split them.
std::string Parts(std::initializer_list<std::string_view> parts)
{
    std::string joined;
    for (const std::string_view* part = parts.begin(); part != parts.end(); ++part) {
        if (part != parts.begin())
            joined += '\x1f';
        joined += *part;
    }
    return joined;
}

SettingsRecord FullSettings()
{
    SettingsRecord s;
    s.maxPerCallerIndex = 2;
    s.maxTotal = 50;
    for (size_t i = 0; i < s.replacement.size(); ++i)
        s.replacement[i].SetCleared(u"Friend");
    s.includeMode = 1;
    s.includePrefixes.SetCleared(u"07;+447,01632");
    s.excludeStartingWith = 1;
    s.excludePrefixes.SetCleared(u"0800,;0845 ");
    s.internationalPrefix.SetCleared(u"00");
    s.activeProfileId = 2;
    s.interactive = 1;
    return s;
}

GroupList SampleGroups()
{
    GroupList groups;
    for (int32_t id : {1, 3}) {
        auto group = std::make_unique<GroupRecord>();
        group->id = id;
        group->SetName(id == 1 ? u"Family" : u"Work \u00e9\u65e5");
        group->members
            = id == 1 ? std::vector<uint32_t> {7, 9, 4000000000u} : std::vector<uint32_t> {};
        groups.push_back(std::move(group));
    }
    return groups;
}

TemplateList SampleTemplates()
{
    TemplateList templates;
    auto add = [&templates](int32_t id, std::u16string_view name, std::u16string_view text) {
        auto record = std::make_unique<TemplateRecord>();
        record->id = id;
        record->SetName(name);
        record->SetText(text);
        templates.push_back(std::move(record));
    };
    add(1, u"Default", kDefaultTemplateText);
    add(2, u"Meeting", u"[FIRSTNAME], in a meeting until [TITLE] [LASTNAME] [SUFFIX] calls back.");
    return templates;
}

ProfileList SampleProfiles()
{
    ProfileList profiles;
    for (int32_t id : {1, 2}) {
        auto profile = std::make_unique<ProfileRecord>();
        profile->id = id;
        profile->SetName(id == 1 ? u"Normal" : u"Meeting");
        profile->defaultMessageId = id;
        if (id == 2)
            for (const ProfileEntry e :
                {ProfileEntry {1, 1, 2}, ProfileEntry {0, 9, 0}, ProfileEntry {7, 3, 1}})
                profile->entries.push_back(std::make_unique<ProfileEntry>(e));
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

void SettingsSeeds()
{
    Write("settings", "default", SettingsRecord().Encode());
    Write("settings", "full", FullSettings().Encode());
    auto bytes = SettingsRecord().Encode();
    // A name shortened in place: its old tail stays after the terminator.
    bytes[settings_offset::replacement + 102 + 4] = 0;
    bytes[settings_offset::replacement + 102 + 5] = 0;
    bytes[1230] = 0x55;
    Write("settings", "tail-after-terminator", bytes);
    bytes.resize(SettingsRecord::kSize - 1);
    Write("settings", "one-byte-short", bytes);
    auto other = FullSettings().Encode();
    other[0] = 2;
    other.push_back(0x7f);
    Write("settings", "other-version-longer", other);
}

void GroupsSeeds()
{
    const auto valid = EncodeGroups(SampleGroups());
    Write("groups", "two-groups", valid);
    Write("groups", "none", EncodeGroups({}));
    ByteWriter negative;
    negative.PutI32(-1);
    Write("groups", "negative-count", negative.Take());
    auto cut = valid;
    cut.resize(cut.size() - 6);
    Write("groups", "cut-short", cut);
    auto hostile = valid;
    hostile[4 + 4 + 100] = 0xff; // the first group's member count
    hostile[4 + 4 + 100 + 3] = 0x7f;
    Write("groups", "hostile-member-count", hostile);
    auto promised = valid;
    promised[0] = 0xff;
    promised[1] = 0xff;
    Write("groups", "more-promised", promised);
    GroupList full;
    full.push_back(std::make_unique<GroupRecord>());
    full[0]->id = 2147483647;
    full[0]->name.units.fill(u'N'); // fifty units and no terminator
    Write("groups", "name-without-terminator-largest-id", EncodeGroups(full));
}

void TemplatesSeeds()
{
    const auto valid = EncodeTemplates(SampleTemplates());
    Write("templates", "two-templates", valid);
    auto odd = valid;
    odd.pop_back();
    Write("templates", "not-whole-records", odd);
    TemplateList unterminated;
    unterminated.push_back(std::make_unique<TemplateRecord>());
    unterminated[0]->id = 2147483647;
    unterminated[0]->name.units.fill(u'n');
    unterminated[0]->text.units.fill(u'[');
    Write("templates", "no-terminators-largest-id", EncodeTemplates(unterminated));
}

void ProfilesSeeds()
{
    const auto valid = EncodeProfiles(SampleProfiles());
    Write("profiles", "two-profiles-odd-kind", valid);
    auto cut = valid;
    cut.resize(cut.size() - 4);
    Write("profiles", "entry-cut-short", cut);
    auto huge = valid;
    huge[48] = 0xff;
    huge[49] = 0xff;
    huge[50] = 0xff;
    huge[51] = 0x7f;
    Write("profiles", "huge-entry-count", huge);
    Write("profiles", "header-only", std::span(valid).first(30));
}

void DataDocumentsSeeds()
{
    const auto dir = std::filesystem::temp_directory_path() / "pelmora-fuzz-seeds";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    QStringList warnings;
    const auto dump = [&] {
        return QJsonDocument(DumpDataDirectory(dir, warnings)).toJson(QJsonDocument::Compact);
    };
    const QByteArray empty = dump();
    Write("data_document", "empty-directory", empty.toStdString());
    WriteFileSafely(dir / kSettingsFileName, FullSettings().Encode());
    WriteFileSafely(dir / kGroupsFileName, EncodeGroups(SampleGroups()));
    WriteFileSafely(dir / kTemplatesFileName, EncodeTemplates(SampleTemplates()));
    WriteFileSafely(dir / kProfilesFileName, EncodeProfiles(SampleProfiles()));
    QByteArray full = dump();
    Write("data_document", "full", full.toStdString());
    std::filesystem::remove_all(dir);

    // The refusals of the test suite.
    Write("data_document", "invalid-json", "{\"settings\": {");
    Write("data_document", "not-an-object", "[1, 2]");
    QByteArray version = full;
    version.replace("\"version\":1", "\"version\":2");
    Write("data_document", "other-version", version.toStdString());
    QByteArray member = full;
    member.replace("[7,9,4000000000]", "[-1,4294967296,1.5]");
    Write("data_document", "member-out-of-range", member.toStdString());
    QByteArray typed = full;
    typed.replace("\"id\":1", "\"id\":\"one\"");
    Write("data_document", "wrong-type", typed.toStdString());
}

// The damaged-files target: a byte choosing the file, then its content;
// each file whole, and with the damage the test suite gives it.
void DamagedFilesSeeds()
{
    const std::vector<uint8_t> files[]
        = {EncodeGroups(SampleGroups()), EncodeTemplates(SampleTemplates()),
            EncodeProfiles(SampleProfiles()), FullSettings().Encode()};
    const char* const names[] = {"groups", "templates", "profiles", "settings"};
    for (uint8_t i = 0; i < 4; ++i) {
        std::vector<uint8_t> seed {i};
        seed.insert(seed.end(), files[i].begin(), files[i].end());
        Write("damaged_files", (names[i] + "-whole"s).c_str(), seed);
        seed.push_back(0);
        Write("damaged_files", (names[i] + "-stray-byte"s).c_str(), seed);
        seed.resize(seed.size() / 2);
        Write("damaged_files", (names[i] + "-cut-short"s).c_str(), seed);
    }
    // The options file (4) and the history (5): whole, and damaged as users
    // and disks damage them.
    const std::string options
        = R"({"version":2,"schedule":[{"days":["sat"],"start":"23:00","end":"07:00",)"
          R"("monitoring":false}],"historyKeep":"month","quietMinutes":15})";
    const std::pair<const char*, std::string> optionSeeds[] = {{"options-whole", options},
        {"options-trailing-comma", options.substr(0, options.size() - 1) + ",}"},
        {"options-cut-short", options.substr(0, options.size() / 2)},
        {"options-unknown-value", R"({"version":3,"historyKeep":"Forever"})"}};
    for (const auto& [name, text] : optionSeeds)
        Write("damaged_files", name, "\x04" + text);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "pelmora-seeds";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        CallHistory history(dir, 0, 0);
        for (const int64_t time :
            {int64_t {1700000000}, int64_t {1760000000}, int64_t {1767000000}}) {
            CallRecord call;
            call.timeUtc = time;
            call.number = u"+447700900111";
            call.fate = ReplyFate::Sent;
            history.Record(call);
        }
    }
    std::vector<uint8_t> history {5};
    const std::vector<uint8_t> file
        = ReadFileBytes(dir / kHistoryFileName).value_or(std::vector<uint8_t> {});
    history.insert(history.end(), file.begin(), file.end());
    Write("damaged_files", "history-whole", history);
    history[history.size() / 2] ^= 0xff;
    Write("damaged_files", "history-flipped-byte", history);
    history.resize(history.size() / 2);
    Write("damaged_files", "history-cut-short", history);
    std::filesystem::remove_all(dir);
}

constexpr std::string_view kVersion21 = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                        "N:Trellowayne;Quilby;A.;Mrs.;III\r\n"
                                        "TEL;CELL:+447700900001\r\n"
                                        "TEL;WORK;VOICE:020 7946 0001\r\n"
                                        "TEL;HOME;FAX:020 7946 0003\r\n"
                                        "TEL:0800 123\r\nUID:card-21\r\nEND:VCARD\r\n";
constexpr std::string_view kVersion30 = "BEGIN:VCARD\nVERSION:3.0\nN:Smith;Jo;;;\nFN:Jo Smith\n"
                                        "TEL;TYPE=HOME,VOICE:01632 960001\n"
                                        "TEL;TYPE=pager:01632 960003\n"
                                        "item1.TEL;TYPE=\"CELL,voice\":+44 1\n"
                                        "UID:card-30\nEND:VCARD\n";
constexpr std::string_view kVersion40
    = "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Nguyen;;;;\r\n"
      "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+44-7700-900123\r\n"
      "TEL;VALUE=uri;TYPE=work:tel:+44-20-7946-0000;ext=12\r\nEND:VCARD\r\n";
constexpr std::string_view kEncoded
    = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xc3\xbcller\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nTEL:9\r\nTEL;ENCODING=b:MTIz\r\n"
      "N:a\r\n \r\n b\r\nTEL:1\\\r\nEND:VCARD\r\n";

// A card without its BEGIN and END lines, as the plain-card target takes it.
std::string_view Body(std::string_view card)
{
    const size_t begin = card.find('\n') + 1;
    const size_t end = card.rfind("END:VCARD");
    return card.substr(begin, end - begin);
}

void VCardsSeeds()
{
    Write("vcard_file", "version-21", kVersion21);
    Write("vcard_file", "version-30", kVersion30);
    Write("vcard_file", "version-40", kVersion40);
    Write("vcard_file", "encoded", kEncoded);
    std::string many = "BEGIN:VCARD\nVERSION:3.0\nN:Many;;;;\n";
    for (int i = 0; i < 12; ++i)
        many += "TEL:" + std::to_string(1000 + i) + "\n";
    many += "END:VCARD\n";
    Write("vcard_file", "twelve-numbers", many);
    Write("vcard_file", "broken-between",
        std::string(kVersion30) + "BEGIN:VCARD\nVERSION:3.0\nN:Bad\xff\xfe;;;;\nEND:VCARD\n"
            + "garbage between cards\n" + std::string(kVersion21)
            + "BEGIN:VCARD\nVERSION:3.0\nN:Cut;;;;\n");

    // Found by fuzzing, now in the test suite.
    Write("vcard_file", "groups-libebook-loses",
        "BEGIN:VCARD\r\nV.\r\nT;?\r\na.:1\r\nA.B.C\r\nEND:VCARD\r\n"sv);
    Write("vcard_file", "zero-byte-after-group", "BEGIN:VCARD\nS.\0\nEND:VCARD\n"sv);
    Write("vcard_file", "lone-cr-before-group", "BEGIN:VCARD\r\nb\r4.0\r\nEND:VCARD\r\n"sv);
    Write("plain_vcard", "uid-vertical-tab", "VERSION:3.0\r\nUID: car\v\f\r\n"sv);
    Write("plain_vcard", "unreadable-parameter", "VERSION:3.0\r\nX;a.b:1\r\nN:S;;;;\r\n"sv);
    Write("phone_fields", "blanks-before-zero",
        Parts({"", "", "", "", "",
            "\x0f"
            "cell:0700 1 \t\0 junk"sv}));

    Write("plain_vcard", "version-21", Body(kVersion21));
    Write("plain_vcard", "version-30", Body(kVersion30));
    Write("plain_vcard", "version-40", Body(kVersion40));
    Write("plain_vcard", "encoded", Body(kEncoded));
    Write("plain_vcard", "odd-lines",
        "VERSION:3.0\r\nn;X.Y:a\\,b;c\\;d\\\\e\\n;;;\r\nTEL;TYPE=\"x;y:z\";PREF=1:7\r\n"
        "uid:1;2\r\nTEL;TYPE=cell=home:+44\r\n\tfolded\r\nX-FOO;BAR=\"1:2\":v\r\n");

    Write("phone_fields", "typed",
        Parts({"Trellowayne", "Quilby", "A.", "Mrs.", "III",
            "\x0fwork,voice:020 7946 0001\n\x0f"
            "cell:+447700900001\n\x02:tel:0200 2;ext=9\n\x08"
            "cell:0700 2\n\x0f:  0800 1\t"}));
    std::string full;
    for (int i = 0; i < 12; ++i)
        full += std::string(i % 2 ? "\x0f" : "\x0ehome") + ":" + std::to_string(i) + "\n";
    Write("phone_fields", "more-than-ten", Parts({"", "Jo", "", "", "", full}));
}

void TextsSeeds()
{
    Write("restriction", "one-field", "[MobileTelephoneNumber] = \"+447700900001\"");
    Write("restriction", "all-fields",
        "[MobileTelephoneNumber] = \"020 7946 0001\" OR [PagerNumber] = \"020 7946 0001\" OR "
        "[HomeTelephoneNumber] = \"020 7946 0001\" OR [BusinessFaxNumber] = \"1\" OR [x\"");
    Write("restriction", "quote-inside", "[MobileTelephoneNumber] = \"\"\"");
    Write("restriction", "broken", "[MobileTelephoneNumber = \"1");

    Write("column_widths", "three",
        "\x02"
        "80,60,100");
    Write("column_widths", "fit-requests", "\x01-1,65535");
    Write("column_widths", "overflow", "\x00 99999999999999999999"sv);
    Write("column_widths", "long-token", "\x00"s + std::string(60, '7'));
    Write("column_widths", "trailing-comma", "\x03\t+5,,-0,");

    Write("prefix_rules", "all-rules", "\x1f+447700900001\x1f,,+44;07 ,\x1f+4477;0800");
    Write("prefix_rules", "unidentified", "\x0a\x1f\x1f;;\x1f");
    Write("control_request", "start-profile", "--start\x1f--profile\x1fSleep");
    Write("own_settings", "nights-and-weekdays",
        R"({"version":1,"schedule":[{"days":["mon","sun"],"start":"23:00","end":"07:00",)"
        R"("monitoring":true,"profile":2},{"days":["wed"],"start":"02:30","end":"02:30",)"
        R"("monitoring":false}]})");
    Write("control_request", "answer-status", "--answer=yes\x1f--status\x1f--quit");
    Write("expansion", "default",
        std::string("\x01")
            + Parts({"Dear [FULLNAME], I am sorry I can "
                     "not come to the phone right now.",
                "Mrs.", "Quilby", "A.", "Trellowayne", "III", "[TITLE]"}));
    Write("expansion", "unidentified",
        std::string("\x03")
            + Parts({"[TITLE] [FIRSTNAME] "
                     "[MIDDLENAME] [LASTNAME] [SUFFIX] [FULLNAME][[FULLNAME]]",
                "", "", "", "", std::string(60, 'x'), "[LASTNAME"}));

    Write("screen_choice", "phosh-phone", "\x2d\x5a\x44\x52phone\x1fPhosh:GNOME\x1fphosh\x1f\x1f");
    Write("screen_choice", "plasma-desktop",
        "\xf0\x80\x0a\x01 Simulated\x1fKDE\x1fplasma\x1f"
        "desktop\x1f");
    Write("screen_choice", "phone-size",
        "\x2d\x5a\x44\x52"
        "1080x2340@3\x1f\x1f\x1f\x1f");
    Write("screen_choice", "typed-time",
        "\x2d\x5a\x44\x52"
        " 7:30\x1f\x1f\x1f\x1f");
    Write("history_date", "utc", "2026-01-05T08:00:00Z");
    Write("history_date", "offset", "2026-01-05 10:00+02:00");
    Write("history_date", "day", "2026-02-29");
    Write("bubble_html", "question",
        Parts({"+447700900001", "Quilby Trellowayne", "Dear Quilby, back soon & \"bye\""}));
    Write("bubble_html", "hostile",
        Parts({"<input type=button name='cmd:99' value='Send'>", "</b><script>&amp;",
            "' onclick=\"x\" <br> &#39;"}));
}

// A calendar file of the given events, in the window the calendar target
// reads (March and April 2027).
std::string Calendar(std::string_view inside)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Pelmora//Seeds//EN\r\n"
        + std::string(inside) + "END:VCALENDAR\r\n";
}

constexpr std::string_view kBerlin = "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
                                     "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
                                     "TZNAME:CEST\r\nDTSTART:19700329T020000\r\n"
                                     "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
                                     "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
                                     "TZNAME:CET\r\nDTSTART:19701025T030000\r\n"
                                     "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
                                     "END:VTIMEZONE\r\n";

void CalendarSeeds()
{
    // Timed events in the file's own zone, across the change to summer time,
    // back to back, and one the user declined.
    Write("calendar", "timed-zone",
        Calendar(std::string(kBerlin)
            + "BEGIN:VEVENT\r\nUID:review\r\nDTSTAMP:20270101T000000Z\r\n"
              "DTSTART;TZID=Europe/Berlin:20270328T013000\r\n"
              "DTEND;TZID=Europe/Berlin:20270328T043000\r\nSUMMARY:Review\r\nEND:VEVENT\r\n"
              "BEGIN:VEVENT\r\nUID:lunch\r\nDTSTAMP:20270101T000000Z\r\n"
              "DTSTART;TZID=Europe/Berlin:20270302T120000\r\nDURATION:PT1H\r\nEND:VEVENT\r\n"
              "BEGIN:VEVENT\r\nUID:after-lunch\r\nDTSTAMP:20270101T000000Z\r\n"
              "DTSTART:20270302T120000Z\r\nDTEND:20270302T133000Z\r\nEND:VEVENT\r\n"
              "BEGIN:VEVENT\r\nUID:declined\r\nDTSTAMP:20270101T000000Z\r\n"
              "DTSTART;TZID=Europe/Berlin:20270303T090000\r\n"
              "DTEND;TZID=Europe/Berlin:20270303T100000\r\n"
              "ATTENDEE;PARTSTAT=DECLINED:mailto:me@example.org\r\nEND:VEVENT\r\n"));
    // A weekly meeting with a day off and one occurrence moved.
    Write("calendar", "weekly-exceptions",
        Calendar("BEGIN:VEVENT\r\nUID:weekly\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART;TZID=Europe/Berlin:20270201T100000\r\n"
                 "DTEND;TZID=Europe/Berlin:20270201T110000\r\n"
                 "RRULE:FREQ=WEEKLY;BYDAY=MO,TH;UNTIL=20270601T000000Z\r\n"
                 "EXDATE;TZID=Europe/Berlin:20270308T100000\r\nEND:VEVENT\r\n"
                 "BEGIN:VEVENT\r\nUID:weekly\r\nDTSTAMP:20270101T000000Z\r\n"
                 "RECURRENCE-ID;TZID=Europe/Berlin:20270311T100000\r\n"
                 "DTSTART;TZID=Europe/Berlin:20270311T150000\r\n"
                 "DTEND;TZID=Europe/Berlin:20270311T163000\r\nEND:VEVENT\r\n"));
    // Days off, a floating time and a holiday repeated every year.
    Write("calendar", "all-day",
        Calendar("BEGIN:VEVENT\r\nUID:trip\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART;VALUE=DATE:20270315\r\nDTEND;VALUE=DATE:20270318\r\nEND:VEVENT\r\n"
                 "BEGIN:VEVENT\r\nUID:holiday\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART;VALUE=DATE:20200401\r\nRRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n"
                 "BEGIN:VEVENT\r\nUID:floating\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART:20270317T230000\r\nDTEND:20270318T013000\r\nEND:VEVENT\r\n"));
    // Time that leaves the user free: shown free, cancelled; and busy time
    // that began before the window.
    Write("calendar", "transparent",
        Calendar("BEGIN:VEVENT\r\nUID:reminder\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART:20270305T080000Z\r\nDTEND:20270305T170000Z\r\n"
                 "TRANSP:TRANSPARENT\r\nRRULE:FREQ=DAILY;COUNT=20\r\nEND:VEVENT\r\n"
                 "BEGIN:VEVENT\r\nUID:called-off\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART:20270306T080000Z\r\nDTEND:20270306T090000Z\r\n"
                 "STATUS:CANCELLED\r\nEND:VEVENT\r\n"
                 "BEGIN:VEVENT\r\nUID:long\r\nDTSTAMP:20270101T000000Z\r\n"
                 "DTSTART:20270227T080000Z\r\nDTEND:20270301T090000Z\r\n"
                 "TRANSP:OPAQUE\r\nEND:VEVENT\r\n"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-DIR\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    SettingsSeeds();
    GroupsSeeds();
    TemplatesSeeds();
    ProfilesSeeds();
    DataDocumentsSeeds();
    DamagedFilesSeeds();
    VCardsSeeds();
    TextsSeeds();
    CalendarSeeds();
    return 0;
}
