// Deposits per second from one desk, then from two desks at once, on one
// book on a server: each desk is a process of its own with its own data
// module, looking a member up and posting a deposit through the table layer
// as a clerk's "TRANSAKSI" does. Beside them, plain inserts through libpq
// from one connection. Server mode only: a folder is one desk's book.
//
//   bench_desks postgresql://…   (or SP_BENCH_SERVER) fills the database
//                                first when empty, then measures

#include "book.h"

#include <QApplication>
#include <QProcess>

#include <iostream>
#include <string>

namespace {

using bench::ms;

constexpr int Seconds = 10;
// Marks the benchmark's own deposits (Rp 1.234 each), so that they can be
// taken out again: the book's own amounts are whole thousands.
constexpr const char *Marker = "1234";
constexpr qint64 MarkerRaw = 12340000;

// One desk: opens the book, says "ready", waits for "go", then posts for
// the given seconds and prints how many deposits it stored.
int desk(int number, int seconds)
{
    Tmodul module;
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    QElapsedTimer timer;
    timer.start();
    int posted = 0;
    Table *savings = module.Tsimpan1;
    while (timer.elapsed() < seconds * 1000) {
        // Desks work on members of their own, as clerks serve different people.
        const QString member = bench::memberNumber((number * 50000 + posted * 7) % 100000);
        if (!module.Tanggota1->findKey({member}))
            throw std::runtime_error("member not found");
        savings->append();
        for (const char *field : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
            savings->fieldByName(QLatin1String(field))->setText(QLatin1String(Marker));
        savings->post();
        ++posted;
    }
    std::cout << posted << std::endl;
    return 0;
}

// Deposits per second of `desks` desks posting at once.
double run(const bench::Book &book, int desks)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int d = 0; d < desks; ++d) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--desk"), book.target(), QString::number(d), QString::number(Seconds)});
        processes.push_back(std::move(process));
    }
    for (const auto &p : processes) {
        while (!p->canReadLine()) {
            if (!p->waitForReadyRead(60000))
                throw std::runtime_error("a desk did not open the book");
        }
        if (p->readLine().trimmed() != "ready")
            throw std::runtime_error("a desk failed to start");
    }
    for (const auto &p : processes)
        p->write("go\n");
    int total = 0;
    for (const auto &p : processes) {
        if (!p->waitForFinished(Seconds * 1000 + 60000) || p->exitCode() != 0)
            throw std::runtime_error("a desk failed");
        bool ok = false;
        const int posted = p->readAll().trimmed().toInt(&ok);
        if (!ok)
            throw std::runtime_error("a desk did not say how many it posted");
        std::printf("    desk %d: %d deposits\n", int(&p - &processes.front()) + 1, posted);
        total += posted;
    }
    return double(total) / Seconds;
}

double rawInserts(const bench::Book &book)
{
    const bench::PgConnection conn(book.target());
    QElapsedTimer timer;
    timer.start();
    int inserted = 0;
    while (timer.elapsed() < Seconds * 1000) {
        const QByteArray member = bench::memberNumber(inserted % 100000).toUtf8();
        const QByteArray amount = QByteArray::number(MarkerRaw);
        const char *values[] = {member.constData(), amount.constData()};
        PGresult *result = PQexecParams(conn.get(),
                                        "insert into Tsimpanan1 (No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                        "values ($1, $2, $2, $2)",
                                        2, nullptr, values, nullptr, nullptr, 0);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (!ok)
            throw std::runtime_error(PQerrorMessage(conn.get()));
        ++inserted;
    }
    return double(inserted) / Seconds;
}

void measure(const bench::Book &book)
{
    std::printf("engine: %s; %d s a run\n", book.engineName(), Seconds);
    const bench::PgConnection conn(book.target());
    const QByteArray cleanUp = "delete from Tsimpanan1 where S_Wajib = " + QByteArray::number(MarkerRaw)
        + " and S_Sukarela = " + QByteArray::number(MarkerRaw);
    conn.exec(cleanUp.constData());
    std::printf("one desk:\n");
    const double one = run(book, 1);
    std::printf("two desks at once:\n");
    const double two = run(book, 2);
    const double raw = rawInserts(book);
    conn.exec(cleanUp.constData());
    std::printf("deposits per second, lookup and post: one desk %.0f, two desks at once %.0f together (%.2fx one "
                "desk); raw libpq insert from one connection %.0f\n",
                one, two, two / one, raw);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() >= 5 && args.at(1) == QLatin1String("--desk")) {
            setAliasFolder(QString::fromLatin1(Tmodul::Alias), args.at(2));
            return desk(args.at(3).toInt(), args.at(4).toInt());
        }
        const bench::Book book(args);
        if (!book.server()) {
            std::fprintf(stderr, "bench_desks: give a postgresql:// database (argument or SP_BENCH_SERVER); "
                                 "a folder is one desk's book\n");
            return 2;
        }
        if (bench::fillWhenEmpty(book, bench::BookSize()))
            return 0;
        measure(book);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_desks: %s\n", e.what());
        return 1;
    }
    return 0;
}
