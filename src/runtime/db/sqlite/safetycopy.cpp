#include "runtime/db/sqlite/safetycopy.h"

#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace safetycopy {
namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString Building = QStringLiteral(".sebagian");

QString engineText(sqlite3 *db, int rc)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

// A dated folder is good when it holds every file, none of them empty.
bool isGood(const QString &dayFolder, const Connection &connection)
{
    for (const TableSchema &schema : connection.tables()) {
        const QFileInfo info(QDir(dayFolder).filePath(schema.fileName));
        if (!info.isFile() || info.size() == 0)
            return false;
    }
    return true;
}

// Copies one attached database into `target`; returns what went wrong.
QString copyFile(const Connection &connection, int index, const QString &target)
{
    sqlite3 *raw = nullptr;
    int rc = sqlite3_open_v2(target.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const sqlite::DbHandle db(raw);
    if (rc != SQLITE_OK)
        return engineText(raw, rc);
    const auto &engine = static_cast<const sqlite::Engine &>(connection.engine());
    const QByteArray source = engine.databaseName(index).toUtf8();
    sqlite3_backup *backup = sqlite3_backup_init(raw, "main", engine.handle(), source.constData());
    if (!backup)
        return engineText(raw, sqlite3_errcode(raw));
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return QString::fromUtf8(sqlite3_errstr(rc));
    return {};
}

// The engine's integrity check on a copy, through a connection of its own.
bool checksOut(const QString &path)
{
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const sqlite::DbHandle db(raw);
    if (rc != SQLITE_OK)
        return false;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const bool ok = sqlite3_step(stmt) == SQLITE_ROW
        && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "ok") == 0
        && sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    return ok;
}

QString makeCopy(const Connection &connection, const QString &dayFolder)
{
    const QString building = dayFolder + Building;
    QDir(building).removeRecursively();
    if (!QDir().mkpath(building))
        return QStringLiteral("folder %1 tidak dapat dibuat").arg(QDir::toNativeSeparators(dayFolder));
    for (int i = 0; i < connection.tables().size(); ++i) {
        const QString fileName = connection.tables().at(i).fileName;
        const QString target = QDir(building).filePath(fileName);
        if (const QString error = copyFile(connection, i, target); !error.isEmpty()) {
            QDir(building).removeRecursively();
            return QStringLiteral("file %1 tidak dapat disalin (%2)").arg(fileName, error);
        }
        if (!checksOut(target)) {
            QDir(building).removeRecursively();
            return QStringLiteral("salinan file %1 tidak lolos pemeriksaan").arg(fileName);
        }
    }
    QDir(dayFolder).removeRecursively(); // an incomplete copy of the same day
    if (!QDir().rename(building, dayFolder)) {
        QDir(building).removeRecursively();
        return QStringLiteral("folder %1 tidak dapat dibuat").arg(QDir::toNativeSeparators(dayFolder));
    }
    return {};
}

void prune(const Connection &connection, const QString &root, const QDate &day, int keepDays)
{
    QList<QDate> dates;
    for (const QString &name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.endsWith(Building)) {
            QDir(QDir(root).filePath(name)).removeRecursively(); // left by a start cut short
            continue;
        }
        const QDate date = QDate::fromString(name, DateFormat);
        if (date.isValid() && date.toString(DateFormat) == name)
            dates << date;
    }
    std::sort(dates.begin(), dates.end(), std::greater<>());
    const QDate oldestKept = day.addDays(1 - keepDays);
    int good = 0;
    for (const QDate &date : std::as_const(dates)) {
        const QString folder = QDir(root).filePath(date.toString(DateFormat));
        const bool isGoodCopy = isGood(folder, connection);
        if (date >= oldestKept || (isGoodCopy && good < 2)) {
            good += isGoodCopy ? 1 : 0;
            continue;
        }
        QDir(folder).removeRecursively();
    }
}

} // namespace

QString copiesFolder(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("cadangan"));
}

Outcome makeDailyCopy(const Connection &connection, const QDate &day, int keepDays)
{
    // Copies of the folder's files only: a server's database is backed up
    // with the server's own tools, not from one desk.
    if (connection.isServer())
        return {};
    const QString root = copiesFolder(connection.folder());
    const QString dayFolder = QDir(root).filePath(day.toString(DateFormat));
    if (isGood(dayFolder, connection))
        return {};
    Outcome outcome;
    outcome.error = makeCopy(connection, dayFolder);
    outcome.made = outcome.error.isEmpty();
    if (outcome.made)
        prune(connection, root, day, keepDays);
    return outcome;
}

} // namespace safetycopy
