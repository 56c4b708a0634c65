#pragma once

#include "runtime/db/engine.h"
#include "runtime/db/schema.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;
class Connection;

namespace sqlite {

// RAII for a prepared statement. Values bind as: null QVariant -> NULL,
// integers -> INTEGER, QString -> TEXT.
class Statement : public db::Statement {
public:
    Statement(sqlite3 *db, const QString &sql);   // throws DatabaseError
    Statement(Statement &&) noexcept;
    Statement &operator=(Statement &&) noexcept;
    ~Statement() override;

    void bind(int index, const QVariant &value) override;  // 1-based
    bool step() override;                          // true while a row is ready; throws
    void reset() override;
    bool pause() override;
    qint64 affectedRows() const override;

    int columnCount() const override;
    QString columnName(int column) const override;
    QString columnDeclType(int column) const;
    bool columnIsInteger(int column) const override;
    QVariant column(int column) const override;    // NULL -> null QVariant

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

struct DbCloser { void operator()(sqlite3 *db) const; };
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

// Translates the engine's last error into a DatabaseError with our codes.
[[noreturn]] void raise(sqlite3 *db, int rc, const QString &context = {});

// A table, column or database name as SQL spells it, in double quotes.
QString quoted(const QString &identifier);
// Runs statements without parameters (separated by ';'); throws DatabaseError.
void execute(sqlite3 *db, const QString &script);

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3 *db);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    sqlite3 *m_db;
    bool m_open = true;
};

// The CREATE TABLE statement of a table, for the database named `database`.
QString createSql(const TableSchema &schema, const QString &database);
// The CREATE INDEX statements of a table's named indexes, for `database`.
QStringList indexSql(const TableSchema &schema, const QString &database);

// The four files of a folder on one connection: the first file is the main
// database, the others are attached under their table names, so plain SQL
// names every table.
//
// Opening never loses data: the files are created only when the folder holds
// none of them. Otherwise every file must be there, not empty, writable and
// hold exactly its table with the expected columns, constraints and indexes;
// if not, the constructor throws one DatabaseError (code BadFile) that names
// every file and what is wrong with it, and no file is created or changed.
class Engine : public db::Engine {
public:
    Engine(const QString &folder, const QList<TableSchema> &tables); // throws DatabaseError

    sqlite3 *handle() const { return m_db.get(); }
    // The name under which the connection reaches the file of tables[index]:
    // "main" for the first, the table name for the attached ones.
    QString databaseName(int index) const;

    std::unique_ptr<db::Statement> prepare(const QString &sql) override;
    void execute(const QString &script) override;
    qint64 insert(const QString &sql, const QVariantList &values) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    qint64 totalChanges() const override;
    QString name(const QString &identifier) const override;
    QString rowId() const override { return QStringLiteral("rowid"); }
    QString caseless(const QString &expression) const override;
    QString sameAs() const override { return QStringLiteral("IS"); }

private:
    bool checkFolder();                 // true on a first run
    void createFiles();
    void openFiles();

    QString m_folder;
    QList<TableSchema> m_tables;
    DbHandle m_db;
};

// The SQLite handle of a connection in folder mode (tools and tests that
// read the files directly); throws DatabaseError on a server.
sqlite3 *handleOf(const Connection &connection);

} // namespace sqlite
