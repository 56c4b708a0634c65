// Start-up as the program runs it: one program per book, checks that refuse
// a damaged book without touching it, the daily safety copies, and no lock
// held on the files while the program is idle.

#include "app/forms.h"
#include "app/menu.h"
#include "data/DM.h"
#include "runtime/db/connection.h"
#include "runtime/db/folderlock.h"
#include "runtime/db/sqlite/safetycopy.h"
#include "runtime/db/sqlite/sqlite.h"
#include "support/messagescript.h"
#include "support/sqlfile.h"
#include "support/userhome.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <functional>

namespace {

const QStringList TableFiles{"Tanggota1.DB", "Torangtua.db", "Tsimpanan1.db", "Tpinjaman1.DB"};

// Every file below a folder with a digest of its bytes: what "nothing
// changed" means.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(folder).relativeFilePath(file.fileName()),
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

// SQL on one file through a connection of its own, as another tool would.
void execFile(const QString &path, const QString &sql)
{
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const sqlite::DbHandle db(raw);
    char *error = nullptr;
    if (sqlite3_exec(raw, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error);
        sqlite3_free(error);
        QFAIL(qPrintable(text));
    }
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

struct Fault {
    const char *name;
    std::function<void(const QString &folder)> make;
    QStringList told;               // fragments of the message
};

void dropAndCreate(const QString &path, const QString &table, const QString &columns, const QString &index)
{
    execFile(path, QStringLiteral("DROP TABLE %1; CREATE TABLE %1 (%2); %3").arg(table, columns, index));
}

const QList<Fault> &faults()
{
    static const QList<Fault> list{
        {"missing file",
         [](const QString &folder) { QVERIFY(QFile::remove(folder + QStringLiteral("/Tanggota1.DB"))); },
         {"Tanggota1.DB tidak ada"}},
        {"empty file",
         [](const QString &folder) { QVERIFY(QFile(folder + QStringLiteral("/Tsimpanan1.db")).resize(0)); },
         {"Tsimpanan1.db kosong"}},
        {"damaged file",
         [](const QString &folder) {
             QFile file(folder + QStringLiteral("/Tanggota1.DB"));
             QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(QByteArray("bukan basis data ").repeated(500));
         },
         {"Tanggota1.DB rusak"}},
        {"missing constraints",
         [](const QString &folder) {
             dropAndCreate(folder + QStringLiteral("/Tsimpanan1.db"), QStringLiteral("Tsimpanan1"),
                           QStringLiteral("No_Simpan INTEGER PRIMARY KEY AUTOINCREMENT, Tgl_Simpan TEXT, "
                                          "No_Anggota TEXT, S_Wajib INTEGER, S_Sukarela INTEGER NOT NULL, "
                                          "S_Wisuda INTEGER NOT NULL CHECK (S_Wisuda >= 0), Total_Simpanan INTEGER"),
                           QStringLiteral("CREATE INDEX IdxNoAnggota ON Tsimpanan1 (No_Anggota COLLATE NOCASE)"));
             dropAndCreate(folder + QStringLiteral("/Tpinjaman1.DB"), QStringLiteral("Tpinjaman1"),
                           QStringLiteral("No_Pinjaman INTEGER PRIMARY KEY AUTOINCREMENT, Tgl_Pinjam TEXT, "
                                          "No_Anggota TEXT, Besar_Pinjam INTEGER, Jaminan TEXT, "
                                          "Administrasi INTEGER, Total_Pinjam INTEGER"),
                           QString());
         },
         {"Kolom S_Wajib di file Tsimpanan1.db tidak diwajibkan terisi",
          "Kolom S_Wajib di file Tsimpanan1.db tidak memiliki batas minimum 0",
          "Kolom S_Sukarela di file Tsimpanan1.db tidak memiliki batas minimum 0",
          "Kolom Jaminan di file Tpinjaman1.DB tidak diwajibkan terisi",
          "Indeks IdxNoAnggota tidak ada di file Tpinjaman1.DB"}},
        {"read-only file",
         [](const QString &folder) {
             QVERIFY(QFile::setPermissions(folder + QStringLiteral("/Tpinjaman1.DB"),
                                           QFileDevice::ReadOwner | QFileDevice::ReadGroup));
         },
         {"Tpinjaman1.DB hanya dapat dibaca"}},
        {"read-only folder",
         [](const QString &folder) {
             QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
         },
         {"hanya dapat dibaca"}},
        {"overflowing value",
         [](const QString &folder) {
             // A loan another tool stored whose fee and total the program cannot hold.
             execFile(folder + QStringLiteral("/Tpinjaman1.DB"),
                      QStringLiteral("DELETE FROM Tpinjaman1; "
                                     "INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                                     "VALUES ('01/02/2025', '1201001', 9223372036854775000, 'Gedung')"));
         },
         {"Tpinjaman1.DB berisi nilai yang tidak dapat diolah"}},
    };
    return list;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedStart_data();
    void refusedStart();
    void secondCopyIsRefused();
    void dailySafetyCopy();
    void failedSafetyCopyIsToldOnce();
    void idleProgramHoldsNoLock();

private:
    // A book made by a first start, with a member and a deposit and a loan.
    void makeBook();
    QString file(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageScript> m_script;
};

void StartupTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_dir->path());
    m_script = std::make_unique<MessageScript>();
}

void StartupTest::cleanup()
{
    shutDown();
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString &name : TableFiles)
        QFile::setPermissions(file(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_script.reset();
    m_dir.reset();
}

void StartupTest::makeBook()
{
    QVERIFY(startUp());
    sqlite::Statement(sqlite::handleOf(*modul->connection()),
                      QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Nama, NPM, NBK) "
                                     "VALUES ('1201001', 'Ani', 'B0012345', '001')")).exec();
    sqlite::Statement(sqlite::handleOf(*modul->connection()),
                      QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                                     "VALUES ('01/02/2025', '1201001', 100000000, 0, 0)")).exec();
    sqlite::Statement(sqlite::handleOf(*modul->connection()),
                      QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                                     "VALUES ('01/02/2025', '1201001', 5000000000, 'Motor')")).exec();
    shutDown();
    QCOMPARE(m_script->count(), 0);
}

void StartupTest::refusedStart_data()
{
    QTest::addColumn<int>("fault");
    for (int i = 0; i < faults().size(); ++i)
        QTest::newRow(faults().at(i).name) << i;
}

// Each fault ends start-up with one error box that names the file and what
// is wrong in words a clerk can pass on; no file is made or changed.
void StartupTest::refusedStart()
{
    QFETCH(int, fault);
    makeBook();
    faults().at(fault).make(m_dir->path());
    const auto before = snapshot(m_dir->path());

    QVERIFY(!startUp());
    QCOMPARE(m_script->count(), 1);
    const messages::Box box = m_script->last();
    QCOMPARE(box.kind, messages::Kind::Error);
    QVERIFY2(box.text.startsWith(QLatin1String("Program Simpan Pinjam tidak dapat dijalankan.")), qPrintable(box.text));
    for (const QString &told : faults().at(fault).told)
        QVERIFY2(box.text.contains(told), qPrintable(box.text));
    for (const char *internal : {"PRAGMA", "SELECT", "sqlite_master", "CREATE"})
        QVERIFY2(!box.text.contains(QLatin1String(internal), Qt::CaseInsensitive), qPrintable(box.text));
    QVERIFY(!Fmenu && !modul);
    QCOMPARE(snapshot(m_dir->path()), before);
    // The book is not locked by the refused start.
    FolderLock lock(m_dir->path(), QStringLiteral("simpanpinjam.lock"));
    QCOMPARE(lock.tryLock(), FolderLock::Result::Locked);
}

// A second program on the same book, here the real program in a process of
// its own, is refused without touching a file; once the first is killed its
// lock is gone.
void StartupTest::secondCopyIsRefused()
{
    QTemporaryDir home;
    setChildAlias(home.filePath(QStringLiteral("config")), m_dir->path());
    QProcess first;
    first.setProcessEnvironment(childEnvironment(home.filePath(QStringLiteral("config")), home.filePath(QStringLiteral("data"))));
    first.start(QStringLiteral(SP_PROGRAM), {});
    QVERIFY2(first.waitForStarted(), qPrintable(first.errorString()));
    // Its start-up ends with the day's safety copy; then it waits at the login.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file(QStringLiteral("cadangan/") + today() + QStringLiteral("/Tpinjaman1.DB"))),
                             30000);
    QTest::qWait(200);
    QCOMPARE(first.state(), QProcess::Running);
    const auto before = snapshot(m_dir->path());

    QVERIFY(!startUp());
    QCOMPARE(m_script->texts(), QStringList{"Program Simpan Pinjam sudah dijalankan."});
    QCOMPARE(m_script->last().kind, messages::Kind::Warning);
    QVERIFY(!Fmenu && !modul);
    QCOMPARE(snapshot(m_dir->path()), before);

    first.kill();
    QVERIFY(first.waitForFinished());
    QVERIFY(startUp());
    QCOMPARE(m_script->count(), 1);
    QVERIFY(Fmenu && modul);
}

// The first start of a day copies the four files into cadangan/<date>/,
// checked and readable by any tool; later starts that day leave the copy
// alone; the copies of the last 14 days stay, and the two newest good ones
// whatever their age.
void StartupTest::dailySafetyCopy()
{
    makeBook();
    const QString copies = file(QStringLiteral("cadangan"));
    const QString todays = copies + QLatin1Char('/') + today();
    for (const QString &name : TableFiles) {
        QCOMPARE(readFile(todays + QLatin1Char('/') + name, QStringLiteral("PRAGMA integrity_check")),
                 QList<QVariantList>{{QStringLiteral("ok")}});
    }
    // The copy was made before the rows were added; a later start keeps it.
    QCOMPARE(readFile(todays + QStringLiteral("/Tsimpanan1.db"), QStringLiteral("SELECT count(*) FROM Tsimpanan1")),
             QList<QVariantList>{{qint64(0)}});
    QVERIFY(startUp());
    shutDown();
    QCOMPARE(readFile(todays + QStringLiteral("/Tsimpanan1.db"), QStringLiteral("SELECT count(*) FROM Tsimpanan1")),
             QList<QVariantList>{{qint64(0)}});

    // Copies of earlier days as earlier starts left them.
    const auto plant = [&](int daysAgo, bool whole) {
        const QString folder = copies + QLatin1Char('/') + QDate::currentDate().addDays(-daysAgo).toString(Qt::ISODate);
        QVERIFY(QDir().mkpath(folder));
        for (const QString &name : TableFiles) {
            if (whole || name != TableFiles.last())
                QVERIFY(QFile::copy(file(name), folder + QLatin1Char('/') + name));
        }
    };
    const auto dated = [&] {
        QStringList names = QDir(copies).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
        QStringList ages;
        for (const QString &name : names)
            ages << QString::number(QDate::fromString(name, Qt::ISODate).daysTo(QDate::currentDate()));
        return ages;
    };
    QVERIFY(QDir(copies).removeRecursively());
    for (int age = 1; age <= 20; ++age)
        plant(age, true);
    QVERIFY(startUp());
    shutDown();
    QCOMPARE(dated(), (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}));
    // Today's copy holds the rows now in the book.
    QCOMPARE(readFile(todays + QStringLiteral("/Tsimpanan1.db"), QStringLiteral("SELECT S_Wajib FROM Tsimpanan1")),
             QList<QVariantList>{{qint64(100000000)}});

    QVERIFY(QDir(copies).removeRecursively());
    plant(30, true);
    plant(35, false);
    plant(40, true);
    QVERIFY(startUp());
    QCOMPARE(dated(), (QStringList{"0", "30"}));
    QCOMPARE(m_script->count(), 0);
}

void StartupTest::failedSafetyCopyIsToldOnce()
{
    makeBook();
    QVERIFY(QDir(file(QStringLiteral("cadangan"))).removeRecursively());
    {
        QFile blocker(file(QStringLiteral("cadangan")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QVERIFY(startUp());
    QCOMPARE(m_script->count(), 1);
    QCOMPARE(m_script->last().kind, messages::Kind::Warning);
    QVERIFY2(m_script->last().text.startsWith(QLatin1String("Salinan cadangan data hari ini tidak dapat dibuat: ")),
             qPrintable(m_script->last().text));
    QVERIFY2(m_script->last().text.contains(QLatin1String("cadangan")), qPrintable(m_script->last().text));
    QVERIFY(Fmenu && modul->Tanggota1->isActive());
}

// Between commands the program holds no lock: another program writes each
// file at once, and the program's queries then go on as before.
void StartupTest::idleProgramHoldsNoLock()
{
    makeBook();
    execFile(file(QStringLiteral("Tsimpanan1.db")),
             QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                            "VALUES ('02/02/2025', '1201001', 200000000, 0, 0)"));
    execFile(file(QStringLiteral("Tpinjaman1.DB")),
             QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                            "VALUES ('02/02/2025', '1201001', 10000000, 'Sepeda')"));
    QVERIFY(startUp());
    QCOMPARE(modul->Query2->fieldByName(QStringLiteral("S_Wajib"))->asMoney(), Money::fromUnits(10000));
    QCoreApplication::processEvents(); // back in the event loop: idle

    const QStringList writes{
        "UPDATE Tanggota1 SET Nama = 'Ani Lestari'",
        "INSERT INTO Torangtua (No_Anggota, Nama_Ortu) VALUES ('1201001', 'Ibu Ani')",
        "INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
        "VALUES ('03/02/2025', '1201001', 300000000, 0, 0)",
        "INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) VALUES ('03/02/2025', '1201001', 1, 'x')",
    };
    for (int i = 0; i < TableFiles.size(); ++i) {
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open_v2(file(TableFiles.at(i)).toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        const sqlite::DbHandle other(raw);
        // No waiting: a lock held by the program fails the write at once.
        QCOMPARE(sqlite3_exec(raw, writes.at(i).toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }

    QStringList amounts;
    for (modul->Query2->first(); !modul->Query2->eof(); modul->Query2->next())
        amounts << modul->Query2->fieldByName(QStringLiteral("S_Wajib"))->asString();
    QCOMPARE(amounts, (QStringList{"10000", "20000", "30000"}));
    QCOMPARE(modul->Query1->recordCount(), 3);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
