#include "history/CallHistory.h"

#include "platform/contacts/ContactCard.h"
#include "platform/storage/DataFile.h"
#include "platform/storage/DataFileCare.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <array>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

namespace pelmora {

namespace {

constexpr std::array<std::string_view, 4> kMigrations = {
    // 0 -> 1: the calls.
    "CREATE TABLE calls ("
    " id INTEGER PRIMARY KEY,"
    " time_utc INTEGER NOT NULL,"
    " utc_offset INTEGER NOT NULL,"
    " number TEXT NOT NULL,"
    " caller_name TEXT NOT NULL DEFAULT '',"
    " contact_id INTEGER NOT NULL DEFAULT 0,"
    " lookup_stage TEXT NOT NULL DEFAULT '',"
    " rings INTEGER NOT NULL DEFAULT 0,"
    " reason TEXT NOT NULL,"
    " profile_id INTEGER NOT NULL DEFAULT 0,"
    " template_id INTEGER NOT NULL DEFAULT 0,"
    " text TEXT NOT NULL DEFAULT '',"
    " fate TEXT NOT NULL,"
    " error TEXT NOT NULL DEFAULT '',"
    " delivery TEXT NOT NULL DEFAULT 'unknown')",
    // 1 -> 2: the quiet period looks up a number's newest reply at every call.
    "CREATE INDEX calls_by_number ON calls (number, time_utc)",
    // 2 -> 3: the history window reads the newest calls first, a page at a time.
    "CREATE INDEX calls_by_time ON calls (time_utc, id)",
    // 3 -> 4: why the network could not deliver a reply.
    "ALTER TABLE calls ADD COLUMN delivery_reason TEXT NOT NULL DEFAULT ''",
};

constexpr std::array<std::string_view, 8> kReasonNames = {"replied", "rule", "overall limit",
    "per-caller limit", "rings", "quiet period", "no text", "asked"};
constexpr std::array<std::string_view, 9> kFateNames = {"none", "sending", "sent", "failed",
    "asked", "answered yes", "answered no", "expired", "replaced"};
constexpr std::array<std::string_view, 4> kDeliveryNames
    = {"unknown", "delivered", "failed", "waiting"};

template <typename Enum, size_t N>
Enum FromName(const std::array<std::string_view, N>& names, const QString& name)
{
    const std::string text = name.toStdString();
    for (size_t i = 0; i < N; ++i)
        if (names[i] == text)
            return static_cast<Enum>(i);
    return static_cast<Enum>(0);
}

// Never a null string: the driver binds that as NULL.
QString Text(std::string_view name)
{
    return name.empty() ? QStringLiteral("")
                        : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString Text(std::u16string_view text)
{
    return text.empty() ? QStringLiteral("")
                        : QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string Utf16(const QVariant& value)
{
    return value.toString().toStdU16String();
}

// SQLite's primary result codes, as the driver gives them.
bool IsDamage(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */;
}

QString Describe(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

// Moves `from` to `to` when it is there, never over a file already at
// `to`; false when it is there and stays.
bool MoveIfThere(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    if (!std::filesystem::exists(from, ec))
        return true;
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

// The first name of a damaged copy made at `now` that is free, with its
// journal's names: an earlier copy of the same second is never replaced.
std::filesystem::path FreeCopyName(const std::filesystem::path& file, int64_t now)
{
    const std::filesystem::path first = DamagedCopyName(file, static_cast<std::time_t>(now));
    std::filesystem::path name = first;
    for (int i = 2; i < 1000; ++i) {
        std::error_code ec;
        bool taken = false;
        for (const char* suffix : {"", "-journal", "-wal"})
            taken = taken
                || std::filesystem::symlink_status(name.string() + suffix, ec).type()
                    != std::filesystem::file_type::not_found;
        if (!taken)
            break;
        name = first.string() + "-" + std::to_string(i);
    }
    return name;
}

// Why the history's place holds no file SQLite should open: a symbolic
// link (whose target a chmod would widen or narrow) or no regular file.
QString NotAFile(const std::filesystem::path& path)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    const QString name = QString::fromStdString(path.string());
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 is a symbolic link; Pelmora does not follow it, and calls are "
                              "not recorded")
            .arg(name);
    return QStringLiteral("%1 is not a file (%2); calls are not recorded")
        .arg(name,
            S_ISDIR(st.st_mode) ? QStringLiteral("a folder") : QStringLiteral("a special file"));
}

} // namespace

std::string_view ReasonName(HistoryReason reason)
{
    return kReasonNames.at(static_cast<size_t>(reason));
}

std::string_view FateName(ReplyFate fate)
{
    return kFateNames.at(static_cast<size_t>(fate));
}

std::string_view DeliveryName(DeliveryState state)
{
    return kDeliveryNames.at(static_cast<size_t>(state));
}

std::span<const std::string_view> HistoryMigrations()
{
    return kMigrations;
}

int HistorySchemaVersion()
{
    return static_cast<int>(kMigrations.size());
}

CallHistory::CallHistory(std::filesystem::path dir, int64_t now, int64_t keepSeconds,
    ProblemHandler onProblem, Access access)
    : dir_(std::move(dir))
    , now_(now)
    , keepSeconds_(keepSeconds)
    , onProblem_(std::move(onProblem))
    , connection_(QStringLiteral("pelmora-history-%1").arg(reinterpret_cast<quintptr>(this)))
    , readOnly_(access == Access::ReadOnly)
{
    std::error_code ec;
    if (!std::filesystem::exists(File(), ec))
        return;
    starting_ = !readOnly_;
    if (!OpenFile(false) && !keptAside_.empty()) {
        // The damaged file is aside: a new history takes its place.
        unusable_ = false;
        OpenFile(true);
    }
    starting_ = false;
}

CallHistory::~CallHistory()
{
    Close();
}

void CallHistory::Close()
{
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
    open_ = false;
}

void CallHistory::Report(const QString& problem)
{
    if (reported_)
        return;
    reported_ = true;
    if (!readOnly_)
        std::fprintf(stderr, "pelmora: history: %s\n", problem.toUtf8().constData());
    if (onProblem_)
        onProblem_(problem);
}

bool CallHistory::Use(bool create)
{
    if (open_)
        return true;
    if (unusable_)
        return false;
    std::error_code ec;
    if (!create && !std::filesystem::exists(File(), ec))
        return false;
    return OpenFile(create);
}

bool CallHistory::OpenFile(bool create)
{
    const QString path = QString::fromStdString(File().string());
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        unusable_ = true;
        Report(QStringLiteral("Qt's SQLite driver is not installed; calls are not recorded"));
        return false;
    }
    if (const QString notAFile = NotAFile(File()); !notAFile.isEmpty()) {
        unusable_ = true;
        Report(notAFile);
        return false;
    }
    if (create && !readOnly_) {
        // SQLite would make the file as the umask allows; it is made private
        // first, and SQLite's journals take the file's mode.
        std::error_code ec;
        if (!std::filesystem::exists(File(), ec)) {
            const SaveResult made = WriteNewFileSafely(File(), {});
            if (!made && !std::filesystem::exists(File(), ec)) {
                Report(QStringLiteral("%1 cannot be created: %2")
                           .arg(path, QString::fromStdString(made.reason)));
                return false;
            }
        }
    }
    if (!readOnly_)
        MakePrivate(File());
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(readOnly_
            ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=200;QSQLITE_OPEN_READONLY")
            : QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    if (!db_.open()) {
        Report(QStringLiteral("%1 cannot be opened: %2").arg(path, Describe(db_.lastError())));
        Close();
        return false;
    }
    open_ = true;
    problem_ = QSqlError();
    if (Prepare())
        return true;
    Close();
    if (problem_.isValid())
        Fail(problem_, QStringLiteral("%1 cannot be read").arg(path));
    return false;
}

void CallHistory::Fail(const QSqlError& error, const QString& what)
{
    // A full disk or a lock may pass; the file stays open for the next call.
    if (!IsDamage(error)) {
        Report(QStringLiteral("%1: %2").arg(what, Describe(error)));
        return;
    }
    Close();
    // Damage is not mended in the middle of a run; the next start keeps the
    // file aside.
    unusable_ = true;
    if (!starting_) {
        Report(QStringLiteral("%1: %2; the history is left as it is until the next start")
                   .arg(what, Describe(error)));
        return;
    }
    const QString path = QString::fromStdString(File().string());
    const std::filesystem::path aside = FreeCopyName(File(), now_);
    const std::string base = File().string();
    bool moved = MoveIfThere(File(), aside);
    for (const char* journal : {"-journal", "-wal"})
        moved = moved && MoveIfThere(base + journal, aside.string() + journal);
    std::error_code ec;
    std::filesystem::remove(base + "-shm", ec);
    if (!moved) {
        Report(QStringLiteral("%1 is damaged (%2) and cannot be moved aside; calls are not "
                              "recorded")
                   .arg(path, Describe(error)));
        return;
    }
    keptAside_ = aside;
    Report(QStringLiteral("%1 was damaged (%2); it is kept as %3 and a new history is begun")
               .arg(path, Describe(error), QString::fromStdString(aside.filename().string())));
}

bool CallHistory::Prepare()
{
    const QString path = QString::fromStdString(File().string());
    QSqlQuery query(db_);
    const auto failed = [&](const QSqlError& error) {
        problem_ = error;
        return false;
    };
    if (!query.exec(QStringLiteral("PRAGMA quick_check(1)")) || !query.next())
        return failed(query.lastError());
    if (query.value(0).toString() != QStringLiteral("ok"))
        return failed(QSqlError(QStringLiteral("the check failed"), query.value(0).toString(),
            QSqlError::StatementError, QStringLiteral("11")));
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed(query.lastError());
    const int version = query.value(0).toInt();
    if (version > HistorySchemaVersion()) {
        unusable_ = true;
        Report(QStringLiteral("%1 was written by a newer Pelmora (schema %2); calls are not "
                              "recorded")
                   .arg(path)
                   .arg(version));
        return false;
    }
    if (version < 0)
        return failed(QSqlError({}, QStringLiteral("negative schema version"),
            QSqlError::StatementError, QStringLiteral("11")));
    if (readOnly_) {
        // Every version so far has the calls table as the first made it.
        noTable_ = version == 0;
        return true;
    }
    if (version < HistorySchemaVersion()) {
        if (!db_.transaction())
            return failed(db_.lastError());
        for (int step = version; step < HistorySchemaVersion(); ++step) {
            if (!query.exec(Text(kMigrations[static_cast<size_t>(step)]))) {
                const QSqlError error = query.lastError();
                db_.rollback();
                return failed(error);
            }
        }
        if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(HistorySchemaVersion()))
            || !db_.commit()) {
            const QSqlError error
                = query.lastError().isValid() ? query.lastError() : db_.lastError();
            db_.rollback();
            return failed(error);
        }
    }
    // Reports are followed only while the program runs: what an earlier run
    // still waited for will never come.
    if (starting_
        && !query.exec(QStringLiteral("UPDATE calls SET delivery = 'unknown', delivery_reason = "
                                      "'Pelmora ended before a report came' WHERE delivery = "
                                      "'waiting'")))
        return failed(query.lastError());
    if (keepSeconds_ > 0) {
        // Measured back from the newest call when the clock is later: a
        // clock set years ahead must not empty the history.
        query.prepare(QStringLiteral("DELETE FROM calls WHERE time_utc < MIN(?, (SELECT "
                                     "MAX(time_utc) FROM calls)) - ?"));
        query.addBindValue(QVariant::fromValue<qint64>(now_));
        query.addBindValue(QVariant::fromValue<qint64>(keepSeconds_));
        if (!query.exec())
            return failed(query.lastError());
    }
    return true;
}

int64_t CallHistory::Record(const CallRecord& record)
{
    if (readOnly_ || !Use(true))
        return 0;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "INSERT INTO calls (time_utc, utc_offset, number, caller_name, contact_id, lookup_stage,"
        " rings, reason, profile_id, template_id, text, fate, error, delivery, delivery_reason)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value :
        {QVariant::fromValue<qint64>(record.timeUtc), QVariant(record.utcOffset),
            QVariant(Text(record.number)), QVariant(Text(record.callerName)),
            QVariant::fromValue<qint64>(record.contactId), QVariant(Text(record.lookupStage)),
            QVariant(record.rings), QVariant(Text(ReasonName(record.reason))),
            QVariant(record.profileId), QVariant(record.templateId), QVariant(Text(record.text)),
            QVariant(Text(FateName(record.fate))), QVariant(Text(record.error)),
            QVariant(Text(DeliveryName(record.delivery))), QVariant(Text(record.deliveryReason))})
        query.addBindValue(value);
    // One statement is one short transaction of its own.
    if (query.exec()) {
        const int64_t id = query.lastInsertId().toLongLong();
        query = QSqlQuery();
        Tell(HistoryChange::Kind::Recorded, id);
        return id;
    }
    const QSqlError error = query.lastError();
    query = QSqlQuery();
    Fail(error, QStringLiteral("the call from %1 cannot be recorded").arg(Text(record.number)));
    return 0;
}

void CallHistory::SetFate(int64_t id, ReplyFate fate, std::u16string_view error)
{
    if (id != 0
        && Change(QStringLiteral("UPDATE calls SET fate = ?, error = ? WHERE id = ?"),
               {Text(FateName(fate)), Text(error), QVariant::fromValue<qint64>(id)},
               QStringLiteral("a reply's outcome cannot be recorded"))
            > 0)
        Tell(HistoryChange::Kind::Updated, id);
}

void CallHistory::SetDelivery(int64_t id, DeliveryState state, std::u16string_view reason)
{
    if (id != 0
        && Change(QStringLiteral("UPDATE calls SET delivery = ?, delivery_reason = ? WHERE id = ?"),
               {Text(DeliveryName(state)), Text(reason), QVariant::fromValue<qint64>(id)},
               QStringLiteral("a reply's delivery cannot be recorded"))
            > 0)
        Tell(HistoryChange::Kind::Updated, id);
}

std::vector<ReplyTime> CallHistory::RepliesBetween(int64_t from, int64_t to)
{
    if (!Use(false) || noTable_)
        return {};
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "SELECT number, MAX(time_utc) FROM calls WHERE time_utc >= ? AND time_utc <= ? AND fate "
        "IN ('sending', 'sent', 'answered yes') AND delivery != 'failed' GROUP BY number"));
    query.addBindValue(QVariant::fromValue<qint64>(from));
    query.addBindValue(QVariant::fromValue<qint64>(to));
    if (!query.exec()) {
        Report(QStringLiteral("the history cannot be read: %1").arg(Describe(query.lastError())));
        return {};
    }
    std::vector<ReplyTime> replies;
    while (query.next())
        replies.push_back({Utf16(query.value(0)), query.value(1).toLongLong()});
    return replies;
}

std::optional<int64_t> LastReplyTo(const std::vector<ReplyTime>& replies,
    std::u16string_view number, std::u16string_view internationalPrefix)
{
    const std::u16string caller = CallerKey(number, internationalPrefix);
    std::optional<int64_t> last;
    for (const ReplyTime& reply : replies)
        if (CallerKey(reply.number, internationalPrefix) == caller && (!last || reply.time > *last))
            last = reply.time;
    return last;
}

std::vector<CallRecord> CallHistory::Read(const HistoryFilter& filter)
{
    QString where;
    std::vector<std::pair<QString, QVariant>> values;
    if (filter.since) {
        where += QStringLiteral(" AND time_utc >= :since");
        values.emplace_back(QStringLiteral(":since"), QVariant::fromValue<qint64>(*filter.since));
    }
    if (filter.number) {
        where += QStringLiteral(" AND number = :number");
        values.emplace_back(QStringLiteral(":number"), Text(*filter.number));
    }
    return Select(where, QStringLiteral(" ORDER BY time_utc, id"), values);
}

namespace {

// The search as a LIKE pattern, its own wildcards taken literally.
QString SearchPattern(std::u16string_view search)
{
    QString pattern = QStringLiteral("%");
    for (const QChar c : Text(search)) {
        if (c == u'%' || c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern + u'%';
}

const QString kSearchWhere = QStringLiteral(
    " AND (number LIKE :search ESCAPE '\\' OR caller_name LIKE :search ESCAPE '\\')");

} // namespace

std::vector<CallRecord> CallHistory::ReadNewest(
    std::u16string_view search, int limit, const CallRecord* after)
{
    QString where;
    std::vector<std::pair<QString, QVariant>> values {{QStringLiteral(":limit"), limit}};
    if (!search.empty()) {
        where += kSearchWhere;
        values.emplace_back(QStringLiteral(":search"), SearchPattern(search));
    }
    if (after) {
        where += QStringLiteral(" AND (time_utc, id) < (:time, :id)");
        values.emplace_back(QStringLiteral(":time"), QVariant::fromValue<qint64>(after->timeUtc));
        values.emplace_back(QStringLiteral(":id"), QVariant::fromValue<qint64>(after->id));
    }
    return Select(where, QStringLiteral(" ORDER BY time_utc DESC, id DESC LIMIT :limit"), values);
}

std::optional<CallRecord> CallHistory::ReadRow(int64_t id, std::u16string_view search)
{
    QString where = QStringLiteral(" AND id = :id");
    std::vector<std::pair<QString, QVariant>> values {
        {QStringLiteral(":id"), QVariant::fromValue<qint64>(id)}};
    if (!search.empty()) {
        where += kSearchWhere;
        values.emplace_back(QStringLiteral(":search"), SearchPattern(search));
    }
    std::vector<CallRecord> rows = Select(where, {}, values);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

int64_t CallHistory::Count(std::u16string_view search)
{
    if (!Use(false) || noTable_)
        return 0;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM calls WHERE 1")
        + (search.empty() ? QString() : kSearchWhere));
    if (!search.empty())
        query.bindValue(QStringLiteral(":search"), SearchPattern(search));
    if (!query.exec() || !query.next()) {
        Report(QStringLiteral("the history cannot be read: %1").arg(Describe(query.lastError())));
        return 0;
    }
    return query.value(0).toLongLong();
}

bool CallHistory::Delete(int64_t id)
{
    const int removed = Change(QStringLiteral("DELETE FROM calls WHERE id = ?"),
        {QVariant::fromValue<qint64>(id)}, QStringLiteral("a call cannot be deleted"));
    if (removed > 0)
        Tell(HistoryChange::Kind::Deleted, id);
    return removed >= 0;
}

bool CallHistory::Clear()
{
    const int removed = Change(
        QStringLiteral("DELETE FROM calls"), {}, QStringLiteral("the history cannot be cleared"));
    if (removed > 0)
        Tell(HistoryChange::Kind::Cleared, 0);
    return removed >= 0;
}

int CallHistory::Change(
    const QString& sql, const std::vector<QVariant>& values, const QString& what)
{
    if (readOnly_)
        return -1;
    if (!Use(false))
        return unusable_ ? -1 : 0; // no file yet: no row to change
    QSqlQuery query(db_);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (query.exec())
        return query.numRowsAffected();
    const QSqlError error = query.lastError();
    query = QSqlQuery();
    Fail(error, what);
    return -1;
}

int CallHistory::AddChangeListener(ChangeListener listener)
{
    listeners_.emplace(++lastListener_, std::move(listener));
    return lastListener_;
}

void CallHistory::RemoveChangeListener(int listener)
{
    listeners_.erase(listener);
}

void CallHistory::Tell(HistoryChange::Kind kind, int64_t id)
{
    // A copy: a listener may add or remove listeners (a window closing).
    const std::map<int, ChangeListener> listeners = listeners_;
    for (const auto& [number, listener] : listeners)
        if (listeners_.contains(number))
            listener({kind, id});
}

std::vector<CallRecord> CallHistory::Select(const QString& where, const QString& tail,
    const std::vector<std::pair<QString, QVariant>>& values)
{
    std::vector<CallRecord> records;
    if (!Use(false) || noTable_)
        return records;
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral(
            "SELECT id, time_utc, utc_offset, number, caller_name, contact_id, lookup_stage, rings,"
            " reason, profile_id, template_id, text, fate, error, delivery, delivery_reason"
            " FROM calls WHERE 1")
        + where + tail);
    for (const auto& [name, value] : values)
        query.bindValue(name, value);
    if (!query.exec()) {
        Report(QStringLiteral("the history cannot be read: %1").arg(Describe(query.lastError())));
        return records;
    }
    while (query.next()) {
        CallRecord r;
        r.id = query.value(0).toLongLong();
        r.timeUtc = query.value(1).toLongLong();
        r.utcOffset = query.value(2).toInt();
        r.number = Utf16(query.value(3));
        r.callerName = Utf16(query.value(4));
        r.contactId = static_cast<uint32_t>(query.value(5).toLongLong());
        r.lookupStage = query.value(6).toString().toStdString();
        r.rings = query.value(7).toInt();
        r.reason = FromName<HistoryReason>(kReasonNames, query.value(8).toString());
        r.profileId = query.value(9).toInt();
        r.templateId = query.value(10).toInt();
        r.text = Utf16(query.value(11));
        r.fate = FromName<ReplyFate>(kFateNames, query.value(12).toString());
        r.error = Utf16(query.value(13));
        r.delivery = FromName<DeliveryState>(kDeliveryNames, query.value(14).toString());
        r.deliveryReason = Utf16(query.value(15));
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace pelmora
