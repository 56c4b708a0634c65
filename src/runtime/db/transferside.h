#pragma once

#include "runtime/db/transfer.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <vector>

// The two ends of a move, one per engine. Rows travel between them as text:
// integers in decimal, dates as yyyy-MM-dd, text as UTF-8, and an empty
// text or date as no value (how both engines store an empty field).
namespace transfer {

struct Row {
    qint64 id = 0;                                   // rowid in a file, sp_id on a server
    std::vector<std::optional<QByteArray>> cells;    // stored fields in schema order
};

class RowReader {
public:
    virtual ~RowReader() = default;
    // The next row in the order of the identities; false after the last.
    virtual bool next(Row &row) = 0;
};

class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void put(const Row &row) = 0;
    virtual void finish() = 0;
};

class Source {
public:
    virtual ~Source() = default;
    virtual QString describe() const = 0;
    virtual Tally tally(const TableSchema &schema) = 0;
    virtual std::unique_ptr<RowReader> rows(const TableSchema &schema) = 0;
};

// Opening a target checks it can take the book (throws DatabaseError when
// not) and starts writing; nothing is kept unless commit() is called.
class Target {
public:
    virtual ~Target() = default;
    virtual QString describe() const = 0;
    virtual std::unique_ptr<RowWriter> rows(const TableSchema &schema) = 0;
    // After every table's rows: what is cheaper to build once they are in.
    virtual void finishTables() = 0;
    virtual void setNextNumber(const TableSchema &schema, qint64 next) = 0;
    virtual Tally tally(const TableSchema &schema) = 0;
    virtual void commit() = 0;
};

std::unique_ptr<Source> openFolderSource(const QString &folder, const QList<TableSchema> &tables);
std::unique_ptr<Target> openFolderTarget(const QString &folder, const QList<TableSchema> &tables);
std::unique_ptr<Source> openServerSource(const QString &uri, const QList<TableSchema> &tables);
std::unique_ptr<Target> openServerTarget(const QString &uri, const QList<TableSchema> &tables);

// The schema's money fields and its auto-increment field, if any.
QList<const FieldDef *> moneyFields(const TableSchema &schema);
const FieldDef *autoIncField(const TableSchema &schema);

} // namespace transfer
