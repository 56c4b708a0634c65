#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// The seam between the table layer and the SQL engine under it: the four
// files of a folder (SQLite) or one database on a server (PostgreSQL).
// Table, Query, transactions and Connection go through it; nothing above
// runtime/db knows which engine it runs on.
namespace db {

// A prepared statement. Placeholders are `?`, numbered from 1 in order;
// values bind as: null QVariant -> NULL, integers -> integers, QString -> text.
class Statement {
public:
    virtual ~Statement() = default;

    virtual void bind(int index, const QVariant &value) = 0;
    void bindAll(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            bind(i + 1, values.at(i));
    }
    // True while a row is ready; throws DatabaseError.
    virtual bool step() = 0;
    void exec()
    {
        while (step()) {
        }
    }
    // Back to before the first row, bindings cleared.
    virtual void reset() = 0;
    // Gives up what an unfinished statement holds between two reads (a read
    // lock); true when it did, and the rows must then be stepped again.
    virtual bool pause() = 0;
    // Rows written by the last run.
    virtual qint64 affectedRows() const = 0;
    // A hint that the first `rows` rows are wanted at once and the rest
    // perhaps later or never; an engine that reads whole results may read
    // that many first.
    virtual void readFirst(int rows) { Q_UNUSED(rows); }

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual bool columnIsInteger(int column) const = 0;  // by the declared type
    virtual QVariant column(int column) const = 0;        // NULL -> null QVariant
    qint64 columnInt(int index) const { return column(index).toLongLong(); }
};

class Engine {
public:
    virtual ~Engine() = default;

    virtual std::unique_ptr<Statement> prepare(const QString &sql) = 0;
    // Runs statements without parameters (separated by ';').
    virtual void execute(const QString &script) = 0;
    // Runs an INSERT and returns the identity of the new row.
    virtual qint64 insert(const QString &sql, const QVariantList &values) = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

    // Whether a transaction is open on this connection; only asked where
    // other programs' writes arrive.
    virtual bool inTransaction() const { return false; }

    // Rows inserted, changed or deleted through this connection so far.
    virtual qint64 totalChanges() const = 0;

    // The dialect: a table or column name as the engine spells it.
    virtual QString name(const QString &identifier) const = 0;
    // The row identity every table has (bookmarks, lazy rows).
    virtual QString rowId() const = 0;
    // The column that counts a row's changes; empty when rows carry none.
    virtual QString version() const { return {}; }
    // An expression compared and sorted without regard to letter case.
    virtual QString caseless(const QString &expression) const = 0;
    // Appended to a sort term so that empty values come first, as they do
    // in the files of a folder.
    virtual QString nullsFirst() const { return {}; }
    // Equality that also holds between two NULLs.
    virtual QString sameAs() const = 0;
    // Appended to a SELECT inside a transaction: the rows read are held
    // against deletion and key changes by others (keyShare), or against
    // any change by others, until the transaction ends. Empty where one
    // program has the book to itself.
    virtual QString rowLock(bool keyShare) const
    {
        Q_UNUSED(keyShare);
        return {};
    }
    // Other programs' writes reach `changed` with the names of the tables
    // written (as the schema spells them); so does the return of a lost
    // connection, with every table, since what was missed is unknown.
    // `changed` may be called while a statement runs (a lost session opened
    // anew), so it only takes note. Nothing arrives where one program has
    // the book to itself.
    virtual void watchOthers(std::function<void(const QStringList &tables)> changed) { Q_UNUSED(changed); }
    // How many rows a table reads in one statement when a row it shows is
    // not read yet: more than one where each statement is a round trip to a
    // server, one where a read is a call within the program.
    virtual int rowsPerRead() const { return 1; }
    // Columns of the engine's own that no dataset shows.
    virtual bool isHidden(const QString &column) const
    {
        Q_UNUSED(column);
        return false;
    }
};

} // namespace db
