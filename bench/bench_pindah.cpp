// Moving a full-size book (100 000 members with as many parents, 1 000 000
// deposits, 200 000 loans) from a folder to a server and back, and the server's daily safety
// copy of it: the time of each.
//
//   bench_pindah URI             fills a temporary folder, moves it into
//                                the empty database URI and back
//   bench_pindah URI FOLDER      the same with FOLDER (filled first when empty)

#include "book.h"

#include "runtime/db/sqlite/safetycopy.h"
#include "runtime/db/transfer.h"

#include <QDir>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return bench::ms(timer) / 1000;
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
        const bench::Book book(folder);
        if (!bench::isFilled(book)) {
            std::printf("filling %s ...\n", qPrintable(folder));
            bench::BookSize size;
            size.parents = size.members;
            bench::fill(book, size);
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
