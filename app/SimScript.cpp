#include "app/SimScript.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <limits>

namespace pelmora::sim {

namespace {

// The main window's menu commands (save, exit, advanced settings, groups,
// schedule, history, help file, About) and those of the log's pop-up menu that it handles
// (delete entry, call number).
constexpr std::array<int, 10> kMenuCommands
    = {32792, 32778, 32791, 32793, 32795, 32782, 32786, 32794, 32797, 32798};
constexpr int kTabCount = 5;
constexpr uint32_t kMostRings = 99;
// Longer moves would only overflow; a year is more than any story needs.
constexpr int64_t kLongestAdvanceMs = 366LL * 24 * 3600 * 1000;

struct Token {
    std::u16string text;
    bool quoted = false;
};

QString Q(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text));
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

// Splits a line at blanks; a token in double quotes may hold blanks, \" and \\.
std::optional<std::vector<Token>> Tokenize(std::u16string_view line, QString& error)
{
    std::vector<Token> tokens;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            return tokens;
        Token token;
        if (line[i] != u'"') {
            while (i < line.size() && !IsBlank(line[i]))
                token.text += line[i++];
            tokens.push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++i;
        for (;;) {
            if (i == line.size()) {
                error = QStringLiteral("a quoted text has no closing \"");
                return std::nullopt;
            }
            const char16_t c = line[i++];
            if (c == u'"')
                break;
            if (c == u'\\') {
                if (i == line.size() || (line[i] != u'"' && line[i] != u'\\')) {
                    error = QStringLiteral("only \\\" and \\\\ may follow a backslash");
                    return std::nullopt;
                }
                token.text += line[i++];
            } else {
                token.text += c;
            }
        }
        if (i < line.size() && !IsBlank(line[i])) {
            error = QStringLiteral("a quoted text must end its word");
            return std::nullopt;
        }
        tokens.push_back(std::move(token));
    }
}

std::optional<int64_t> Decimal(std::u16string_view text, int64_t most)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > most)
        return std::nullopt;
    return value;
}

std::optional<Page> PageFromName(std::u16string_view name)
{
    for (Page page : {Page::Main, Page::Profile, Page::Log, Page::Include, Page::Exclude})
        if (PageName(page) == name)
            return page;
    return std::nullopt;
}

QString KindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::CheckBox:
        return QStringLiteral("a check box");
    case ControlKind::RadioButton:
        return QStringLiteral("a radio button");
    case ControlKind::ComboBox:
        return QStringLiteral("a combo box");
    case ControlKind::Edit:
        return QStringLiteral("an edit field");
    case ControlKind::List:
        return QStringLiteral("a list");
    case ControlKind::Button:
        return QStringLiteral("a button");
    case ControlKind::ClickablePicture:
        return QStringLiteral("a picture");
    case ControlKind::Other:
        break;
    }
    return QStringLiteral("neither a button nor a field");
}

class LineReader {
public:
    LineReader(const std::vector<Token>& tokens, const ControlLookup& controls, Command& command)
        : tokens_(tokens)
        , controls_(controls)
        , command_(command)
    {
    }

    // Empty when the line is right, else the reason.
    QString Read()
    {
        const std::u16string& word = tokens_[0].text;
        if (tokens_[0].quoted)
            return QStringLiteral("a command is not quoted");
        using Kind = Command::Kind;
        if (word == u"start" || word == u"stop" || word == u"rotate" || word == u"restart"
            || word == u"autostart" || word == u"dump") {
            command_.kind = word == u"start" ? Kind::Start
                : word == u"stop"            ? Kind::Stop
                : word == u"rotate"          ? Kind::Rotate
                : word == u"restart"         ? Kind::Restart
                : word == u"autostart"       ? Kind::Autostart
                                             : Kind::Dump;
            return Arguments(0);
        }
        if (word == u"call")
            return Call();
        if (word == u"answer") {
            command_.kind = Kind::Answer;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            command_.yes = Plain(1) == u"yes";
            if (!command_.yes && Plain(1) != u"no")
                return QStringLiteral("answer takes yes or no");
            return {};
        }
        if (word == u"delivery") {
            // delivery ok | delivery fail [REASON]
            command_.kind = Kind::Delivery;
            command_.on = tokens_.size() == 2 && Plain(1) == u"ok";
            if (command_.on)
                return {};
            if (tokens_.size() < 2 || tokens_.size() > 3 || Plain(1) != u"fail")
                return QStringLiteral("delivery takes ok, or fail and a reason");
            command_.text = tokens_.size() == 3 ? tokens_[2].text
                                                : u"the simulated network could not deliver it";
            return {};
        }
        if (word == u"advance") {
            command_.kind = Kind::Advance;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            const std::optional<int64_t> ms = ParseDuration(Plain(1));
            if (!ms)
                return QStringLiteral("\"%1\" is not a duration such as 30s, 4m, 2h or 1h30m")
                    .arg(Q(tokens_[1].text));
            command_.milliseconds = *ms;
            return {};
        }
        if (word == u"set")
            return Set();
        if (word == u"click")
            return Click();
        if (word == u"menu") {
            command_.kind = Kind::Menu;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            const std::optional<int64_t> id = Decimal(Plain(1), 99999);
            if (!id
                || std::find(kMenuCommands.begin(), kMenuCommands.end(), *id)
                    == kMenuCommands.end())
                return QStringLiteral("\"%1\" is not a menu command of the main window")
                    .arg(Q(tokens_[1].text));
            command_.number = static_cast<int>(*id);
            return {};
        }
        if (word == u"reply") {
            command_.kind = Kind::Reply;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            const std::u16string_view answer = Plain(1);
            if (answer == u"yes")
                command_.reply = BoxAnswer::Yes;
            else if (answer == u"no")
                command_.reply = BoxAnswer::No;
            else if (answer == u"ok")
                command_.reply = BoxAnswer::Ok;
            else
                return QStringLiteral("reply takes yes, no or ok");
            return {};
        }
        if (word == u"screenshot") {
            command_.kind = Kind::Screenshot;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            command_.text = tokens_[1].text;
            if (command_.text.empty() || command_.text.find(u'/') != std::u16string::npos
                || command_.text == u"." || command_.text == u"..")
                return QStringLiteral("a screenshot's name is a file name without a folder");
            return {};
        }
        if (word == u"control")
            return Control();
        if (word == u"tab") {
            command_.kind = Kind::Tab;
            if (QString error = Arguments(1); !error.isEmpty())
                return error;
            const std::optional<int64_t> tab = Decimal(Plain(1), kTabCount - 1);
            if (!tab)
                return QStringLiteral("tab takes a number from 0 to %1").arg(kTabCount - 1);
            command_.number = static_cast<int>(*tab);
            return {};
        }
        return QStringLiteral("unknown command \"%1\"").arg(Q(word));
    }

private:
    // control start|stop|status|quit, control profile "NAME",
    // control interactive on|off, control answer yes|no [QUESTION],
    // control pause "UNTIL", control resume
    QString Control()
    {
        using Request = Command::Request;
        command_.kind = Command::Kind::Control;
        if (tokens_.size() < 2)
            return QStringLiteral("control takes start, stop, status, profile, interactive, "
                                  "answer, pause, resume or quit");
        const std::u16string_view what = Plain(1);
        struct Word {
            std::u16string_view word;
            Request request;
        };
        constexpr std::array<Word, 9> kRequests {
            {{u"start", Request::Start}, {u"stop", Request::Stop}, {u"status", Request::Status},
                {u"quit", Request::Quit}, {u"profile", Request::Profile},
                {u"interactive", Request::Interactive}, {u"answer", Request::Answer},
                {u"pause", Request::Pause}, {u"resume", Request::Resume}}};
        const auto found = std::find_if(kRequests.begin(), kRequests.end(),
            [&](const Word& candidate) { return candidate.word == what; });
        if (found == kRequests.end())
            return QStringLiteral("control takes start, stop, status, profile, interactive, "
                                  "answer, pause, resume or quit, not \"%1\"")
                .arg(Q(tokens_[1].text));
        command_.request = found->request;
        const bool takesArgument = found->request == Request::Profile
            || found->request == Request::Interactive || found->request == Request::Answer
            || found->request == Request::Pause;
        // An answer may name the question it answers; by default the open one.
        const bool namesQuestion = found->request == Request::Answer && tokens_.size() == 4;
        if (tokens_.size() != (takesArgument ? 3u : 2u) + (namesQuestion ? 1u : 0u))
            return QStringLiteral("control %1 takes %2")
                .arg(Q(tokens_[1].text),
                    found->request == Request::Profile     ? QStringLiteral("a profile's name")
                        : found->request == Request::Pause ? QStringLiteral("a moment")
                        : found->request == Request::Interactive ? QStringLiteral("on or off")
                        : found->request == Request::Answer
                        ? QStringLiteral("yes or no, and a question")
                        : QStringLiteral("no argument"));
        if (found->request == Request::Profile || found->request == Request::Pause)
            command_.text = tokens_[2].text;
        else if (found->request == Request::Interactive) {
            command_.on = Plain(2) == u"on";
            if (!command_.on && Plain(2) != u"off")
                return QStringLiteral("control interactive takes on or off");
        } else if (found->request == Request::Answer) {
            command_.yes = Plain(2) == u"yes";
            if (!command_.yes && Plain(2) != u"no")
                return QStringLiteral("control answer takes yes or no");
            if (namesQuestion) {
                bool number = false;
                command_.number = Q(tokens_[3].text).toInt(&number);
                if (!number || command_.number < 1)
                    return QStringLiteral(
                        "control answer names a question by its number (1, 2, ...)");
            }
        }
        return {};
    }

    QString Arguments(size_t count) const
    {
        if (tokens_.size() - 1 == count)
            return {};
        return QStringLiteral("%1 takes %2 argument%3")
            .arg(Q(tokens_[0].text))
            .arg(count == 0 ? QStringLiteral("no") : QString::number(count))
            .arg(count == 1 ? QString() : QStringLiteral("s"));
    }

    // An unquoted word; a quoted one matches no keyword.
    std::u16string_view Plain(size_t index) const
    {
        return tokens_[index].quoted ? std::u16string_view(u"\"") : tokens_[index].text;
    }

    QString Call()
    {
        command_.kind = Command::Kind::Call;
        if (tokens_.size() < 2)
            return QStringLiteral("call needs a number");
        command_.text = tokens_[1].text;
        bool rings = false;
        for (size_t i = 2; i < tokens_.size(); ++i) {
            const std::u16string_view word = Plain(i);
            if (word == u"rings" && !rings) {
                if (i + 1 == tokens_.size())
                    return QStringLiteral("rings needs a count");
                const std::optional<int64_t> count = Decimal(Plain(++i), kMostRings);
                if (!count)
                    return QStringLiteral("rings takes a count from 0 to %1").arg(kMostRings);
                command_.rings = static_cast<uint32_t>(*count);
                rings = true;
            } else if (word == u"answered" && !command_.answered) {
                command_.answered = true;
            } else if (word == u"nocid" && !command_.noCallerId) {
                command_.noCallerId = true;
            } else {
                return QStringLiteral(
                    "\"%1\" is not rings N, answered or nocid (each at most once)")
                    .arg(Q(tokens_[i].text));
            }
        }
        return {};
    }

    // PAGE.ID, a control the page has.
    QString Control(size_t index)
    {
        const std::u16string_view target = Plain(index);
        const size_t dot = target.find(u'.');
        const std::optional<Page> page
            = dot == std::u16string_view::npos ? std::nullopt : PageFromName(target.substr(0, dot));
        const std::optional<int64_t> id
            = page ? Decimal(target.substr(dot + 1), 99999) : std::nullopt;
        if (!id)
            return QStringLiteral("\"%1\" is not PAGE.ID with PAGE main, profile, log, include or "
                                  "exclude")
                .arg(Q(tokens_[index].text));
        const std::optional<ControlKind> kind = controls_ ? controls_(*page, static_cast<int>(*id))
                                                          : std::optional(ControlKind::Other);
        if (!kind)
            return QStringLiteral("the %1 page has no control %2").arg(Q(PageName(*page))).arg(*id);
        command_.page = *page;
        command_.controlId = static_cast<int>(*id);
        command_.control = *kind;
        return {};
    }

    QString Set()
    {
        command_.kind = Command::Kind::Set;
        if (QString error = Arguments(2); !error.isEmpty())
            return error;
        if (QString error = Control(1); !error.isEmpty())
            return error;
        const std::u16string_view value = Plain(2);
        const QString target = Q(tokens_[1].text);
        switch (command_.control) {
        case ControlKind::CheckBox:
            if (value != u"on" && value != u"off")
                return QStringLiteral("%1 is a check box: on or off").arg(target);
            command_.on = value == u"on";
            return {};
        case ControlKind::RadioButton:
            if (value != u"on")
                return QStringLiteral("%1 is a radio button: only on").arg(target);
            command_.on = true;
            return {};
        case ControlKind::ComboBox:
        case ControlKind::List: {
            const std::optional<int64_t> index = Decimal(value, 9999);
            if (!index)
                return QStringLiteral("%1 is %2: an item index")
                    .arg(target, KindName(command_.control));
            command_.number = static_cast<int>(*index);
            return {};
        }
        case ControlKind::Edit:
            if (!tokens_[2].quoted)
                return QStringLiteral("%1 is an edit field: a text in double quotes").arg(target);
            command_.text = tokens_[2].text;
            return {};
        default:
            return QStringLiteral("%1 is %2; set takes check boxes, radio buttons, combo boxes, "
                                  "edit fields and lists")
                .arg(target, KindName(command_.control));
        }
    }

    QString Click()
    {
        command_.kind = Command::Kind::Click;
        if (QString error = Arguments(1); !error.isEmpty())
            return error;
        if (QString error = Control(1); !error.isEmpty())
            return error;
        switch (command_.control) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::ClickablePicture:
            return {};
        default:
            return QStringLiteral("%1 is %2, which cannot be clicked")
                .arg(Q(tokens_[1].text), KindName(command_.control));
        }
    }

    const std::vector<Token>& tokens_;
    const ControlLookup& controls_;
    Command& command_;
};

} // namespace

std::u16string_view PageName(Page page)
{
    switch (page) {
    case Page::Main:
        return u"main";
    case Page::Profile:
        return u"profile";
    case Page::Log:
        return u"log";
    case Page::Include:
        return u"include";
    case Page::Exclude:
        return u"exclude";
    }
    return u"";
}

std::u16string_view BoxAnswerName(BoxAnswer answer)
{
    switch (answer) {
    case BoxAnswer::Yes:
        return u"yes";
    case BoxAnswer::No:
        return u"no";
    case BoxAnswer::Ok:
        break;
    }
    return u"ok";
}

Script ParseScript(const QString& text, const ControlLookup& controls)
{
    Script script;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QString error;
        const std::optional<std::vector<Token>> tokens = Tokenize(line.toStdU16String(), error);
        Command command;
        command.line = lineNumber;
        if (tokens)
            error = LineReader(*tokens, controls, command).Read();
        if (!error.isEmpty())
            script.errors.push_back({lineNumber, error});
        else
            script.commands.push_back(std::move(command));
    }
    return script;
}

std::optional<int64_t> ParseDuration(std::u16string_view text)
{
    static constexpr std::pair<char16_t, int64_t> kUnits[]
        = {{u'h', 3600 * 1000}, {u'm', 60 * 1000}, {u's', 1000}};
    if (text.empty())
        return std::nullopt;
    int64_t total = 0;
    size_t unit = 0;
    size_t i = 0;
    while (i < text.size()) {
        const size_t start = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == start || i == text.size() || i - start > 9)
            return std::nullopt;
        while (unit < std::size(kUnits) && kUnits[unit].first != text[i])
            ++unit;
        // Units in the order h, m, s, each at most once.
        if (unit == std::size(kUnits))
            return std::nullopt;
        const std::optional<int64_t> count = Decimal(text.substr(start, i - start), 999999999);
        total += *count * kUnits[unit].second;
        if (total > kLongestAdvanceMs)
            return std::nullopt;
        ++unit;
        ++i;
    }
    return total;
}

std::string EscapeField(std::u16string_view field)
{
    QString escaped;
    for (const QChar c : Q(field)) {
        if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else
            escaped += c;
    }
    return escaped.toStdString();
}

std::string OutputLine(std::initializer_list<std::u16string_view> fields)
{
    std::string line;
    bool first = true;
    for (const std::u16string_view field : fields) {
        if (!first)
            line += '\t';
        first = false;
        line += EscapeField(field);
    }
    return line + '\n';
}

std::optional<int64_t> ParseClock(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

Options ParseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs Pelmora off screen on the simulated line, driven by a script."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
        QStringLiteral("Load and save the data files in DIR."), QStringLiteral("DIR"));
    const QCommandLineOption contacts(QStringLiteral("contacts"),
        QStringLiteral("Read the contacts from this vCard file or folder."),
        QStringLiteral("FILE_OR_DIR"));
    const QCommandLineOption calendar(QStringLiteral("calendar"),
        QStringLiteral("Read the busy times from this iCalendar file or folder of .ics files."),
        QStringLiteral("FILE_OR_DIR"));
    const QCommandLineOption clock(QStringLiteral("clock"),
        QStringLiteral("Start the simulated clock at this local time."),
        QStringLiteral("YYYY-MM-DDTHH:MM:SS"));
    const QCommandLineOption screenshots(QStringLiteral("screenshots"),
        QStringLiteral("Folder for the screenshot command's pictures."), QStringLiteral("DIR"));
    parser.addOption(dataDir);
    parser.addOption(contacts);
    parser.addOption(calendar);
    parser.addOption(clock);
    parser.addOption(screenshots);
    const QCommandLineOption screen(QStringLiteral("screen"),
        QStringLiteral("The screen to lay out for: simulated (the 240 x 320 phone screen, the "
                       "default) or phone (a phone's own screen, 720x1440@2 unless --screen-size "
                       "says otherwise)."),
        QStringLiteral("KIND"));
    const QCommandLineOption screenSize(QStringLiteral("screen-size"),
        QStringLiteral("The phone's screen in pixels and its shell's scale, as 1080x2340@3; "
                       "implies --screen phone."),
        QStringLiteral("WxH@SCALE"));
    parser.addOption(screen);
    parser.addOption(screenSize);
    parser.addPositionalArgument(
        QStringLiteral("SCRIPT"), QStringLiteral("The script, or - for standard input."));

    Options options;
    const auto usageError = [&](const QString& what) {
        options.exitCode = 2;
        options.message = QStringLiteral("pelmora-sim: %1\n%2").arg(what, parser.helpText());
        return options;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        options.exitCode = 0;
        options.message = parser.helpText();
        return options;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("one script is needed (- for standard input)"));
    options.script = positional.front();
    options.dataDir = parser.value(dataDir);
    options.contacts = parser.value(contacts);
    options.calendar = parser.value(calendar);
    options.screenshots = parser.value(screenshots);
    if (parser.isSet(screen)) {
        const QString kind = parser.value(screen);
        if (kind != QStringLiteral("phone") && kind != QStringLiteral("simulated"))
            return usageError(
                QStringLiteral("--screen takes phone or simulated, not \"%1\"").arg(kind));
        options.phone = kind == QStringLiteral("phone");
    }
    if (parser.isSet(screenSize)) {
        const std::optional<PhoneScreen> size = ParsePhoneScreen(parser.value(screenSize));
        if (!size)
            return usageError(QStringLiteral("--screen-size takes WxH@SCALE with a phone's size, "
                                             "as 720x1440@2, not \"%1\"")
                                  .arg(parser.value(screenSize)));
        if (parser.isSet(screen) && !options.phone)
            return usageError(QStringLiteral("--screen-size is a phone's screen: it cannot be "
                                             "given with --screen simulated"));
        options.phone = true;
        options.phoneScreen = *size;
    }
    if (parser.isSet(clock)) {
        options.clockMs = ParseClock(parser.value(clock));
        if (!options.clockMs)
            return usageError(QStringLiteral("--clock takes a local time YYYY-MM-DDTHH:MM:SS, "
                                             "not \"%1\"")
                                  .arg(parser.value(clock)));
    }
    return options;
}

std::optional<PhoneScreen> ParsePhoneScreen(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([1-9][0-9]{2,3})x([1-9][0-9]{2,3})@([1-4])$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    PhoneScreen screen {
        {match.captured(1).toInt(), match.captured(2).toInt()}, match.captured(3).toInt()};
    // Each side a whole number of logical pixels, the shorter one a phone's.
    const QSize logical = screen.Logical();
    if (logical * screen.scale != screen.pixels)
        return std::nullopt;
    const int shorter = std::min(logical.width(), logical.height());
    if (shorter < 240 || shorter > 540)
        return std::nullopt;
    return screen;
}

QByteArray OffscreenConfig(const PhoneScreen& screen)
{
    const QSize logical = screen.Logical();
    return QStringLiteral("{\"screens\": [{\"name\": \"phone\", \"x\": 0, \"y\": 0, "
                          "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                          "\"logicalBaseDpi\": 96, \"dpr\": %3}]}")
        .arg(logical.width())
        .arg(logical.height())
        .arg(screen.scale)
        .toUtf8();
}

} // namespace pelmora::sim
