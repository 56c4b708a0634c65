#include "runtime/db/connection.h"

#include "runtime/db/error.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

#include <sqlite3.h>

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

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString columnSql(const FieldDef &field)
{
    QString sql = quoted(field.name);
    switch (field.type) {
    case FieldType::AutoInc:
        return sql + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Money:
    case FieldType::Integer:
        sql += QStringLiteral(" INTEGER");
        break;
    case FieldType::Text:
    case FieldType::Date:
        sql += QStringLiteral(" TEXT");
        break;
    }
    if (field.required)
        sql += QStringLiteral(" NOT NULL");
    // Named after the field so that a violation names it.
    if (field.minimum)
        sql += QStringLiteral(" CONSTRAINT %1 CHECK (%1 >= %2)").arg(quoted(field.name)).arg(field.minimum->raw());
    return sql;
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

QString TableSchema::createSql() const
{
    QStringList columns;
    for (const FieldDef &f : fields)
        columns << columnSql(f);
    if (!primaryKey.isEmpty()) {
        QStringList keys;
        for (const QString &k : primaryKey)
            keys << quoted(k);
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
    }
    return QStringLiteral("CREATE TABLE %1.%2 (%3)")
        .arg(QStringLiteral("%SCHEMA%"), quoted(tableName), columns.join(QStringLiteral(", ")));
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

Connection::Connection(const QString &alias, const QList<TableSchema> &tables)
    : m_alias(alias), m_folder(aliasFolder(alias)), m_tables(tables)
{
    if (tables.isEmpty())
        throw DatabaseError(dberr::BadFile, QStringLiteral("Alias %1 names no table").arg(alias));
    QDir dir(m_folder);
    if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
        throw DatabaseError(dberr::BadFile,
                            QStringLiteral("Cannot create the database folder %1").arg(QDir::toNativeSeparators(m_folder)));
    // Refuse before writing anything when a missing file could not be created.
    for (const TableSchema &schema : tables) {
        const QString path = dir.filePath(schema.fileName);
        if (!QFileInfo::exists(path) && !QFileInfo(m_folder).isWritable())
            throw DatabaseError(dberr::BadFile,
                                QStringLiteral("Cannot create the table file %1: the folder is read-only")
                                    .arg(QDir::toNativeSeparators(path)));
    }
    for (int i = 0; i < tables.size(); ++i)
        openFile(tables.at(i), i == 0);
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

static QString schemaName(const TableSchema &schema, bool main)
{
    return main ? QStringLiteral("main") : schema.tableName;
}

void Connection::openFile(const TableSchema &schema, bool main)
{
    const QString path = QDir(m_folder).filePath(schema.fileName);
    if (main) {
        sqlite3 *db = nullptr;
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        m_db.reset(db);
        if (rc != SQLITE_OK)
            throw DatabaseError(dberr::BadFile, QStringLiteral("Cannot open the table file %1: %2")
                                                    .arg(QDir::toNativeSeparators(path),
                                                         QString::fromUtf8(sqlite3_errstr(rc))));
        sqlite3_busy_timeout(db, 2000);
    } else {
        sqlite::Statement attach(handle(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(schema.tableName)));
        attach.bind(1, path);
        try {
            attach.exec();
        } catch (const DatabaseError &e) {
            throw DatabaseError(dberr::BadFile, QStringLiteral("Cannot open the table file %1: %2")
                                                    .arg(QDir::toNativeSeparators(path), e.text()));
        }
    }
    try {
        // The engine reads a file only when first asked, so a file that is
        // no database shows as late as this pragma.
        sqlite::Statement(handle(), QStringLiteral("PRAGMA %1.synchronous=FULL").arg(quoted(schemaName(schema, main))))
            .exec();
        checkOrCreate(schema, main);
    } catch (const DatabaseError &e) {
        if (e.code() == dberr::BadFile)
            throw;
        throw DatabaseError(dberr::BadFile, QStringLiteral("The table file %1 cannot be read: %2")
                                                .arg(QDir::toNativeSeparators(path), e.text()));
    }
}

void Connection::checkOrCreate(const TableSchema &schema, bool main)
{
    const QString db = quoted(schemaName(schema, main));
    const QString path = QDir::toNativeSeparators(QDir(m_folder).filePath(schema.fileName));

    QStringList tables;
    sqlite::Statement list(handle(), QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' "
                                                    "AND name NOT LIKE 'sqlite_%'").arg(db));
    while (list.step())
        tables << list.column(0).toString();

    if (tables.isEmpty()) {
        sqlite::Transaction transaction(handle());
        QString create = schema.createSql();
        sqlite::Statement(handle(), create.replace(QStringLiteral("%SCHEMA%"), db)).exec();
        for (const IndexDef &index : schema.indexes) {
            QStringList columns;
            for (const QString &f : index.fields)
                columns << quoted(f) + (index.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString());
            sqlite::Statement(handle(), QStringLiteral("CREATE %1INDEX %2.%3 ON %4 (%5)")
                                            .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), db,
                                                 quoted(index.name), quoted(schema.tableName),
                                                 columns.join(QStringLiteral(", "))))
                .exec();
        }
        transaction.commit();
        return;
    }
    if (tables != QStringList{schema.tableName})
        throw DatabaseError(dberr::BadFile, QStringLiteral("The file %1 does not hold the table %2")
                                                .arg(path, schema.tableName));
    QStringList columns;
    sqlite::Statement info(handle(), QStringLiteral("PRAGMA %1.table_info(%2)").arg(db, quoted(schema.tableName)));
    while (info.step())
        columns << info.column(1).toString();
    QStringList expected;
    for (const FieldDef &f : schema.fields)
        expected << f.name;
    if (columns != expected)
        throw DatabaseError(dberr::BadFile, QStringLiteral("The table %1 in the file %2 does not have the fields %3")
                                                .arg(schema.tableName, path, expected.join(QStringLiteral(", "))));
}
