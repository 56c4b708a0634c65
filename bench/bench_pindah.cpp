// Moving a full-size book (100 000 members, 1 000 000 deposits, 200 000
// loans) from a folder to a server and back, and the server's daily safety
// copy of it: the time of each.
//
//   bench_pindah URI             fills a temporary folder, moves it into
//                                the empty database URI and back
//   bench_pindah URI FOLDER      the same with FOLDER (filled first when empty)

#include "data/DM.h"
#include "runtime/db/sqlite/safetycopy.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr int Members = 100000;
constexpr int Deposits = 1000000;
constexpr int Loans = 200000;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void stepAndReset(sqlite3_stmt *statement)
{
    if (sqlite3_step(statement) != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(statement)));
    sqlite3_reset(statement);
}

sqlite3_stmt *prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    return statement;
}

QString memberNumber(int i)
{
    return QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
}

void fill(const QString &folder)
{
    setAliasFolder(QStringLiteral("Bangku"), folder);
    const Connection connection(QStringLiteral("Bangku"), Tmodul::schemas());
    sqlite3 *db = sqlite::handleOf(connection);
    exec(db, "BEGIN");
    sqlite3_stmt *member = prepare(db, "insert into Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, Tempat_Lahir, "
                                       "Tgl_Lahir, JK, Gol_Darah, Agama, Alamat, Kodepos, No_Telp) values (?, ?, ?, ?, ?, "
                                       "'Bandung', ?, ?, 'O', 'Islam', ?, '40132', '022-2501234')");
    sqlite3_stmt *parent = prepare(db, "insert into Torangtua (No_Anggota, Nama_Ortu, Alamat_Ortu, Kodepos_Ortu) "
                                       "values (?, ?, 'Jl. Merdeka 1', '40111')");
    for (int i = 0; i < Members; ++i) {
        bindText(member, 1, memberNumber(i));
        bindText(member, 2, QDate(2020, 1, 1).addDays(i % 1500).toString(Qt::ISODate));
        bindText(member, 3, QStringLiteral("Anggota %1").arg(i));
        bindText(member, 4, QStringLiteral("B1%1").arg(i, 6, 10, QLatin1Char('0')));
        bindText(member, 5, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
        bindText(member, 6, QDate(1990, 1, 1).addDays(i % 3650).toString(Qt::ISODate));
        bindText(member, 7, i % 2 ? QStringLiteral("W") : QStringLiteral("P"));
        bindText(member, 8, QStringLiteral("Jl. Dipati Ukur No. %1").arg(i % 300));
        stepAndReset(member);
        bindText(parent, 1, memberNumber(i));
        bindText(parent, 2, QStringLiteral("Orang tua %1").arg(i));
        stepAndReset(parent);
    }
    sqlite3_finalize(member);
    sqlite3_finalize(parent);
    sqlite3_stmt *deposit = prepare(db, "insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                        "values (?, ?, ?, ?, ?)");
    quint32 random = 12345;
    for (int j = 0; j < Deposits; ++j) {
        random = random * 1103515245u + 12345u;
        bindText(deposit, 1, QDate(2021, 1, 1).addDays(j / 1000).toString(QStringLiteral("dd/MM/yyyy")));
        bindText(deposit, 2, memberNumber(int((random >> 8) % Members)));
        sqlite3_bind_int64(deposit, 3, 100000000);
        sqlite3_bind_int64(deposit, 4, qint64(random % 50) * 10000000);
        sqlite3_bind_int64(deposit, 5, 50000000);
        stepAndReset(deposit);
    }
    sqlite3_finalize(deposit);
    sqlite3_stmt *loan = prepare(db, "insert into Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) values (?, ?, ?, ?)");
    for (int k = 0; k < Loans; ++k) {
        random = random * 1103515245u + 12345u;
        bindText(loan, 1, QDate(2021, 1, 1).addDays(k / 200).toString(QStringLiteral("dd/MM/yyyy")));
        bindText(loan, 2, memberNumber(int((random >> 8) % Members)));
        sqlite3_bind_int64(loan, 3, qint64(random % 100 + 1) * 1000000000);
        bindText(loan, 4, QStringLiteral("KTM"));
        stepAndReset(loan);
    }
    sqlite3_finalize(loan);
    exec(db, "COMMIT");
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void report(const char *what, const transfer::Outcome &outcome, const QElapsedTimer &timer)
{
    std::printf("%-44s %7.1f s  %s\n", what, seconds(timer), outcome.committed ? "both sides equal" : "SIDES DIFFER");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("simpanpinjam-bench"));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_pindah URI [FOLDER]   (URI names an empty database)\n");
        return 2;
    }
    const QString uri = arguments.at(1);
    QTemporaryDir temporary;
    qputenv("XDG_DATA_HOME", temporary.filePath(QStringLiteral("home")).toUtf8());
    const QString folder = arguments.size() > 2 ? arguments.at(2) : temporary.filePath(QStringLiteral("buku"));
    try {
        if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Tanggota1.DB")))) {
            std::printf("filling %s ...\n", qPrintable(folder));
            fill(folder);
        }
        const QList<TableSchema> tables = Tmodul::schemas();
        QElapsedTimer timer;
        timer.start();
        report("folder -> empty server (1 400 000 rows)", transfer::copyBook(folder, uri, tables), timer);
        const QString back = temporary.filePath(QStringLiteral("kembali"));
        timer.restart();
        report("server -> new folder", transfer::copyBook(uri, back, tables), timer);

        setAliasFolder(QStringLiteral("Server"), uri);
        const Connection server(QStringLiteral("Server"), tables);
        timer.restart();
        const safetycopy::Outcome copy = safetycopy::makeDailyCopy(server, QDate::currentDate());
        std::printf("%-44s %7.1f s  %s\n", "daily safety copy from the server, checked", seconds(timer),
                    copy.made ? "made" : qPrintable(QStringLiteral("not made: ") + copy.error));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_pindah: %s\n", error.what());
        return 1;
    }
    return 0;
}
