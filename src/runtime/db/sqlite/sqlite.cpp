#include "runtime/db/sqlite/sqlite.h"

#include "runtime/db/connection.h"
#include "runtime/db/error.h"
#include "runtime/db/sqlite/filecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace sqlite {

void DbCloser::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

static int codeFor(int extended)
{
    switch (extended) {
    case SQLITE_CONSTRAINT_NOTNULL:
        return dberr::RequiredValue;
    case SQLITE_CONSTRAINT_CHECK:
        return dberr::MinimumValue;
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return dberr::KeyViolation;
    default:
        return dberr::Engine;
    }
}

static QString textFor(int code, const QString &engineText)
{
    // The engine names the column as "Table.Field"; keep that detail.
    const QString detail = engineText.section(QLatin1Char(':'), 1).trimmed();
    switch (code) {
    case dberr::RequiredValue:
        return QStringLiteral("Isian wajib diisi: %1").arg(detail);
    case dberr::MinimumValue:
        return QStringLiteral("Isian di bawah nilai minimum: %1").arg(detail);
    case dberr::KeyViolation:
        return QStringLiteral("Data dengan kunci yang sama sudah ada.");
    default:
        return engineText;
    }
}

void raise(sqlite3 *db, int rc, const QString &context)
{
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    QString engineText = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int code = codeFor(extended);
    QString text = textFor(code, engineText);
    if (code == dberr::Engine && !context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    throw DatabaseError(code, text);
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void execute(sqlite3 *db, const QString &script)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        raise(db, rc, script);
}

Statement::Statement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        raise(db, rc, sql);
}

Statement::Statement(Statement &&other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (value.typeId() == QMetaType::QString) {
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
    } else {
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
    }
    if (rc != SQLITE_OK)
        raise(m_db, rc);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    raise(m_db, rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclType(int column) const
{
    const char *type = sqlite3_column_decltype(m_stmt, column);
    return type ? QString::fromUtf8(type) : QString();
}

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    }
}

bool Statement::columnIsInteger(int column) const
{
    return columnDeclType(column).toUpper().contains(QLatin1String("INT"));
}

bool Statement::pause()
{
    // An unfinished statement holds a read lock on its files.
    sqlite3_reset(m_stmt);
    return true;
}

qint64 Statement::affectedRows() const
{
    return sqlite3_changes(m_db);
}

Transaction::Transaction(sqlite3 *db) : m_db(db)
{
    Statement(db, QStringLiteral("BEGIN IMMEDIATE")).exec();
}

Transaction::~Transaction()
{
    if (m_open)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    Statement(m_db, QStringLiteral("COMMIT")).exec();
    m_open = false;
}


namespace {

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

QString createSql(const TableSchema &schema, const QString &database)
{
    QStringList columns;
    for (const FieldDef &f : schema.fields)
        columns << columnSql(f);
    if (!schema.primaryKey.isEmpty()) {
        QStringList keys;
        for (const QString &k : schema.primaryKey)
            keys << quoted(k);
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
    }
    return QStringLiteral("CREATE TABLE %1.%2 (%3)")
        .arg(database, quoted(schema.tableName), columns.join(QStringLiteral(", ")));
}

QStringList indexSql(const TableSchema &schema, const QString &database)
{
    QStringList statements;
    for (const IndexDef &index : schema.indexes) {
        QStringList columns;
        for (const QString &f : index.fields)
            columns << quoted(f) + (index.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString());
        statements << QStringLiteral("CREATE %1INDEX %2.%3 ON %4 (%5)")
                          .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), database, quoted(index.name),
                               quoted(schema.tableName), columns.join(QStringLiteral(", ")));
    }
    return statements;
}

Engine::Engine(const QString &folder, const QList<TableSchema> &tables) : m_folder(folder), m_tables(tables)
{
    if (checkFolder())
        createFiles();
    openFiles();
}

std::unique_ptr<db::Statement> Engine::prepare(const QString &sql)
{
    return std::make_unique<Statement>(m_db.get(), sql);
}

void Engine::execute(const QString &script)
{
    sqlite::execute(m_db.get(), script);
}

qint64 Engine::insert(const QString &sql, const QVariantList &values)
{
    Statement insert(m_db.get(), sql);
    insert.bindAll(values);
    insert.exec();
    return sqlite3_last_insert_rowid(m_db.get());
}

void Engine::begin()
{
    Statement(m_db.get(), QStringLiteral("BEGIN IMMEDIATE")).exec();
}

void Engine::commit()
{
    Statement(m_db.get(), QStringLiteral("COMMIT")).exec();
}

void Engine::rollback() noexcept
{
    sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 Engine::totalChanges() const
{
    return sqlite3_total_changes64(m_db.get());
}

QString Engine::name(const QString &identifier) const
{
    return quoted(identifier);
}

QString Engine::caseless(const QString &expression) const
{
    return expression + QStringLiteral(" COLLATE NOCASE");
}

QString Engine::databaseName(int index) const
{
    return index == 0 ? QStringLiteral("main") : m_tables.at(index).tableName;
}

bool Engine::checkFolder()
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

void Engine::createFiles()
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
            sqlite::Statement(db.get(), createSql(schema, name)).exec();
            for (const QString &sql : indexSql(schema, name))
                sqlite::Statement(db.get(), sql).exec();
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

void Engine::openFiles()
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
                sqlite::Statement attach(m_db.get(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(databaseName(i))));
                attach.bind(1, dir.filePath(schema.fileName));
                attach.exec();
            }
            sqlite::Statement(m_db.get(), QStringLiteral("PRAGMA %1.synchronous=FULL").arg(quoted(databaseName(i)))).exec();
        } catch (const DatabaseError &) {
            throw cannotOpen(schema.fileName, QString::fromUtf8(sqlite3_errstr(sqlite3_errcode(m_db.get()))));
        }
    }
}

sqlite3 *handleOf(const Connection &connection)
{
    auto *engine = dynamic_cast<Engine *>(&connection.engine());
    if (!engine)
        throw DatabaseError(dberr::General, QStringLiteral("Alias %1 names no folder").arg(connection.alias()));
    return engine->handle();
}

} // namespace sqlite
