// The folder's end of a move: the four table files read in one snapshot, or
// built under temporary names in one transaction and renamed into place once
// they are whole.

#include "runtime/db/error.h"
#include "runtime/db/sqlite/filecheck.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/transferside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <optional>

namespace transfer {
namespace {

struct StatementFinalizer {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

const QString Building = QStringLiteral(".pindah");

using sqlite::quoted;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

StatementHandle prepare(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr);
    StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        sqlite::raise(db, rc, sql);
    return statement;
}

// The one row of a statement that gives one.
QList<qint64> integers(sqlite3 *db, const QString &sql, const QString &bound = {})
{
    const StatementHandle statement = prepare(db, sql);
    if (!bound.isNull()) {
        const QByteArray utf8 = bound.toUtf8();
        sqlite3_bind_text(statement.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE)
        return {};
    if (rc != SQLITE_ROW)
        sqlite::raise(db, rc, sql);
    QList<qint64> values;
    for (int c = 0; c < sqlite3_column_count(statement.get()); ++c)
        values << sqlite3_column_int64(statement.get(), c);
    return values;
}

// Rows, money sums and the next number of a table in `database`; the next
// number as the engine gives it: past both the counter and the last row.
Tally tallyOf(sqlite3 *db, const QString &database, const TableSchema &schema)
{
    const QString table = database + QLatin1Char('.') + quoted(schema.tableName);
    QStringList terms{QStringLiteral("count(*)")};
    for (const FieldDef *f : moneyFields(schema))
        terms << QStringLiteral("coalesce(sum(%1), 0)").arg(quoted(f->name));
    const QList<qint64> values = integers(db, QStringLiteral("SELECT %1 FROM %2").arg(terms.join(QStringLiteral(", ")), table));
    Tally tally;
    tally.rows = values.value(0);
    for (int i = 1; i < values.size(); ++i)
        tally.sums << Money::fromRaw(values.at(i));
    if (autoIncField(schema)) {
        const qint64 last = integers(db, QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1").arg(table)).value(0);
        const qint64 counter = integers(db, QStringLiteral("SELECT seq FROM %1.sqlite_sequence WHERE name = ?").arg(database),
                                        schema.tableName)
                                   .value(0);
        tally.nextNumber = std::max(last, counter) + 1;
    }
    return tally;
}

bool isIntegerType(FieldType type)
{
    return type == FieldType::Money || type == FieldType::Integer || type == FieldType::AutoInc;
}

class FileReader : public RowReader {
public:
    FileReader(sqlite3 *db, const TableSchema &schema) : m_db(db), m_schema(schema)
    {
        QStringList columns{QStringLiteral("rowid")};
        for (const FieldDef &f : schema.fields)
            columns << quoted(f.name);
        m_statement = prepare(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                      .arg(columns.join(QStringLiteral(", ")), quoted(schema.tableName)));
    }

    bool next(Row &row) override
    {
        sqlite3_stmt *statement = m_statement.get();
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            return false;
        if (rc != SQLITE_ROW)
            sqlite::raise(m_db, rc);
        row.id = sqlite3_column_int64(statement, 0);
        row.cells.resize(m_schema.fields.size());
        for (int i = 0; i < int(row.cells.size()); ++i) {
            std::optional<QByteArray> &cell = row.cells[i];
            if (sqlite3_column_type(statement, i + 1) == SQLITE_NULL) {
                cell.reset();
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i + 1));
            const int size = sqlite3_column_bytes(statement, i + 1);
            if (size == 0 && !isIntegerType(m_schema.fields.at(i).type))
                cell.reset();
            else
                cell = QByteArray(text, size);
        }
        return true;
    }

private:
    sqlite3 *m_db;
    const TableSchema &m_schema;
    StatementHandle m_statement;
};

[[noreturn]] void refuse(const QString &text)
{
    throw DatabaseError(dberr::BadFile, text);
}

class FolderSource : public Source {
public:
    FolderSource(const QString &folder, const QList<TableSchema> &tables) : m_folder(folder)
    {
        const QDir dir(folder);
        QStringList problems;
        for (const TableSchema &schema : tables) {
            const QString path = dir.filePath(schema.fileName);
            if (!QFileInfo(path).isFile())
                problems << QStringLiteral("File %1 tidak ada.").arg(schema.fileName);
            else
                problems << tableFileProblems(path, schema);
        }
        if (!problems.isEmpty())
            refuse(QStringLiteral("Buku di folder %1 tidak dapat dibaca:\n- %2")
                       .arg(native(folder), problems.join(QStringLiteral("\n- "))));
        for (const TableSchema &schema : tables) {
            sqlite3 *raw = nullptr;
            const int rc = sqlite3_open_v2(dir.filePath(schema.fileName).toUtf8().constData(), &raw,
                                           SQLITE_OPEN_READONLY, nullptr);
            sqlite::DbHandle db(raw);
            if (rc != SQLITE_OK)
                sqlite::raise(raw, rc, schema.fileName);
            sqlite3_busy_timeout(raw, 2000);
            // A read transaction on every file holds their rows still until the end.
            sqlite::execute(raw, QStringLiteral("BEGIN"));
            m_files.emplace(schema.tableName, std::move(db));
        }
    }

    QString describe() const override { return QStringLiteral("folder %1").arg(native(m_folder)); }

    Tally tally(const TableSchema &schema) override
    {
        return tallyOf(file(schema), QStringLiteral("main"), schema);
    }

    std::unique_ptr<RowReader> rows(const TableSchema &schema) override
    {
        return std::make_unique<FileReader>(file(schema), schema);
    }

private:
    sqlite3 *file(const TableSchema &schema) const { return m_files.at(schema.tableName).get(); }

    QString m_folder;
    std::map<QString, sqlite::DbHandle> m_files;
};

class FileWriter : public RowWriter {
public:
    FileWriter(sqlite3 *db, const QString &database, const TableSchema &schema) : m_db(db), m_schema(schema)
    {
        // An auto-increment number is the row's identity itself.
        m_withRowId = autoIncField(schema) == nullptr;
        QStringList columns;
        QStringList marks;
        if (m_withRowId) {
            columns << QStringLiteral("rowid");
            marks << QStringLiteral("?");
        }
        for (const FieldDef &f : schema.fields) {
            columns << quoted(f.name);
            marks << QStringLiteral("?");
        }
        m_statement = prepare(db, QStringLiteral("INSERT INTO %1.%2 (%3) VALUES (%4)")
                                      .arg(database, quoted(schema.tableName), columns.join(QStringLiteral(", ")),
                                           marks.join(QStringLiteral(", "))));
    }

    void put(const Row &row) override
    {
        sqlite3_stmt *statement = m_statement.get();
        int index = 1;
        if (m_withRowId)
            sqlite3_bind_int64(statement, index++, row.id);
        for (int i = 0; i < int(row.cells.size()); ++i, ++index) {
            const std::optional<QByteArray> &cell = row.cells[i];
            const FieldDef &f = m_schema.fields.at(i);
            if (!cell) {
                sqlite3_bind_null(statement, index);
            } else if (isIntegerType(f.type)) {
                bool ok = false;
                const qint64 value = cell->toLongLong(&ok);
                if (!ok)
                    throw DatabaseError(dberr::InvalidValue, QStringLiteral("Nilai %1 di %2.%3 bukan bilangan bulat.")
                                                                 .arg(QString::fromUtf8(*cell), m_schema.tableName, f.name));
                sqlite3_bind_int64(statement, index, value);
            } else {
                sqlite3_bind_text(statement, index, cell->constData(), int(cell->size()), SQLITE_STATIC);
            }
        }
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE)
            sqlite::raise(m_db, rc, m_schema.tableName);
    }

    void finish() override {}

private:
    sqlite3 *m_db;
    const TableSchema &m_schema;
    StatementHandle m_statement;
    bool m_withRowId = true;
};

class FolderTarget : public Target {
public:
    FolderTarget(const QString &folder, const QList<TableSchema> &tables) : m_folder(folder), m_tables(tables)
    {
        checkFolder();
        removeBuilding();
        try {
            build();
        } catch (...) {
            m_db.reset();
            removeBuilding();
            throw;
        }
    }

    ~FolderTarget() override
    {
        if (m_committed)
            return;
        if (m_db)
            sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        m_db.reset();
        removeBuilding();
    }

    QString describe() const override { return QStringLiteral("folder %1").arg(native(m_folder)); }

    std::unique_ptr<RowWriter> rows(const TableSchema &schema) override
    {
        return std::make_unique<FileWriter>(m_db.get(), database(schema), schema);
    }

    void finishTables() override
    {
        for (const TableSchema &schema : std::as_const(m_tables)) {
            for (const QString &sql : sqlite::indexSql(schema, database(schema)))
                sqlite::execute(m_db.get(), sql);
        }
    }

    void setNextNumber(const TableSchema &schema, qint64 next) override
    {
        const QString counters = database(schema) + QStringLiteral(".sqlite_sequence");
        const StatementHandle update = prepare(m_db.get(), QStringLiteral("UPDATE %1 SET seq = ? WHERE name = ?").arg(counters));
        bindCounter(update.get(), schema, next);
        if (sqlite3_step(update.get()) != SQLITE_DONE)
            sqlite::raise(m_db.get(), sqlite3_errcode(m_db.get()));
        if (sqlite3_changes(m_db.get()) > 0 || next <= 1)
            return;
        const StatementHandle insert = prepare(m_db.get(), QStringLiteral("INSERT INTO %1 (seq, name) VALUES (?, ?)").arg(counters));
        bindCounter(insert.get(), schema, next);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            sqlite::raise(m_db.get(), sqlite3_errcode(m_db.get()));
    }

    Tally tally(const TableSchema &schema) override { return tallyOf(m_db.get(), database(schema), schema); }

    void commit() override
    {
        sqlite::execute(m_db.get(), QStringLiteral("COMMIT"));
        m_db.reset();
        const QDir dir(m_folder);
        for (const TableSchema &schema : std::as_const(m_tables)) {
            const QString path = dir.filePath(schema.fileName);
            // rename() replaces an empty book's file in one step.
            if (std::rename(QFile::encodeName(building(path)).constData(), QFile::encodeName(path).constData()) != 0)
                throw DatabaseError(dberr::BadFile, QStringLiteral("File %1 tidak dapat ditulis di folder %2.")
                                                        .arg(schema.fileName, native(m_folder)));
        }
        m_committed = true;
    }

private:
    static QString building(const QString &path) { return path + Building; }

    QString database(const TableSchema &schema) const
    {
        return schema.tableName == m_tables.first().tableName ? QStringLiteral("main") : quoted(schema.tableName);
    }

    static void bindCounter(sqlite3_stmt *statement, const TableSchema &schema, qint64 next)
    {
        const QByteArray name = schema.tableName.toUtf8();
        sqlite3_bind_int64(statement, 1, next - 1);
        sqlite3_bind_text(statement, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    }

    // A new folder, one without any of the files, or an empty book only.
    void checkFolder()
    {
        const QDir dir(m_folder);
        if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
            refuse(QStringLiteral("Folder %1 tidak dapat dibuat.").arg(native(m_folder)));
        if (!isWritable(m_folder))
            refuse(QStringLiteral("Folder %1 hanya dapat dibaca.").arg(native(m_folder)));
        QStringList present;
        for (const TableSchema &schema : std::as_const(m_tables)) {
            if (QFileInfo::exists(dir.filePath(schema.fileName)))
                present << schema.fileName;
        }
        if (present.isEmpty())
            return;
        QStringList problems;
        QStringList filled;
        for (const TableSchema &schema : std::as_const(m_tables)) {
            const QString path = dir.filePath(schema.fileName);
            if (!present.contains(schema.fileName)) {
                problems << QStringLiteral("File %1 tidak ada.").arg(schema.fileName);
                continue;
            }
            const QStringList wrong = tableFileProblems(path, schema);
            if (!wrong.isEmpty()) {
                problems << wrong;
                continue;
            }
            sqlite3 *raw = nullptr;
            const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
            const sqlite::DbHandle db(raw);
            if (rc != SQLITE_OK)
                sqlite::raise(raw, rc, schema.fileName);
            const qint64 rows = integers(raw, QStringLiteral("SELECT count(*) FROM %1").arg(quoted(schema.tableName))).value(0);
            if (rows > 0)
                filled << QStringLiteral("%1: %2 baris").arg(schema.tableName).arg(rows);
        }
        if (!filled.isEmpty())
            refuse(QStringLiteral("Folder tujuan %1 sudah berisi data (%2). Buku hanya dipindah ke tempat yang kosong; "
                                  "tidak ada yang ditulis.")
                       .arg(native(m_folder), filled.join(QStringLiteral(", "))));
        if (!problems.isEmpty())
            refuse(QStringLiteral("Folder tujuan %1 berisi file buku yang tidak dapat dipakai:\n- %2\nTidak ada yang ditulis.")
                       .arg(native(m_folder), problems.join(QStringLiteral("\n- "))));
    }

    void removeBuilding() const
    {
        const QDir dir(m_folder);
        for (const TableSchema &schema : std::as_const(m_tables)) {
            const QString path = building(dir.filePath(schema.fileName));
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
    }

    void build()
    {
        const QDir dir(m_folder);
        sqlite3 *raw = nullptr;
        const int rc = sqlite3_open_v2(building(dir.filePath(m_tables.first().fileName)).toUtf8().constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        m_db.reset(raw);
        if (rc != SQLITE_OK)
            sqlite::raise(raw, rc, m_folder);
        for (int i = 1; i < m_tables.size(); ++i) {
            const StatementHandle attach = prepare(raw, QStringLiteral("ATTACH DATABASE ? AS %1").arg(database(m_tables.at(i))));
            const QByteArray path = building(dir.filePath(m_tables.at(i).fileName)).toUtf8();
            sqlite3_bind_text(attach.get(), 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(attach.get()) != SQLITE_DONE)
                sqlite::raise(raw, sqlite3_errcode(raw), m_folder);
        }
        for (const TableSchema &schema : std::as_const(m_tables))
            sqlite::execute(raw, QStringLiteral("PRAGMA %1.cache_size = -65536").arg(database(schema)));
        sqlite::execute(raw, QStringLiteral("BEGIN IMMEDIATE"));
        for (const TableSchema &schema : std::as_const(m_tables))
            sqlite::execute(raw, sqlite::createSql(schema, database(schema)));
    }

    QString m_folder;
    QList<TableSchema> m_tables;
    sqlite::DbHandle m_db;
    bool m_committed = false;
};

} // namespace

std::unique_ptr<Source> openFolderSource(const QString &folder, const QList<TableSchema> &tables)
{
    return std::make_unique<FolderSource>(folder, tables);
}

std::unique_ptr<Target> openFolderTarget(const QString &folder, const QList<TableSchema> &tables)
{
    return std::make_unique<FolderTarget>(folder, tables);
}

} // namespace transfer
