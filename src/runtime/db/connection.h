#pragma once

#include "runtime/db/changefeed.h"
#include "runtime/db/engine.h"
#include "runtime/db/schema.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// What an alias names: the user setting Aliases/<alias> when present,
// otherwise the folder AppDataLocation/<alias>. The setting holds a folder
// or a PostgreSQL connection URI ("postgresql://…").
QString aliasFolder(const QString &alias);
void setAliasFolder(const QString &alias, const QString &folder);
// Whether such a target names a database server rather than a folder.
bool isServerTarget(const QString &target);

// One connection per alias, on the engine its target calls for: the four
// files of a folder, or one database on a server. Opening checks (or, on a
// first run, creates) every table and throws one DatabaseError (code
// BadFile) that names every table that is missing or mis-shaped.
class Connection {
public:
    Connection(const QString &alias, const QList<TableSchema> &tables); // throws DatabaseError
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    db::Engine &engine() const { return *m_engine; }
    bool isServer() const { return m_server; }
    // The folder in folder mode; the server's address (without a password) in server mode.
    const QString &folder() const { return m_folder; }
    const QString &alias() const { return m_alias; }
    // What the alias names: the folder, or the server's URI as given (which
    // may hold a password: never shown).
    const QString &target() const { return m_target; }
    const QList<TableSchema> &tables() const { return m_tables; }
    const TableSchema *schemaForFile(const QString &fileName) const;

    // Other programs' writes to the tables (server mode; nothing in folder mode).
    db::ChangeFeed &changes() const { return *m_changes; }

    // Statements without parameters, for tools and tests.
    void execute(const QString &script) const { m_engine->execute(script); }

    // The connection registered for an alias (the latest one opened).
    static Connection *forAlias(const QString &alias);

private:
    QString m_alias;
    QString m_folder;
    QString m_target;
    QList<TableSchema> m_tables;
    bool m_server = false;
    std::unique_ptr<db::ChangeFeed> m_changes;   // outlives the engine that feeds it
    std::unique_ptr<db::Engine> m_engine;
};

namespace db {

// A transaction on a connection that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(const Connection &connection);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Engine &m_engine;
    bool m_open = true;
};

} // namespace db
