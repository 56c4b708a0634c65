// The data module at the scale it is built for: 100 000 members and
// 1 000 000 deposits. Prints how long start-up, a member lookup with its
// deposits, stepping through members, posting and the daily safety copy
// take, each beside a raw read of the same rows, and the peak memory.
//
//   bench_db            fills a temporary folder, then measures
//   bench_db FOLDER     measures on FOLDER (filled first when empty)

#include "data/DM.h"
#include "runtime/db/sqlite/safetycopy.h"
#include "runtime/db/sqlite/sqlite.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace {

constexpr int Members = 100000;
constexpr int Deposits = 1000000;

QString memberNumber(int i)
{
    return QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
}

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

// Raw SQL through the data module's own connection, in one transaction.
void fill()
{
    Tmodul module;
    sqlite3 *db = sqlite::handleOf(*module.connection());
    exec(db, "BEGIN");
    sqlite3_stmt *member = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, Tempat_Lahir, Tgl_Lahir, JK, "
                       "Gol_Darah, Agama, Alamat, Kodepos, No_Telp) values (?, ?, ?, ?, ?, 'Bandung', ?, ?, 'O', "
                       "'Islam', ?, '40132', '022-2501234')",
                       -1, &member, nullptr);
    const QDate registered(2020, 1, 1);
    for (int i = 0; i < Members; ++i) {
        bindText(member, 1, memberNumber(i));
        bindText(member, 2, registered.addDays(i % 1500).toString(Qt::ISODate));
        bindText(member, 3, QStringLiteral("Anggota %1").arg(i));
        bindText(member, 4, QStringLiteral("B1%1").arg(i, 6, 10, QLatin1Char('0')));
        bindText(member, 5, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
        bindText(member, 6, QDate(1990, 1, 1).addDays(i % 3650).toString(Qt::ISODate));
        bindText(member, 7, i % 2 ? QStringLiteral("W") : QStringLiteral("P"));
        bindText(member, 8, QStringLiteral("Jl. Dipati Ukur No. %1").arg(i % 300));
        stepAndReset(member);
    }
    sqlite3_finalize(member);

    // Deposits come in the order of the days, not of the members, so each
    // member's rows lie scattered over the file as they would in use.
    sqlite3_stmt *deposit = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                       "values (?, ?, ?, ?, ?)",
                       -1, &deposit, nullptr);
    const QDate start(2021, 1, 1);
    quint32 random = 12345;
    for (int j = 0; j < Deposits; ++j) {
        random = random * 1103515245u + 12345u;
        bindText(deposit, 1, start.addDays(j / 1000).toString(QStringLiteral("dd/MM/yyyy")));
        bindText(deposit, 2, memberNumber(int((random >> 8) % Members)));
        sqlite3_bind_int64(deposit, 3, 100000000);                     // Rp 10.000
        sqlite3_bind_int64(deposit, 4, qint64(random % 50) * 10000000); // up to Rp 49.000
        sqlite3_bind_int64(deposit, 5, 50000000);
        stepAndReset(deposit);
    }
    sqlite3_finalize(deposit);
    exec(db, "COMMIT");
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Processor time of this thread: on a busy machine the wall clock also
// counts the time other processes had the processor.
double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Steps every column of every row a statement gives, straight from the
// engine: the baseline each figure stands beside.
int rawRead(sqlite3 *db, const char *sql, const QString &bound = {})
{
    sqlite3_stmt *select = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &select, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    if (!bound.isNull())
        bindText(select, 1, bound);
    int rows = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(select); ++c)
            sqlite3_column_text(select, c);
        ++rows;
    }
    sqlite3_finalize(select);
    return rows;
}

// A member by its number with its deposits, read raw.
void rawMember(sqlite3 *db, const QString &number)
{
    rawRead(db, "select * from Tanggota1 where No_Anggota = ?", number);
    rawRead(db, "select * from Tsimpanan1 where No_Anggota = ? collate nocase order by rowid", number);
}

Money depositsOf(Tmodul &module, int &rows)
{
    Money sum;
    Table *savings = module.Tsimpan1;
    for (savings->first(); !savings->eof(); savings->next()) {
        sum += savings->fieldByName(QStringLiteral("S_Wajib"))->asMoney();
        ++rows;
    }
    return sum;
}

void measure()
{
    QElapsedTimer timer;
    timer.start();
    Tmodul module;
    const double startUp = ms(timer);
    sqlite3 *db = sqlite::handleOf(*module.connection());
    // Raw: what opening reads, the member table's order of keys and the
    // first rows of the six datasets.
    timer.restart();
    for (const char *sql : {"select rowid from Tanggota1 order by No_Anggota, rowid",
                            "select * from Torangtua order by No_Anggota limit 1",
                            "select * from Tsimpanan1 order by No_Anggota collate nocase limit 1",
                            "select * from Tpinjaman1 limit 1", "select * from Tpinjaman1 order by No_Anggota limit 1",
                            "select * from Tsimpanan1 limit 1", "select * from Tanggota1 order by No_Anggota limit 1"})
        rawRead(db, sql);
    std::printf("start-up (new Tmodul):             %8.1f ms   (raw read of the same rows: %.1f ms; target < 500 ms)\n",
                startUp, ms(timer));

    // Lookups of members spread over the key range.
    std::vector<double> times;
    std::vector<double> cpuTimes;
    int rows = 0;
    Money sum;
    constexpr int Lookups = 200;
    for (int k = 0; k < Lookups; ++k) {
        const QString number = memberNumber(int((qint64(k) * 48271) % Members));
        const double cpu = cpuMs();
        timer.restart();
        if (!module.Tanggota1->findKey({number}))
            throw std::runtime_error("member not found");
        sum += depositsOf(module, rows);
        times.push_back(ms(timer));
        cpuTimes.push_back(cpuMs() - cpu);
    }
    std::vector<double> rawTimes;
    for (int k = 0; k < Lookups; ++k) {
        timer.restart();
        rawMember(db, memberNumber(int((qint64(k) * 48271) % Members)));
        rawTimes.push_back(ms(timer));
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::sort(rawTimes.begin(), rawTimes.end());
    std::printf("lookup + deposits of one member:   %8.2f ms   median (raw %.2f ms); at 99 %%: %.2f ms wall, %.2f ms "
                "processor; %.1f deposits each (target < 5 ms)\n",
                times[Lookups / 2], rawTimes[Lookups / 2], times[Lookups * 99 / 100], cpuTimes[Lookups * 99 / 100],
                double(rows) / Lookups);

    module.Tanggota1->first();
    rows = 0;
    const double cpu = cpuMs();
    timer.restart();
    for (int k = 0; k < 1000; ++k) {
        module.Tanggota1->next();
        sum += depositsOf(module, rows);
    }
    const double stepped = ms(timer);
    const double steppedCpu = cpuMs() - cpu;
    timer.restart();
    for (int k = 1; k <= 1000; ++k)
        rawMember(db, memberNumber(k));
    std::printf("1 000 members stepped with deposits: %6.1f ms   wall (raw %.1f ms), %.1f ms processor (%d deposits; "
                "target < 1000 ms)\n",
                stepped, ms(timer), steppedCpu, rows);

    // The member window's search by name or NPM, typed key by key: a name
    // near the end of the order, an NPM, and a text no member holds (a
    // whole pass). Beside it the engine's own pass over the same rows.
    std::vector<double> searches;
    std::vector<double> rawSearches;
    for (const QString &text : {QStringLiteral("anggota 99998"), QStringLiteral("B1050123"), QStringLiteral("zzz")}) {
        for (int typed = 1; typed <= text.size(); ++typed) {
            timer.restart();
            module.findMemberByText(text.left(typed), false);
            searches.push_back(ms(timer));
            timer.restart();
            rawRead(db, "select rowid from Tanggota1 where Nama like ?1 escape '\\' or NPM like ?1 escape '\\'",
                    u'%' + text.left(typed) + u'%');
            rawSearches.push_back(ms(timer));
        }
    }
    std::sort(searches.begin(), searches.end());
    std::sort(rawSearches.begin(), rawSearches.end());
    std::printf("member search by name/NPM, a key:  %8.2f ms   median, %.2f ms slowest (raw pass %.2f / %.2f ms; "
                "target < 50 ms)\n",
                searches[searches.size() / 2], searches.back(), rawSearches[rawSearches.size() / 2],
                rawSearches.back());

    // Posting re-reads the row identities of the range: the whole member
    // table for a new member, the member's rows for a deposit.
    timer.restart();
    Table *members = module.Tanggota1;
    members->append();
    members->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("X000001"));
    members->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Anggota baru"));
    members->post();
    const double memberPost = ms(timer);
    timer.restart();
    Table *savings = module.Tsimpan1;
    savings->append();
    for (const char *field : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
        savings->fieldByName(QLatin1String(field))->setText(QStringLiteral("1000"));
    savings->post();
    const double depositPost = ms(timer);
    // Leave the folder as it was.
    savings->remove();
    members->remove();
    // Raw: the same two rows inserted, each synced to disk, then removed.
    timer.restart();
    exec(db, "insert into Tanggota1 (No_Anggota, Nama) values ('X000002', 'Anggota baru')");
    const double rawMemberPost = ms(timer);
    timer.restart();
    exec(db, "insert into Tsimpanan1 (No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
             "values ('X000002', 10000000, 10000000, 10000000)");
    const double rawDepositPost = ms(timer);
    exec(db, "delete from Tsimpanan1 where No_Anggota = 'X000002'");
    exec(db, "delete from Tanggota1 where No_Anggota = 'X000002'");
    std::printf("posting a new member / a deposit:  %8.2f ms / %.2f ms   (raw insert: %.2f ms / %.2f ms)\n", memberPost,
                depositPost, rawMemberPost, rawDepositPost);

    // The day's safety copy (made once a day before the login), beside
    // reading every row of the four files straight from the engine.
    timer.restart();
    qint64 rawRows = 0;
    for (const char *table : {"Tanggota1", "Torangtua", "Tsimpanan1", "Tpinjaman1"}) {
        sqlite3_stmt *select = nullptr;
        sqlite3_prepare_v2(sqlite::handleOf(*module.connection()), QByteArray("select * from ").append(table).constData(), -1,
                           &select, nullptr);
        while (sqlite3_step(select) == SQLITE_ROW)
            rawRows += sqlite3_column_count(select) > 0 ? 1 : 0;
        sqlite3_finalize(select);
    }
    const double rawRead = ms(timer);
    const QString copies = safetycopy::copiesFolder(module.connection()->folder());
    const bool hadCopies = QFileInfo::exists(copies);
    const QDate day(2099, 1, 1); // a day of its own, and nothing pruned
    timer.restart();
    const safetycopy::Outcome copy = safetycopy::makeDailyCopy(*module.connection(), day, 1000000);
    const double copied = ms(timer);
    if (!copy.made)
        throw std::runtime_error(("safety copy failed: " + copy.error).toStdString());
    QDir(QDir(copies).filePath(day.toString(Qt::ISODate))).removeRecursively();
    if (!hadCopies)
        QDir(copies).removeRecursively();
    std::printf("daily safety copy, checked:        %8.1f ms   (raw read of the same %lld rows: %.1f ms)\n", copied,
                rawRows, rawRead);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory:                       %8.1f MB   (target < 150 MB)\n", double(usage.ru_maxrss) / 1024.0);
    std::printf("(sum of S_Wajib read: %s)\n", qPrintable(sum.toPlainString(QLocale::c())));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() >= 3 && args.at(1) == QLatin1String("--fill")) {
            setAliasFolder(QString::fromLatin1(Tmodul::Alias), args.at(2));
            fill();
            return 0;
        }
        QTemporaryDir temporary;
        const QString folder = args.size() >= 2 ? args.at(1) : temporary.path();
        if (!QFile::exists(QDir(folder).filePath(QStringLiteral("Tsimpanan1.db")))) {
            // Filled by a process of its own so that the peak memory below
            // is the program's alone.
            std::printf("filling %s with %d members and %d deposits...\n", qPrintable(folder), Members, Deposits);
            QElapsedTimer timer;
            timer.start();
            if (QProcess::execute(app.applicationFilePath(), {QStringLiteral("--fill"), folder}) != 0)
                return 1;
            std::printf("filled in %.1f s\n", ms(timer) / 1000);
        }
        setAliasFolder(QString::fromLatin1(Tmodul::Alias), folder);
        measure();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_db: %s\n", e.what());
        return 1;
    }
    return 0;
}
