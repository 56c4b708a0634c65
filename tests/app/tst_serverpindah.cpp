// Moving a book between a folder and a server with simpanpinjam-pindah, and
// the daily safety copy of a book on a server: every row and number arrives
// as it left, a target that holds rows is refused untouched, and one desk a
// day copies the server's book into files that open in folder mode.

#include "app/forms.h"
#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/db/postgres/copylog.h"
#include "runtime/db/postgres/postgres.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/transfer.h"
#include "support/messagescript.h"
#include "support/testserver.h"
#include "support/userhome.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

const QString Null = QStringLiteral("<null>");

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run pindah(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(SP_PINDAH), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QString columns(const TableSchema &schema, const QString &identity)
{
    QStringList names{identity};
    for (const FieldDef &f : schema.fields)
        names << f.name;
    return names.join(QStringLiteral(", "));
}

// Every row of every table as text, identities first, in their order.
QStringList dumpFolder(const QString &folder)
{
    QStringList lines;
    for (const TableSchema &schema : Tmodul::schemas()) {
        sqlite3 *raw = nullptr;
        sqlite3_open_v2(QDir(folder).filePath(schema.fileName).toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const sqlite::DbHandle db(raw);
        sqlite::Statement select(raw, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                          .arg(columns(schema, QStringLiteral("rowid")), schema.tableName));
        while (select.step()) {
            QStringList cells{schema.tableName};
            for (int c = 0; c < select.columnCount(); ++c)
                cells << (select.column(c).isNull() ? Null : select.column(c).toString());
            lines << cells.join(QLatin1Char('|'));
        }
    }
    return lines;
}

QStringList dumpServer(const QString &uri)
{
    const postgres::Session session(uri);
    QStringList lines;
    for (const TableSchema &schema : Tmodul::schemas()) {
        const postgres::Result result = session.run(
            QStringLiteral("SELECT %1 FROM %2 ORDER BY sp_id").arg(columns(schema, QStringLiteral("sp_id")), schema.tableName));
        for (int r = 0; r < PQntuples(result.get()); ++r) {
            QStringList cells{schema.tableName};
            for (int c = 0; c < PQnfields(result.get()); ++c)
                cells << (PQgetisnull(result.get(), r, c) ? Null : QString::fromUtf8(PQgetvalue(result.get(), r, c)));
            lines << cells.join(QLatin1Char('|'));
        }
    }
    return lines;
}

qint64 serverValue(const QString &uri, const QString &sql)
{
    const postgres::Session session(uri);
    return QByteArray(PQgetvalue(session.run(sql).get(), 0, 0)).toLongLong();
}

// The book's files with a digest of their bytes, and anything left beside
// them but the program's lock file.
QMap<QString, QByteArray> digests(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        QFile file(it.next());
        if (QFileInfo(file).fileName() == QLatin1String("simpanpinjam.lock"))
            continue;
        file.open(QIODevice::ReadOnly);
        files.insert(file.fileName(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

struct Seeded {
    qint64 nextDeposit = 0;
    qint64 nextLoan = 0;
    QStringList rows;
};

// A small book with what a move could lose: texts with tabs, line breaks,
// backslashes and non-ASCII letters, empty fields, amounts down to the
// ten-thousandth, numbers with gaps and counters past the last row.
Seeded seedBook(const QString &folder)
{
    setAliasFolder(QStringLiteral("Benih"), folder);
    const Connection connection(QStringLiteral("Benih"), Tmodul::schemas());
    db::Engine &engine = connection.engine();
    const QStringList names{QStringLiteral("Ani\tSusanti"), QStringLiteral("Budi\nSantoso"), QStringLiteral("C:\\Dewi"),
                            QStringLiteral("Éka Ñuñez"), QStringLiteral("Fajar")};
    db::Transaction transaction(connection);
    for (int m = 0; m < 40; ++m) {
        const QString number = QStringLiteral("21%1").arg(m, 5, 10, QLatin1Char('0'));
        engine.insert(QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, Tgl_Lahir, JK) "
                                     "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                      {number, m % 7 ? QVariant(QDate(2024, 1, 1).addDays(m).toString(Qt::ISODate)) : QVariant(),
                       names.at(m % names.size()) + QString::number(m), QStringLiteral("D10210%1").arg(m, 2, 10, QLatin1Char('0')),
                       QStringLiteral("%1").arg(m, 3, 10, QLatin1Char('0')), QDate(2000, 2, 29).addDays(m).toString(Qt::ISODate),
                       m % 2 ? QStringLiteral("P") : QStringLiteral("W")});
        if (m % 2)
            engine.insert(QStringLiteral("INSERT INTO Torangtua (No_Anggota, Nama_Ortu, Kodepos_Ortu) VALUES (?, ?, ?)"),
                          {number, QStringLiteral("Orang tua %1").arg(m), m % 3 ? QVariant(QStringLiteral("40132")) : QVariant()});
        for (int d = 0; d < 8; ++d)
            engine.insert(QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                         "VALUES (?, ?, ?, ?, ?)"),
                          {QStringLiteral("%1/03/2025").arg(d + 1, 2, 10, QLatin1Char('0')), number, qint64(100000000),
                           qint64(m * 10007 + d * 3), qint64(d % 3 ? 0 : 12345)});
        if (m % 3 == 0)
            engine.insert(QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) VALUES (?, ?, ?, ?)"),
                          {QStringLiteral("15/04/2025"), number, qint64(5000000000 + m), QStringLiteral("KTM\\%1").arg(m)});
    }
    // Gaps, and a counter past the last number.
    connection.execute(QStringLiteral("DELETE FROM Tsimpanan1 WHERE No_Simpan IN (5, 100, 320); "
                                      "DELETE FROM Tpinjaman1 WHERE No_Pinjaman = (SELECT max(No_Pinjaman) FROM Tpinjaman1); "
                                      "DELETE FROM Tanggota1 WHERE No_Anggota = '2100003'"));
    transaction.commit();
    Seeded seeded;
    seeded.nextDeposit = 321;
    seeded.nextLoan = 15;
    seeded.rows = dumpFolder(folder);
    return seeded;
}

// The number the folder book gives its next deposit and loan.
std::pair<qint64, qint64> nextNumbersInFolder(const QString &folder)
{
    setAliasFolder(QStringLiteral("Sesudah"), folder);
    const Connection connection(QStringLiteral("Sesudah"), Tmodul::schemas());
    const qint64 deposit = connection.engine().insert(
        QStringLiteral("INSERT INTO Tsimpanan1 (No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) VALUES ('2100001', 0, 0, 0)"), {});
    const qint64 loan = connection.engine().insert(
        QStringLiteral("INSERT INTO Tpinjaman1 (No_Anggota, Jaminan) VALUES ('2100001', 'BPKB')"), {});
    return {deposit, loan};
}

} // namespace

class ServerPindahTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { shutDown(); }
    void bookMovesThereAndBack();
    void targetWithRowsIsRefused();
    void dailyCopyOnServer();

private:
    UserHome m_home;   // where a desk keeps the day's copy
};

void ServerPindahTest::bookMovesThereAndBack()
{
    QTemporaryDir work;
    const QString source = work.filePath(QStringLiteral("asal"));
    const Seeded seeded = seedBook(source);
    const QString server = testserver::freshDatabase();

    const Run there = pindah({source, server});
    QVERIFY2(there.status == 0, qPrintable(there.out + there.err));
    // Progress as plain lines (no terminal), the comparison table on stdout.
    QVERIFY2(there.err.contains(QLatin1String("Menyalin Tpinjaman1: 389 dari 389 baris")), qPrintable(there.err));
    QVERIFY2(there.out.contains(QRegularExpression(QStringLiteral("Tsimpanan1 +jumlah baris +317 +317\\n"))), qPrintable(there.out));
    QVERIFY2(there.out.contains(QRegularExpression(QStringLiteral("No_Simpan berikutnya +321 +321\\n"))), qPrintable(there.out));
    QVERIFY(there.out.contains(QLatin1String("kedua sisi sama")));
    QVERIFY(!there.out.contains(QLatin1String("BEDA")));
    QCOMPARE(dumpServer(server), seeded.rows);
    // The tables the tool made announce their writes to the desks.
    QVERIFY(testserver::announcementOf(server, QStringLiteral("UPDATE tanggota1 SET nama = nama WHERE sp_id = (SELECT min(sp_id) FROM tanggota1)"))
                .startsWith(QLatin1String("tanggota1:")));

    // Back into a folder whose book the program made and left empty.
    const QString back = work.filePath(QStringLiteral("kembali"));
    setAliasFolder(QStringLiteral("Kosong"), back);
    delete new Connection(QStringLiteral("Kosong"), Tmodul::schemas());
    const Run again = pindah({server, back});
    QVERIFY2(again.status == 0, qPrintable(again.out + again.err));
    QCOMPARE(dumpFolder(back), seeded.rows);
    QVERIFY(QDir(back).entryList({QStringLiteral("*.pindah*")}).isEmpty());

    // The next numbers are those the source would have given.
    QCOMPARE(nextNumbersInFolder(back), std::make_pair(seeded.nextDeposit, seeded.nextLoan));
    QCOMPARE(serverValue(server, QStringLiteral("INSERT INTO tsimpanan1 (no_anggota, s_wajib, s_sukarela, s_wisuda) "
                                                "VALUES ('2100001', 0, 0, 0) RETURNING no_simpan")),
             seeded.nextDeposit);
    QCOMPARE(serverValue(server, QStringLiteral("INSERT INTO tanggota1 (no_anggota) VALUES ('2199999') RETURNING sp_id")),
             serverValue(server, QStringLiteral("SELECT max(sp_id) FROM tanggota1 WHERE no_anggota <> '2199999'")) + 1);

    // The same through the library between two folders, sums side by side.
    const QString third = work.filePath(QStringLiteral("ketiga"));
    const transfer::Outcome outcome = transfer::copyBook(back, third, Tmodul::schemas());
    QVERIFY(outcome.committed);
    QCOMPARE(outcome.after.at(2).rows, 318);
    QCOMPARE(outcome.after.at(2).sums.at(0), Money::fromRaw(317LL * 100000000));
    QCOMPARE(dumpFolder(third), dumpFolder(back));
}

void ServerPindahTest::targetWithRowsIsRefused()
{
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("buku"));
    seedBook(folder);
    const QString server = testserver::freshDatabase();
    setAliasFolder(QStringLiteral("Meja"), server);
    {
        const Connection desk(QStringLiteral("Meja"), Tmodul::schemas());
        desk.execute(QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Nama) VALUES ('1201001', 'Ani')"));
    }
    const QStringList serverBefore = dumpServer(server);
    const QMap<QString, QByteArray> folderBefore = digests(folder);

    const Run intoServer = pindah({folder, server});
    QCOMPARE(intoServer.status, 1);
    QVERIFY2(intoServer.err.contains(QLatin1String("sudah berisi data (Tanggota1: 1 baris)")), qPrintable(intoServer.err));
    QCOMPARE(dumpServer(server), serverBefore);

    const Run intoFolder = pindah({server, folder});
    QCOMPARE(intoFolder.status, 1);
    QVERIFY2(intoFolder.err.contains(QLatin1String("Folder tujuan")) && intoFolder.err.contains(QLatin1String("sudah berisi data")),
             qPrintable(intoFolder.err));
    QCOMPARE(digests(folder), folderBefore);

    // Wrong use is told, and a password never.
    QCOMPARE(pindah({folder}).status, 2);
    const Run unreachable = pindah({folder, QStringLiteral("postgresql://kasir:rahasia@/buku?host=/nonexistent")});
    QCOMPARE(unreachable.status, 1);
    QVERIFY2(unreachable.err.contains(QLatin1String("tidak dapat dihubungi")), qPrintable(unreachable.err));
    QVERIFY(!unreachable.err.contains(QLatin1String("rahasia")));
    // A failed move into a new folder leaves no folder behind.
    const QString fresh = work.filePath(QStringLiteral("baru"));
    QCOMPARE(pindah({QStringLiteral("postgresql://kasir:rahasia@/buku?host=/nonexistent"), fresh}).status, 1);
    QVERIFY(!QFileInfo::exists(fresh));
}

void ServerPindahTest::dailyCopyOnServer()
{
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("buku"));
    const Seeded seeded = seedBook(folder);
    const QString server = testserver::freshDatabase();
    QVERIFY(transfer::copyBook(folder, server, Tmodul::schemas()).committed);

    MessageScript script;
    setAliasFolder(QString::fromLatin1(Tmodul::Alias), server);
    QVERIFY(startUp());
    QVERIFY2(script.count() == 0, qPrintable(script.texts().join(QLatin1Char('\n'))));
    const QDate today = QDate::currentDate();
    const QString copy = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        + QStringLiteral("/cadangan/") + today.toString(Qt::ISODate);
    QVERIFY2(QFileInfo(copy).isDir(), qPrintable(copy));
    QCOMPARE(dumpFolder(copy), seeded.rows);
    {
        // The copy is a folder book as the program opens it.
        setAliasFolder(QStringLiteral("Cadangan"), copy);
        const Connection restored(QStringLiteral("Cadangan"), Tmodul::schemas());
        QVERIFY(!restored.isServer());
    }
    postgres::CopyLog log(server);
    QCOMPARE(log.desksOn(today), QStringList{QSysInfo::machineHostName()});
    shutDown();

    {
        // A second desk the same day finds the copy made and makes none.
        const UserHome otherDesk;
        QVERIFY(startUp());
        QCOMPARE(script.count(), 0);
        QVERIFY(!QFileInfo::exists(otherDesk.filePath(QStringLiteral("SimpanPinjam/simpanpinjam/cadangan"))));
        shutDown();
    }
    QCOMPARE(log.desksOn(today).size(), 1);

    // Two desks at once: while one makes the day's copy the other does not wait.
    const QDate tomorrow = today.addDays(1);
    postgres::CopyLog other(server);
    QVERIFY(log.claim(tomorrow));
    QVERIFY(!other.claim(tomorrow));
    log.record(tomorrow, QStringLiteral("meja-1"), {});
    QVERIFY(!other.claim(tomorrow));
    QCOMPARE(other.desksOn(tomorrow), QStringList{"meja-1"});
}

QTEST_MAIN(ServerPindahTest)
#include "tst_serverpindah.moc"
