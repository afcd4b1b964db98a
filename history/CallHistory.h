#pragma once

#include "history/CallRecorder.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace pelmora {

inline constexpr char kHistoryFileName[] = "history.sqlite";

// The schema, one step per version: step k takes a file of version k to
// version k + 1 (PRAGMA user_version). A new version only ever adds a step.
std::span<const std::string_view> HistoryMigrations();
int HistorySchemaVersion();

// What a history query selects; every row when empty.
struct HistoryFilter {
    std::optional<int64_t> since; // seconds since 1970, inclusive
    std::optional<std::u16string> number; // exactly as delivered
};

// One change written to the history, told to the windows showing it.
struct HistoryChange {
    enum class Kind {
        Recorded, // a new row
        Updated, // a row's fate or delivery moved on
        Deleted,
        Cleared, // every row; id is 0
    };
    Kind kind = Kind::Recorded;
    int64_t id = 0;
};

// The lasting record of handled missed calls: a SQLite file in the data
// directory, private to the user, created when the first call is recorded.
// It never stops a reply: a history that cannot be opened or written is
// reported once (stderr and `onProblem`) and the calls go on unrecorded. A
// damaged file found at the start is kept aside, renamed after the time, and
// a new history is begun.
class CallHistory final : public CallRecorder {
public:
    using ProblemHandler = std::function<void(const QString& problem)>;
    using ChangeListener = std::function<void(const HistoryChange& change)>;
    // ReadOnly, for tools beside the program: nothing is created, migrated,
    // pruned or moved aside, and problems go to the handler alone.
    enum class Access { ReadWrite, ReadOnly };

    // Opens an existing history at once (checking, migrating and pruning
    // rows older than `keepSeconds` before `now`; 0 keeps them all).
    CallHistory(std::filesystem::path dir, int64_t now, int64_t keepSeconds,
        ProblemHandler onProblem = nullptr, Access access = Access::ReadWrite);
    ~CallHistory() override;
    CallHistory(const CallHistory&) = delete;
    CallHistory& operator=(const CallHistory&) = delete;

    int64_t Record(const CallRecord& record) override;
    void SetFate(int64_t id, ReplyFate fate, std::u16string_view error = {}) override;
    void SetDelivery(int64_t id, DeliveryState state, std::u16string_view reason = {}) override;
    std::vector<ReplyTime> RepliesBetween(int64_t from, int64_t to) override;

    // The rows the filter selects, oldest first; none when there is no
    // history to read.
    std::vector<CallRecord> Read(const HistoryFilter& filter = {});

    // A page of the rows whose number or caller's name holds `search`
    // (ASCII letters in any case), newest first (by time, then id); every row
    // when the search is empty. The page begins after `after`, the last row
    // of the page before, so that calls recorded meanwhile do not shift it.
    std::vector<CallRecord> ReadNewest(
        std::u16string_view search, int limit, const CallRecord* after = nullptr);
    // The row `id` when it is there and `search` selects it.
    std::optional<CallRecord> ReadRow(int64_t id, std::u16string_view search = {});
    // How many rows that search selects.
    int64_t Count(std::u16string_view search = {});
    // Removes one row, or every row; false when the history could not be
    // changed.
    bool Delete(int64_t id);
    bool Clear();

    // Calls `listener` after each change written to the file (not for rows
    // a change did not touch), until RemoveChangeListener with the number
    // returned. A listener may add or remove listeners.
    int AddChangeListener(ChangeListener listener);
    void RemoveChangeListener(int listener);

    std::filesystem::path File() const { return dir_ / kHistoryFileName; }
    // Where the start put a damaged file; empty when it found none.
    const std::filesystem::path& KeptAside() const { return keptAside_; }
    // Whether a problem has been reported in this run.
    bool ProblemReported() const { return reported_; }

private:
    // Opens the file, creating it when `create`; false when there is none
    // to use (not there and not created, or unusable).
    bool Use(bool create);
    bool OpenFile(bool create);
    bool Prepare();
    void Close();
    std::vector<CallRecord> Select(const QString& where, const QString& tail,
        const std::vector<std::pair<QString, QVariant>>& values);
    // Runs one changing statement; the rows it touched, or -1 on failure.
    int Change(const QString& sql, const std::vector<QVariant>& values, const QString& what);
    void Tell(HistoryChange::Kind kind, int64_t id);
    void Report(const QString& problem);
    // Closes the file after `error`; damage found at the start moves it aside.
    void Fail(const QSqlError& error, const QString& what);

    std::filesystem::path dir_;
    int64_t now_ = 0;
    int64_t keepSeconds_ = 0;
    ProblemHandler onProblem_;
    QString connection_;
    QSqlDatabase db_;
    bool open_ = false;
    bool unusable_ = false; // a newer schema, a missing driver, damage in this run
    bool reported_ = false;
    bool starting_ = false;
    bool readOnly_ = false;
    bool noTable_ = false; // a read-only look at a file never given a schema
    QSqlError problem_; // why Prepare failed
    std::filesystem::path keptAside_;
    std::map<int, ChangeListener> listeners_;
    int lastListener_ = 0;
};

} // namespace pelmora
