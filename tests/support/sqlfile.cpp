#include "support/sqlfile.h"

#include "runtime/db/sqlite/sqlite.h"

#include <sqlite3.h>

QList<QVariantList> readFile(const QString &path, const QString &sql)
{
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
