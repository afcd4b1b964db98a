#pragma once

#include "app/SimScript.h"
#include "platform/SimulatedClock.h"
#include "platform/telephony/SimulatedLine.h"

#include <QObject>
#include <map>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

namespace pelmora {

class ActiveBackends;
class AddressBook;
class CMonitorDlg;
class ControlService;

namespace dlg {
class CDialog;
}

// Runs a checked pelmora-sim script against the real main window, off
// screen: the simulated line and the outbox, the in-application bubble,
// message boxes answered from the script and a simulated clock that every
// timer and time stamp of the window follows. Events go to `out`, one line
// each; notes on commands that could not act (a disabled control) to `err`.
class SimRunner final : public QObject, private SimulatedLine::Listener {
    Q_OBJECT
public:
    struct Setup {
        std::filesystem::path dataDir;
        std::optional<std::filesystem::path> contacts; // none: Pelmora's own choice
        std::optional<std::filesystem::path> calendar; // none: no calendar
        std::filesystem::path screenshots;
        int64_t clockMs = 0;
        bool phone = false; // a phone's own screen rather than the simulated one
    };

    SimRunner(Setup setup, std::ostream& out, std::ostream& err);
    ~SimRunner() override;
    SimRunner(const SimRunner&) = delete;
    SimRunner& operator=(const SimRunner&) = delete;

    // Runs the commands, prints the log and the counter at the end and ends
    // the program (saving everything). 0 when every command ran; 1 when the
    // program ended (Exit) before the script did, or could not start.
    int Run(const std::vector<sim::Command>& commands);

    // The kinds of the pages' controls, from their dialog templates.
    static sim::ControlLookup TemplateControls();

    CMonitorDlg* Window() const { return dialog_.get(); }

private:
    void OnDrop(CallId call) override;
    void OnPlaceCall(std::u16string_view number) override;

    bool OpenWindow();
    void CloseWindow();
    void Execute(const sim::Command& command);
    dlg::CDialog* PageOf(sim::Page page) const;
    void Set(const sim::Command& command);
    void Click(const sim::Command& command);
    void Control(const sim::Command& command);
    void Screenshot(const sim::Command& command);
    void Dump();
    void Note(const sim::Command& command, const QString& what);
    void Print(std::initializer_list<std::u16string_view> fields);

    Setup setup_;
    std::ostream& out_;
    std::ostream& err_;
    SimulatedClock clock_;
    std::unique_ptr<ActiveBackends> backends_;
    std::unique_ptr<AddressBook> book_;
    std::unique_ptr<CMonitorDlg> dialog_;
    // The control interface's object, off the bus: `control` calls it as
    // the bus would.
    std::unique_ptr<ControlService> control_;
    std::deque<sim::BoxAnswer> replies_;
    std::u16string callNumber_; // the caller ID of the call on the line
    // `delivery fail`: the reason every later SMS is not delivered for.
    std::optional<std::u16string> deliveryFailure_;
    std::map<uint64_t, std::u16string> reportNumbers_; // the outbox's serial -> number
    bool ended_ = false;
};

} // namespace pelmora
