#pragma once

#include <QString>
#include <QStringList>

struct TableSchema;

// What is wrong with a table file, one sentence per problem in words an
// operator can pass on, naming the file; empty when the file holds exactly
// the table of `schema`: its columns in order with their types, NOT NULL and
// CHECK constraints, its primary key and its named indexes. Only reads (a
// transaction that a crash left unfinished is rolled back, as any open does).
QStringList tableFileProblems(const QString &path, const TableSchema &schema);

// Whether a file or folder may be written. One marked read-only counts as
// such also for an administrator, whom the system would let write anyway.
bool isWritable(const QString &path);
