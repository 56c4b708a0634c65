#pragma once

#include "runtime/db/engine.h"
#include "runtime/db/schema.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;
class QSocketNotifier;
class QTimer;

namespace postgres {

class Listener;

struct ResultClearer { void operator()(pg_result *result) const; };
using Result = std::unique_ptr<pg_result, ResultClearer>;

// One server session, shared by the engine and its statements: a statement
// may outlive the engine (datasets are deleted after their connection), and
// the session ends with the last of them.
class Session {
public:
    explicit Session(const QString &uri);   // throws DatabaseError naming the server
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    pg_conn *handle() const { return m_conn; }
    const QString &serverName() const { return m_serverName; }
    // Runs a text without parameters; throws on failure.
    Result run(const QString &sql) const;
    // Runs a text with real parameters; throws on failure.
    Result run(const QString &sql, const QList<std::optional<QByteArray>> &values) const;
    // Translates a failed result into a DatabaseError with our codes.
    [[noreturn]] void raise(const pg_result *result, const QString &context = {}) const;
    QString nextStatementName();

    // Statements prepared once per session and kept, by their text: a
    // table's few statements run again and again, and preparing each time
    // would cost the server three more round trips.
    struct Prepared {
        QByteArray name;
        std::vector<std::pair<QString, unsigned int>> columns;
        int parameters = 0;
        int generation = 0;
    };
    const Prepared *prepared(const QString &sql) const;
    // False when the cache is full: the caller deallocates its own.
    bool keep(const QString &sql, const Prepared &prepared);
    // A session lost while idle is opened anew before the next statement
    // (the server is back); one lost inside a transaction stays lost until
    // the transaction is given up, so no half of it runs on its own.
    void reconnectIfLost();
    // Tries an idle session: one the server ended is then known lost, and
    // the next statement opens it anew instead of failing.
    void noticeLoss();
    // Grows with each new session: statements prepared before are prepared again.
    int generation() const { return m_generation; }
    void setInTransaction(bool open) { m_inTransaction = open; }
    bool inTransaction() const { return m_inTransaction; }
    // Told when a lost session was opened anew.
    std::function<void()> onReconnected;

    // Tables and fields under their schema names, for messages.
    QList<TableSchema> tables;
    qint64 changes = 0;

private:
    void applySettings() const;
    [[noreturn]] void raiseLost() const;

    pg_conn *m_conn = nullptr;
    QString m_serverName;
    int m_statements = 0;
    int m_generation = 0;
    QHash<QString, Prepared> m_prepared;
    bool m_inTransaction = false;
};

// A statement prepared on the server (PQprepare) and run with its values as
// real parameters (PQexecPrepared). The rows of a run are read at once;
// after readFirst(n) a run of a query that shows the row identity reads its
// first n rows in identity order, and the rest only when a row past those
// is stepped to.
class Statement : public db::Statement {
public:
    Statement(std::shared_ptr<Session> session, const QString &sql);  // throws DatabaseError
    ~Statement() override;

    void bind(int index, const QVariant &value) override;
    bool step() override;
    void reset() override;
    bool pause() override { return false; }  // a result read at once holds no lock
    qint64 affectedRows() const override { return m_affected; }
    void readFirst(int rows) override;

    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int column) const override { return m_columns.at(column).first; }
    bool columnIsInteger(int column) const override;
    QVariant column(int column) const override;

private:
    void prepareOnServer();
    void prepareFirst();
    Session::Prepared prepareText(const QString &sql, bool *kept);
    // `after`, when given, is the value of one more, last placeholder.
    Result run(const QByteArray &name, const QByteArray &after = {});

    std::shared_ptr<Session> m_session;
    QString m_sql;
    int m_generation = 0;
    QByteArray m_name;
    bool m_kept = false;                 // the session's cache holds it
    QByteArray m_firstName;              // the same limited to m_firstRows
    bool m_firstKept = false;
    QByteArray m_restName;               // the rows after a given identity
    bool m_restKept = false;
    int m_identityColumn = -1;
    int m_firstRows = 0;
    bool m_partial = false;              // the result holds the first rows only
    std::vector<std::pair<QString, unsigned int>> m_columns;
    QList<std::optional<QByteArray>> m_values;
    Result m_result;
    int m_row = -1;
    qint64 m_affected = 0;
};

// `?` placeholders as the server's `$1`, `$2`, … (outside quoted text).
QString numberedPlaceholders(const QString &sql, int *count = nullptr);

// One database on a server holds the four tables under their own names
// (spelt in lower case, so that plain SQL finds them unquoted), each with a
// hidden row identity and a row version. An empty database gets its tables
// on the first start, in one transaction; a database whose tables are
// missing or mis-shaped is refused with one DatabaseError (code BadFile)
// naming each table, and nothing is created or changed.
class Engine : public db::Engine {
public:
    Engine(const QString &uri, const QList<TableSchema> &tables); // throws DatabaseError
    ~Engine() override;

    // "database simpanpinjam on host:port", never the password.
    const QString &serverName() const { return m_session->serverName(); }

    std::unique_ptr<db::Statement> prepare(const QString &sql) override;
    void execute(const QString &script) override;
    qint64 insert(const QString &sql, const QVariantList &values) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    qint64 totalChanges() const override { return m_session->changes; }
    QString name(const QString &identifier) const override;
    QString rowId() const override;
    QString version() const override;
    QString caseless(const QString &expression) const override;
    bool inTransaction() const override { return m_session->inTransaction(); }
    QString rowLock(bool keyShare) const override
    {
        return keyShare ? QStringLiteral(" FOR KEY SHARE") : QStringLiteral(" FOR UPDATE");
    }
    void watchOthers(std::function<void(const QStringList &tables)> changed) override;
    QString nullsFirst() const override { return QStringLiteral(" NULLS FIRST"); }
    QString sameAs() const override { return QStringLiteral("IS NOT DISTINCT FROM"); }
    int rowsPerRead() const override { return 32; }
    bool isHidden(const QString &column) const override;

private:
    void addNotices(const QList<TableSchema> &tables);

    std::shared_ptr<Session> m_session;
    QString m_uri;
    std::unique_ptr<Listener> m_listener;
};

// The channel every write of the book is announced on, as "table:sp_id".
inline constexpr const char *Channel = "simpanpinjam";
// Taken in the transaction that makes the tables or their announcements, so
// that two programs starting at once do not both make them.
inline constexpr const char *TablesLock = "SELECT pg_advisory_xact_lock(hashtext('simpanpinjam-tabel'))";

// Its own session on the channel, read through a socket notifier in the
// event loop; lost, it is opened again every second until the server is
// back, and then every table counts as changed.
class Listener : public QObject {
    Q_OBJECT
public:
    Listener(const QString &uri, std::shared_ptr<Session> own, std::function<void(const QStringList &)> changed);
    ~Listener() override;

private:
    void connectToServer();
    void read();
    void lost();
    QString tableNamed(const QString &lowerName) const;

    QString m_uri;
    std::shared_ptr<Session> m_own;      // its writes are not news to this desk
    std::function<void(const QStringList &)> m_changed;
    std::unique_ptr<Session> m_session;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_retry = nullptr;
};

// The statements that make a table with its constraints and indexes.
QStringList createSql(const TableSchema &schema);
// The statements that make every write of the tables announce itself on
// the channel; they replace what was there.
QStringList noticeSql(const QList<TableSchema> &tables);

// What is wrong with the tables of a database, one sentence per problem,
// naming the table; empty when every table is there as `tables` describe it.
// Only reads the catalogue.
QStringList catalogueProblems(const Session &session, const QList<TableSchema> &tables, bool *empty);

} // namespace postgres
