#pragma once

#include "runtime/db/schema.h"
#include "runtime/money.h"

#include <QList>
#include <QString>

#include <functional>

// Moving a whole book between two places, each a folder of table files or a
// database on a server ("postgresql://…"): every row with its identity and
// every number, and the auto-increment counters after them. The target must
// hold no rows; it is written all or nothing (one transaction on a server;
// files built under temporary names and renamed into place in a folder).
namespace transfer {

// What one side holds of one table.
struct Tally {
    qint64 rows = 0;
    QList<Money> sums;        // one per money field, in field order
    qint64 nextNumber = 0;    // the number the next new row would get; 0 without one
    bool operator==(const Tally &) const = default;
};

struct Outcome {
    QString source;           // both sides described without a password
    QString target;
    QList<Tally> before;      // the source, per table in the order given
    QList<Tally> after;       // the target, read before it was committed
    bool committed = false;   // false: the two differed and nothing was kept
    bool same() const { return before == after; }
};

// Called now and then while rows are copied, and at the end of each table
// (`tableDone`), with the rows copied and the rows to copy of the whole book.
using Progress = std::function<void(const QString &table, qint64 done, qint64 total, bool tableDone)>;

// Copies the book at `from` into `to`. Throws DatabaseError when either side
// cannot be used (the target already holds rows, a table is missing or
// mis-shaped, a server cannot be reached); then nothing is written. When the
// counts and sums read back from the target differ from the source's,
// nothing is kept either, and the outcome says so.
Outcome copyBook(const QString &from, const QString &to, const QList<TableSchema> &tables,
                 const Progress &progress = {});

// The two sides side by side: per table the rows, the sum of each money
// column and the next number, marking each line that differs.
QString comparisonText(const QList<TableSchema> &tables, const Outcome &outcome);

} // namespace transfer
