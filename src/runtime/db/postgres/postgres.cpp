#include "runtime/db/postgres/postgres.h"

#include "runtime/db/error.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <algorithm>

namespace postgres {
namespace {

// Type identities of the server's built-in types (pg_type.oid).
constexpr Oid BoolOid = 16;
constexpr Oid Int8Oid = 20;
constexpr Oid Int2Oid = 21;
constexpr Oid Int4Oid = 23;
constexpr Oid Float4Oid = 700;
constexpr Oid Float8Oid = 701;
constexpr Oid NumericOid = 1700;

const QString RowIdColumn = QStringLiteral("sp_id");
const QString VersionColumn = QStringLiteral("sp_versi");

// One desk must not stall the others: a statement that runs too long, or a
// transaction left open, is ended by the server.
const char *const SessionSettings =
    "SET statement_timeout = '30s';"
    "SET idle_in_transaction_session_timeout = '60s';"
    "SET lock_timeout = '10s';"
    "SET DateStyle = 'ISO, DMY';"
    // A query read in two runs (its first rows, then all) must give its
    // rows in the same order both times.
    "SET synchronize_seqscans = off;"
    "SET max_parallel_workers_per_gather = 0;"
    "SET client_min_messages = 'warning'";

QString describeServer(const QString &uri)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(uri.toUtf8().constData(), &error);
    PQfreemem(error);
    if (!options)
        return uri.section(QLatin1Char('@'), -1);
    QString host;
    QString port;
    QString database;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        const QString value = o->val ? QString::fromUtf8(o->val) : QString();
        if (qstrcmp(o->keyword, "host") == 0)
            host = value;
        else if (qstrcmp(o->keyword, "port") == 0)
            port = value;
        else if (qstrcmp(o->keyword, "dbname") == 0)
            database = value;
    }
    PQconninfoFree(options);
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    if (!port.isEmpty())
        host += QLatin1Char(':') + port;
    return database.isEmpty() ? host : QStringLiteral("%1 di %2").arg(database, host);
}

QString lower(const QString &name)
{
    return name.toLower();
}

QString field(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

void ResultClearer::operator()(pg_result *result) const
{
    PQclear(result);
}

Session::Session(const QString &uri) : m_serverName(describeServer(uri))
{
    // A server out of reach on the network stalls the desk for a few
    // seconds at most; a timeout in the address itself comes later and wins.
    const QByteArray address = uri.toUtf8();
    const char *const keywords[] = {"connect_timeout", "dbname", nullptr};
    const char *const values[] = {"5", address.constData(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        PQfinish(m_conn);
        m_conn = nullptr;
        throw DatabaseError(dberr::BadFile,
                            QStringLiteral("Server data %1 tidak dapat dihubungi (%2).").arg(m_serverName, why));
    }
    applySettings();
}

void Session::applySettings() const
{
    PQsetClientEncoding(m_conn, "UTF8");
    run(QString::fromLatin1(SessionSettings));
}

void Session::raiseLost() const
{
    throw DatabaseError(dberr::Engine,
                        QStringLiteral("Hubungan ke server data %1 terputus; data belum disimpan.").arg(m_serverName));
}

void Session::reconnectIfLost()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        return;
    if (m_inTransaction)
        raiseLost();
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        raiseLost();
    ++m_generation;
    applySettings();
    if (onReconnected)
        onReconnected();
}

void Session::noticeLoss()
{
    // An empty statement: one round trip, which fails on an ended session.
    if (!m_inTransaction && PQstatus(m_conn) == CONNECTION_OK)
        Result(PQexec(m_conn, ""));
}

Session::~Session()
{
    PQfinish(m_conn);
}

QString Session::nextStatementName()
{
    return QStringLiteral("sp%1").arg(++m_statements);
}

Result Session::run(const QString &sql) const
{
    if (PQstatus(m_conn) != CONNECTION_OK)
        raiseLost();
    Result result(PQexec(m_conn, sql.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        raise(result.get(), sql);
    return result;
}

Result Session::run(const QString &sql, const QList<std::optional<QByteArray>> &values) const
{
    std::vector<const char *> pointers;
    for (const auto &value : values)
        pointers.push_back(value ? value->constData() : nullptr);
    Result result(PQexecParams(m_conn, sql.toUtf8().constData(), int(pointers.size()), nullptr, pointers.data(),
                               nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        raise(result.get(), sql);
    return result;
}

void Session::raise(const pg_result *result, const QString &context) const
{
    if (PQstatus(m_conn) == CONNECTION_BAD)
        raiseLost();
    const QString state = field(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    const QString table = field(PQresultErrorField(result, PG_DIAG_TABLE_NAME));
    // The server names tables and columns in lower case; messages use the
    // names of the book.
    const auto proper = [this, &table](const QString &column) {
        for (const TableSchema &schema : tables) {
            if (lower(schema.tableName) != table)
                continue;
            for (const FieldDef &f : schema.fields) {
                if (lower(f.name) == column)
                    return schema.tableName + QLatin1Char('.') + f.name;
            }
            return schema.tableName + QLatin1Char('.') + column;
        }
        return table + QLatin1Char('.') + column;
    };
    if (state == QLatin1String("23505"))
        throw DatabaseError(dberr::KeyViolation, QStringLiteral("Data dengan kunci yang sama sudah ada."));
    if (state == QLatin1String("23502"))
        throw DatabaseError(dberr::RequiredValue, QStringLiteral("Isian wajib diisi: %1")
                                                      .arg(proper(field(PQresultErrorField(result, PG_DIAG_COLUMN_NAME)))));
    // Check constraints are named after their field.
    if (state == QLatin1String("23514"))
        throw DatabaseError(dberr::MinimumValue, QStringLiteral("Isian di bawah nilai minimum: %1")
                                                      .arg(proper(field(PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME)))));
    QString text = result ? field(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) : QString();
    if (text.isEmpty())
        text = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    throw DatabaseError(dberr::Engine, text);
}

QString numberedPlaceholders(const QString &sql, int *count)
{
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++n);
        } else {
            out += c;
        }
    }
    if (count)
        *count = n;
    return out;
}

const Session::Prepared *Session::prepared(const QString &sql) const
{
    const auto found = m_prepared.constFind(sql);
    return found == m_prepared.constEnd() || found->generation != m_generation ? nullptr : &*found;
}

bool Session::keep(const QString &sql, const Prepared &prepared)
{
    // Report queries differ by their month; the table layer's are few.
    constexpr int Most = 256;
    if (m_prepared.size() >= Most && !m_prepared.contains(sql))
        return false;
    m_prepared.insert(sql, prepared);
    return true;
}

Statement::Statement(std::shared_ptr<Session> session, const QString &sql)
    : m_session(std::move(session)), m_sql(sql)
{
    m_session->reconnectIfLost();
    prepareOnServer();
}

Session::Prepared Statement::prepareText(const QString &sql, bool *kept)
{
    if (const Session::Prepared *found = m_session->prepared(sql)) {
        *kept = true;
        return *found;
    }
    Session::Prepared made;
    made.name = m_session->nextStatementName().toUtf8();
    const QByteArray text = numberedPlaceholders(sql).toUtf8();
    pg_conn *conn = m_session->handle();
    Result prepared(PQprepare(conn, made.name.constData(), text.constData(), 0, nullptr));
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        m_session->raise(prepared.get(), m_sql);
    Result described(PQdescribePrepared(conn, made.name.constData()));
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK)
        m_session->raise(described.get(), m_sql);
    for (int c = 0; c < PQnfields(described.get()); ++c)
        made.columns.emplace_back(QString::fromUtf8(PQfname(described.get(), c)), PQftype(described.get(), c));
    made.parameters = PQnparams(described.get());
    made.generation = m_session->generation();
    *kept = m_session->keep(sql, made);
    return made;
}

void Statement::prepareOnServer()
{
    const Session::Prepared made = prepareText(m_sql, &m_kept);
    m_name = made.name;
    m_columns = made.columns;
    m_values.resize(made.parameters);
    m_firstName.clear();
    m_restName.clear();
    m_generation = m_session->generation();
}

Statement::~Statement()
{
    // A statement of a session already lost needs no deallocation.
    pg_conn *conn = m_session->handle();
    if (m_generation != m_session->generation() || PQstatus(conn) != CONNECTION_OK
        || PQtransactionStatus(conn) == PQTRANS_INERROR)
        return;
    if (!m_kept)
        Result(PQexec(conn, ("DEALLOCATE " + m_name).constData()));
    if (!m_firstName.isEmpty() && !m_firstKept)
        Result(PQexec(conn, ("DEALLOCATE " + m_firstName).constData()));
    if (!m_restName.isEmpty() && !m_restKept)
        Result(PQexec(conn, ("DEALLOCATE " + m_restName).constData()));
}

void Statement::bind(int index, const QVariant &value)
{
    if (index < 1 || index > m_values.size())
        throw DatabaseError(dberr::Engine, QStringLiteral("Parameter %1 out of range").arg(index));
    std::optional<QByteArray> &slot = m_values[index - 1];
    if (value.isNull())
        slot.reset();
    else if (value.typeId() == QMetaType::QString)
        slot = value.toString().toUtf8();
    else if (value.typeId() == QMetaType::Double)
        slot = QByteArray::number(value.toDouble(), 'g', 17);
    else
        slot = QByteArray::number(value.toLongLong());
    m_result.reset();
}

void Statement::readFirst(int rows)
{
    // Rows of equal sort keys may come in another order when the server
    // sorts for a limit, so a sorted result is read whole.
    if (!m_sql.contains(QLatin1String("order by"), Qt::CaseInsensitive))
        m_firstRows = rows;
}

Result Statement::run(const QByteArray &name, const QByteArray &after)
{
    std::vector<const char *> pointers;
    for (const auto &value : std::as_const(m_values))
        pointers.push_back(value ? value->constData() : nullptr);
    if (!after.isNull())
        pointers.push_back(after.constData());
    Result result(PQexecPrepared(m_session->handle(), name.constData(), int(pointers.size()), pointers.data(), nullptr,
                                 nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        m_session->raise(result.get());
    m_affected = QByteArray(PQcmdTuples(result.get())).toLongLong();
    if (status == PGRES_COMMAND_OK)
        m_session->changes += m_affected;
    return result;
}

void Statement::prepareFirst()
{
    // The first rows and then the rest, both in the order of the row
    // identity: the rest starts after the last identity read, so a row
    // another desk changes or adds in between is neither skipped nor read
    // twice. A result without the identity is read whole.
    const auto identity = std::find_if(m_columns.cbegin(), m_columns.cend(),
                                       [](const auto &column) { return column.first == RowIdColumn; });
    if (identity == m_columns.cend()) {
        m_firstRows = 0;
        m_partial = false;
        return;
    }
    m_identityColumn = int(identity - m_columns.cbegin());
    QString inner = m_sql.trimmed();
    while (inner.endsWith(QLatin1Char(';')))
        inner = inner.chopped(1).trimmed();
    const QString rows = QStringLiteral("SELECT * FROM (%1\n) AS sp_rows ").arg(inner);
    try {
        m_firstName = prepareText(rows + QStringLiteral("ORDER BY %1 LIMIT %2").arg(RowIdColumn).arg(m_firstRows),
                                  &m_firstKept).name;
        m_restName = prepareText(rows + QStringLiteral("WHERE %1 > ? ORDER BY %1").arg(RowIdColumn), &m_restKept).name;
    } catch (const DatabaseError &) {
        // A text the server takes only as it is (outside a transaction,
        // a refused statement harms nothing): read it whole.
        if (PQtransactionStatus(m_session->handle()) != PQTRANS_IDLE)
            throw;
        m_firstRows = 0;
        m_partial = false;
    }
}

bool Statement::step()
{
    if (!m_result) {
        m_session->reconnectIfLost();
        if (m_generation != m_session->generation())
            prepareOnServer();   // the statement was prepared on a session since lost
        m_partial = m_firstRows > 0 && !m_columns.empty();
        if (m_partial && m_firstName.isEmpty())
            prepareFirst();
        m_result = run(m_partial ? m_firstName : m_name);
        m_row = -1;
    }
    if (++m_row < PQntuples(m_result.get()))
        return true;
    if (!m_partial || m_row < m_firstRows)
        return false;
    // Past the first rows: those after the last one read.
    const QByteArray last(PQgetvalue(m_result.get(), m_row - 1, m_identityColumn));
    m_partial = false;
    m_result = run(m_restName, last);
    m_row = 0;
    return m_row < PQntuples(m_result.get());
}

void Statement::reset()
{
    m_result.reset();
    m_row = -1;
    m_partial = false;
    for (auto &value : m_values)
        value.reset();
}

bool Statement::columnIsInteger(int column) const
{
    const Oid type = m_columns.at(column).second;
    return type == Int8Oid || type == Int4Oid || type == Int2Oid;
}

QVariant Statement::column(int column) const
{
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result.get()) || PQgetisnull(m_result.get(), m_row, column))
        return {};
    const char *text = PQgetvalue(m_result.get(), m_row, column);
    switch (m_columns.at(column).second) {
    case Int8Oid:
    case Int4Oid:
    case Int2Oid:
        return QVariant::fromValue<qint64>(QByteArray(text).toLongLong());
    case BoolOid:
        return QVariant::fromValue<qint64>(text[0] == 't' ? 1 : 0);
    case Float4Oid:
    case Float8Oid:
        return QByteArray(text).toDouble();
    case NumericOid: {
        // Sums of money columns: whole numbers stay exact integers.
        bool whole = false;
        const qint64 value = QByteArray(text).toLongLong(&whole);
        return whole ? QVariant::fromValue<qint64>(value) : QVariant(QString::fromUtf8(text));
    }
    default:
        return QString::fromUtf8(text);
    }
}

Engine::Engine(const QString &uri, const QList<TableSchema> &tables)
    : m_session(std::make_shared<Session>(uri)), m_uri(uri)
{
    m_session->tables = tables;
    bool empty = false;
    QStringList problems = catalogueProblems(*m_session, tables, &empty);
    if (empty || !problems.isEmpty()) {
        // A new database: every table is made in one transaction. A desk
        // that starts while another makes them may have seen some made and
        // others not yet; it looks again once the maker is done.
        m_session->run(QStringLiteral("BEGIN"));
        try {
            m_session->run(QString::fromLatin1(TablesLock));
            problems = catalogueProblems(*m_session, tables, &empty);
            if (empty) {
                for (const TableSchema &schema : tables) {
                    for (const QString &sql : createSql(schema))
                        m_session->run(sql);
                }
                for (const QString &sql : noticeSql(tables))
                    m_session->run(sql);
            }
            m_session->run(QStringLiteral("COMMIT"));
        } catch (const DatabaseError &error) {
            rollback();
            // Another desk starting at the same moment may have made them
            // after all; then they are checked like any existing tables.
            problems = catalogueProblems(*m_session, tables, &empty);
            if (empty)
                throw DatabaseError(dberr::BadFile, QStringLiteral("Tabel data di server %1 tidak dapat dibuat (%2).")
                                                        .arg(serverName(), error.text()));
        }
        if (empty)
            return;
    }
    if (problems.isEmpty()) {
        addNotices(tables);
        return;
    }
    QString text = QStringLiteral("Data di server %1 tidak dapat dipakai:").arg(serverName());
    for (const QString &problem : std::as_const(problems))
        text += QStringLiteral("\n- ") + problem;
    text += QStringLiteral("\nTidak ada tabel yang dibuat atau diubah.");
    throw DatabaseError(dberr::BadFile, text);
}

Engine::~Engine() = default;

// Tables made before their writes were announced get the announcement now,
// by one desk while the others wait, as when tables are made. The
// announcement lives in the database, so every write of the book (any
// desk, any tool) is told, and in the writing transaction, so none is told
// that did not happen.
void Engine::addNotices(const QList<TableSchema> &tables)
{
    QStringList names;
    for (const TableSchema &schema : tables)
        names << QLatin1Char('\'') + lower(schema.tableName) + QLatin1Char('\'');
    const QString count = QStringLiteral("SELECT count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                                         "WHERE t.tgname = 'sp_kabar' AND pg_table_is_visible(c.oid) AND c.relname IN (%1)")
                              .arg(names.join(QLatin1Char(',')));
    const auto complete = [this, &count, &tables] {
        const Result result = m_session->run(count);
        return QByteArray(PQgetvalue(result.get(), 0, 0)).toInt() == tables.size();
    };
    if (complete())
        return;
    try {
        m_session->run(QStringLiteral("BEGIN"));
        m_session->run(QString::fromLatin1(TablesLock));
        if (!complete()) {
            for (const QString &sql : noticeSql(tables))
                m_session->run(sql);
        }
        m_session->run(QStringLiteral("COMMIT"));
    } catch (const DatabaseError &error) {
        // A user who may not change the tables still works on the book; the
        // desks then see each other's writes when they read the rows again.
        rollback();
        qWarning("Perubahan dari meja lain tidak akan tampil sendiri: %s", qPrintable(error.text()));
    }
}

void Engine::watchOthers(std::function<void(const QStringList &tables)> changed)
{
    if (!QCoreApplication::instance())
        return;
    QStringList all;
    for (const TableSchema &schema : m_session->tables)
        all << schema.tableName;
    // What happened while the session was lost is unknown: all of it is read again.
    m_session->onReconnected = [changed, all] { changed(all); };
    m_listener = std::make_unique<Listener>(m_uri, m_session, std::move(changed));
}

Listener::Listener(const QString &uri, std::shared_ptr<Session> own, std::function<void(const QStringList &)> changed)
    : m_uri(uri), m_own(std::move(own)), m_changed(std::move(changed)), m_retry(new QTimer(this))
{
    m_retry->setInterval(1000);
    connect(m_retry, &QTimer::timeout, this, [this] {
        connectToServer();
        if (!m_session)
            return;
        m_retry->stop();
        QStringList all;
        for (const TableSchema &schema : m_own->tables)
            all << schema.tableName;
        m_changed(all);
    });
    connectToServer();
    if (!m_session)
        m_retry->start();
}

Listener::~Listener() = default;

void Listener::connectToServer()
{
    try {
        auto session = std::make_unique<Session>(m_uri);
        session->run(QStringLiteral("LISTEN %1").arg(QLatin1String(Channel)));
        m_session = std::move(session);
    } catch (const DatabaseError &) {
        return;
    }
    m_notifier = new QSocketNotifier(PQsocket(m_session->handle()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Listener::read);
}

void Listener::read()
{
    pg_conn *conn = m_session->handle();
    if (!PQconsumeInput(conn) || PQstatus(conn) != CONNECTION_OK) {
        lost();
        return;
    }
    pg_conn *own = m_own->handle();
    const int ownBackend = PQstatus(own) == CONNECTION_OK ? PQbackendPID(own) : 0;
    QStringList tables;
    while (PGnotify *notice = PQnotifies(conn)) {
        // This desk's own writes are already on its screen.
        if (notice->be_pid != ownBackend) {
            const QString table = tableNamed(QString::fromUtf8(notice->extra).section(QLatin1Char(':'), 0, 0));
            if (!table.isEmpty() && !tables.contains(table))
                tables << table;
        }
        PQfreemem(notice);
    }
    if (!tables.isEmpty())
        m_changed(tables);
}

void Listener::lost()
{
    // The desk's own session most likely went with this one.
    m_own->noticeLoss();
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    m_session.reset();
    m_retry->start();
}

QString Listener::tableNamed(const QString &lowerName) const
{
    for (const TableSchema &schema : m_own->tables) {
        if (lower(schema.tableName) == lowerName)
            return schema.tableName;
    }
    return {};
}

std::unique_ptr<db::Statement> Engine::prepare(const QString &sql)
{
    return std::make_unique<Statement>(m_session, sql);
}

void Engine::execute(const QString &script)
{
    m_session->reconnectIfLost();
    const Result result = m_session->run(script);
    m_session->changes += QByteArray(PQcmdTuples(result.get())).toLongLong();
}

qint64 Engine::insert(const QString &sql, const QVariantList &values)
{
    Statement insert(m_session, sql + QStringLiteral(" RETURNING ") + RowIdColumn);
    insert.bindAll(values);
    if (!insert.step())
        throw DatabaseError(dberr::Engine, QStringLiteral("%1: no row stored").arg(sql));
    const qint64 id = insert.columnInt(0);
    m_session->changes += 1;
    return id;
}

void Engine::begin()
{
    m_session->reconnectIfLost();
    m_session->run(QStringLiteral("BEGIN"));
    m_session->setInTransaction(true);
}

void Engine::commit()
{
    m_session->run(QStringLiteral("COMMIT"));
    m_session->setInTransaction(false);
}

void Engine::rollback() noexcept
{
    m_session->setInTransaction(false);
    if (PQstatus(m_session->handle()) == CONNECTION_OK)
        Result(PQexec(m_session->handle(), "ROLLBACK"));
}

QString Engine::name(const QString &identifier) const
{
    return QLatin1Char('"') + lower(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString Engine::rowId() const
{
    return RowIdColumn;
}

QString Engine::version() const
{
    return VersionColumn;
}

QString Engine::caseless(const QString &expression) const
{
    return QStringLiteral("lower(%1)").arg(expression);
}

bool Engine::isHidden(const QString &column) const
{
    return column.compare(RowIdColumn, Qt::CaseInsensitive) == 0
        || column.compare(VersionColumn, Qt::CaseInsensitive) == 0;
}

} // namespace postgres
