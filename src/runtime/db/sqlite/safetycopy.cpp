#include "runtime/db/sqlite/safetycopy.h"

#include "runtime/db/connection.h"
#include "runtime/db/error.h"
#include "runtime/db/postgres/copylog.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/transfer.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <sqlite3.h>

#include <algorithm>
#include <functional>

namespace safetycopy {
namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString Building = QStringLiteral(".sebagian");

QString engineText(sqlite3 *db, int rc)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

// A dated folder is good when it holds every file, none of them empty.
bool isGood(const QString &dayFolder, const QList<TableSchema> &tables)
{
    for (const TableSchema &schema : tables) {
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

// Writes the files of a copy into a folder; returns what went wrong.
using Copier = std::function<QString(const QString &folder)>;

// The copy is built beside the dated folder and takes its name only once
// every file is written and checked.
QString makeCopy(const QList<TableSchema> &tables, const QString &dayFolder, const Copier &copy)
{
    const QString building = dayFolder + Building;
    QDir(building).removeRecursively();
    if (!QDir().mkpath(building))
        return QStringLiteral("folder %1 tidak dapat dibuat").arg(QDir::toNativeSeparators(dayFolder));
    if (const QString error = copy(building); !error.isEmpty()) {
        QDir(building).removeRecursively();
        return error;
    }
    for (const TableSchema &schema : tables) {
        if (!checksOut(QDir(building).filePath(schema.fileName))) {
            QDir(building).removeRecursively();
            return QStringLiteral("salinan file %1 tidak lolos pemeriksaan").arg(schema.fileName);
        }
    }
    QDir(dayFolder).removeRecursively(); // an incomplete copy of the same day
    if (!QDir().rename(building, dayFolder)) {
        QDir(building).removeRecursively();
        return QStringLiteral("folder %1 tidak dapat dibuat").arg(QDir::toNativeSeparators(dayFolder));
    }
    return {};
}

QString copyFiles(const Connection &connection, const QString &folder)
{
    for (int i = 0; i < connection.tables().size(); ++i) {
        const QString fileName = connection.tables().at(i).fileName;
        if (const QString error = copyFile(connection, i, QDir(folder).filePath(fileName)); !error.isEmpty())
            return QStringLiteral("file %1 tidak dapat disalin (%2)").arg(fileName, error);
    }
    return {};
}

void prune(const QList<TableSchema> &tables, const QString &root, const QDate &day, int keepDays)
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
        const bool isGoodCopy = isGood(folder, tables);
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

QString copiesFolder(const Connection &connection)
{
    if (!connection.isServer())
        return copiesFolder(connection.folder());
    return copiesFolder(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

namespace {

// In folder mode: the engine's online backup of each file.
Outcome folderCopy(const Connection &connection, const QString &root, const QDate &day, int keepDays)
{
    const QString dayFolder = QDir(root).filePath(day.toString(DateFormat));
    if (isGood(dayFolder, connection.tables()))
        return {};
    Outcome outcome;
    outcome.error = makeCopy(connection.tables(), dayFolder,
                             [&connection](const QString &folder) { return copyFiles(connection, folder); });
    outcome.made = outcome.error.isEmpty();
    if (outcome.made)
        prune(connection.tables(), root, day, keepDays);
    return outcome;
}

// On a server: one desk a day reads the tables in one snapshot into the
// files of a folder book, so that a copy opens in folder mode as it is and
// goes back to a server with the moving tool.
Outcome serverCopy(const Connection &connection, const QString &root, const QDate &day, int keepDays)
{
    try {
        postgres::CopyLog log(connection.target());
        if (!log.claim(day))
            return {};
        QList<std::pair<QString, qint64>> rows;
        const QString error = makeCopy(connection.tables(), QDir(root).filePath(day.toString(DateFormat)),
                                       [&](const QString &folder) -> QString {
                                           const transfer::Outcome moved =
                                               transfer::copyBook(connection.target(), folder, connection.tables());
                                           if (!moved.committed)
                                               return QStringLiteral("salinan tidak sama dengan data di server");
                                           for (int i = 0; i < connection.tables().size(); ++i)
                                               rows.append({connection.tables().at(i).tableName, moved.after.at(i).rows});
                                           return {};
                                       });
        if (!error.isEmpty())
            return {false, error};
        log.record(day, QSysInfo::machineHostName(), rows);
        prune(connection.tables(), root, day, keepDays);
        return {true, {}};
    } catch (const DatabaseError &error) {
        QString text = error.text();
        while (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        return {false, text};
    } catch (const std::exception &error) {
        return {false, QString::fromUtf8(error.what())};
    }
}

} // namespace

Outcome makeDailyCopy(const Connection &connection, const QDate &day, int keepDays)
{
    const QString root = copiesFolder(connection);
    if (connection.isServer())
        return serverCopy(connection, root, day, keepDays);
    return folderCopy(connection, root, day, keepDays);
}

} // namespace safetycopy
