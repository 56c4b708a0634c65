// Start-up on a server: an empty database gets its tables, a database with
// missing or mis-shaped tables and a server out of reach end start-up with
// one message, and one user runs one copy on a book that other users share.

#include "app/forms.h"
#include "app/menu.h"
#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/db/folderlock.h"
#include "runtime/db/postgres/postgres.h"
#include "support/messagescript.h"
#include "support/testserver.h"
#include "support/userhome.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <libpq-fe.h>

namespace {

bool exists(const QString &uri, const QString &table)
{
    const postgres::Session session(uri);
    const postgres::Result result = session.run(QStringLiteral("select to_regclass('%1') is not null").arg(table));
    return QByteArray(PQgetvalue(result.get(), 0, 0)) == "t";
}

// Whether some program holds a desk lock under `dataHome`.
bool deskLocked(const QString &dataHome)
{
    const QDir folder(dataHome + QStringLiteral("/SimpanPinjam/simpanpinjam/meja"));
    for (const QString &name : folder.entryList({QStringLiteral("*.lock")}, QDir::Files)) {
        FolderLock lock(folder.path(), name);
        if (lock.tryLock() == FolderLock::Result::Busy)
            return true;
    }
    return false;
}

} // namespace

class ServerStartTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { shutDown(); }
    void tablesOfTheBook();
    void oneCopyPerUser();

private:
    UserHome m_home;
};

void ServerStartTest::tablesOfTheBook()
{
    const QString alias = QString::fromLatin1(Tmodul::Alias);
    MessageScript script;
    // A server out of reach: one message naming it, never the password.
    setAliasFolder(alias, QStringLiteral("postgresql://kasir:rahasia@/buku?host=/nonexistent"));
    QVERIFY(!startUp());
    QCOMPARE(script.count(), 1);
    QCOMPARE(script.last().kind, messages::Kind::Error);
    QVERIFY2(script.last().text.contains(QLatin1String("Server data buku di /nonexistent tidak dapat dihubungi")),
             qPrintable(script.last().text));
    QVERIFY(!script.last().text.contains(QLatin1String("rahasia")));
    QVERIFY(!Fmenu && !modul);

    // Missing and mis-shaped tables are each named; nothing is made.
    script.clear();
    const QString damaged = testserver::freshDatabase();
    postgres::Session(damaged).run(QStringLiteral("create table tsimpanan1 (no_simpan bigint, tgl_simpan text)"));
    setAliasFolder(alias, damaged);
    QVERIFY(!startUp());
    QCOMPARE(script.count(), 1);
    const QString told = script.last().text;
    for (const char *text : {"Tabel Tanggota1 tidak ada", "Tabel Torangtua tidak ada", "Tabel Tpinjaman1 tidak ada",
                             "Kolom tabel Tsimpanan1 tidak sesuai"})
        QVERIFY2(told.contains(QLatin1String(text)), qPrintable(told));
    QVERIFY(!Fmenu && !modul);
    QVERIFY(!exists(damaged, QStringLiteral("tanggota1")));

    // An empty database gets its tables, and the next start uses them.
    script.clear();
    const QString fresh = testserver::freshDatabase();
    setAliasFolder(alias, fresh);
    QVERIFY(startUp());
    modul->connection()->execute(QStringLiteral("insert into Tanggota1 (No_Anggota, Nama) values ('1201001', 'Ani')"));
    shutDown();
    QVERIFY(startUp());
    QCOMPARE(modul->Tanggota1->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Ani"));
    QCOMPARE(script.count(), 0);
    const QString deposit = QStringLiteral("insert into Tsimpanan1 (No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                           "values ('1201001', 1, 1, 1)");
    QVERIFY(testserver::announcementOf(fresh, deposit).startsWith(QLatin1String("tsimpanan1:")));

    // A book made before its writes were announced is announced from the
    // next start on.
    shutDown();
    postgres::Session(fresh).run(QStringLiteral("DROP TRIGGER sp_kabar ON tsimpanan1; DROP FUNCTION sp_kabar CASCADE"));
    QCOMPARE(testserver::announcementOf(fresh, deposit), QString());
    QVERIFY(startUp());
    QVERIFY(testserver::announcementOf(fresh, deposit).startsWith(QLatin1String("tsimpanan1:")));
    QVERIFY(testserver::announcementOf(fresh, QStringLiteral("update Tanggota1 set Nama = 'Ana'")).startsWith(QLatin1String("tanggota1:")));
    QCOMPARE(script.count(), 0);
}

// The real program in a process of its own holds the book for its user: a
// second copy of the same user is refused, a copy of another user is a desk
// like any other.
void ServerStartTest::oneCopyPerUser()
{
    const QString uri = testserver::freshDatabase();
    QTemporaryDir config;
    setChildAlias(config.path(), uri);
    QProcess first;
    first.setProcessEnvironment(childEnvironment(config.path(), m_home.path()));
    first.start(QStringLiteral(SP_PROGRAM), {});
    QVERIFY2(first.waitForStarted(), qPrintable(first.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(deskLocked(m_home.path()), 30000);

    MessageScript script;
    setAliasFolder(QString::fromLatin1(Tmodul::Alias), uri);
    QVERIFY(!startUp());
    QCOMPARE(script.texts(), QStringList{"Program Simpan Pinjam sudah dijalankan."});
    QVERIFY(!Fmenu && !modul);

    {
        // Another user (another home) on the same book.
        const UserHome otherUser;
        script.clear();
        QVERIFY2(startUp(), qPrintable(script.texts().join(QLatin1Char('\n'))));
        QCOMPARE(script.count(), 0);
        shutDown();
    }

    first.kill();
    QVERIFY(first.waitForFinished());
    QVERIFY(startUp());
    QCOMPARE(script.count(), 0);
}

QTEST_MAIN(ServerStartTest)
#include "tst_serverstart.moc"
