#include "support/sqlfile.h"

#include "runtime/db/connection.h"
#include "runtime/db/postgres/postgres.h"
#include "runtime/db/sqlite/sqlite.h"

#include <sqlite3.h>

// On a server: a session of its own, as another desk or tool would read.
static QList<QVariantList> readServer(const QString &uri, const QString &sql)
{
    const auto session = std::make_shared<postgres::Session>(uri);
    postgres::Statement statement(session, sql);
    const QStringList hidden{QStringLiteral("sp_id"), QStringLiteral("sp_versi")};
    QList<QVariantList> rows;
    while (statement.step()) {
        QVariantList row;
        for (int c = 0; c < statement.columnCount(); ++c) {
            // The row identity and version are the engine's, not the book's.
            if (!hidden.contains(statement.columnName(c)))
                row << statement.column(c);
        }
        rows << row;
    }
    return rows;
}

QList<QVariantList> readFile(const QString &path, const QString &sql)
{
    if (isServerTarget(path))
        return readServer(path, sql);
    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    sqlite::DbHandle db(raw);
    QList<QVariantList> rows;
    sqlite::Statement statement(db.get(), sql);
    while (statement.step()) {
        QVariantList row;
        for (int c = 0; c < statement.columnCount(); ++c)
            row << statement.column(c);
        rows << row;
    }
    return rows;
}

QStringList columnsOf(const QString &path, const QString &table)
{
    QStringList names;
    for (const QVariantList &row : readFile(path, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table)))
        names << row.value(1).toString();
    return names;
}
