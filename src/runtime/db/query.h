#pragma once

#include "runtime/db/dataset.h"
#include "runtime/db/engine.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A read-only dataset over an SQL text, set line by line. Rows are fetched
// as they are reached, so opening a query over a large table is cheap.
// Declared fields give the columns of the same name their type (money!);
// other columns are typed from the table's declared column type.
//
// A statement that is stepped but not finished may hold a read lock (the
// files of a folder), which stops every other program from writing them. So
// once control is back in the event loop, an unfinished statement pauses;
// when more rows are needed it runs again and passes over the rows already
// read. Columns of the engine's own (a server's row identity and version)
// are not fields.
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(const QString &name, QObject *parent = nullptr);
    ~Query() override;

    void setDatabaseName(const QString &alias) { m_alias = alias; }
    QString databaseName() const { return m_alias; }
    // The SQL text as lines; changing it needs the query closed.
    QStringList &sql() { return m_sql; }
    const QStringList &sql() const { return m_sql; }
    void setSql(const QStringList &lines) { m_sql = lines; }

protected:
    void doOpen() override;
    void doClose() override;
    int doCount() const override;
    Row doRow(int index) const override;
    int doReload(int current) override;
    bool doHasRow(int index) const override;
    bool canModify() const override { return false; }

private:
    void fetchUpTo(int index) const;   // -1 = all
    void resume() const;
    void suspendLater() const;
    void restart() const;
    QString m_alias;
    QStringList m_sql;
    mutable std::unique_ptr<db::Statement> m_stmt;
    mutable std::vector<Row> m_rows;
    mutable bool m_done = true;
    mutable bool m_suspended = false;      // reset with rows still to come
    mutable bool m_suspendQueued = false;
    mutable std::vector<int> m_columnField; // result column -> field index
};
