#include "runtime/db/connection.h"

#include "runtime/db/error.h"
#include "runtime/db/filecheck.h"

#include <QDir>
#include <QFile>
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

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A first run builds the files under these names and renames them only when
// all of them are whole.
QString buildingName(const QString &path)
{
    return path + QStringLiteral(".baru");
}

void removeBuilding(const QString &path)
{
    QFile::remove(buildingName(path));
    QFile::remove(buildingName(path) + QStringLiteral("-journal"));
}

[[noreturn]] void refuse(const QString &folder, const QStringList &problems)
{
    QString text = QStringLiteral("Data di folder %1 tidak dapat dipakai:").arg(native(folder));
    for (const QString &problem : problems)
        text += QStringLiteral("\n- ") + problem;
    text += QStringLiteral("\nTidak ada file yang dibuat atau diubah.");
    throw DatabaseError(dberr::BadFile, text);
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
    if (checkFolder())
        createFiles();
    openFiles();
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

QString Connection::databaseName(int index) const
{
    return index == 0 ? QStringLiteral("main") : m_tables.at(index).tableName;
}

bool Connection::checkFolder()
{
    const QDir dir(m_folder);
    QStringList problems;
    bool anyPresent = false;
    for (const TableSchema &schema : std::as_const(m_tables))
        anyPresent = anyPresent || QFileInfo::exists(dir.filePath(schema.fileName));

    if (!anyPresent) {
        // A first run: the folder and all files are made now.
        if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
            refuse(m_folder, {QStringLiteral("Folder itu tidak dapat dibuat.")});
        if (!isWritable(m_folder))
            refuse(m_folder, {QStringLiteral("Folder itu hanya dapat dibaca; program perlu menulis di sana.")});
        return true;
    }

    if (!isWritable(m_folder))
        problems << QStringLiteral("Folder itu hanya dapat dibaca; program perlu menulis di sana.");
    for (const TableSchema &schema : std::as_const(m_tables)) {
        const QString path = dir.filePath(schema.fileName);
        const QFileInfo info(path);
        if (!info.exists()) {
            problems << QStringLiteral("File %1 tidak ada.").arg(schema.fileName);
            continue;
        }
        if (info.size() == 0) {
            problems << QStringLiteral("File %1 kosong.").arg(schema.fileName);
            continue;
        }
        if (!isWritable(path))
            problems << QStringLiteral("File %1 hanya dapat dibaca.").arg(schema.fileName);
        problems << tableFileProblems(path, schema);
    }
    if (!problems.isEmpty())
        refuse(m_folder, problems);
    return false;
}

void Connection::createFiles()
{
    const QDir dir(m_folder);
    for (const TableSchema &schema : std::as_const(m_tables))
        removeBuilding(dir.filePath(schema.fileName));
    sqlite::DbHandle db;
    try {
        sqlite3 *raw = nullptr;
        const int rc = sqlite3_open_v2(buildingName(dir.filePath(m_tables.first().fileName)).toUtf8().constData(),
                                       &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        db.reset(raw);
        if (rc != SQLITE_OK)
            sqlite::raise(raw, rc);
        for (int i = 1; i < m_tables.size(); ++i) {
            sqlite::Statement attach(db.get(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(databaseName(i))));
            attach.bind(1, buildingName(dir.filePath(m_tables.at(i).fileName)));
            attach.exec();
        }
        sqlite::Transaction transaction(db.get());
        for (int i = 0; i < m_tables.size(); ++i) {
            const TableSchema &schema = m_tables.at(i);
            const QString name = quoted(databaseName(i));
            QString create = schema.createSql();
            sqlite::Statement(db.get(), create.replace(QStringLiteral("%SCHEMA%"), name)).exec();
            for (const IndexDef &index : schema.indexes) {
                QStringList columns;
                for (const QString &f : index.fields)
                    columns << quoted(f) + (index.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString());
                sqlite::Statement(db.get(), QStringLiteral("CREATE %1INDEX %2.%3 ON %4 (%5)")
                                                .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), name,
                                                     quoted(index.name), quoted(schema.tableName),
                                                     columns.join(QStringLiteral(", "))))
                    .exec();
            }
        }
        transaction.commit();
    } catch (const DatabaseError &) {
        // The engine's own words, without the statement that failed.
        const QString why = QString::fromUtf8(sqlite3_errstr(sqlite3_errcode(db.get())));
        db.reset();
        for (const TableSchema &schema : std::as_const(m_tables))
            removeBuilding(dir.filePath(schema.fileName));
        refuse(m_folder, {QStringLiteral("File data baru tidak dapat dibuat (%1).").arg(why)});
    }
    db.reset();
    for (const TableSchema &schema : std::as_const(m_tables)) {
        const QString path = dir.filePath(schema.fileName);
        if (!QFile::rename(buildingName(path), path))
            refuse(m_folder, {QStringLiteral("File %1 tidak dapat dibuat.").arg(schema.fileName)});
    }
}

void Connection::openFiles()
{
    const QDir dir(m_folder);
    const auto cannotOpen = [](const QString &fileName, const QString &why) {
        return DatabaseError(dberr::BadFile, QStringLiteral("File %1 tidak dapat dibuka (%2).").arg(fileName, why));
    };
    sqlite3 *db = nullptr;
    // No SQLITE_OPEN_CREATE: every file has been checked to be there.
    const int rc = sqlite3_open_v2(dir.filePath(m_tables.first().fileName).toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE, nullptr);
    m_db.reset(db);
    if (rc != SQLITE_OK)
        throw cannotOpen(m_tables.first().fileName, QString::fromUtf8(sqlite3_errstr(rc)));
    sqlite3_busy_timeout(db, 2000);
    for (int i = 0; i < m_tables.size(); ++i) {
        const TableSchema &schema = m_tables.at(i);
        try {
            if (i > 0) {
                sqlite::Statement attach(handle(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(databaseName(i))));
                attach.bind(1, dir.filePath(schema.fileName));
                attach.exec();
            }
            sqlite::Statement(handle(), QStringLiteral("PRAGMA %1.synchronous=FULL").arg(quoted(databaseName(i)))).exec();
        } catch (const DatabaseError &) {
            throw cannotOpen(schema.fileName, QString::fromUtf8(sqlite3_errstr(sqlite3_errcode(handle()))));
        }
    }
}
