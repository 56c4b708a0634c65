#include "runtime/db/sqlite.h"

#include "runtime/db/error.h"

#include <sqlite3.h>

namespace sqlite {

void DbCloser::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

static int codeFor(int extended)
{
    switch (extended) {
    case SQLITE_CONSTRAINT_NOTNULL:
        return dberr::RequiredValue;
    case SQLITE_CONSTRAINT_CHECK:
        return dberr::MinimumValue;
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return dberr::KeyViolation;
    default:
        return dberr::Engine;
    }
}

static QString textFor(int code, const QString &engineText)
{
    // The engine names the column as "Table.Field"; keep that detail.
    const QString detail = engineText.section(QLatin1Char(':'), 1).trimmed();
    switch (code) {
    case dberr::RequiredValue:
        return QStringLiteral("Isian wajib diisi: %1").arg(detail);
    case dberr::MinimumValue:
        return QStringLiteral("Isian di bawah nilai minimum: %1").arg(detail);
    case dberr::KeyViolation:
        return QStringLiteral("Data dengan kunci yang sama sudah ada.");
    default:
        return engineText;
    }
}

void raise(sqlite3 *db, int rc, const QString &context)
{
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    QString engineText = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int code = codeFor(extended);
    QString text = textFor(code, engineText);
    if (code == dberr::Engine && !context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    throw DatabaseError(code, text);
}

Statement::Statement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        raise(db, rc, sql);
}

Statement::Statement(Statement &&other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (value.typeId() == QMetaType::QString) {
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
    } else {
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
    }
    if (rc != SQLITE_OK)
        raise(m_db, rc);
}

void Statement::bindAll(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i));
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    raise(m_db, rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclType(int column) const
{
    const char *type = sqlite3_column_decltype(m_stmt, column);
    return type ? QString::fromUtf8(type) : QString();
}

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    }
}

qint64 Statement::columnInt(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

Transaction::Transaction(sqlite3 *db) : m_db(db)
{
    Statement(db, QStringLiteral("BEGIN IMMEDIATE")).exec();
}

Transaction::~Transaction()
{
    if (m_open)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    Statement(m_db, QStringLiteral("COMMIT")).exec();
    m_open = false;
}

} // namespace sqlite
