#pragma once

// What the benchmarks share: where the book is (the files of a folder, or a
// database on a server), filling it at full size, and reading rows raw
// through the engine's own client library, the baseline every figure
// stands beside.
//
//   bench_x                      a temporary folder, filled first
//   bench_x FOLDER               FOLDER, filled first when empty
//   bench_x postgresql://…       that database, filled first when empty
//   SP_BENCH_SERVER=postgresql://… bench_x   the same

#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace bench {

inline double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The book a run measures: a folder by default, a server database when the
// argument or SP_BENCH_SERVER is a postgresql:// URI.
class Book {
public:
    explicit Book(const QStringList &args)
    {
        const bool filling = args.size() >= 3 && args.at(1) == QLatin1String("--fill");
        QString target = args.value(filling ? 2 : 1);
        if (target.isEmpty())
            target = qEnvironmentVariable("SP_BENCH_SERVER");
        if (target.isEmpty()) {
            m_temporary = std::make_unique<QTemporaryDir>();
            target = m_temporary->path();
        }
        m_target = target;
        setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_target);
    }
    // The book in that folder or server database, as given.
    explicit Book(const QString &target) : m_target(target)
    {
        setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_target);
    }

    bool server() const { return isServerTarget(m_target); }
    const QString &target() const { return m_target; }
    const char *engineName() const { return server() ? "PostgreSQL (libpq)" : "SQLite (C API)"; }
    QString file(const QString &name) const { return m_target + QLatin1Char('/') + name; }

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_target;
};

// A libpq connection of the benchmark's own, closed however the scope ends.
class PgConnection {
public:
    explicit PgConnection(const QString &uri) : m_conn(PQconnectdb(uri.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(std::string("cannot connect: ") + PQerrorMessage(m_conn));
    }
    ~PgConnection() { PQfinish(m_conn); }
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;
    PGconn *get() const { return m_conn; }

    void exec(const char *sql) const
    {
        PGresult *result = PQexec(m_conn, sql);
        const ExecStatusType status = PQresultStatus(result);
        const std::string error = PQresultErrorMessage(result);
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(std::string(sql) + ": " + error);
    }
    qint64 count(const char *table) const
    {
        PGresult *result = PQexec(m_conn, (std::string("select count(*) from ") + table).c_str());
        const qint64 n = PQresultStatus(result) == PGRES_TUPLES_OK ? QByteArray(PQgetvalue(result, 0, 0)).toLongLong() : -1;
        PQclear(result);
        return n;
    }

private:
    PGconn *m_conn;
};

// Reads every column of every row a statement gives, the way a program
// written straight against the engine would; returns the rows read.
inline int rawReadSqlite(sqlite3 *db, const char *sql, const QStringList &params = {})
{
    sqlite3_stmt *select = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &select, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray utf8 = params.at(i).toUtf8();
        sqlite3_bind_text(select, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    int rows = 0;
    qint64 bytes = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(select); ++c)
            bytes += sqlite3_column_bytes(select, c) + (sqlite3_column_text(select, c) ? 1 : 0);
        ++rows;
    }
    sqlite3_finalize(select);
    return bytes < 0 ? -rows : rows;
}

// The same through libpq: PQexecParams with real parameters, every value
// taken out of the result.
inline int rawReadPg(PGconn *conn, const char *sql, const QStringList &params = {})
{
    std::vector<QByteArray> values;
    std::vector<const char *> pointers;
    for (const QString &p : params)
        values.push_back(p.toUtf8());
    for (const QByteArray &v : values)
        pointers.push_back(v.constData());
    PGresult *result = PQexecParams(conn, sql, int(pointers.size()), nullptr, pointers.data(), nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const std::string error = PQresultErrorMessage(result);
        PQclear(result);
        throw std::runtime_error(std::string(sql) + ": " + error);
    }
    const int rows = PQntuples(result);
    qint64 bytes = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < PQnfields(result); ++c)
            bytes += PQgetlength(result, r, c) + (PQgetvalue(result, r, c)[0] ? 1 : 0);
    }
    PQclear(result);
    return bytes < 0 ? -rows : rows;
}

// Raw reads on either engine: SQL is written once with `?` placeholders and
// the book's mixed-case names, which both engines take unquoted.
class RawReader {
public:
    explicit RawReader(const Book &book) : m_server(book.server())
    {
        if (m_server)
            m_pg = std::make_unique<PgConnection>(book.target());
        else if (sqlite3_open_v2(":memory:", &m_sqlite, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open SQLite");
        if (!m_server) {
            // The four files attached under their table names, as the
            // program's own connection has them.
            const std::pair<const char *, const char *> files[] = {{"Tanggota1.DB", "Tanggota1"},
                                                                   {"Torangtua.db", "Torangtua"},
                                                                   {"Tsimpanan1.db", "Tsimpanan1"},
                                                                   {"Tpinjaman1.DB", "Tpinjaman1"}};
            for (const auto &[file, table] : files) {
                const QByteArray sql = "attach database '" + book.file(QString::fromLatin1(file)).toUtf8().replace("'", "''")
                    + "' as " + table;
                if (sqlite3_exec(m_sqlite, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                    throw std::runtime_error(sqlite3_errmsg(m_sqlite));
            }
        }
    }
    ~RawReader() { sqlite3_close(m_sqlite); }
    RawReader(const RawReader &) = delete;
    RawReader &operator=(const RawReader &) = delete;

    bool server() const { return m_server; }
    PGconn *pg() const { return m_pg ? m_pg->get() : nullptr; }

    // `sqliteSql` and `pgSql` differ only where the dialects do (caseless
    // comparison, the row identity); `?` becomes `$n` for the server.
    int readEither(const QString &sqliteSql, const QString &pgSql, const QStringList &params = {}) const
    {
        if (!m_server)
            return rawReadSqlite(m_sqlite, sqliteSql.toUtf8().constData(), params);
        QString numbered;
        int n = 0;
        for (const QChar c : pgSql)
            numbered += c == u'?' ? QStringLiteral("$%1").arg(++n) : QString(c);
        return rawReadPg(m_pg->get(), numbered.toUtf8().constData(), params);
    }
    int read(const QString &sql, const QStringList &params = {}) const { return readEither(sql, sql, params); }

    // A statement without rows (an insert, a delete), committed on its own.
    void exec(const QString &sql) const
    {
        if (m_server) {
            m_pg->exec(sql.toUtf8().constData());
            return;
        }
        char *error = nullptr;
        if (sqlite3_exec(m_sqlite, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(message);
        }
    }

    // Median time of three reads, in ms; `rows` gets the rows read.
    double time(const QString &sqliteSql, const QString &pgSql, int &rows) const
    {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            rows = readEither(sqliteSql, pgSql);
            times.push_back(ms(timer));
        }
        return median(times);
    }

private:
    bool m_server;
    sqlite3 *m_sqlite = nullptr;
    std::unique_ptr<PgConnection> m_pg;
};

// Rows written into one table while filling: prepared inserts in one
// transaction on a folder, COPY FROM STDIN on a server.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void row(const QVariantList &values) = 0;
    virtual void finish() = 0;
};

class SqliteSink : public RowSink {
public:
    SqliteSink(sqlite3 *db, const QString &table, const QStringList &columns) : m_db(db)
    {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QByteArray sql = QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                                   .toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &m_insert, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    ~SqliteSink() override { sqlite3_finalize(m_insert); }

    void row(const QVariantList &values) override
    {
        for (int i = 0; i < values.size(); ++i) {
            const QVariant &v = values.at(i);
            if (v.typeId() == QMetaType::QString) {
                const QByteArray utf8 = v.toString().toUtf8();
                sqlite3_bind_text(m_insert, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(m_insert, i + 1, v.toLongLong());
            }
        }
        if (sqlite3_step(m_insert) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        sqlite3_reset(m_insert);
    }
    void finish() override {}

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_insert = nullptr;
};

class CopySink : public RowSink {
public:
    CopySink(PGconn *conn, const QString &table, const QStringList &columns) : m_conn(conn)
    {
        const QByteArray sql =
            QStringLiteral("copy %1 (%2) from stdin").arg(table, columns.join(QStringLiteral(", "))).toUtf8();
        PGresult *result = PQexec(m_conn, sql.constData());
        const bool ok = PQresultStatus(result) == PGRES_COPY_IN;
        PQclear(result);
        if (!ok)
            throw std::runtime_error(std::string("copy refused: ") + PQerrorMessage(m_conn));
    }

    void row(const QVariantList &values) override
    {
        // The text format: tab between values, one row a line; the book's
        // values hold no tab, newline or backslash.
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_buffer += '\t';
            m_buffer += values.at(i).toString().toUtf8();
        }
        m_buffer += '\n';
        if (m_buffer.size() > (1 << 20))
            flush();
    }
    void finish() override
    {
        flush();
        if (PQputCopyEnd(m_conn, nullptr) != 1)
            throw std::runtime_error(PQerrorMessage(m_conn));
        PGresult *result = PQgetResult(m_conn);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        while ((result = PQgetResult(m_conn)))
            PQclear(result);
        if (!ok)
            throw std::runtime_error(std::string("copy failed: ") + PQerrorMessage(m_conn));
    }

private:
    void flush()
    {
        if (!m_buffer.isEmpty() && PQputCopyData(m_conn, m_buffer.constData(), int(m_buffer.size())) != 1)
            throw std::runtime_error(PQerrorMessage(m_conn));
        m_buffer.clear();
    }
    PGconn *m_conn;
    QByteArray m_buffer;
};

inline QString memberNumber(int i)
{
    return QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
}

// The full-size book: members (the first `parents` of them with a parent),
// deposits over `depositDays` days from 1 January 2021 in the order of the
// days (so each member's rows lie scattered as they would in use), and loans
// over `loanDays` days.
struct BookSize {
    int members = 100000;
    int parents = 0;
    int deposits = 1000000;
    int loans = 200000;
    int depositDays = 1000;
    int loanDays = 1100;
};

// Writes the book through sinks made by `open(table, columns)`.
inline void writeBook(const BookSize &size, const std::function<std::unique_ptr<RowSink>(const QString &, const QStringList &)> &open)
{
    {
        auto members = open(QStringLiteral("Tanggota1"),
                            {QStringLiteral("No_Anggota"), QStringLiteral("Tgl_Daftar"), QStringLiteral("Nama"),
                             QStringLiteral("NPM"), QStringLiteral("NBK"), QStringLiteral("Tempat_Lahir"),
                             QStringLiteral("Tgl_Lahir"), QStringLiteral("JK"), QStringLiteral("Gol_Darah"),
                             QStringLiteral("Agama"), QStringLiteral("Alamat"), QStringLiteral("Kodepos"),
                             QStringLiteral("No_Telp")});
        const QDate registered(2020, 1, 1);
        for (int i = 0; i < size.members; ++i) {
            members->row({memberNumber(i), registered.addDays(i % 1500).toString(Qt::ISODate),
                          QStringLiteral("Anggota %1").arg(i), QStringLiteral("B1%1").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')), QStringLiteral("Bandung"),
                          QDate(1990, 1, 1).addDays(i % 3650).toString(Qt::ISODate),
                          i % 2 ? QStringLiteral("W") : QStringLiteral("P"), QStringLiteral("O"),
                          QStringLiteral("Islam"), QStringLiteral("Jl. Dipati Ukur No. %1").arg(i % 300),
                          QStringLiteral("40132"), QStringLiteral("022-2501234")});
        }
        members->finish();
    }
    if (size.parents > 0) {
        auto parents = open(QStringLiteral("Torangtua"), {QStringLiteral("No_Anggota"), QStringLiteral("Nama_Ortu"),
                                                          QStringLiteral("Alamat_Ortu"), QStringLiteral("Kodepos_Ortu")});
        for (int i = 0; i < size.parents; ++i)
            parents->row({memberNumber(i), QStringLiteral("Orang tua %1").arg(i), QStringLiteral("Jl. Merdeka 1"),
                          QStringLiteral("40111")});
        parents->finish();
    }
    const QDate start(2021, 1, 1);
    quint32 random = 12345;
    {
        auto deposits = open(QStringLiteral("Tsimpanan1"),
                             {QStringLiteral("Tgl_Simpan"), QStringLiteral("No_Anggota"), QStringLiteral("S_Wajib"),
                              QStringLiteral("S_Sukarela"), QStringLiteral("S_Wisuda"),
                              QStringLiteral("Total_Simpanan")});
        for (int j = 0; j < size.deposits; ++j) {
            random = random * 1103515245u + 12345u;
            const qint64 voluntary = qint64(random % 50) * 10000000;
            deposits->row({start.addDays(qint64(j) * size.depositDays / size.deposits).toString(QStringLiteral("dd/MM/yyyy")),
                           memberNumber(int((random >> 8) % quint32(size.members))),
                           qint64(100000000),       // Rp 10.000
                           voluntary,               // up to Rp 490.000
                           qint64(50000000), qint64(150000000) + voluntary});
        }
        deposits->finish();
    }
    {
        auto loans = open(QStringLiteral("Tpinjaman1"),
                          {QStringLiteral("Tgl_Pinjam"), QStringLiteral("No_Anggota"), QStringLiteral("Besar_Pinjam"),
                           QStringLiteral("Jaminan"), QStringLiteral("Administrasi"), QStringLiteral("Total_Pinjam")});
        const char *guarantees[] = {"Motor", "BPKB Motor", "Laptop", "Sertifikat", "Emas"};
        for (int j = 0; j < size.loans; ++j) {
            random = random * 1103515245u + 12345u;
            const qint64 amount = (qint64(random % 100) + 1) * 100000 * 10000;   // Rp 100.000 steps
            loans->row({start.addDays(qint64(j) * size.loanDays / size.loans).toString(QStringLiteral("dd/MM/yyyy")),
                        memberNumber(int((random >> 8) % quint32(size.members))), amount,
                        QString::fromLatin1(guarantees[random % 5]), amount * 7 / 100, amount + amount * 7 / 100});
        }
        loans->finish();
    }
}

// Fills the book when it has no deposits yet. The data module makes the
// tables (a new folder or an empty database); the rows go in raw. Run in a
// process of its own (`--fill`) so that the figures' memory is the
// program's alone.
inline void fill(const Book &book, const BookSize &size)
{
    Tmodul module;
    if (!book.server()) {
        sqlite3 *db = sqlite::handleOf(*module.connection());
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        writeBook(size, [db](const QString &table, const QStringList &columns) {
            return std::make_unique<SqliteSink>(db, table, columns);
        });
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        return;
    }
    const PgConnection conn(book.target());
    conn.exec("BEGIN");
    writeBook(size, [&conn](const QString &table, const QStringList &columns) {
        return std::make_unique<CopySink>(conn.get(), table, columns);
    });
    conn.exec("COMMIT");
    // The planner's statistics, as autovacuum would gather them soon after.
    conn.exec("VACUUM ANALYZE");
}

inline bool isFilled(const Book &book)
{
    if (!book.server())
        return QFile::exists(book.file(QStringLiteral("Tpinjaman1.DB")));
    const PgConnection conn(book.target());
    return conn.count("tpinjaman1") > 0;
}

// Handles `--fill TARGET` (returns true when it did); otherwise fills the
// book when it is empty, in a child process.
inline bool fillWhenEmpty(const Book &book, const BookSize &size)
{
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--fill")) {
        fill(book, size);
        return true;
    }
    if (isFilled(book))
        return false;
    std::printf("filling %s with %d members, %d deposits and %d loans...\n", qPrintable(book.target()), size.members,
                size.deposits, size.loans);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--fill"), book.target()}) != 0)
        throw std::runtime_error("filling failed");
    std::printf("filled in %.1f s\n", ms(timer) / 1000);
    return false;
}

} // namespace bench
