#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Reads a table file the way any other tool would: its own connection,
// plain SQL. A server's URI for `path` reads that database. Each row is a list of column values (NULL as a null QVariant).
QList<QVariantList> readFile(const QString &path, const QString &sql);
// The column names of the one table a file holds, in order.
QStringList columnsOf(const QString &path, const QString &table);
