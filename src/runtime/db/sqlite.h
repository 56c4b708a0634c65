#pragma once

#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace sqlite {

// RAII for a prepared statement. Values bind as: null QVariant -> NULL,
// integers -> INTEGER, QString -> TEXT.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql);   // throws DatabaseError
    Statement(Statement &&) noexcept;
    Statement &operator=(Statement &&) noexcept;
    ~Statement();

    void bind(int index, const QVariant &value);  // 1-based
    void bindAll(const QVariantList &values);
    bool step();                                   // true while a row is ready; throws
    void exec() { while (step()) {} }
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclType(int column) const;
    QVariant column(int column) const;             // NULL -> null QVariant
    qint64 columnInt(int column) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

struct DbCloser { void operator()(sqlite3 *db) const; };
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

// Translates the engine's last error into a DatabaseError with our codes.
[[noreturn]] void raise(sqlite3 *db, int rc, const QString &context = {});

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3 *db);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    sqlite3 *m_db;
    bool m_open = true;
};

} // namespace sqlite
