#include "runtime/db/postgres/copylog.h"

#include <libpq-fe.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace postgres {
namespace {

const QString Table = QStringLiteral("sp_cadangan");
const QString CopyKey = QStringLiteral("hashtext('simpanpinjam-cadangan')");

QByteArray isoDay(const QDate &day)
{
    return day.toString(Qt::ISODate).toUtf8();
}

} // namespace

CopyLog::CopyLog(const QString &uri) : m_session(uri)
{
    // Made once, by the first desk; later desks need no right to create.
    const Result exists = m_session.run(QStringLiteral("SELECT to_regclass('%1') IS NOT NULL").arg(Table));
    if (QByteArray(PQgetvalue(exists.get(), 0, 0)) == "t")
        return;
    // Two desks making the table at once would trip over each other.
    m_session.run(QStringLiteral("BEGIN"));
    try {
        m_session.run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('simpanpinjam-cadangan-tabel'))"));
        m_session.run(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (hari date PRIMARY KEY, meja text NOT NULL, "
                                     "waktu timestamptz NOT NULL DEFAULT now(), baris jsonb NOT NULL)")
                          .arg(Table));
        m_session.run(QStringLiteral("COMMIT"));
    } catch (...) {
        PQclear(PQexec(m_session.handle(), "ROLLBACK"));
        throw;
    }
}

bool CopyLog::claim(const QDate &day)
{
    // A session lock: another desk that starts meanwhile skips rather than waits.
    const Result locked = m_session.run(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(CopyKey));
    if (QByteArray(PQgetvalue(locked.get(), 0, 0)) != "t")
        return false;
    if (desksOn(day).isEmpty())
        return true;
    m_session.run(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(CopyKey));
    return false;
}

void CopyLog::record(const QDate &day, const QString &desk, const QList<std::pair<QString, qint64>> &rows)
{
    QJsonObject counts;
    for (const auto &[table, count] : rows)
        counts.insert(table, count);
    m_session.run(QStringLiteral("INSERT INTO %1 (hari, meja, baris) VALUES ($1, $2, $3) ON CONFLICT (hari) DO NOTHING").arg(Table),
                  {isoDay(day), desk.toUtf8(), QJsonDocument(counts).toJson(QJsonDocument::Compact)});
    m_session.run(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(CopyKey));
}

QStringList CopyLog::desksOn(const QDate &day) const
{
    const Result result = m_session.run(QStringLiteral("SELECT meja FROM %1 WHERE hari = $1").arg(Table), {isoDay(day)});
    QStringList desks;
    for (int r = 0; r < PQntuples(result.get()); ++r)
        desks << QString::fromUtf8(PQgetvalue(result.get(), r, 0));
    return desks;
}

} // namespace postgres
