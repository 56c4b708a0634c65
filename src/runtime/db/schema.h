#pragma once

#include "runtime/db/field.h"

#include <QList>
#include <QString>
#include <QStringList>

struct IndexDef {
    QString name;
    QStringList fields;
    bool caseInsensitive = false;
    bool unique = false;
};

// One table of the book: the exact name of its file in folder mode, the
// table's name and its stored fields in order, its primary key and its
// secondary indexes. Each engine builds and checks its tables from this.
struct TableSchema {
    QString fileName;                   // "Tanggota1.DB"
    QString tableName;                  // "Tanggota1"
    QList<FieldDef> fields;             // stored fields only, in order
    QStringList primaryKey;             // empty: none (rowid only)
    QList<IndexDef> indexes;

    const FieldDef *field(const QString &name) const;
};
