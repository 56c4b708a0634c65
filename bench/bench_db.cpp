// The data module at the scale it is built for: 100 000 members,
// 1 000 000 deposits and 200 000 loans, on either engine. Prints how long
// start-up, a member lookup with its deposits, stepping through members, the
// member grid to its last row, the search, posting and (folder mode) the
// daily safety copy take, each beside a raw read of the same rows through
// the engine's own client library in the same run, and the peak memory.
//
//   bench_db                   fills a temporary folder, then measures
//   bench_db FOLDER            measures on FOLDER (filled first when empty)
//   bench_db postgresql://…    measures on that database (filled first when
//                              empty); SP_BENCH_SERVER does the same

#include "book.h"

#include "runtime/controls/dbgrid.h"
#include "runtime/db/sqlite/safetycopy.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/resource.h>

#include <ctime>

namespace {

using bench::median;
using bench::memberNumber;
using bench::ms;

constexpr int Members = 100000;

// Processor time of this thread: on a busy machine the wall clock also
// counts the time other processes had the processor.
double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// A member by its number with its deposits, read raw.
void rawMember(const bench::RawReader &raw, const QString &number)
{
    raw.read(QStringLiteral("select * from Tanggota1 where No_Anggota = ?"), {number});
    raw.readEither(QStringLiteral("select * from Tsimpanan1 where No_Anggota = ? collate nocase order by rowid"),
             QStringLiteral("select * from Tsimpanan1 where lower(No_Anggota) = lower(?) order by sp_id"), {number});
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

void startUp(const bench::RawReader &raw, double startUp)
{
    // Raw: what opening reads, the member table's order of keys and the
    // first rows of the six datasets.
    QElapsedTimer timer;
    timer.start();
    raw.readEither(QStringLiteral("select rowid from Tanggota1 order by No_Anggota, rowid"),
             QStringLiteral("select sp_id from Tanggota1 order by No_Anggota, sp_id"));
    // The savings' index ignores letter case.
    raw.readEither(QStringLiteral("select * from Tsimpanan1 order by No_Anggota collate nocase limit 1"),
                   QStringLiteral("select * from Tsimpanan1 order by lower(No_Anggota) limit 1"));
    for (const char *sql : {"select * from Torangtua order by No_Anggota limit 1", "select * from Tpinjaman1 limit 1",
                            "select * from Tpinjaman1 order by No_Anggota limit 1", "select * from Tsimpanan1 limit 1",
                            "select * from Tanggota1 order by No_Anggota limit 1"})
        raw.read(QString::fromLatin1(sql));
    std::printf("start-up (new Tmodul):             %8.1f ms   (raw read of the same rows: %.1f ms; target < 500 ms)\n",
                startUp, ms(timer));
}

Money lookups(Tmodul &module, const bench::RawReader &raw)
{
    std::vector<double> times;
    std::vector<double> cpuTimes;
    std::vector<double> rawTimes;
    int rows = 0;
    Money sum;
    constexpr int Lookups = 200;
    QElapsedTimer timer;
    for (int k = 0; k < Lookups; ++k) {
        const QString number = memberNumber(int((qint64(k) * 48271) % Members));
        const double cpu = cpuMs();
        timer.start();
        if (!module.Tanggota1->findKey({number}))
            throw std::runtime_error("member not found");
        sum += depositsOf(module, rows);
        times.push_back(ms(timer));
        cpuTimes.push_back(cpuMs() - cpu);
        timer.start();
        rawMember(raw, number);
        rawTimes.push_back(ms(timer));
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double at = times[Lookups / 2];
    const double rawAt = median(rawTimes);
    std::printf("lookup + deposits of one member:   %8.2f ms   median (raw %.2f ms, %.1fx); at 99 %%: %.2f ms wall, "
                "%.2f ms processor; %.1f deposits each (target < 5 ms and < 5x raw: %s)\n",
                at, rawAt, at / rawAt, times[Lookups * 99 / 100], cpuTimes[Lookups * 99 / 100], double(rows) / Lookups,
                at < 5 && at < 5 * rawAt ? "met" : "FALLS SHORT");

    module.Tanggota1->first();
    rows = 0;
    const double cpu = cpuMs();
    timer.start();
    for (int k = 0; k < 1000; ++k) {
        module.Tanggota1->next();
        sum += depositsOf(module, rows);
    }
    const double stepped = ms(timer);
    const double steppedCpu = cpuMs() - cpu;
    timer.start();
    for (int k = 1; k <= 1000; ++k)
        rawMember(raw, memberNumber(k));
    std::printf("1 000 members stepped with deposits: %6.1f ms   wall (raw %.1f ms), %.1f ms processor (%d deposits; "
                "target < 1000 ms)\n",
                stepped, ms(timer), steppedCpu, rows);
    return sum;
}

// The member grid, as the member window shows it, sent to its last row (the
// navigator's "last") and painted there; beside it a raw read of the rows
// it shows.
void grid(Tmodul &module, const bench::RawReader &raw)
{
    module.Tanggota1->first();
    DBGrid view(nullptr, QStringLiteral("DBGrid1"));
    view.setDataSource(module.DSanggota1);
    QList<GridColumn> columns;
    for (const char *name : {"No_Anggota", "Tgl_Daftar", "Nama", "Fakultas", "NPM", "NBK", "JenisKelamin",
                             "Tempat_Lahir", "Tgl_Lahir", "Gol_Darah", "Agama", "Alamat", "Kodepos", "No_Telp"})
        columns.append(GridColumn{QString::fromLatin1(name)});
    view.setColumns(columns);
    view.resize(1000, 600);
    view.show();
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    const int last = module.Tanggota1->recordCount() - 1;
    QElapsedTimer timer;
    timer.start();
    module.Tanggota1->last();
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    const double took = ms(timer);
    if (view.currentIndex().row() != last)
        throw std::runtime_error("the grid did not reach its last row");
    const int shown = view.rowAt(view.viewport()->height()) < 0 ? view.viewport()->height() / view.rowHeight(last) + 1
                                                                : view.rowAt(view.viewport()->height()) + 1;
    timer.start();
    const int rows = raw.read(QStringLiteral("select * from Tanggota1 order by No_Anggota desc limit %1").arg(shown));
    std::printf("member grid to its last row:       %8.2f ms   (raw read of its %d shown rows: %.2f ms; target < 100 ms: %s)\n",
                took, rows, ms(timer), took < 100 ? "met" : "FALLS SHORT");
    module.Tanggota1->first();
}

void search(Tmodul &module, const bench::RawReader &raw)
{
    // The member window's search by name or NPM, typed key by key: a name
    // near the end of the order, an NPM, and a text no member holds (a
    // whole pass). Beside it the engine's own pass over the same rows.
    std::vector<double> searches;
    std::vector<double> rawSearches;
    QElapsedTimer timer;
    for (const QString &text : {QStringLiteral("anggota 99998"), QStringLiteral("B1050123"), QStringLiteral("zzz")}) {
        for (int typed = 1; typed <= text.size(); ++typed) {
            timer.start();
            module.findMemberByText(text.left(typed), false);
            searches.push_back(ms(timer));
            const QString pattern = u'%' + text.left(typed) + u'%';
            timer.start();
            raw.readEither(QStringLiteral("select rowid from Tanggota1 where Nama like ? escape '\\' or NPM like ? escape '\\'"),
                     QStringLiteral("select sp_id from Tanggota1 where lower(Nama) like lower(?) escape '\\' "
                                    "or lower(NPM) like lower(?) escape '\\'"),
                     {pattern, pattern});
            rawSearches.push_back(ms(timer));
        }
    }
    std::sort(searches.begin(), searches.end());
    std::sort(rawSearches.begin(), rawSearches.end());
    std::printf("member search by name/NPM, a key:  %8.2f ms   median, %.2f ms slowest (raw pass %.2f / %.2f ms; "
                "target < 50 ms)\n",
                searches[searches.size() / 2], searches.back(), rawSearches[rawSearches.size() / 2],
                rawSearches.back());
}

void posting(Tmodul &module, const bench::RawReader &raw)
{
    // Posting re-reads the row identities of the range: the whole member
    // table for a new member, the member's rows for a deposit.
    QElapsedTimer timer;
    timer.start();
    Table *members = module.Tanggota1;
    members->append();
    members->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("X000001"));
    members->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Anggota baru"));
    members->post();
    const double memberPost = ms(timer);
    Table *savings = module.Tsimpan1;
    std::vector<double> depositPosts;
    for (int k = 0; k < 20; ++k) {
        timer.start();
        savings->append();
        for (const char *field : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
            savings->fieldByName(QLatin1String(field))->setText(QStringLiteral("1000"));
        savings->post();
        depositPosts.push_back(ms(timer));
    }
    // Leave the book as it was.
    while (savings->recordCount() > 0) {
        savings->first();
        savings->remove();
    }
    members->remove();
    // Raw: the same rows inserted, each committed on its own, then removed.
    timer.start();
    raw.exec(QStringLiteral("insert into Tanggota1 (No_Anggota, Nama) values ('X000002', 'Anggota baru')"));
    const double rawMemberPost = ms(timer);
    std::vector<double> rawDepositPosts;
    for (int k = 0; k < 20; ++k) {
        timer.start();
        raw.exec(QStringLiteral("insert into Tsimpanan1 (No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                "values ('X000002', 10000000, 10000000, 10000000)"));
        rawDepositPosts.push_back(ms(timer));
    }
    raw.exec(QStringLiteral("delete from Tsimpanan1 where No_Anggota = 'X000002'"));
    raw.exec(QStringLiteral("delete from Tanggota1 where No_Anggota = 'X000002'"));
    const double deposit = median(depositPosts);
    std::printf("posting a new member / a deposit:  %8.2f ms / %.2f ms median   (raw insert: %.2f ms / %.2f ms; "
                "deposit target < 20 ms: %s)\n",
                memberPost, deposit, rawMemberPost, median(rawDepositPosts), deposit < 20 ? "met" : "FALLS SHORT");
}

void safetyCopy(Tmodul &module, const bench::RawReader &raw)
{
    // The day's safety copy (made once a day before the login), beside
    // reading every row of the four files straight from the engine.
    QElapsedTimer timer;
    timer.start();
    qint64 rawRows = 0;
    for (const char *table : {"Tanggota1", "Torangtua", "Tsimpanan1", "Tpinjaman1"})
        rawRows += raw.read(QStringLiteral("select * from %1").arg(QLatin1String(table)));
    const double rawRead = ms(timer);
    const QString copies = safetycopy::copiesFolder(module.connection()->folder());
    const bool hadCopies = QFileInfo::exists(copies);
    const QDate day(2099, 1, 1); // a day of its own, and nothing pruned
    timer.start();
    const safetycopy::Outcome copy = safetycopy::makeDailyCopy(*module.connection(), day, 1000000);
    const double copied = ms(timer);
    if (!copy.made)
        throw std::runtime_error(("safety copy failed: " + copy.error).toStdString());
    QDir(QDir(copies).filePath(day.toString(Qt::ISODate))).removeRecursively();
    if (!hadCopies)
        QDir(copies).removeRecursively();
    std::printf("daily safety copy, checked:        %8.1f ms   (raw read of the same %lld rows: %.1f ms)\n", copied,
                rawRows, rawRead);
}

void measure(const bench::Book &book)
{
    std::printf("engine: %s\n", book.engineName());
    QElapsedTimer timer;
    timer.start();
    Tmodul module;
    const double opened = ms(timer);
    const bench::RawReader raw(book);
    startUp(raw, opened);
    const Money sum = lookups(module, raw);
    grid(module, raw);
    search(module, raw);
    posting(module, raw);
    if (!book.server())
        safetyCopy(module, raw);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) / 1024.0;
    std::printf("peak memory:                       %8.1f MB   (target < 150 MB: %s)\n", peak,
                peak < 150 ? "met" : "FALLS SHORT");
    std::printf("(sum of S_Wajib read: %s)\n", qPrintable(sum.toPlainString(QLocale::c())));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        const bench::Book book(app.arguments());
        if (bench::fillWhenEmpty(book, bench::BookSize()))
            return 0;
        measure(book);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_db: %s\n", e.what());
        return 1;
    }
    return 0;
}
