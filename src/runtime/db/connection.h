#pragma once

#include "runtime/db/field.h"
#include "runtime/db/sqlite.h"

#include <QList>
#include <QString>
#include <QStringList>

struct IndexDef {
    QString name;
    QStringList fields;
    bool caseInsensitive = false;
    bool unique = false;
};

// One table file: its exact file name, the table it holds and that table's
// stored fields in order, its primary key and its secondary indexes.
struct TableSchema {
    QString fileName;                   // "Tanggota1.DB"
    QString tableName;                  // "Tanggota1"
    QList<FieldDef> fields;             // stored fields only, in order
    QStringList primaryKey;             // empty: none (rowid only)
    QList<IndexDef> indexes;

    const FieldDef *field(const QString &name) const;
    QString createSql() const;
};

// The folder an alias names: the user setting Aliases/<alias> when present,
// otherwise AppDataLocation/<alias>.
QString aliasFolder(const QString &alias);
void setAliasFolder(const QString &alias, const QString &folder);

// One SQLite connection per alias. The first table file is the main
// database, the others are attached under their table names, so plain SQL
// names every table.
//
// Opening never loses data: the files are created only when the folder holds
// none of them. Otherwise every file must be there, not empty, writable and
// hold exactly its table with the expected columns, constraints and indexes;
// if not, the constructor throws one DatabaseError (code BadFile) that names
// every file and what is wrong with it, and no file is created or changed.
class Connection {
public:
    Connection(const QString &alias, const QList<TableSchema> &tables); // throws DatabaseError
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db.get(); }
    const QString &folder() const { return m_folder; }
    const QString &alias() const { return m_alias; }
    const QList<TableSchema> &tables() const { return m_tables; }
    const TableSchema *schemaForFile(const QString &fileName) const;
    // The name under which the connection reaches the file of tables()[index]:
    // "main" for the first, the table name for the attached ones.
    QString databaseName(int index) const;

    // The connection registered for an alias (the latest one opened).
    static Connection *forAlias(const QString &alias);

private:
    bool checkFolder();                 // true on a first run
    void createFiles();
    void openFiles();

    QString m_alias;
    QString m_folder;
    QList<TableSchema> m_tables;
    sqlite::DbHandle m_db;
};
