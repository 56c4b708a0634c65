#pragma once

#include "runtime/db/dataset.h"
#include "runtime/db/engine.h"

#include <memory>

#include <QCache>
#include <QHash>
#include <QString>

#include <vector>

class Connection;
struct TableSchema;
namespace db {
class Transaction;
}

// A table file read in the order of the index in use. Keeps only the row
// identities of its range in memory and reads rows on demand, so a detail
// table reads just its master's rows.
class Table : public Dataset {
    Q_OBJECT
public:
    explicit Table(const QString &name, QObject *parent = nullptr);

    void setDatabaseName(const QString &alias) { m_alias = alias; }
    QString databaseName() const { return m_alias; }
    void setTableName(const QString &fileName) { m_fileName = fileName; }
    QString tableName() const { return m_fileName; }
    // The index in use: by name ("IdxNoAnggota"; empty = primary key) or by
    // its field names ("No_Anggota"). Changeable while open.
    void setIndexName(const QString &name);
    QString indexName() const { return m_indexName; }
    void setIndexFieldNames(const QString &fields);

    // Where several programs share the book: a row posted here holds its
    // master's row (the master table's row with the link fields' values)
    // until the post is stored, so that no other program can delete it or
    // change its key meanwhile; when that row is gone the post is refused
    // (code RowChanged) with `refusal`. A master row still being added is
    // not held: what is given to it goes with it.
    void setMasterRowHeld(const QString &refusal) { m_masterRefusal = refusal; }
    // Inside a transaction: holds the current row against every other
    // program until the transaction ends; refuses (code RowChanged) when
    // another program changed or deleted it since it was read.
    void holdCurrentRow();
    // Reads the range again like readAgain(), but a row read before keeps
    // the version it was read with: a change by another program since is
    // still refused when this program writes the row.
    void readAgainKeepingVersions();
    // What a write of a row that another program changed is refused with.
    static DatabaseError changedError();

protected:
    void doOpen() override;
    void doClose() override;
    int doCount() const override;
    Row doRow(int index) const override;
    int doReload(int current) override;
    int doInsertRow(const Row &row) override;
    int doUpdateRow(int index, const Row &row) override;
    void doDeleteRow(int index) override;
    int doFind(const QVariantList &values) override;
    int doFindContaining(const QStringList &fields, const QString &text, int from) const override;
    bool doHasRow(int index) const override;
    bool canReadAgainNow() const override;
    QVariant doBookmark(int index) const override;
    int doIndexOfBookmark(const QVariant &bookmark) const override;

private:
    void resolveIndex();
    QString orderBy() const;
    QString rangeWhere(QVariantList &binds) const;
    void loadKeys();
    int positionOf(qint64 rowid) const;
    Row fetch(qint64 rowid) const;
    Row keep(qint64 rowid, const db::Statement &statement, int first) const;
    void fetchAhead(int index) const;
    void checkEmptyKeys(const Row &row, qint64 rowid) const;
    QString name(const QString &identifier) const { return m_engine->name(identifier); }
    QString keyTerm(const QString &field, bool noCase) const;
    void forget(qint64 rowid);
    void forgetAll();
    [[noreturn]] void refuseChanged() const;
    std::unique_ptr<db::Transaction> holdMaster(const Row &row);

    QString m_alias;
    QString m_fileName;
    QString m_indexName;
    QStringList m_requestedFields;      // index chosen by field names
    QStringList m_indexFields;          // fields of the index in use
    bool m_indexNoCase = false;
    Connection *m_connection = nullptr;
    db::Engine *m_engine = nullptr;
    const TableSchema *m_schema = nullptr;
    std::vector<qint64> m_rowids;       // the range, in index order
    mutable QCache<qint64, Row> m_cache{4096};
    // The version of each row as this desk first read it; a write of the
    // row names it, so that another desk's change in between is found.
    mutable QHash<qint64, qint64> m_versions;
    mutable std::unique_ptr<db::Statement> m_fetch;
    mutable std::unique_ptr<db::Statement> m_fetchAhead;
    std::vector<int> m_columnField;     // stored column -> field index
    QString m_masterRefusal;
    bool m_keepVersions = false;
    QMetaObject::Connection m_newsConnection;
};
