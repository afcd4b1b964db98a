#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::sim {

// pelmora-sim's command line and script, read and checked without a window.

// The pages a script names controls on.
enum class Page { Main, Profile, Log, Include, Exclude };
std::u16string_view PageName(Page page);

// What a control of a page is, as far as the script cares.
enum class ControlKind {
    CheckBox,
    RadioButton,
    ComboBox,
    Edit,
    List,
    Button,
    ClickablePicture,
    Other,
};
// The kind of control `id` on `page`; none when the page has no such control.
using ControlLookup = std::function<std::optional<ControlKind>(Page page, int id)>;

enum class BoxAnswer { Yes, No, Ok };
std::u16string_view BoxAnswerName(BoxAnswer answer);

struct Command {
    enum class Kind {
        Start,
        Stop,
        Call,
        Answer,
        Advance,
        Set,
        Click,
        Menu,
        Reply,
        Rotate,
        Screenshot,
        Restart,
        Autostart,
        Dump,
        Tab,
        Control,
        Delivery,
    };
    // control: what is asked of the control interface.
    enum class Request { Start, Stop, Status, Profile, Interactive, Answer, Quit, Pause, Resume };
    Kind kind = Kind::Dump;
    int line = 0;
    // call: the caller ID; set: an edit's text; screenshot: the name;
    // delivery fail: the network's reason.
    std::u16string text;
    uint32_t rings = 0; // call
    bool answered = false; // call
    bool noCallerId = false; // call
    bool yes = false; // answer
    int64_t milliseconds = 0; // advance
    Page page = Page::Main; // set, click
    int controlId = 0; // set, click
    ControlKind control = ControlKind::Other; // set, click
    bool on = false; // set of a check box or radio button; delivery: reports say delivered
    // set of a combo box or list: the item or row index; menu: the command;
    // tab: the tab; control answer: the question named, 0 for the open one
    int number = 0;
    BoxAnswer reply = BoxAnswer::Ok; // reply
    Request request = Request::Status; // control; its argument in text, on or yes
};

struct ScriptError {
    int line = 0;
    QString reason;
};

struct Script {
    std::vector<Command> commands;
    // Every line that is wrong; the script runs only when there is none.
    std::vector<ScriptError> errors;
};

// Reads a whole script: one command a line, blank lines and lines starting
// with "#" ignored. Controls are checked against `controls`.
Script ParseScript(const QString& text, const ControlLookup& controls);

// "30s", "4m", "2h" or combined in this order ("1h30m", "2m15s"); none
// otherwise.
std::optional<int64_t> ParseDuration(std::u16string_view text);

// A field of an output line: tab, line break and backslash written as \t, \n
// and \\.
std::string EscapeField(std::u16string_view field);
// One output line: the fields, escaped, separated by tabs, and a line break.
std::string OutputLine(std::initializer_list<std::u16string_view> fields);

// What the command line asks for.
// A phone's screen for the offscreen platform: its pixels and its shell's
// scale, as in "720x1440@2" (logical 360 x 720).
struct PhoneScreen {
    QSize pixels {720, 1440};
    int scale = 2;
    QSize Logical() const { return pixels / scale; }
};
// "WxH@SCALE"; none for anything else or a size no phone has.
std::optional<PhoneScreen> ParsePhoneScreen(const QString& text);
// The offscreen platform's configuration for that screen (its JSON).
QByteArray OffscreenConfig(const PhoneScreen& screen);

struct Options {
    int exitCode = -1; // 0 after --help, 2 for a usage error; -1 to run
    QString message; // the usage, or the error and the usage
    QString dataDir; // empty: the usual data directory
    QString contacts; // empty: the address book Pelmora would choose
    QString calendar; // empty: no calendar
    std::optional<int64_t> clockMs; // milliseconds since 1970; none: now
    QString screenshots; // empty: the current directory
    QString script; // a file, or "-" for standard input
    bool phone = false; // laid out for a phone's own screen, not the simulated one
    PhoneScreen phoneScreen; // the phone's screen, when `phone`
};
// The arguments, the program name first.
Options ParseOptions(const QStringList& arguments);
// "YYYY-MM-DDTHH:MM:SS" in local time, as milliseconds since 1970.
std::optional<int64_t> ParseClock(const QString& text);

} // namespace pelmora::sim
