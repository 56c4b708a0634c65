#include "runtime/db/connection.h"

#include "runtime/db/error.h"
#include "runtime/db/postgres/postgres.h"
#include "runtime/db/sqlite/sqlite.h"

#include <QHash>
#include <QSettings>
#include <QStandardPaths>

namespace {

QHash<QString, QString> &aliasOverrides()
{
    static QHash<QString, QString> overrides;
    return overrides;
}

QHash<QString, Connection *> &registry()
{
    static QHash<QString, Connection *> connections;
    return connections;
}

} // namespace

const FieldDef *TableSchema::field(const QString &name) const
{
    for (const FieldDef &f : fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

QString aliasFolder(const QString &alias)
{
    const auto found = aliasOverrides().constFind(alias);
    if (found != aliasOverrides().constEnd())
        return *found;
    const QString configured = QSettings().value(QStringLiteral("Aliases/") + alias).toString();
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/') + alias;
}

void setAliasFolder(const QString &alias, const QString &folder)
{
    // Process-wide only: tests and tools point an alias elsewhere without
    // touching the user's settings.
    aliasOverrides().insert(alias, folder);
}

bool isServerTarget(const QString &target)
{
    return target.startsWith(QLatin1String("postgresql://")) || target.startsWith(QLatin1String("postgres://"));
}

Connection::Connection(const QString &alias, const QList<TableSchema> &tables)
    : m_alias(alias), m_tables(tables)
{
    if (tables.isEmpty())
        throw DatabaseError(dberr::BadFile, QStringLiteral("Alias %1 names no table").arg(alias));
    const QString target = aliasFolder(alias);
    m_target = target;
    m_server = isServerTarget(target);
    if (m_server) {
        auto engine = std::make_unique<postgres::Engine>(target, tables);
        m_folder = engine->serverName();
        m_engine = std::move(engine);
    } else {
        m_folder = target;
        m_engine = std::make_unique<sqlite::Engine>(target, tables);
    }
    m_changes = std::make_unique<db::ChangeFeed>();
    m_engine->watchOthers([feed = m_changes.get()](const QStringList &written) { feed->note(written); });
    registry().insert(alias, this);
}

Connection::~Connection()
{
    if (registry().value(m_alias) == this)
        registry().remove(m_alias);
}

Connection *Connection::forAlias(const QString &alias)
{
    return registry().value(alias);
}

const TableSchema *Connection::schemaForFile(const QString &fileName) const
{
    for (const TableSchema &t : m_tables) {
        if (t.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

namespace db {

Transaction::Transaction(const Connection &connection) : m_engine(connection.engine())
{
    m_engine.begin();
}

Transaction::~Transaction()
{
    if (m_open)
        m_engine.rollback();
}

void Transaction::commit()
{
    m_engine.commit();
    m_open = false;
}

} // namespace db
