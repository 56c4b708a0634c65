// simpanpinjam-pindah FROM TO: moves the book between a folder and a
// database server (either way, or between two of a kind), all or nothing,
// and ends by showing both sides' counts and sums side by side.

#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/db/error.h"
#include "runtime/db/folderlock.h"
#include "runtime/db/transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const char *const Usage =
    "Pemakaian / usage: simpanpinjam-pindah ASAL TUJUAN\n"
    "\n"
    "Memindah seluruh buku simpan pinjam dari ASAL ke TUJUAN. Masing-masing\n"
    "adalah folder berisi keempat file buku, atau alamat server PostgreSQL\n"
    "(postgresql://pengguna@server/basisdata). Tujuan harus kosong: folder\n"
    "baru atau tanpa data, atau basis data tanpa tabel atau dengan tabel kosong.\n"
    "Semua atau tidak sama sekali; di akhir jumlah baris dan jumlah uang\n"
    "kedua sisi dibandingkan. Kata sandi server diambil dari ~/.pgpass atau\n"
    "PGPASSWORD dan tidak pernah disimpan.\n"
    "\n"
    "Moves the whole savings-and-loan book from ASAL (source) to TUJUAN\n"
    "(target), each a folder holding the four table files or a PostgreSQL URI.\n"
    "The target must hold no rows. All or nothing; at the end the row counts\n"
    "and money sums of both sides are compared. The server's password comes\n"
    "from ~/.pgpass or PGPASSWORD and is never stored.\n"
    "\n"
    "Status keluar / exit status: 0 berhasil / moved, 1 gagal / failed,\n"
    "2 pemakaian salah / wrong usage.\n";

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// Rows copied of rows to copy: one line redrawn on a terminal, a line now
// and then otherwise.
class ProgressLine {
public:
    ProgressLine() : m_terminal(isatty(fileno(stderr)) != 0) { m_clock.start(); }

    void operator()(const QString &table, qint64 done, qint64 total, bool tableDone)
    {
        if (m_terminal) {
            if (m_clock.elapsed() < 100 && !tableDone)
                return;
            m_clock.restart();
            print(stderr, QStringLiteral("\rMenyalin %1: %2 dari %3 baris   ").arg(table, number(done), number(total)));
            m_drawn = true;
            return;
        }
        if (done == m_printed || (!tableDone && done < m_printed + std::max<qint64>(total / 10, 1)))
            return;
        m_printed = done;
        print(stderr, QStringLiteral("Menyalin %1: %2 dari %3 baris\n").arg(table, number(done), number(total)));
    }

    void end()
    {
        if (m_drawn)
            print(stderr, QStringLiteral("\n"));
    }

private:
    static QString number(qint64 n) { return QLocale(QLocale::Indonesian, QLocale::Indonesia).toString(n); }

    bool m_terminal;
    bool m_drawn = false;
    QElapsedTimer m_clock;
    qint64 m_printed = 0;
};

// The program's own lock on a folder, so that neither the program nor a
// second move works on it meanwhile.
std::unique_ptr<FolderLock> lockFolder(const QString &folder, QString *problem)
{
    auto lock = std::make_unique<FolderLock>(folder, QStringLiteral("simpanpinjam.lock"));
    switch (lock->tryLock()) {
    case FolderLock::Result::Locked:
        return lock;
    case FolderLock::Result::Busy:
        *problem = QStringLiteral("Folder %1 sedang dipakai Program Simpan Pinjam; tutup program itu dulu.")
                       .arg(QDir::toNativeSeparators(folder));
        break;
    case FolderLock::Result::Failed:
        *problem = QStringLiteral("Folder %1 tidak dapat dipakai (%2).").arg(QDir::toNativeSeparators(folder), lock->errorString());
        break;
    }
    return nullptr;
}

int fail(const QString &text)
{
    print(stderr, QStringLiteral("simpanpinjam-pindah: %1\n").arg(text));
    return 1;
}

int move(const QString &from, const QString &to)
{
    const QList<TableSchema> tables = Tmodul::schemas();
    ProgressLine progress;
    QElapsedTimer clock;
    clock.start();
    try {
        const transfer::Outcome outcome =
            transfer::copyBook(from, to, tables, [&progress](const QString &table, qint64 done, qint64 total, bool tableDone) {
                progress(table, done, total, tableDone);
            });
        progress.end();
        print(stdout, QStringLiteral("Asal:   %1\nTujuan: %2\n\n").arg(outcome.source, outcome.target));
        print(stdout, transfer::comparisonText(tables, outcome));
        if (!outcome.committed)
            return fail(QStringLiteral("Kedua sisi berbeda; tidak ada yang disimpan di tujuan."));
        print(stdout, QStringLiteral("\nBuku sudah dipindah dalam %1 detik; kedua sisi sama.\n")
                          .arg(QLocale(QLocale::Indonesian).toString(double(clock.elapsed()) / 1000.0, 'f', 1)));
        return 0;
    } catch (const DatabaseError &error) {
        progress.end();
        return fail(error.text());
    } catch (const std::exception &error) {
        progress.end();
        return fail(QString::fromUtf8(error.what()));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 1 && (arguments.first() == QLatin1String("-h") || arguments.first() == QLatin1String("--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (arguments.size() != 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const QString from = arguments.at(0);
    const QString to = arguments.at(1);
    const auto samePlace = [](const QString &a, const QString &b) {
        return isServerTarget(a) ? a == b
                                 : QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    };
    if (samePlace(from, to))
        return fail(QStringLiteral("Asal dan tujuan sama."));
    if (!isServerTarget(from) && !QFileInfo(from).isDir())
        return fail(QStringLiteral("Folder asal %1 tidak ada.").arg(QDir::toNativeSeparators(from)));

    std::unique_ptr<FolderLock> sourceLock;
    std::unique_ptr<FolderLock> targetLock;
    QString problem;
    if (!isServerTarget(from) && !(sourceLock = lockFolder(from, &problem)))
        return fail(problem);
    const bool newFolder = !isServerTarget(to) && !QFileInfo::exists(to);
    if (!isServerTarget(to) && !(targetLock = lockFolder(to, &problem)))
        return fail(problem);
    const int status = move(from, to);
    // A move that failed leaves no folder of its own making behind.
    if (status != 0 && newFolder) {
        targetLock.reset();
        QDir(to).removeRecursively();
    }
    return status;
}
