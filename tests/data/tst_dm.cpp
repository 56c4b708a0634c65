// The data module as the windows find it: six datasets opened on the first
// member, details that follow the member, files any SQLite tool can read,
// and the month queries of the reports.

#include "data/DM.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "support/messagescript.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

namespace {

QString text(const Dataset *d, const char *field)
{
    return d->fieldByName(QLatin1String(field))->asString();
}

void set(Dataset *d, const char *field, const QString &value)
{
    d->fieldByName(QLatin1String(field))->setText(value);
}

// A column of the rows a dataset shows, without moving it.
QStringList shown(const Dataset *d, const char *field)
{
    const Field *f = d->fieldByName(QLatin1String(field));
    QStringList values;
    for (int i = 0; i < d->visibleRowCount(); ++i)
        values << f->format(d->visibleRow(i).value(f->index()), false);
    return values;
}

void addMember(Tmodul &m, const QString &number, const QString &name)
{
    m.Tanggota1->append();
    set(m.Tanggota1, "No_Anggota", number);
    set(m.Tanggota1, "Nama", name);
    m.Tanggota1->post();
}

void addSavings(Tmodul &m, const QString &date, const QString &compulsory)
{
    m.Tsimpan1->append();
    set(m.Tsimpan1, "Tgl_Simpan", date);
    set(m.Tsimpan1, "S_Wajib", compulsory);
    set(m.Tsimpan1, "S_Sukarela", QStringLiteral("0"));
    set(m.Tsimpan1, "S_Wisuda", QStringLiteral("0"));
    m.Tsimpan1->post();
}

void addLoan(Tmodul &m, const QString &amount, const QString &guarantee)
{
    m.Tpinjam->append();
    set(m.Tpinjam, "Besar_Pinjam", amount);
    set(m.Tpinjam, "Jaminan", guarantee);
    m.Tpinjam->post();
}

void exec(Tmodul &m, const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(sqlite::handleOf(*m.connection()), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        QFAIL(qPrintable(message));
    }
}

// Output lines of the sqlite3 command-line tool, run read-only on a file.
QStringList sqliteTool(const QString &path, const QString &command)
{
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-readonly"), path, command});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {QStringLiteral("sqlite3 failed: ") + QString::fromUtf8(tool.readAllStandardError())};
    return QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Money from a plain text with a decimal point, whatever the locale.
Money rupiah(const char *amount)
{
    return Money::parse(QString::fromLatin1(amount), QLocale::c());
}

} // namespace

class DataModuleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startsOnTheFirstMember();
    void detailRowsBelongToTheCurrentMember();
    void filesReadableByTheSqliteTool();
    void monthQueriesIgnoreTheYear();
    void renumberAndDeleteAMember();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageScript> m_script;   // answers the new-loan prompt
};

void DataModuleTest::initTestCase()
{
    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
}

void DataModuleTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    setAliasFolder(QString::fromLatin1(Tmodul::Alias), m_dir->path());
    m_script = std::make_unique<MessageScript>();
}

void DataModuleTest::cleanup()
{
    m_script.reset();
    m_dir.reset();
}

void DataModuleTest::startsOnTheFirstMember()
{
    {
        Tmodul first;
        // Keyed by number, the second member added is the first row.
        addMember(first, QStringLiteral("2301002"), QStringLiteral("Budi"));
        addSavings(first, QStringLiteral("02/05/2025"), QStringLiteral("300"));
        addLoan(first, QStringLiteral("1000"), QStringLiteral("Motor"));
        addMember(first, QStringLiteral("2301001"), QStringLiteral("Ani"));
        addSavings(first, QStringLiteral("01/05/2025"), QStringLiteral("100"));
        addSavings(first, QStringLiteral("01/06/2025"), QStringLiteral("200"));
        addLoan(first, QStringLiteral("500000"), QStringLiteral("Sepeda"));
        first.Tortu->append();
        set(first.Tortu, "Nama_Ortu", QStringLiteral("Ibu Ani"));
        first.Tortu->post();
    }

    Tmodul m;
    QStringList names;
    for (const Dataset *d : m.findChildren<Dataset *>(QString(), Qt::FindDirectChildrenOnly))
        names << d->objectName();
    QCOMPARE(names, (QStringList{"Tortu", "Tsimpan1", "Query1", "Tpinjam", "Query2", "Tanggota1"}));
    QStringList sources;
    for (const DataSource *s : m.findChildren<DataSource *>(QString(), Qt::FindDirectChildrenOnly))
        sources << s->objectName() + QLatin1Char('=') + s->dataSet()->objectName();
    QCOMPARE(sources, (QStringList{"DSortu=Tortu", "DSsimpan1=Tsimpan1", "DSquery=Query1", "DSpinjam=Tpinjam",
                                   "DSQuery2=Query2", "DSanggota1=Tanggota1"}));

    for (const Dataset *d : std::initializer_list<const Dataset *>{m.Tortu, m.Tsimpan1, m.Query1, m.Tpinjam,
                                                                   m.Query2, m.Tanggota1}) {
        QVERIFY2(d->isActive(), qPrintable(d->objectName()));
        QCOMPARE(d->state(), DataState::Browse);
        QCOMPARE(d->recNo(), 0);
        QVERIFY(d->bof());
    }
    // The details show the first member's rows, in the order they were posted.
    QCOMPARE(text(m.Tanggota1, "Nama"), QStringLiteral("Ani"));
    QCOMPARE(shown(m.Tsimpan1, "Tgl_Simpan"), (QStringList{"01/05/2025", "01/06/2025"}));
    QCOMPARE(m.Tsimpan1->fieldByName(QStringLiteral("Total"))->asMoney(), Money::fromUnits(100));
    QCOMPARE(shown(m.Tpinjam, "Jaminan"), QStringList{"Sepeda"});
    QCOMPARE(m.Tpinjam->fieldByName(QStringLiteral("adm"))->asMoney(), Money::fromUnits(35000));
    QCOMPARE(shown(m.Tortu, "Nama_Ortu"), QStringList{"Ibu Ani"});
    // The queries read every member's rows.
    QCOMPARE(m.Query2->recordCount(), 3);
    QCOMPARE(m.Query1->recordCount(), 2);
    QCOMPARE(m.Query1->fieldByName(QStringLiteral("Totpinjam"))->asMoney(), Money::fromUnits(1070));

    // The queries have not read their tables to the end; a deposit posted
    // meanwhile is in the file at once for any other reader.
    addSavings(m, QStringLiteral("03/07/2025"), QStringLiteral("400"));
    QCOMPARE(sqliteTool(m_dir->filePath(QStringLiteral("Tsimpanan1.db")),
                        QStringLiteral("select count(*) from Tsimpanan1 where Tgl_Simpan = '03/07/2025'")),
             QStringList{"1"});
}

void DataModuleTest::detailRowsBelongToTheCurrentMember()
{
    Tmodul m;
    QCOMPARE(m.Tanggota1->recNo(), -1);
    addMember(m, QStringLiteral("2301001"), QStringLiteral("Ani"));
    addMember(m, QStringLiteral("2301002"), QStringLiteral("Budi"));
    const QString savingsFile = m_dir->filePath(QStringLiteral("Tsimpanan1.db"));
    const QString loansFile = m_dir->filePath(QStringLiteral("Tpinjaman1.DB"));

    // A deposit made while Budi is current is Budi's, numbered at once.
    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301002")}));
    QCOMPARE(m.Tsimpan1->recordCount(), 0);
    m.Tsimpan1->insert();
    QCOMPARE(text(m.Tsimpan1, "No_Anggota"), QStringLiteral("2301002"));
    set(m.Tsimpan1, "Tgl_Simpan", QStringLiteral("09/05/2025"));
    set(m.Tsimpan1, "S_Wajib", QStringLiteral("10000"));
    set(m.Tsimpan1, "S_Sukarela", QStringLiteral("2500"));
    QVERIFY(m.Tsimpan1->fieldByName(QStringLiteral("Total"))->isNull());
    set(m.Tsimpan1, "S_Wisuda", QStringLiteral("0,5"));
    m.Tsimpan1->post();
    QCOMPARE(text(m.Tsimpan1, "No_Simpan"), QStringLiteral("1"));
    QCOMPARE(m.Tsimpan1->fieldByName(QStringLiteral("Total"))->asMoney(), rupiah("12500.5"));
    QCOMPARE(sqliteTool(savingsFile, QStringLiteral("select No_Simpan, Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, "
                                                    "S_Wisuda, Total_Simpanan from Tsimpanan1")),
             QStringList{"1|09/05/2025|2301002|100000000|25000000|5000|125005000"});

    // Shown only while Budi is current.
    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301001")}));
    QCOMPARE(m.Tsimpan1->recordCount(), 0);
    QVERIFY(m.Tsimpan1->fieldByName(QStringLiteral("No_Simpan"))->isNull());
    m.Tanggota1->next();
    QCOMPARE(shown(m.Tsimpan1, "No_Simpan"), QStringList{"1"});

    // A loan likewise, after the prompt.
    m_script->clear();
    addLoan(m, QStringLiteral("123457"), QStringLiteral("Sepeda"));
    QCOMPARE(m_script->texts(), QStringList{"Silahkan input besar pinjaman dan jaminan"});
    QCOMPARE(text(m.Tpinjam, "No_Pinjaman"), QStringLiteral("1"));
    QCOMPARE(m.Tpinjam->fieldByName(QStringLiteral("TotPinjam"))->asMoney(), rupiah("132098.99"));
    QCOMPARE(sqliteTool(loansFile, QStringLiteral("select No_Anggota, Besar_Pinjam, Jaminan, Administrasi, "
                                                  "Total_Pinjam from Tpinjaman1")),
             QStringList{"2301002|1234570000|Sepeda|86419900|1320989900"});
    m.Tanggota1->first();
    QVERIFY(m.Tpinjam->isEmpty());

    // Parents follow the member the same way.
    m.Tortu->edit();
    QCOMPARE(m.Tortu->state(), DataState::Insert);
    set(m.Tortu, "Nama_Ortu", QStringLiteral("Pak Ani"));
    m.Tanggota1->last();
    QVERIFY(m.Tortu->isEmpty());
    m.Tanggota1->first();
    QCOMPARE(text(m.Tortu, "No_Anggota"), QStringLiteral("2301001"));
    QCOMPARE(text(m.Tortu, "Nama_Ortu"), QStringLiteral("Pak Ani"));

    // Member lookups: the whole number only; a new, unchanged member row is
    // dropped by the lookup, a changed one stored first.
    QVERIFY(!m.Tanggota1->findKey({QStringLiteral("230")}));
    QCOMPARE(text(m.Tanggota1, "No_Anggota"), QStringLiteral("2301001"));
    m.Tanggota1->insert();
    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301002")}));
    QCOMPARE(m.Tanggota1->recordCount(), 2);
    m.Tanggota1->insert();
    set(m.Tanggota1, "No_Anggota", QStringLiteral("2301003"));
    set(m.Tanggota1, "Tgl_Lahir", QStringLiteral("10/01/83"));
    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301001")}));
    QCOMPARE(m.Tanggota1->recordCount(), 3);
    QCOMPARE(sqliteTool(m_dir->filePath(QStringLiteral("Tanggota1.DB")),
                        QStringLiteral("select Tgl_Lahir from Tanggota1 where No_Anggota = '2301003'")),
             QStringList{"1983-01-10"});
    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301003")}));
    QCOMPARE(text(m.Tanggota1, "Tgl_Lahir"), QStringLiteral("10/01/1983"));
}

void DataModuleTest::filesReadableByTheSqliteTool()
{
    Tmodul m;
    addMember(m, QStringLiteral("2301001"), QStringLiteral("Ani"));
    addSavings(m, QStringLiteral("01/05/2025"), QStringLiteral("100"));

    // The fields of each file, in order, as the tool reads them while the
    // program has them open; calculated fields are not among them.
    const struct {
        const char *file;
        const char *table;
        QStringList fields;
    } files[] = {
        {"Tanggota1.DB", "Tanggota1",
         {"No_Anggota", "Tgl_Daftar", "Nama", "NPM", "NBK", "Tempat_Lahir", "Tgl_Lahir", "JK", "Gol_Darah", "Agama",
          "Alamat", "Kodepos", "No_Telp"}},
        {"Torangtua.db", "Torangtua", {"No_Anggota", "Nama_Ortu", "Alamat_Ortu", "Kodepos_Ortu", "Telp_Ortu"}},
        {"Tsimpanan1.db", "Tsimpanan1",
         {"No_Simpan", "Tgl_Simpan", "No_Anggota", "S_Wajib", "S_Sukarela", "S_Wisuda", "Total_Simpanan"}},
        {"Tpinjaman1.DB", "Tpinjaman1",
         {"No_Pinjaman", "Tgl_Pinjam", "No_Anggota", "Besar_Pinjam", "Jaminan", "Administrasi", "Total_Pinjam"}},
    };
    for (const auto &file : files) {
        const QString path = m_dir->filePath(QString::fromLatin1(file.file));
        const QString table = QString::fromLatin1(file.table);
        QStringList columns;
        for (const QString &line : sqliteTool(path, QStringLiteral("PRAGMA table_info(%1)").arg(table)))
            columns << line.section(QLatin1Char('|'), 1, 1);
        QCOMPARE(columns, file.fields);
        QCOMPARE(sqliteTool(path, QStringLiteral(".tables")), QStringList{table});
        for (const char *calculated : {"Fakultas", "AwalNoA", "JenisKelamin", "Total", "adm", "TotPinjam"})
            QVERIFY(!columns.contains(QLatin1String(calculated), Qt::CaseInsensitive));
    }

    // Keys, indexes and checks are the engine's own.
    const QString schema = sqliteTool(m_dir->filePath(QStringLiteral("Tsimpanan1.db")), QStringLiteral(".schema"))
                               .join(QLatin1Char('\n'));
    QVERIFY2(schema.contains(QLatin1String("AUTOINCREMENT")), qPrintable(schema));
    QVERIFY2(schema.contains(QLatin1String("\"S_Wajib\" INTEGER NOT NULL")), qPrintable(schema));
    QVERIFY2(schema.contains(QLatin1String("IdxNoAnggota")), qPrintable(schema));
    QVERIFY2(schema.contains(QLatin1String("COLLATE NOCASE")), qPrintable(schema));
    QCOMPARE(sqliteTool(m_dir->filePath(QStringLiteral("Tanggota1.DB")),
                        QStringLiteral("select No_Anggota, Nama from Tanggota1")),
             QStringList{"2301001|Ani"});
    QCOMPARE(sqliteTool(m_dir->filePath(QStringLiteral("Tsimpanan1.db")),
                        QStringLiteral("select Tgl_Simpan, S_Wajib from Tsimpanan1")),
             QStringList{"01/05/2025|1000000"});
}

void DataModuleTest::monthQueriesIgnoreTheYear()
{
    Tmodul m;
    exec(m, QStringLiteral("insert into Tanggota1 (No_Anggota, Nama) values ('2301001', 'Ani'), ('2301002', 'Budi')"));
    exec(m, QStringLiteral(
        "insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) values "
        "('01/05/2024', '2301001', 10000000, 20000000, 0), ('05/06/2025', '2301001', 40000000, 0, 0), "
        "('31/05/2025', '2301002', 15000000, 0, 5000000), ('15/03/2025', '2301002', 80000000, 0, 0)"));
    exec(m, QStringLiteral(
        "insert into Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) values "
        "('20/05/2023', '2301001', 5000000000, 'Motor'), ('05/12/2025', '2301002', 1000000000, 'Laptop')"));

    // The monthly report's way: close, two lines of SQL, open.
    m.Query2->close();
    m.Query2->sql().clear();
    m.Query2->sql() << QStringLiteral("select * from Tsimpanan1")
                    << QStringLiteral("where Tgl_Simpan like '%/") + QStringLiteral("05") + QStringLiteral("/%'");
    m.Query2->open();
    QCOMPARE(m.Query2->recordCount(), 2);
    QStringList rows;
    Money sum;
    for (m.Query2->first(); !m.Query2->eof(); m.Query2->next()) {
        rows << text(m.Query2, "Tgl_Simpan") + QLatin1Char(' ') + text(m.Query2, "No_Anggota");
        sum += m.Query2->fieldByName(QStringLiteral("Total"))->asMoney();
    }
    QCOMPARE(rows, (QStringList{"01/05/2024 2301001", "31/05/2025 2301002"}));
    QCOMPARE(sum, Money::fromUnits(5000));
    QCOMPARE(m.Query2->fieldByName(QStringLiteral("No_Simpan"))->type(), FieldType::Integer);

    m.Query1->close();
    m.Query1->sql() = QStringList{QStringLiteral("select * from Tpinjaman1"),
                                  QStringLiteral("where Tgl_Pinjam like '%/05/%'")};
    m.Query1->open();
    QCOMPARE(m.Query1->recordCount(), 1);
    QCOMPARE(text(m.Query1, "Jaminan"), QStringLiteral("Motor"));
    QCOMPARE(m.Query1->fieldByName(QStringLiteral("Adm"))->asMoney(), Money::fromUnits(35000));
    QCOMPARE(m.Query1->fieldByName(QStringLiteral("TotPinjam"))->asMoney(), Money::fromUnits(535000));
}

// The member window's renumbering and deletion, done on the datasets alone:
// each detail row stored under the new number leaves the member's set, so
// the next one becomes current.
void DataModuleTest::renumberAndDeleteAMember()
{
    Tmodul m;
    addMember(m, QStringLiteral("2301001"), QStringLiteral("Ani"));
    addSavings(m, QStringLiteral("01/05/2025"), QStringLiteral("100"));
    addSavings(m, QStringLiteral("02/05/2025"), QStringLiteral("200"));
    addLoan(m, QStringLiteral("1000"), QStringLiteral("Motor"));
    addMember(m, QStringLiteral("2301002"), QStringLiteral("Budi"));
    addSavings(m, QStringLiteral("03/05/2025"), QStringLiteral("300"));
    const QString newNumber = QStringLiteral("2301009");

    QVERIFY(m.Tanggota1->findKey({QStringLiteral("2301001")}));
    m.Tanggota1->edit();
    for (Table *detail : {m.Tsimpan1, m.Tpinjam}) {
        for (int n = detail->recordCount(); n > 0; --n) {
            detail->edit();
            set(detail, "No_Anggota", newNumber);
            detail->post();
        }
        QCOMPARE(detail->recordCount(), 0);
    }
    m.Tortu->edit();
    QCOMPARE(m.Tortu->state(), DataState::Insert);
    set(m.Tortu, "No_Anggota", newNumber);
    m.Tortu->post();
    set(m.Tanggota1, "No_Anggota", newNumber);
    m.Tanggota1->post();

    QCOMPARE(text(m.Tanggota1, "No_Anggota"), newNumber);
    QCOMPARE(shown(m.Tsimpan1, "Tgl_Simpan"), (QStringList{"01/05/2025", "02/05/2025"}));
    QCOMPARE(shown(m.Tpinjam, "Jaminan"), QStringList{"Motor"});
    QCOMPARE(shown(m.Tortu, "No_Anggota"), QStringList{newNumber});
    const QString savingsFile = m_dir->filePath(QStringLiteral("Tsimpanan1.db"));
    QCOMPARE(sqliteTool(savingsFile, QStringLiteral("select No_Anggota, count(*) from Tsimpanan1 group by 1")),
             (QStringList{"2301002|1", "2301009|2"}));

    // Deleting: the current detail row as many times as the member has rows.
    for (Table *detail : {m.Tsimpan1, m.Tpinjam, m.Tortu}) {
        for (int n = detail->recordCount(); n > 0; --n)
            detail->remove();
        QVERIFY(detail->isEmpty());
    }
    m.Tanggota1->remove();
    QCOMPARE(text(m.Tanggota1, "No_Anggota"), QStringLiteral("2301002"));
    QCOMPARE(shown(m.Tsimpan1, "Tgl_Simpan"), QStringList{"03/05/2025"});
    QCOMPARE(sqliteTool(savingsFile, QStringLiteral("select No_Anggota from Tsimpanan1")), QStringList{"2301002"});
    QCOMPARE(sqliteTool(m_dir->filePath(QStringLiteral("Torangtua.db")), QStringLiteral("select count(*) from Torangtua")),
             QStringList{"0"});
}

QTEST_MAIN(DataModuleTest)
#include "tst_dm.moc"
