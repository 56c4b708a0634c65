#include "runtime/abort.h"
#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/datasource.h"
#include "runtime/db/error.h"
#include "runtime/db/query.h"
#include "runtime/db/table.h"
#include "runtime/db/transfer.h"
#include "runtime/regional.h"
#include "runtime/db/postgres/postgres.h"
#include "support/testserver.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <functional>
#include <memory>

namespace {

FieldDef textField(const QString &name, int size)
{
    FieldDef f;
    f.name = name;
    f.type = FieldType::Text;
    f.size = size;
    return f;
}

FieldDef typedField(const QString &name, FieldType type)
{
    FieldDef f;
    f.name = name;
    f.type = type;
    return f;
}

// A master table keyed by a text, with a text column the date stamp goes into.
TableSchema masterSchema()
{
    return {QStringLiteral("Master.DB"), QStringLiteral("Master"),
            {textField(QStringLiteral("Kode"), 7), textField(QStringLiteral("Nama"), 20),
             textField(QStringLiteral("Tgl"), 10), typedField(QStringLiteral("Lahir"), FieldType::Date)},
            {QStringLiteral("Kode")},
            {}};
}

// A detail table numbered by the engine, linked on Kode through a
// case-insensitive index, with a checked amount.
TableSchema detailSchema()
{
    FieldDef amount = typedField(QStringLiteral("Jumlah"), FieldType::Money);
    amount.required = true;
    amount.minimum = Money();
    return {QStringLiteral("Detail.db"), QStringLiteral("Detail"),
            {typedField(QStringLiteral("No"), FieldType::AutoInc), textField(QStringLiteral("Tgl"), 10),
             textField(QStringLiteral("Kode"), 7), amount, textField(QStringLiteral("Ket"), 10)},
            {},
            {IndexDef{QStringLiteral("IdxKode"), {QStringLiteral("Kode")}, true, false}}};
}

// One temporary alias with its connection, and raw SQL on it: a folder, or
// a fresh database on the test server in the server-mode run.
class Store {
public:
    Store()
    {
        static int count = 0;
        alias = QStringLiteral("TestDb%1").arg(++count);
        setAliasFolder(alias, testserver::wanted() ? testserver::freshDatabase() : dir.path());
        connection = std::make_unique<Connection>(alias, QList<TableSchema>{masterSchema(), detailSchema()});
    }

    void exec(const QString &sql) const
    {
        try {
            connection->execute(sql);
        } catch (const DatabaseError &e) {
            QFAIL(qPrintable(e.text()));
        }
    }

    QVariant scalar(const QString &sql) const
    {
        const auto statement = connection->engine().prepare(sql);
        return statement->step() ? statement->column(0) : QVariant();
    }

    qint64 changes() const { return connection->engine().totalChanges(); }

    // Members A000001..A000003 (and B000001 when asked), in key order.
    void fillMasters(bool withB = false) const
    {
        exec(QStringLiteral("insert into Master (Kode, Nama) values ('A000001', 'Ani'), ('A000002', 'Budi'), "
                            "('A000003', 'Citra')"));
        if (withB)
            exec(QStringLiteral("insert into Master (Kode, Nama) values ('B000001', 'Dewi')"));
    }

    std::unique_ptr<Table> master() const
    {
        auto table = std::make_unique<Table>(QStringLiteral("Master"));
        table->setDatabaseName(alias);
        table->setTableName(QStringLiteral("Master.DB"));
        return table;
    }

    // The detail with its stored fields and a calculated double of the amount.
    std::unique_ptr<Table> detail() const
    {
        auto table = std::make_unique<Table>(QStringLiteral("Detail"));
        table->setDatabaseName(alias);
        table->setTableName(QStringLiteral("Detail.db"));
        table->setIndexName(QStringLiteral("IdxKode"));
        for (const FieldDef &f : detailSchema().fields)
            table->addField(f);
        FieldDef twice = typedField(QStringLiteral("Dobel"), FieldType::Money);
        twice.calculated = true;
        table->addField(twice);
        table->onCalcFields = [](Dataset &d) {
            const Field *amount = d.fieldByName(QStringLiteral("Jumlah"));
            Field *twice = d.fieldByName(QStringLiteral("Dobel"));
            if (amount->isNull())
                twice->clear();
            else
                twice->setMoney(amount->asMoney() + amount->asMoney());
        };
        return table;
    }

    QTemporaryDir dir;
    QString alias;
    std::unique_ptr<Connection> connection;
};

QString text(const Dataset &d, const QString &field)
{
    return d.fieldByName(field)->asString();
}

// A column of the rows a dataset shows, without moving it.
QStringList shown(const Dataset &d, const QString &field)
{
    const Field *f = d.fieldByName(field);
    QStringList values;
    for (int i = 0; i < d.visibleRowCount(); ++i)
        values << f->format(d.visibleRow(i).value(f->index()), false);
    return values;
}

int errorCode(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DatabaseError &e) {
        return e.code();
    }
    return -1;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void settleRule_data();
    void settleRule();
    void programTextDoesNotCountAsChange();
    void masterDetail();
    void posting();
    void lookupAndBounds();
    void refreshAndQuery();
    void fieldValues();
    void tableFiles();
    void bookComparison();
    void twoDesks();
    void othersWritesShown();
    void serverRestart();
};

void TestDb::initTestCase()
{
    // Amounts below are typed with a decimal comma.
    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
}

void TestDb::settleRule_data()
{
    QTest::addColumn<QString>("trigger");
    for (const char *trigger : {"first", "next", "prior", "last", "moveTo", "insert", "findKey", "refresh"})
        QTest::newRow(trigger) << QString::fromLatin1(trigger);
}

// Every operation that leaves a pending row stores it when a field was
// changed and drops it otherwise.
void TestDb::settleRule()
{
    QFETCH(QString, trigger);
    Store store;
    store.fillMasters();
    auto table = store.master();
    table->open();

    const std::function<void()> act = [&] {
        if (trigger == QLatin1String("first"))
            table->first();
        else if (trigger == QLatin1String("next"))
            table->next();
        else if (trigger == QLatin1String("prior"))
            table->prior();
        else if (trigger == QLatin1String("last"))
            table->last();
        else if (trigger == QLatin1String("moveTo"))
            table->moveTo(0);
        else if (trigger == QLatin1String("insert"))
            table->insert();
        else if (trigger == QLatin1String("findKey"))
            QVERIFY(table->findKey({QStringLiteral("A000003")}));
        else if (trigger == QLatin1String("refresh"))
            table->refresh();
    };
    // The insert trigger leaves a fresh insertion behind.
    const DataState after = trigger == QLatin1String("insert") ? DataState::Insert : DataState::Browse;
    const auto rows = [&] { return store.scalar(QStringLiteral("select count(*) from Master")).toInt(); };

    // An insertion nobody typed into is dropped.
    table->moveTo(1);
    table->insert();
    qint64 changes = store.changes();
    act();
    QCOMPARE(table->state(), after);
    QCOMPARE(store.changes(), changes);
    QCOMPARE(rows(), 3);
    table->cancel();

    // A changed insertion is stored.
    table->moveTo(1);
    table->insert();
    table->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("C000001"));
    table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Eka"));
    act();
    QCOMPARE(table->state(), after);
    QCOMPARE(rows(), 4);
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'C000001'")).toString(), QStringLiteral("Eka"));
    table->cancel();

    // An edit without a change writes nothing.
    table->moveTo(1);
    table->edit();
    changes = store.changes();
    act();
    QCOMPARE(table->state(), after);
    QCOMPARE(store.changes(), changes);
    table->cancel();

    // A changed edit is stored before the operation goes on.
    table->moveTo(1);
    table->edit();
    table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Budiman"));
    act();
    QCOMPARE(table->state(), after);
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000002'")).toString(),
             QStringLiteral("Budiman"));
    QCOMPARE(rows(), 4);
}

// Bound editors hold text that the program set (the clock's date stamp);
// they write it only when a row is posted, so the stamp alone never makes a
// row count as changed.
void TestDb::programTextDoesNotCountAsChange()
{
    Store store;
    store.fillMasters();
    auto table = store.master();
    const QString stamp = QStringLiteral("09/05/2025");
    QList<bool> calls;
    QObject::connect(table.get(), &Dataset::updateRecord, table.get(), [&](bool withProgramText) {
        calls << withProgramText;
        if (withProgramText)
            table->fieldByName(QStringLiteral("Tgl"))->setText(stamp);
    });
    table->open();
    const auto stampOf = [&](const QString &kode) {
        return store.scalar(QStringLiteral("select Tgl from Master where Kode = '%1'").arg(kode));
    };

    // Unchanged insertion and edit: asked without program text, then dropped.
    table->insert();
    qint64 changes = store.changes();
    table->next();
    QCOMPARE(calls, QList<bool>{false});
    QCOMPARE(table->state(), DataState::Browse);
    QCOMPARE(store.changes(), changes);
    table->first();
    table->edit();
    QVERIFY(!table->isModified());
    table->last();
    QCOMPARE(table->state(), DataState::Browse);
    QCOMPARE(store.changes(), changes);
    QVERIFY(stampOf(QStringLiteral("A000001")).isNull());

    // An edit settled for a typed change carries the stamp along.
    calls.clear();
    table->first();
    table->edit();
    table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Anita"));
    table->next();
    QCOMPARE(calls, (QList<bool>{false, true}));
    QCOMPARE(stampOf(QStringLiteral("A000001")).toString(), stamp);
    QCOMPARE(text(*table, QStringLiteral("Kode")), QStringLiteral("A000002"));

    // So does an explicit post of a new row, and the stamp shows afterwards.
    table->insert();
    table->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("A000009"));
    table->post();
    QCOMPARE(stampOf(QStringLiteral("A000009")).toString(), stamp);
    QCOMPARE(text(*table, QStringLiteral("Tgl")), stamp);
    QCOMPARE(text(*table, QStringLiteral("Kode")), QStringLiteral("A000009"));

    // checkBrowseMode is the settle rule on its own.
    table->edit();
    changes = store.changes();
    table->checkBrowseMode();
    QCOMPARE(table->state(), DataState::Browse);
    QCOMPARE(store.changes(), changes);
}

void TestDb::masterDetail()
{
    Store store;
    store.fillMasters(true);
    store.exec(QStringLiteral(
        "insert into Detail (Tgl, Kode, Jumlah, Ket) values "
        "('01/01/2025', 'A000001', 10000, 'a1'), ('01/01/2025', 'A000002', 20000, 'b1'), "
        "('02/01/2025', 'a000001', 30000, 'a2'), ('03/01/2025', 'A000001', 40000, 'a3')"));
    auto master = store.master();
    DataSource source(QStringLiteral("DSMaster"));
    source.setDataSet(master.get());
    auto detail = store.detail();
    detail->setMasterSource(&source);
    detail->setMasterFields(QStringLiteral("Kode"));

    // Opened before its master, the detail shows the first master's rows
    // once the master opens; the case-insensitive index matches "a000001".
    detail->open();
    QCOMPARE(detail->recordCount(), 0);
    master->open();
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1", "a2", "a3"}));
    QCOMPARE(detail->recordCount(), 3);
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a1"));
    QCOMPARE(detail->fieldByName(QStringLiteral("Dobel"))->asMoney(), Money::fromUnits(2));

    // Follows every move of the master.
    master->next();
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), QStringList{"b1"});
    QCOMPARE(detail->recordCount(), 1);
    QVERIFY(master->findKey({QStringLiteral("B000001")}));
    QCOMPARE(detail->recordCount(), 0);
    QVERIFY(detail->isEmpty());

    // Editing a detail without rows starts an insertion for this master.
    detail->edit();
    QCOMPARE(detail->state(), DataState::Insert);
    QCOMPARE(text(*detail, QStringLiteral("Kode")), QStringLiteral("B000001"));
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("5000"));
    detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("d1"));
    // The master's move settles the detail's pending row first.
    master->first();
    QCOMPARE(detail->state(), DataState::Browse);
    QCOMPARE(store.scalar(QStringLiteral("select Kode from Detail where Ket = 'd1'")).toString(),
             QStringLiteral("B000001"));
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1", "a2", "a3"}));

    // A row inserted in the middle gets the link and takes its place by
    // the order of first posting: last among equal keys. An edit keeps the
    // row where it was.
    detail->moveTo(1);
    detail->insert();
    QCOMPARE(text(*detail, QStringLiteral("Kode")), QStringLiteral("A000001"));
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1", "", "a2", "a3"}));
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("1"));
    detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("a4"));
    detail->post();
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a4"));
    detail->first();
    detail->edit();
    detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("a1x"));
    detail->post();
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1x", "a2", "a3", "a4"}));
    QCOMPARE(detail->recordCount(), 4);

    // A row moved to another master leaves the range; the next row becomes current.
    detail->moveTo(1);
    detail->edit();
    detail->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("A000003"));
    detail->post();
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1x", "a3", "a4"}));
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a3"));
    QCOMPARE(detail->recNo(), 1);
    // Moving the last row away leaves the new last row current.
    detail->last();
    detail->edit();
    detail->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("A000003"));
    detail->post();
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a3"));
    QVERIFY(master->findKey({QStringLiteral("A000003")}));
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a2", "a4"}));

    // Setting the link or the index again to the same value keeps the
    // detail where it is; another value re-ranges it.
    master->first();
    detail->last();
    QSignalSpy relisted(detail.get(), &Dataset::listChanged);
    detail->setMasterFields(QStringLiteral("Kode"));
    detail->setIndexName(QStringLiteral("IdxKode"));
    QCOMPARE(relisted.count(), 0);
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a3"));
    detail->setMasterFields(QString());
    QVERIFY(relisted.count() > 0);
    QCOMPARE(detail->recordCount(), 6);
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("a1x"));
    detail->setMasterFields(QStringLiteral("Kode"));
    QCOMPARE(detail->recordCount(), 2);

    // Without a master the index decides the order: case-insensitive on
    // Kode, then order of posting; the primary index is posting order.
    store.exec(QStringLiteral("insert into Detail (Kode, Jumlah, Ket) values ('b000000', 1, 'e1')"));
    detail->setMasterSource(nullptr);
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1x", "a3", "b1", "a2", "a4", "e1", "d1"}));
    detail->setIndexName(QString());
    QCOMPARE(shown(*detail, QStringLiteral("Ket")), (QStringList{"a1x", "b1", "a2", "a3", "d1", "a4", "e1"}));
}

void TestDb::posting()
{
    Store store;
    store.fillMasters();
    auto detail = store.detail();
    detail->open();

    // The engine's number shows as soon as the row is posted.
    detail->insert();
    QVERIFY(detail->fieldByName(QStringLiteral("No"))->isNull());
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("7500"));
    QCOMPARE(detail->fieldByName(QStringLiteral("Dobel"))->asMoney(), Money::fromUnits(15000));
    detail->post();
    QVERIFY(!detail->fieldByName(QStringLiteral("No"))->isNull());
    QCOMPARE(detail->fieldByName(QStringLiteral("No"))->asInteger(),
             store.scalar(QStringLiteral("select max(No) from Detail")).toLongLong());
    QCOMPARE(store.scalar(QStringLiteral("select Jumlah from Detail")).toLongLong(), 7500 * Money::Scale);
    QCOMPARE(detail->fieldByName(QStringLiteral("Dobel"))->asMoney(), Money::fromUnits(15000));

    // A handler that aborts turns a check violation into a silent Abort;
    // the row stays open with what was entered.
    QList<int> codes;
    detail->onPostError = [&](Dataset &, const DatabaseError &error, DataAction &action) {
        codes << error.code();
        action = DataAction::Abort;
    };
    detail->insert();
    detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("kosong"));
    QVERIFY_THROWS_EXCEPTION(Abort, detail->post());
    QCOMPARE(detail->state(), DataState::Insert);
    QCOMPARE(text(*detail, QStringLiteral("Ket")), QStringLiteral("kosong"));
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("-1"));
    QVERIFY_THROWS_EXCEPTION(Abort, detail->post());
    QCOMPARE(detail->state(), DataState::Insert);
    QCOMPARE(detail->fieldByName(QStringLiteral("Jumlah"))->asMoney(), Money::fromUnits(-1));
    QCOMPARE(codes, (QList<int>{dberr::RequiredValue, dberr::MinimumValue}));
    // Corrected, it posts.
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("0"));
    detail->post();
    QCOMPARE(store.scalar(QStringLiteral("select count(*) from Detail")).toInt(), 2);

    // The same violations during an edit, and a handler that lets them go.
    detail->onPostError = [&](Dataset &, const DatabaseError &error, DataAction &) { codes << error.code(); };
    codes.clear();
    detail->edit();
    detail->fieldByName(QStringLiteral("Jumlah"))->clear();
    QCOMPARE(errorCode([&] { detail->post(); }), dberr::RequiredValue);
    QCOMPARE(detail->state(), DataState::Edit);
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("-0,5"));
    QCOMPARE(errorCode([&] { detail->post(); }), dberr::MinimumValue);
    QCOMPARE(codes, (QList<int>{dberr::RequiredValue, dberr::MinimumValue}));
    detail->cancel();
    QCOMPARE(detail->fieldByName(QStringLiteral("Jumlah"))->asMoney(), Money());

    // Without a handler the error itself arrives, naming the field.
    detail->onPostError = nullptr;
    detail->insert();
    QCOMPARE(errorCode([&] { detail->post(); }), dberr::RequiredValue);
    QCOMPARE(detail->state(), DataState::Insert);
    const auto textOf = [&] {
        try {
            detail->post();
        } catch (const DatabaseError &e) {
            return e.text();
        }
        return QString();
    };
    QCOMPARE(textOf(), QStringLiteral("\"Jumlah\": harus diisi"));
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("-1.000"));
    QCOMPARE(textOf(), QStringLiteral("\"Jumlah\": paling sedikit 0"));
    detail->cancel();

    // A duplicate primary key is a key violation; the row stays in insert.
    auto master = store.master();
    master->open();
    master->insert();
    master->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("A000002"));
    master->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Kembar"));
    QCOMPARE(errorCode([&] { master->post(); }), dberr::KeyViolation);
    QCOMPARE(master->state(), DataState::Insert);
    QCOMPARE(text(*master, QStringLiteral("Nama")), QStringLiteral("Kembar"));
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000002'")).toString(),
             QStringLiteral("Budi"));

    // Deleting removes the current row; the next one takes its place.
    master->cancel();
    master->first();
    master->remove();
    QCOMPARE(text(*master, QStringLiteral("Kode")), QStringLiteral("A000002"));
    QCOMPARE(store.scalar(QStringLiteral("select count(*) from Master")).toInt(), 2);
}

void TestDb::lookupAndBounds()
{
    Store store;
    store.fillMasters(true);
    auto table = store.master();
    table->open();
    QVERIFY(table->bof());
    QVERIFY(!table->eof());

    // Exact match of the whole key only; a miss leaves the cursor alone.
    table->moveTo(1);
    QVERIFY(!table->findKey({QStringLiteral("A00")}));
    QVERIFY(!table->findKey({QStringLiteral("A0000011")}));
    QVERIFY(!table->findKey({QString()}));
    QCOMPARE(text(*table, QStringLiteral("Kode")), QStringLiteral("A000002"));
    QVERIFY(table->findKey({QStringLiteral("B000001")}));
    QCOMPARE(text(*table, QStringLiteral("Nama")), QStringLiteral("Dewi"));
    QCOMPARE(table->recNo(), 3);

    // bof only when prior could not move, eof only when next could not.
    table->first();
    table->next();
    QVERIFY(!table->bof());
    table->prior();
    QVERIFY(!table->bof());
    QCOMPARE(table->recNo(), 0);
    table->prior();
    QVERIFY(table->bof());
    QCOMPARE(table->recNo(), 0);
    table->last();
    QVERIFY(table->eof());
    table->prior();
    QVERIFY(!table->eof());
    table->next();
    QVERIFY(!table->eof());
    QCOMPARE(table->recNo(), 3);
    table->next();
    QVERIFY(table->eof());
    QCOMPARE(text(*table, QStringLiteral("Kode")), QStringLiteral("B000001"));

    // Reading a row by walking, as reports do.
    QStringList names;
    for (table->first(); !table->eof(); table->next())
        names << text(*table, QStringLiteral("Nama"));
    QCOMPARE(names, (QStringList{"Ani", "Budi", "Citra", "Dewi"}));

    // An empty range: first and last set both flags.
    store.exec(QStringLiteral("delete from Master"));
    table->refresh();
    QVERIFY(table->isEmpty());
    table->first();
    QVERIFY(table->bof() && table->eof());
    table->last();
    QVERIFY(table->bof() && table->eof());
    QCOMPARE(table->recNo(), -1);
}

void TestDb::refreshAndQuery()
{
    Store store;
    store.fillMasters();
    auto table = store.master();
    int refreshed = 0;
    table->afterRefresh = [&](Dataset &) { ++refreshed; };
    table->open();
    table->moveTo(1);

    // A change made behind the dataset's back shows after a refresh, on
    // the same row.
    store.exec(QStringLiteral("update Master set Nama = 'Bambang' where Kode = 'A000002'"));
    store.exec(QStringLiteral("insert into Master (Kode, Nama) values ('A000000', 'Awal')"));
    QCOMPARE(text(*table, QStringLiteral("Nama")), QStringLiteral("Budi"));
    table->refresh();
    QCOMPARE(refreshed, 1);
    QCOMPARE(text(*table, QStringLiteral("Nama")), QStringLiteral("Bambang"));
    QCOMPARE(table->recordCount(), 4);
    QCOMPARE(table->recNo(), 2);

    // A query set line by line; "like" selects the May rows of every year.
    store.exec(QStringLiteral(
        "insert into Detail (Tgl, Kode, Jumlah) values ('01/05/2024', 'A000001', 100000000), "
        "('05/06/2024', 'A000001', 200000000), ('15/05/2025', 'A000002', 350000000), "
        "('31/12/2024', 'A000003', 400000000)"));
    Query query(QStringLiteral("Query"));
    query.setDatabaseName(store.alias);
    query.sql().clear();
    query.sql() << QStringLiteral("select * from Detail");
    query.sql() << QStringLiteral("where Tgl like '%/05/%'");
    query.open();
    QCOMPARE(query.recordCount(), 2);
    QCOMPARE(shown(query, QStringLiteral("Tgl")), (QStringList{"01/05/2024", "15/05/2025"}));
    // Undeclared columns take the type the table declares.
    QCOMPARE(query.fieldByName(QStringLiteral("Jumlah"))->type(), FieldType::Integer);
    QCOMPARE(query.fieldByName(QStringLiteral("jumlah"))->asInteger(), 100000000);
    query.close();

    // Declared fields type their columns: amounts arrive as money, and
    // calculated fields are filled for every row read.
    Query amounts(QStringLiteral("Amounts"));
    amounts.setDatabaseName(store.alias);
    amounts.addField(typedField(QStringLiteral("No"), FieldType::Integer));
    amounts.addField(typedField(QStringLiteral("Jumlah"), FieldType::Money));
    FieldDef half = typedField(QStringLiteral("Separuh"), FieldType::Money);
    half.calculated = true;
    amounts.addField(half);
    amounts.onCalcFields = [](Dataset &d) {
        d.fieldByName(QStringLiteral("Separuh"))
            ->setMoney(d.fieldByName(QStringLiteral("Jumlah"))->asMoney() * Money::fromRaw(5000));
    };
    amounts.setSql({QStringLiteral("select * from Detail"), QStringLiteral("where Tgl like '%/05/%'")});
    amounts.open();
    Money sum;
    QStringList halves;
    for (amounts.first(); !amounts.eof(); amounts.next()) {
        QCOMPARE(amounts.fieldByName(QStringLiteral("Jumlah"))->value().typeId(), qMetaTypeId<Money>());
        sum += amounts.fieldByName(QStringLiteral("Jumlah"))->asMoney();
        halves << amounts.fieldByName(QStringLiteral("Separuh"))->asString();
    }
    QCOMPARE(sum, Money::fromUnits(45000));
    QCOMPARE(halves, (QStringList{"5000", "17500"}));
    QVERIFY(!amounts.findField(QStringLiteral("Tgl")));

    // Rewritten and reopened, the query runs its new text.
    amounts.close();
    amounts.sql().last() = QStringLiteral("where Tgl like '%/12/%'");
    amounts.open();
    QCOMPARE(amounts.recordCount(), 1);
    QCOMPARE(amounts.fieldByName(QStringLiteral("Jumlah"))->asMoney(), Money::fromUnits(40000));
    // Refreshing a query reads rows added meanwhile.
    store.exec(QStringLiteral("insert into Detail (Tgl, Kode, Jumlah) values ('02/12/2025', 'A000001', 1)"));
    amounts.refresh();
    QCOMPARE(amounts.recordCount(), 2);
    amounts.close();

    // A query over many rows opens on its first ones and, walked to the
    // end, gives every row once in the stored order, or in its own, even
    // when a row already read is changed by another desk meanwhile.
    store.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
                              "insert into Detail (Tgl, Kode, Jumlah) select '01/01/2030', 'B000001', i from n"));
    const std::pair<QString, qint64> walks[] = {
        {QStringLiteral("select * from Detail where Tgl like '%1/01/2030';"), 1},
        {QStringLiteral("select Jumlah from Detail where Tgl = '01/01/2030' order by Kode, Jumlah desc"), -1}};
    for (const auto &[sql, step] : walks) {
        Query many(QStringLiteral("Many"));
        many.setDatabaseName(store.alias);
        many.setSql({sql});
        many.open();
        qint64 expected = step > 0 ? 1 : 1000;
        int walked = 0;
        for (; !many.eof() && many.fieldByName(QStringLiteral("Jumlah"))->asInteger() == expected; many.next()) {
            if (walked == 10)
                store.exec(QStringLiteral("update Detail set Ket = 'diubah' where Jumlah = 5"));
            expected += step;
            ++walked;
        }
        QCOMPARE(walked, 1000);
        QVERIFY(many.eof());
        QCOMPARE(many.recordCount(), 1000);
    }
}

void TestDb::fieldValues()
{
    Store store;
    store.fillMasters();
    auto master = store.master();
    master->open();
    auto detail = store.detail();
    detail->open();

    // Text longer than the field is refused whole.
    master->edit();
    QCOMPARE(errorCode([&] { master->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("A0000012")); }),
             dberr::ValueTooLong);
    QCOMPARE(text(*master, QStringLiteral("Kode")), QStringLiteral("A000001"));
    QVERIFY(!master->isModified());
    master->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("12345678901234567890"));
    master->post();
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000001'")).toString(),
             QStringLiteral("12345678901234567890"));

    // Empty text is stored as empty; dates are stored as ISO text.
    master->edit();
    master->fieldByName(QStringLiteral("Nama"))->setText(QString());
    master->fieldByName(QStringLiteral("Lahir"))->setText(QStringLiteral("10/01/1983"));
    master->post();
    QVERIFY(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000001'")).isNull());
    QCOMPARE(store.scalar(QStringLiteral("select Lahir from Master where Kode = 'A000001'")).toString(),
             QStringLiteral("1983-01-10"));
    QCOMPARE(master->fieldByName(QStringLiteral("Lahir"))->asDate(), QDate(1983, 1, 10));
    QCOMPARE(text(*master, QStringLiteral("Lahir")), QStringLiteral("10/01/1983"));

    // A money text that is not a number is refused; the row stays in edit.
    detail->insert();
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("1250,5"));
    QCOMPARE(errorCode([&] { detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("seribu")); }),
             dberr::InvalidValue);
    QCOMPARE(detail->state(), DataState::Insert);
    QCOMPARE(detail->fieldByName(QStringLiteral("Jumlah"))->asMoney(), Money::fromRaw(12505000));
    detail->post();
    QCOMPARE(store.scalar(QStringLiteral("select Jumlah from Detail")).toLongLong(), 12505000);

    // Writes need insert or edit; the engine's number and calculated
    // fields are not the program's to write.
    QCOMPARE(errorCode([&] { detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("x")); }),
             dberr::NotEditing);
    detail->edit();
    QCOMPARE(errorCode([&] { detail->fieldByName(QStringLiteral("No"))->setText(QStringLiteral("99")); }),
             dberr::NotEditing);
    QCOMPARE(errorCode([&] { detail->fieldByName(QStringLiteral("Dobel"))->setText(QStringLiteral("1")); }),
             dberr::NotEditing);
    QCOMPARE(errorCode([&] { detail->fieldByName(QStringLiteral("Tidak_Ada")); }), dberr::NoSuchField);
    detail->cancel();

    // Closing drops a pending row, changed or not.
    detail->insert();
    detail->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("1"));
    detail->close();
    QVERIFY(!detail->isActive());
    QCOMPARE(store.scalar(QStringLiteral("select count(*) from Detail")).toInt(), 1);
    QCOMPARE(errorCode([&] { detail->next(); }), dberr::Inactive);
    detail->open();
    QCOMPARE(detail->recordCount(), 1);
}

// The tables of a database on the server: made on the first start from the
// schemas, kept on the next; a database whose tables are missing or
// mis-shaped is refused naming each table, and nothing is made.
static void serverTables()
{
    const QList<TableSchema> schemas{masterSchema(), detailSchema()};
    const QString uri = testserver::freshDatabase();
    setAliasFolder(QStringLiteral("ServerTest"), uri);
    {
        Connection connection(QStringLiteral("ServerTest"), schemas);
        QVERIFY(connection.isServer());
        const auto columns = connection.engine().prepare(QStringLiteral(
            "select column_name || ' ' || data_type || case when is_nullable = 'NO' then ' required' else '' end "
            "from information_schema.columns where table_name = 'detail' order by ordinal_position"));
        QStringList described;
        while (columns->step())
            described << columns->column(0).toString();
        QCOMPARE(described, (QStringList{"no bigint required", "tgl text", "kode text", "jumlah bigint required",
                                         "ket text", "sp_id bigint required", "sp_versi bigint required"}));
        const auto index = connection.engine().prepare(
            QStringLiteral("select indexdef from pg_indexes where indexname = 'detail_idxkode'"));
        QVERIFY(index->step());
        QVERIFY(index->column(0).toString().contains(QLatin1String("lower(kode)")));
        connection.execute(QStringLiteral("insert into Master (Kode) values ('A000001')"));
        // Plain SQL sees the fields only as the book names them; the row
        // identity and version stay out of a query's fields.
        Query query(QStringLiteral("Semua"));
        query.setDatabaseName(QStringLiteral("ServerTest"));
        query.setSql({QStringLiteral("select * from Master")});
        query.open();
        QCOMPARE(query.fields().size(), 4);
        QCOMPARE(query.fieldByName(QStringLiteral("Kode"))->asString(), QStringLiteral("A000001"));
    }
    {
        Connection connection(QStringLiteral("ServerTest"), schemas);
        const auto count = connection.engine().prepare(QStringLiteral("select count(*) from Master"));
        QVERIFY(count->step());
        QCOMPARE(count->columnInt(0), 1);
    }

    const QString other = testserver::freshDatabase();
    {
        postgres::Session session(other);
        session.run(QStringLiteral("create table master (kode text, nama text)"));
    }
    setAliasFolder(QStringLiteral("ServerBad"), other);
    try {
        Connection connection(QStringLiteral("ServerBad"), schemas);
        QFAIL("a mis-shaped database was accepted");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.code(), dberr::BadFile);
        QVERIFY2(e.text().contains(QLatin1String("Tabel Detail tidak ada")), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QLatin1String("Kolom tabel Master tidak sesuai")), qPrintable(e.text()));
    }
    postgres::Session session(other);
    const postgres::Result made = session.run(QStringLiteral("select to_regclass('detail') is null"));
    QCOMPARE(QByteArray(PQgetvalue(made.get(), 0, 0)), QByteArray("t"));

    // A server that cannot be reached is named, without a password.
    setAliasFolder(QStringLiteral("ServerAway"), QStringLiteral("postgresql://kasir:rahasia@/buku?host=/nonexistent"));
    try {
        Connection connection(QStringLiteral("ServerAway"), schemas);
        QFAIL("an unreachable server was accepted");
    } catch (const DatabaseError &e) {
        QVERIFY2(e.text().contains(QLatin1String("buku")), qPrintable(e.text()));
        QVERIFY(!e.text().contains(QLatin1String("rahasia")));
    }
}

void TestDb::tableFiles()
{
    if (testserver::wanted()) {
        serverTables();
        return;
    }
    // A missing folder and missing files are created with their schema.
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("baru/DBtest"));
    setAliasFolder(QStringLiteral("FileTest"), folder);
    const QList<TableSchema> schemas{masterSchema(), detailSchema()};
    {
        Connection connection(QStringLiteral("FileTest"), schemas);
        QVERIFY(QFile::exists(folder + QStringLiteral("/Master.DB")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Detail.db")));
        sqlite::Statement columns(sqlite::handleOf(connection), QStringLiteral("PRAGMA Detail.table_info(Detail)"));
        QStringList described;
        while (columns.step())
            described << columns.column(1).toString() + QLatin1Char(' ') + columns.column(2).toString()
                    + (columns.column(3).toInt() ? QStringLiteral(" required") : QString());
        QCOMPARE(described, (QStringList{"No INTEGER", "Tgl TEXT", "Kode TEXT", "Jumlah INTEGER required", "Ket TEXT"}));
        sqlite::Statement index(sqlite::handleOf(connection),
                                QStringLiteral("select sql from Detail.sqlite_master where name = 'IdxKode'"));
        QVERIFY(index.step());
        QVERIFY(index.column(0).toString().contains(QLatin1String("NOCASE")));
        sqlite::Statement sync(sqlite::handleOf(connection), QStringLiteral("PRAGMA Detail.synchronous"));
        QVERIFY(sync.step());
        QCOMPARE(sync.columnInt(0), 2);
        QCOMPARE(Connection::forAlias(QStringLiteral("FileTest")), &connection);
    }
    QCOMPARE(Connection::forAlias(QStringLiteral("FileTest")), nullptr);
    // Opening again keeps what is there.
    {
        Connection connection(QStringLiteral("FileTest"), schemas);
        sqlite3_exec(sqlite::handleOf(connection), "insert into Master (Kode) values ('A000001')", nullptr, nullptr, nullptr);
    }
    {
        Connection connection(QStringLiteral("FileTest"), schemas);
        sqlite::Statement count(sqlite::handleOf(connection), QStringLiteral("select count(*) from Master"));
        QVERIFY(count.step());
        QCOMPARE(count.columnInt(0), 1);
    }

    // A file that is not the expected table is refused and left as it was.
    const auto refused = [&](const QString &fileName, const QByteArray &bytes) {
        QTemporaryDir dir;
        setAliasFolder(QStringLiteral("BadFile"), dir.path());
        const QString path = dir.filePath(fileName);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        try {
            Connection connection(QStringLiteral("BadFile"), schemas);
            QFAIL(qPrintable(QStringLiteral("%1 was accepted").arg(fileName)));
        } catch (const DatabaseError &e) {
            QVERIFY2(e.text().contains(fileName), qPrintable(e.text()));
            QCOMPARE(e.code(), dberr::BadFile);
        }
        QCOMPARE(contents(path), bytes);
        QCOMPARE(Connection::forAlias(QStringLiteral("BadFile")), nullptr);
    };
    const QByteArray garbage = QByteArray("Ini bukan basis data.\n").repeated(300);
    refused(QStringLiteral("Master.DB"), garbage);
    refused(QStringLiteral("Detail.db"), garbage);

    // A real database holding another table, or the table with other fields.
    const auto database = [](const QString &sql) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.db"));
        sqlite3 *db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return contents(path);
    };
    const QByteArray other = database(QStringLiteral("create table Lain (x text); insert into Lain values ('y')"));
    QVERIFY(!other.isEmpty());
    refused(QStringLiteral("Master.DB"), other);
    refused(QStringLiteral("Detail.db"), other);
    refused(QStringLiteral("Detail.db"),
            database(QStringLiteral("create table Detail (No integer primary key, Kode text)")));
}

// Two desks on one book: an edit or a deletion of a row that the other desk
// changed or deleted since it was read is refused, the row is shown as it
// now is, and nothing of the other desk's change is lost.
void TestDb::bookComparison()
{
    TableSchema loans;
    loans.tableName = QStringLiteral("Pinjam");
    loans.fields = {{QStringLiteral("No"), FieldType::AutoInc}, {QStringLiteral("Besar"), FieldType::Money}};
    transfer::Outcome outcome;
    outcome.before << transfer::Tally{3, {Money::fromRaw(-5000)}, 4};
    outcome.after << transfer::Tally{3, {Money::fromUnits(12'345'678)}, 4};
    const QStringList lines = transfer::comparisonText({loans}, outcome).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY(!lines.at(1).contains(QLatin1String("BEDA")));
    // A sum below one rupiah keeps its sign; the thousands are grouped.
    QVERIFY2(lines.at(2).contains(QLatin1String(" -0,5 ")), qPrintable(lines.at(2)));
    QVERIFY2(lines.at(2).endsWith(QLatin1String(" 12.345.678  <- BEDA")), qPrintable(lines.at(2)));
    QVERIFY(!lines.at(3).contains(QLatin1String("BEDA")));
}

void TestDb::twoDesks()
{
    if (!testserver::wanted())
        QSKIP("Only a server has several desks on one book");
    Store store;
    store.fillMasters();
    setAliasFolder(QStringLiteral("OtherDesk"), aliasFolder(store.alias));
    Connection other(QStringLiteral("OtherDesk"), {masterSchema(), detailSchema()});
    const auto mine = store.master();
    auto theirs = store.master();
    theirs->setDatabaseName(QStringLiteral("OtherDesk"));
    mine->open();
    theirs->open();
    QCOMPARE(text(*mine, "Nama"), QStringLiteral("Ani"));

    theirs->edit();
    theirs->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Ana"));
    theirs->post();
    mine->edit();
    mine->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Ani Lain"));
    try {
        mine->post();
        QFAIL("an edit over the other desk's change was stored");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.code(), dberr::RowChanged);
        QCOMPARE(e.text(), QStringLiteral("Data telah diubah oleh meja lain. Data dibaca ulang."));
    }
    QCOMPARE(mine->state(), DataState::Browse);
    QCOMPARE(text(*mine, "Nama"), QStringLiteral("Ana"));
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000001'")).toString(), QStringLiteral("Ana"));
    // Read again, the row takes the next edit.
    mine->edit();
    mine->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Ani Lain"));
    mine->post();
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000001'")).toString(), QStringLiteral("Ani Lain"));

    // A row deleted at one desk: the other's deletion and edit are refused.
    QVERIFY(mine->findKey({QStringLiteral("A000002")}));
    QVERIFY(theirs->findKey({QStringLiteral("A000002")}));
    theirs->remove();
    QCOMPARE(errorCode([&] { mine->remove(); }), dberr::RowChanged);
    QCOMPARE(shown(*mine, "Kode"), (QStringList{"A000001", "A000003"}));
    // Changed at one desk, deleted at the other: refused too.
    QVERIFY(mine->findKey({QStringLiteral("A000003")}));
    QVERIFY(theirs->findKey({QStringLiteral("A000003")}));
    theirs->edit();
    theirs->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Cici"));
    theirs->post();
    QCOMPARE(errorCode([&] { mine->remove(); }), dberr::RowChanged);
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000003'")).toString(), QStringLiteral("Cici"));

    // The same new key composed at both desks: one stores it.
    mine->append();
    mine->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("C000001"));
    theirs->append();
    theirs->fieldByName(QStringLiteral("Kode"))->setText(QStringLiteral("C000001"));
    mine->post();
    QCOMPARE(errorCode([&] { theirs->post(); }), dberr::KeyViolation);
    QCOMPARE(theirs->state(), DataState::Insert);
    QCOMPARE(store.scalar(QStringLiteral("select count(*) from Master where Kode = 'C000001'")).toInt(), 1);
}

// Another desk's writes reach the datasets that show the table without a
// click: the current rows stay current (or the nearest one), a row being
// typed is left alone until it is posted, and a detail keeps its row while
// its master is read again.
void TestDb::othersWritesShown()
{
    if (!testserver::wanted())
        QSKIP("Only a server has several desks on one book");
    Store store;
    store.fillMasters();
    store.exec(QStringLiteral("insert into Detail (Tgl, Kode, Jumlah) values ('01/01/2025', 'A000002', 10000), "
                              "('02/01/2025', 'A000002', 20000)"));
    setAliasFolder(QStringLiteral("OtherDesk"), aliasFolder(store.alias));
    const Connection other(QStringLiteral("OtherDesk"), {masterSchema(), detailSchema()});
    const auto master = store.master();
    const auto detail = store.detail();
    DataSource source(QStringLiteral("Source"));
    source.setDataSet(master.get());
    detail->setMasterSource(&source);
    detail->setMasterFields(QStringLiteral("Kode"));
    master->open();
    detail->open();
    QVERIFY(master->findKey({QStringLiteral("A000002")}));
    detail->next();
    QCOMPARE(text(*detail, "Tgl"), QStringLiteral("02/01/2025"));

    other.execute(QStringLiteral("insert into Master (Kode, Nama) values ('A000000', 'Ada')"));
    other.execute(QStringLiteral("update Master set Nama = 'Budiman' where Kode = 'A000002'"));
    other.execute(QStringLiteral("delete from Master where Kode = 'A000003'"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(*master, "Kode"), (QStringList{"A000000", "A000001", "A000002"}), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(text(*master, "Nama"), QStringLiteral("Budiman"), 1000);
    QCOMPARE(text(*master, "Kode"), QStringLiteral("A000002"));
    QCOMPARE(text(*detail, "Tgl"), QStringLiteral("02/01/2025"));

    other.execute(QStringLiteral("insert into Detail (Tgl, Kode, Jumlah) values ('03/01/2025', 'A000002', 30000), "
                                 "('09/01/2025', 'A000001', 90000)"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(*detail, "Tgl"), (QStringList{"01/01/2025", "02/01/2025", "03/01/2025"}), 1000);
    QCOMPARE(text(*detail, "Tgl"), QStringLiteral("02/01/2025"));

    // Typing into a detail row holds back its table and its master.
    detail->edit();
    detail->fieldByName(QStringLiteral("Ket"))->setText(QStringLiteral("ketik"));
    other.execute(QStringLiteral("insert into Detail (Tgl, Kode, Jumlah) values ('04/01/2025', 'A000002', 40000)"));
    other.execute(QStringLiteral("update Master set Nama = 'Budi Lagi' where Kode = 'A000002'"));
    QTest::qWait(600);
    QCOMPARE(detail->state(), DataState::Edit);
    QCOMPARE(text(*detail, "Ket"), QStringLiteral("ketik"));
    QCOMPARE(shown(*detail, "Tgl"), (QStringList{"01/01/2025", "02/01/2025", "03/01/2025"}));
    QCOMPARE(text(*master, "Nama"), QStringLiteral("Budiman"));
    detail->post();
    QTRY_COMPARE_WITH_TIMEOUT(text(*master, "Nama"), QStringLiteral("Budi Lagi"), 1000);
    QCOMPARE(shown(*detail, "Tgl"), (QStringList{"01/01/2025", "02/01/2025", "03/01/2025", "04/01/2025"}));
    QCOMPARE(text(*detail, "Ket"), QStringLiteral("ketik"));
    QCOMPARE(store.scalar(QStringLiteral("select Ket from Detail where Tgl = '02/01/2025'")).toString(),
             QStringLiteral("ketik"));

    // The current row deleted elsewhere: the nearest one is current.
    other.execute(QStringLiteral("delete from Master where Kode = 'A000002'"));
    QTRY_COMPARE_WITH_TIMEOUT(text(*master, "Kode"), QStringLiteral("A000001"), 1000);
    QCOMPARE(shown(*detail, "Tgl"), QStringList{"09/01/2025"});
}

// The server restarts while a row is being edited: the post that fails says
// the connection was lost and keeps the row as typed; the next post
// connects again and stores it.
void TestDb::serverRestart()
{
    if (!testserver::wanted())
        QSKIP("Only a server can be lost");
    Store store;
    store.fillMasters();
    const auto master = store.master();
    master->open();
    master->edit();
    master->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Ana"));
    testserver::restart();
    try {
        master->post();
        QFAIL("a post over a lost connection passed");
    } catch (const DatabaseError &e) {
        QVERIFY2(e.text().contains(QLatin1String("terputus; data belum disimpan")), qPrintable(e.text()));
    }
    QCOMPARE(master->state(), DataState::Edit);
    QCOMPARE(text(*master, "Nama"), QStringLiteral("Ana"));
    master->post();
    QCOMPARE(master->state(), DataState::Browse);
    QCOMPARE(store.scalar(QStringLiteral("select Nama from Master where Kode = 'A000001'")).toString(), QStringLiteral("Ana"));
    master->next();
    QCOMPARE(text(*master, "Nama"), QStringLiteral("Budi"));
}

QTEST_GUILESS_MAIN(TestDb)
#include "tst_db.moc"
