// The three list reports on a book of the size a cooperative reaches:
// 100 000 members, 1 000 000 deposits and 200 000 loans (31 000 deposits
// and about 5 600 loans fall in March 2022, the month reported). Drives the real commands with
// the member, savings and loans windows open, and prints each figure beside
// a raw SQLite read of the same rows, measured in the same run, and beside
// its target; says which figures fall short. Runs on either engine, the raw
// reads through the engine's own client library (SQLite's C API, libpq).
//
//   bench_reports                 fills a temporary folder, then measures
//   bench_reports FOLDER          measures on FOLDER (filled first when empty)
//   bench_reports postgresql://…  measures on that database (filled first
//                                 when empty); SP_BENCH_SERVER does the same

#include "book.h"

#include "app/forms.h"
#include "app/menu.h"
#include "app/shell.h"
#include "data/DM.h"
#include "loans/Uinputbulanpinjam.h"
#include "loans/pinjaman.h"
#include "members/Uanggota.h"
#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/report/report.h"
#include "savings/UinputbulanSimpanan.h"
#include "savings/simpanan.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

constexpr int March = 2;                // the month picker's position
constexpr int Year = 2022;

using bench::ms;

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Resident and peak resident memory of this process, in MB.
double memoryMb(const char *key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

report::ReportPreview *shownPreview()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *preview = qobject_cast<report::ReportPreview *>(widget);
        if (preview && preview->isVisible())
            return preview;
    }
    return nullptr;
}

// Turns the event loop until the view has painted the page, in ms.
double timePaging(report::ReportPreview *preview, const std::function<void()> &act, int page)
{
    report::PageView *view = preview->view();
    const int before = view->paintedPageCount();
    QElapsedTimer timer;
    timer.start();
    act();
    while ((view->paintedPageCount() == before || !view->pagesInView().contains(page)) && timer.elapsed() < 10000)
        QCoreApplication::processEvents();
    if (view->currentPage() != page)
        throw std::runtime_error("paging went to the wrong page");
    return ms(timer);
}

struct Run {
    double firstPage = 0;               // ms from the click
    int pages = 0;
    double worstPaging = 0;             // first, last, typed number
    QStringList paging;
    double memoryOpen = 0;              // MB resident with the preview open
    double pdf = -1;                    // ms, when saved
};

// Clicks, waits for the first page painted, pages about, optionally saves
// the whole report as PDF, and closes the preview.
Run drive(const std::function<void()> &prepare, const std::function<void()> &click, const QString &pdfPath = {})
{
    prepare();
    QCoreApplication::processEvents();
    Run run;
    QElapsedTimer clock;
    bool seen = false;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        report::ReportPreview *preview = shownPreview();
        if (seen || !preview || preview->view()->paintedPageCount() == 0)
            return;
        seen = true;
        run.firstPage = ms(clock);
        poll.stop();
        QTimer::singleShot(0, preview, [&run, preview, pdfPath] {
            report::PageView *view = preview->view();
            run.pages = view->pageCount();
            const int last = run.pages;
            const int typed = std::max(1, last * 2 / 3);
            const std::pair<const char *, std::function<void()>> moves[] = {
                {"last", [preview] { preview->action(QStringLiteral("lastPage"))->trigger(); }},
                {"typed", [preview, typed] { preview->pageNumber()->setValue(typed); }},
                {"first", [preview] { preview->action(QStringLiteral("firstPage"))->trigger(); }},
            };
            const int targets[] = {last, typed, 1};
            for (int i = 0; i < 3; ++i) {
                const double took = timePaging(preview, moves[i].second, targets[i]);
                run.worstPaging = std::max(run.worstPaging, took);
                run.paging << QStringLiteral("%1 %2 ms").arg(QLatin1String(moves[i].first)).arg(took, 0, 'f', 1);
            }
            run.memoryOpen = memoryMb("VmRSS:");
            if (!pdfPath.isEmpty()) {
                QElapsedTimer timer;
                timer.start();
                if (!preview->saveAsPdf(pdfPath))
                    throw std::runtime_error("the PDF was not saved");
                run.pdf = ms(timer);
            }
            preview->close();
        });
    });
    poll.start();
    clock.start();
    click();
    if (!seen)
        throw std::runtime_error("no preview was shown");
    // What the main loop does once the command has returned.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return run;
}

int shortfalls = 0;

void row(const char *measure, double value, const char *unit, double raw, const QString &target, bool met)
{
    const QString rawText = raw >= 0 ? QStringLiteral("%1 ms").arg(raw, 0, 'f', 0) : QStringLiteral("-");
    std::printf("  %-44s %10.1f %-3s  raw %9s   target %-22s %s\n", measure, value, unit, qPrintable(rawText),
                qPrintable(target), met ? "met" : "FALLS SHORT");
    if (!met)
        ++shortfalls;
}

// The first page's time is judged on the median of the runs; every run is
// listed.
void report(const char *name, const QList<Run> &runs, double raw)
{
    std::printf("%s (%d pages):\n", name, runs.first().pages);
    std::vector<double> firsts;
    QStringList each;
    double worstPaging = 0;
    double memory = 0;
    for (const Run &r : runs) {
        firsts.push_back(r.firstPage);
        each << QString::number(r.firstPage, 'f', 1);
        worstPaging = std::max(worstPaging, r.worstPaging);
        memory = std::max(memory, r.memoryOpen);
    }
    std::sort(firsts.begin(), firsts.end());
    const double median = firsts[firsts.size() / 2];
    row("first page shown after the click (median)", median, "ms", raw, QStringLiteral("< 1000 ms, < 3x raw"),
        median < 1000 && median < 3 * raw);
    std::printf("      runs: %s ms (%.1fx raw at the median)\n", qPrintable(each.join(", ")), median / raw);
    row("worst paging (first, last, typed number)", worstPaging, "ms", -1, QStringLiteral("< 100 ms"),
        worstPaging < 100);
    for (int i = 0; i < runs.size(); ++i)
        std::printf("      run %d: %s\n", i + 1, qPrintable(runs[i].paging.join("; ")));
    std::printf("      resident with the preview open: %.1f MB at most\n", memory);
    for (const Run &r : runs) {
        if (r.pdf >= 0)
            row("all pages saved as PDF", r.pdf / 1000, "s", raw, QStringLiteral("< 60 s"), r.pdf < 60000);
    }
}

void measure(const bench::Book &book)
{
    std::printf("engine: %s; load average at start: %s\n", book.engineName(), qPrintable(loadAverage()));
    resetProgramEnded();
    createForms();
    // The clock and the banner keep ticking, as in use; the bound windows
    // are open so that their controls follow the tables.
    Fanggota->show();
    Fsimpan->show();
    Fpinjam->show();
    QCoreApplication::processEvents();

    int rows = 0;
    const bench::RawReader raw(book);
    const QString memberSql = QStringLiteral("select No_Anggota, Nama, Tgl_Daftar, Alamat from Tanggota1 order by No_Anggota");
    const double rawMembers = raw.time(memberSql, memberSql, rows);
    std::printf("raw reads (median of 3): members %.0f ms (%d rows)", rawMembers, rows);
    const QString savingsSql = QStringLiteral("select * from Tsimpanan1 where Tgl_Simpan like '%/03/2022'");
    const double rawSavings = raw.time(savingsSql, savingsSql, rows);
    std::printf(", March deposits %.0f ms (%d rows)", rawSavings, rows);
    const QString loansSql = QStringLiteral("select * from Tpinjaman1 where Tgl_Pinjam like '%/03/2022'");
    const double rawLoans = raw.time(loansSql, loansSql, rows);
    std::printf(", March loans %.0f ms (%d rows)\n\n", rawLoans, rows);

    QTemporaryDir out;
    // The monthly reports' click is the picker's preview button, the month
    // chosen before.
    const auto nothing = [] {};
    const auto members = [] { Fmenu->LaporanAnggota1->trigger(); };
    const auto savingsPicker = [] {
        Fmenu->LaporanSimpanan1->trigger();
        Flapsimpan->ComboBox1->setCurrentIndex(March);
        Flapsimpan->ComboBox2->setCurrentText(QString::number(Year));
    };
    const auto savings = [] { Flapsimpan->BitBtn1->click(); };
    const auto loansPicker = [] {
        Fmenu->LaporanPinjaman1->trigger();
        Form2->ComboBox1->setCurrentIndex(March);
        Form2->ComboBox2->setCurrentText(QString::number(Year));
    };
    const auto loans = [] { Form2->BitBtn1->click(); };
    QList<Run> memberRuns;
    QList<Run> savingsRuns;
    QList<Run> loanRuns;
    for (int i = 0; i < 3; ++i) {
        memberRuns << drive(nothing, members, i == 2 ? out.filePath(QStringLiteral("anggota.pdf")) : QString());
        savingsRuns << drive(savingsPicker, savings);
        loanRuns << drive(loansPicker, loans);
    }
    report("\"Laporan Anggota\"", memberRuns, rawMembers);
    report("\"Laporan Simpanan\", March 2022", savingsRuns, rawSavings);
    report("\"Laporan Pinjaman\", March 2022", loanRuns, rawLoans);
    const double peak = memoryMb("VmHWM:");
    row("peak memory, every preview above included", peak, "MB", -1, QStringLiteral("< 300 MB"), peak < 300);
    std::printf("load average at end: %s\n", qPrintable(loadAverage()));
    std::printf(shortfalls == 0 ? "every target met\n" : "%d figures fall short\n", shortfalls);
    destroyForms();
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
        std::fprintf(stderr, "bench_reports: %s\n", e.what());
        return 1;
    }
    return shortfalls == 0 ? 0 : 2;
}
