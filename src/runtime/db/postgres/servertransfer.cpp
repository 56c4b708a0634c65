// The server's end of a move: the four tables read in one read-only
// snapshot with COPY … TO STDOUT, or written in one transaction with
// COPY … FROM STDIN, row identities and numbers as they were.

#include "runtime/db/error.h"
#include "runtime/db/postgres/postgres.h"
#include "runtime/db/transferside.h"

#include <libpq-fe.h>

namespace transfer {
namespace {

// Copying a whole book may take longer than a desk's statement may.
const QString NoTimeouts = QStringLiteral("SET statement_timeout = 0; SET idle_in_transaction_session_timeout = 0");

QString lower(const QString &name)
{
    return name.toLower();
}

QString columnList(const TableSchema &schema)
{
    QStringList columns{QStringLiteral("sp_id")};
    for (const FieldDef &f : schema.fields)
        columns << lower(f.name);
    return columns.join(QStringLiteral(", "));
}

qint64 integer(const postgres::Result &result, int column)
{
    return QByteArray(PQgetvalue(result.get(), 0, column)).toLongLong();
}

Tally tallyOf(const postgres::Session &session, const TableSchema &schema)
{
    QStringList terms{QStringLiteral("count(*)")};
    for (const FieldDef *f : moneyFields(schema))
        terms << QStringLiteral("coalesce(sum(%1), 0)").arg(lower(f->name));
    const postgres::Result result =
        session.run(QStringLiteral("SELECT %1 FROM %2").arg(terms.join(QStringLiteral(", ")), lower(schema.tableName)));
    Tally tally;
    tally.rows = integer(result, 0);
    for (int c = 1; c < PQnfields(result.get()); ++c) {
        bool ok = false;
        const qint64 raw = QByteArray(PQgetvalue(result.get(), 0, c)).toLongLong(&ok);
        if (!ok)
            throw DatabaseError(dberr::Engine, QStringLiteral("Jumlah kolom uang di tabel %1 di luar jangkauan.").arg(schema.tableName));
        tally.sums << Money::fromRaw(raw);
    }
    if (const FieldDef *number = autoIncField(schema)) {
        const postgres::Result sequence = session.run(QStringLiteral("SELECT pg_get_serial_sequence($1, $2)"),
                                                      {lower(schema.tableName).toUtf8(), lower(number->name).toUtf8()});
        const QString name = QString::fromUtf8(PQgetvalue(sequence.get(), 0, 0));
        const postgres::Result state = session.run(QStringLiteral("SELECT last_value, is_called FROM %1").arg(name));
        const bool called = QByteArray(PQgetvalue(state.get(), 0, 1)) == "t";
        tally.nextNumber = integer(state, 0) + (called ? 1 : 0);
    }
    return tally;
}

bool isText(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Date;
}

// One field of COPY's text format back to its bytes.
QByteArray unescaped(const char *begin, const char *end)
{
    QByteArray out;
    out.reserve(end - begin);
    for (const char *p = begin; p < end; ++p) {
        if (*p != '\\' || p + 1 == end) {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'v': out += '\v'; break;
        default: out += *p; break;
        }
    }
    return out;
}

void appendEscaped(QByteArray &out, const QByteArray &value)
{
    for (const char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
}

class CopyReader : public RowReader {
public:
    CopyReader(postgres::Session &session, const TableSchema &schema) : m_session(session), m_schema(schema)
    {
        const QString sql = QStringLiteral("COPY (SELECT %1 FROM %2 ORDER BY sp_id) TO STDOUT")
                                .arg(columnList(schema), lower(schema.tableName));
        const postgres::Result result(PQexec(session.handle(), sql.toUtf8().constData()));
        if (PQresultStatus(result.get()) != PGRES_COPY_OUT)
            session.raise(result.get(), sql);
    }

    bool next(Row &row) override
    {
        char *buffer = nullptr;
        const int size = PQgetCopyData(m_session.handle(), &buffer, 0);
        if (size == -1) {
            finish();
            return false;
        }
        if (size < 0)
            m_session.raise(nullptr, m_schema.tableName);
        const std::unique_ptr<char, decltype(&PQfreemem)> line(buffer, PQfreemem);
        parse(buffer, buffer + size, row);
        return true;
    }

private:
    void finish()
    {
        while (PGresult *raw = PQgetResult(m_session.handle())) {
            const postgres::Result result(raw);
            if (PQresultStatus(raw) != PGRES_COMMAND_OK)
                m_session.raise(raw, m_schema.tableName);
        }
    }

    void parse(const char *begin, const char *end, Row &row) const
    {
        if (end > begin && end[-1] == '\n')
            --end;
        row.cells.resize(m_schema.fields.size());
        int column = -1;
        const char *p = begin;
        while (p <= end) {
            const char *stop = static_cast<const char *>(memchr(p, '\t', end - p));
            if (!stop)
                stop = end;
            if (column < 0) {
                row.id = QByteArray::fromRawData(p, stop - p).toLongLong();
            } else if (column < int(row.cells.size())) {
                std::optional<QByteArray> &cell = row.cells[column];
                if ((stop - p == 2 && p[0] == '\\' && p[1] == 'N')
                    || (stop == p && isText(m_schema.fields.at(column).type)))
                    cell.reset();
                else
                    cell = unescaped(p, stop);
            }
            ++column;
            p = stop + 1;
        }
        if (column != int(row.cells.size()))
            throw DatabaseError(dberr::Engine, QStringLiteral("Baris tabel %1 dari server tidak terbaca.").arg(m_schema.tableName));
    }

    postgres::Session &m_session;
    const TableSchema &m_schema;
};

class ServerSource : public Source {
public:
    ServerSource(const QString &uri, const QList<TableSchema> &tables) : m_session(uri)
    {
        m_session.tables = tables;
        m_session.run(NoTimeouts);
        m_session.run(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        bool empty = false;
        QStringList problems = postgres::catalogueProblems(m_session, tables, &empty);
        if (empty)
            problems << QStringLiteral("Tabel buku belum ada.");
        if (!problems.isEmpty())
            throw DatabaseError(dberr::BadFile, QStringLiteral("Buku di server %1 tidak dapat dibaca:\n- %2")
                                                    .arg(m_session.serverName(), problems.join(QStringLiteral("\n- "))));
    }

    QString describe() const override { return QStringLiteral("server %1").arg(m_session.serverName()); }
    Tally tally(const TableSchema &schema) override { return tallyOf(m_session, schema); }
    std::unique_ptr<RowReader> rows(const TableSchema &schema) override
    {
        return std::make_unique<CopyReader>(m_session, schema);
    }

private:
    postgres::Session m_session;
};

class CopyWriter : public RowWriter {
public:
    CopyWriter(postgres::Session &session, const TableSchema &schema) : m_session(session), m_schema(schema)
    {
        const QString sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(lower(schema.tableName), columnList(schema));
        const postgres::Result result(PQexec(session.handle(), sql.toUtf8().constData()));
        if (PQresultStatus(result.get()) != PGRES_COPY_IN)
            session.raise(result.get(), sql);
        m_buffer.reserve(BufferSize + 4096);
    }

    void put(const Row &row) override
    {
        m_buffer += QByteArray::number(row.id);
        for (const std::optional<QByteArray> &cell : row.cells) {
            m_buffer += '\t';
            if (cell)
                appendEscaped(m_buffer, *cell);
            else
                m_buffer += "\\N";
        }
        m_buffer += '\n';
        if (m_buffer.size() >= BufferSize)
            flush();
    }

    void finish() override
    {
        flush();
        if (PQputCopyEnd(m_session.handle(), nullptr) != 1)
            m_session.raise(nullptr, m_schema.tableName);
        while (PGresult *raw = PQgetResult(m_session.handle())) {
            const postgres::Result result(raw);
            if (PQresultStatus(raw) != PGRES_COMMAND_OK)
                m_session.raise(raw, m_schema.tableName);
        }
    }

private:
    static constexpr qsizetype BufferSize = 1 << 20;

    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        if (PQputCopyData(m_session.handle(), m_buffer.constData(), int(m_buffer.size())) != 1)
            m_session.raise(nullptr, m_schema.tableName);
        m_buffer.clear();
    }

    postgres::Session &m_session;
    const TableSchema &m_schema;
    QByteArray m_buffer;
};

class ServerTarget : public Target {
public:
    ServerTarget(const QString &uri, const QList<TableSchema> &tables) : m_session(uri), m_tables(tables)
    {
        m_session.tables = tables;
        m_session.run(NoTimeouts);
        m_session.run(QStringLiteral("BEGIN"));
        m_open = true;
        m_session.run(QString::fromLatin1(postgres::TablesLock));
        bool empty = false;
        const QStringList problems = postgres::catalogueProblems(m_session, tables, &empty);
        if (empty) {
            createTables();
            return;
        }
        if (!problems.isEmpty())
            throw DatabaseError(dberr::BadFile, QStringLiteral("Tabel di server %1 tidak dapat dipakai:\n- %2\nTidak ada yang ditulis.")
                                                    .arg(m_session.serverName(), problems.join(QStringLiteral("\n- "))));
        QStringList names;
        for (const TableSchema &schema : tables)
            names << lower(schema.tableName);
        // No desk writes while the book comes in.
        m_session.run(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(names.join(QStringLiteral(", "))));
        QStringList filled;
        for (const TableSchema &schema : tables) {
            const qint64 rows = tallyOf(m_session, schema).rows;
            if (rows > 0)
                filled << QStringLiteral("%1: %2 baris").arg(schema.tableName).arg(rows);
        }
        if (!filled.isEmpty())
            throw DatabaseError(dberr::BadFile, QStringLiteral("Server tujuan %1 sudah berisi data (%2). Buku hanya dipindah "
                                                               "ke tempat yang kosong; tidak ada yang ditulis.")
                                                    .arg(m_session.serverName(), filled.join(QStringLiteral(", "))));
    }

    ~ServerTarget() override
    {
        if (m_open && PQstatus(m_session.handle()) == CONNECTION_OK)
            postgres::Result(PQexec(m_session.handle(), "ROLLBACK"));
    }

    QString describe() const override { return QStringLiteral("server %1").arg(m_session.serverName()); }

    std::unique_ptr<RowWriter> rows(const TableSchema &schema) override
    {
        return std::make_unique<CopyWriter>(m_session, schema);
    }

    void finishTables() override
    {
        for (const QString &sql : std::as_const(m_later))
            m_session.run(sql);
        // New rows get identities past the copied ones.
        for (const TableSchema &schema : std::as_const(m_tables)) {
            const QString table = lower(schema.tableName);
            m_session.run(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'sp_id'), "
                                         "coalesce((SELECT max(sp_id) FROM %1), 0) + 1, false)")
                              .arg(table));
        }
    }

    void setNextNumber(const TableSchema &schema, qint64 next) override
    {
        const FieldDef *number = autoIncField(schema);
        const bool called = next > 1;
        m_session.run(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, $2), $3, $4)"),
                      {lower(schema.tableName).toUtf8(), lower(number->name).toUtf8(),
                       QByteArray::number(called ? next - 1 : 1), QByteArray(called ? "true" : "false")});
    }

    Tally tally(const TableSchema &schema) override { return tallyOf(m_session, schema); }

    void commit() override
    {
        m_session.run(QStringLiteral("COMMIT"));
        m_open = false;
    }

private:
    // Made as a desk's first start makes them; the secondary indexes only
    // once the rows are in, which is quicker than keeping them up to date,
    // and the announcements of writes after them, so that the copied rows
    // announce nothing.
    void createTables()
    {
        for (const TableSchema &schema : std::as_const(m_tables)) {
            const QStringList statements = postgres::createSql(schema);
            m_session.run(statements.first());
            m_later << statements.mid(1);
        }
        m_later << postgres::noticeSql(m_tables);
    }

    postgres::Session m_session;
    QList<TableSchema> m_tables;
    QStringList m_later;
    bool m_open = false;
};

} // namespace

std::unique_ptr<Source> openServerSource(const QString &uri, const QList<TableSchema> &tables)
{
    return std::make_unique<ServerSource>(uri, tables);
}

std::unique_ptr<Target> openServerTarget(const QString &uri, const QList<TableSchema> &tables)
{
    return std::make_unique<ServerTarget>(uri, tables);
}

} // namespace transfer
