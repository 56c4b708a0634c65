#pragma once

#include "runtime/db/postgres/postgres.h"

#include <QDate>
#include <QList>
#include <QString>

namespace postgres {

// The server's record of the daily safety copies that desks made of its
// book, one row per day (sp_cadangan: the day, the desk's host name, the
// time and the rows per table), so that one desk a day makes the copy.
class CopyLog {
public:
    explicit CopyLog(const QString &uri);   // a session of its own; throws DatabaseError

    // True when this desk is to make the day's copy: none is recorded for
    // the day and no other desk is making it now. Never waits for another desk.
    bool claim(const QDate &day);
    // Records the copy this desk made; the claim ends with it.
    void record(const QDate &day, const QString &desk, const QList<std::pair<QString, qint64>> &rows);

    // The desks recorded for a day (for tools and tests).
    QStringList desksOn(const QDate &day) const;

private:
    Session m_session;
};

} // namespace postgres
