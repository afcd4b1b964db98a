#include "platform/contacts/PlainVCard.h"
#include "platform/contacts/VCardParser.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <random>

using namespace pelmora;

namespace {

// Made-up cards with the awkward parts of real ones: groups, folding, escapes,
// parameters in every spelling, several N, UID and TEL lines, text in other
// scripts, and now and then something only the general parser may read.
class CardMaker final {
public:
    explicit CardMaker(uint32_t seed)
        : random_(seed)
    {
    }

    std::string Card()
    {
        std::vector<std::string> lines = {Pick({"BEGIN:VCARD", "begin:vcard", "BEGIN:VCARD "}),
            Pick({"VERSION:3.0", "VERSION:2.1", "VERSION:4.0"})};
        const size_t count = Below(9);
        for (size_t i = 0; i < count; ++i)
            lines.push_back(Line());
        lines.push_back(Pick({"END:VCARD", "end:VCARD"}));
        std::string card;
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            // Fold between ASCII characters, so the card stays UTF-8.
            if (i > 0 && line.size() > 2 && Chance(25)) {
                const size_t at = 1 + Below(line.size() - 1);
                if (static_cast<unsigned char>(line[at]) < 0x80
                    && static_cast<unsigned char>(line[at - 1]) < 0x80)
                    line.insert(at, Chance(50) ? "\r\n " : "\r\n\t");
            }
            card += line + "\r\n";
        }
        return card;
    }

private:
    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
    std::string Pick(std::initializer_list<const char*> choices)
    {
        return *(choices.begin() + Below(choices.size()));
    }

    std::string Text()
    {
        std::string text;
        const size_t length = Below(6);
        for (size_t i = 0; i < length; ++i)
            text += Pick({"a", "Zo", "é", "日本", "😀", " ", "-", "+44", "0", "7", "\\,", "\\;",
                "\\\\", "\\n", "\\N", "\\q", ",", "(", ")", ".", "/", "=", ":", "\t"});
        return text;
    }

    std::string Values(size_t most)
    {
        std::string values = Text();
        const size_t more = Below(most);
        for (size_t i = 0; i < more; ++i)
            values += ";" + Text();
        return values;
    }

    std::string Params()
    {
        std::string params;
        const size_t count = Below(4);
        for (size_t i = 0; i < count; ++i)
            params += ";"
                + Pick(
                    {"TYPE=cell", "type=HOME", "TYPE=work,voice", "TYPE=\"cell,voice\"", "TYPE=fax",
                        "TYPE=home,fax", "CELL", "WORK", "HOME", "PAGER", "car", "X-RADIO", "VOICE",
                        "PREF=1", "VALUE=uri", "TYPE=", "", "TYPE=a.b", "X.Y", "TYPE=\"x;y:z\"",
                        "TYPE=cell=home", "CELL,FAX", "LANGUAGE=en", "TYPE=car,", "x-custom=\"\"",
                        "CHARSET=UTF-8", "ENCODING=b", "BASE64", "TYPE==x", "TYPE=h\xc3\xa9"});
        return params;
    }

    std::string Group() { return Chance(80) ? "" : Pick({"item1.", "a.b.", ".", "x-y_z."}); }

    std::string Line()
    {
        switch (Below(14)) {
        case 0:
        case 1:
            return Group() + Pick({"N", "n"}) + Params() + ":" + Values(7);
        case 2:
        case 3:
        case 4:
        case 5:
            return Group() + Pick({"TEL", "tel", "Tel"}) + Params() + ":"
                + (Chance(20) ? "tel:" : "") + Values(2);
        case 6:
            return Group() + Pick({"UID", "uid"}) + ":" + Values(2);
        case 7:
            return "FN:" + Text();
        case 8:
            return Pick({"EMAIL;TYPE=home:a@b.c", "CATEGORIES:a,b\\,c", "NOTE:x\\ny",
                "PHOTO;ENCODING=b;TYPE=JPEG:QUJD", "X-FOO;BAR=\"1:2\":v"});
        case 9:
            // Lines whose name is not one.
            return Pick({"T EL:1", "TEL.:1", "TEL", "N", ":1", ";1", "TÉL:1", "\xc3\xb1.TEL:1"});
        case 10:
            return Pick({"", " ", "\t", " continued"});
        case 11:
            return Pick(
                {"TEL;ENCODING=QUOTED-PRINTABLE:1=\r\n2", "NOTE;QUOTED-PRINTABLE:a=\r\nTEL:9",
                    "N;CHARSET=ISO-8859-1:M\xc3\xbcller", "END:x", "END"});
        case 12:
            return "TEL:" + Values(1) + "\\";
        default:
            return "X-" + Text() + ":" + Text();
        }
    }

    std::mt19937 random_;
};

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) { }

} // namespace

namespace pelmora {
void PrintTo(const VCardFields& fields, std::ostream* out)
{
    *out << "uid [" << fields.uid << "] n [" << fields.family << "|" << fields.given << "|"
         << fields.additional << "|" << fields.prefixes << "|" << fields.suffixes << "]";
    for (const VCardFields::Tel& tel : fields.tels) {
        *out << " tel [" << tel.value << "]";
        for (const std::string& type : tel.types)
            *out << " " << type;
    }
}
} // namespace pelmora

TEST(PlainVCardTest, ReadsWhatTheGeneralParserReads)
{
    // The general parser warns about every oddity it passes over.
    const guint handler
        = g_log_set_handler("libebook-contacts", G_LOG_LEVEL_WARNING, Quiet, nullptr);
    int plain = 0, general = 0;
    for (uint32_t seed = 1; seed <= 5000; ++seed) {
        const std::string card = CardMaker(seed).Card();
        if (!g_utf8_validate(card.c_str(), static_cast<gssize>(card.size()), nullptr))
            continue;
        VCardFields fast, full;
        if (!ReadPlainVCard(card, fast)) {
            ++general;
            continue;
        }
        ++plain;
        ASSERT_TRUE(ReadVCardWithLibrary(card, full));
        ASSERT_EQ(fast, full) << "seed " << seed << ":\n" << card;
    }
    g_log_remove_handler("libebook-contacts", handler);
    // Both ways are taken often, so the comparison covers the plain reader
    // well and the refusals are real.
    EXPECT_GT(plain, 1500);
    EXPECT_GT(general, 400);
}

TEST(PlainVCardTest, LeavesEncodedAndOddCardsToTheGeneralParser)
{
    VCardFields fields;
    const std::string head = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
    for (const char* line : {"NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nTEL:9", "N;CHARSET=ISO-8859-1:x",
             "TEL;ENCODING=b:MTIz", "TEL;BASE64:MTIz", "N:a\r\n \r\n b", "\r\n TEL:1", "TEL:1\\",
             "N:a\rb", "N;CHARSET=ISO\x03\x03:,,+,V", "TEL:1\x7F",
             // Found by fuzzing: "=" inside a charset's values, or a list of
             // charsets with odd characters, makes the general parser read
             // the next line as this one's value.
             "N;CHARSET=a,(=b:", "N;CHARSET=a,b]\r\nUID:x", "NOTE;CHARSET=a,(:x"}) {
        const std::string card = head + line + "\r\nEND:VCARD\r\n";
        EXPECT_FALSE(ReadPlainVCard(card, fields)) << line;
    }
    ASSERT_TRUE(
        ReadPlainVCard(head + "item1.TEL;TYPE=\"CELL,voice\":+44 1\r\nEND:VCARD\r\n", fields));
    ASSERT_EQ(fields.tels.size(), 1u);
    EXPECT_EQ(fields.tels[0].value, "+44 1");
    EXPECT_EQ(fields.tels[0].types, (std::vector<std::string> {"cell", "voice"}));
}

// Found by fuzzing: a parameter the general parser cannot read (a "." or a
// space in its name) makes it read on into the next line, on any line, not
// only on those this reader wants; so the card goes to the general parser.
TEST(PlainVCardTest, LeavesUnreadableParametersOfAnyLineToTheGeneralParser)
{
    for (const char* line : {"X;a.b:1", "NOTE;a b:1", "X-Y;.:"}) {
        const std::string card
            = std::string("BEGIN:VCARD\r\nVERSION:3.0\r\n") + line + "\r\nN:S;;;;\r\nEND:VCARD\r\n";
        VCardFields fast, full;
        EXPECT_FALSE(ReadPlainVCard(card, fast)) << line;
        ASSERT_TRUE(ReadVCardWithLibrary(card, full));
        EXPECT_EQ(full.family, "") << line << ": the N line was taken as the parameters' rest";
    }
}

// Found by fuzzing: the general parser strips GLib's ASCII white space from a
// UID, which leaves out the vertical tab.
TEST(PlainVCardTest, UidKeepsAVerticalTabButLosesOtherWhiteSpace)
{
    for (const char* uid : {"car\v", " car\f\t", "\vcar"}) {
        const std::string card
            = std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nEND:VCARD\r\n";
        VCardFields fast, full;
        ASSERT_TRUE(ReadPlainVCard(card, fast)) << uid;
        ASSERT_TRUE(ReadVCardWithLibrary(card, full));
        EXPECT_EQ(fast.uid, full.uid);
    }
}
