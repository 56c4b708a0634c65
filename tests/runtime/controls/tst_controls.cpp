// Data-aware controls over a real table file: what the clerk types, sees
// and clicks, and what reaches the rows.

#include "runtime/controls/dbcombobox.h"
#include "runtime/controls/dbedit.h"
#include "runtime/controls/dbgrid.h"
#include "runtime/controls/dbnavigator.h"
#include "runtime/controls/dbtext.h"
#include "runtime/db/connection.h"
#include "runtime/db/table.h"
#include "runtime/forms/form.h"
#include "support/messagescript.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Alias = QStringLiteral("ControlsTest");

TableSchema itemsSchema()
{
    FieldDef number{QStringLiteral("No"), FieldType::AutoInc};
    FieldDef name{QStringLiteral("Nama"), FieldType::Text, 10};
    FieldDef amount{QStringLiteral("Jumlah"), FieldType::Money};
    amount.required = true;
    FieldDef date{QStringLiteral("Tgl"), FieldType::Date};
    date.editMask = QStringLiteral("!99/99/00;1;_");
    FieldDef stamp{QStringLiteral("Stempel"), FieldType::Text, 10};
    return TableSchema{QStringLiteral("Items.db"), QStringLiteral("Items"), {number, name, amount, date, stamp}, {}, {}};
}

// One form with one table and a data source, fresh for every test.
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<Connection> connection;
    std::unique_ptr<Table> table;
    std::unique_ptr<DataSource> source;
    std::unique_ptr<Form> form;

    Fixture()
    {
        setAliasFolder(Alias, dir.path());
        connection = std::make_unique<Connection>(Alias, QList<TableSchema>{itemsSchema()});
        table = std::make_unique<Table>(QStringLiteral("Items"));
        table->setDatabaseName(Alias);
        table->setTableName(QStringLiteral("Items.db"));
        table->open();
        source = std::make_unique<DataSource>(QStringLiteral("DSitems"));
        source->setDataSet(table.get());
        form = std::make_unique<Form>(QStringLiteral("Fitems"));
        form->resize(600, 400);
    }

    void add(const QString &name, const QString &amount)
    {
        table->append();
        table->fieldByName(QStringLiteral("Nama"))->setText(name);
        table->fieldByName(QStringLiteral("Jumlah"))->setText(amount);
        table->post();
    }

    void showAndFocus(QWidget *widget)
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        widget->setFocus();
    }

    DBEdit *edit(const QString &name, const QString &field)
    {
        auto *e = new DBEdit(form.get(), name);
        e->setDataSource(source.get());
        e->setDataField(field);
        return e;
    }
};

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void editShowsTypesAndWrites();
    void programTextWaitsForAPostOfAnotherReason();
    void editRefusesWhatTheFieldCannotHold();
    void maskedDateReadsTwoDigitYears();
    void comboAcceptsItemsAndTypedText();
    void gridShowsRowsAndMovesTheDataset();
    void navigatorButtonsAndDeleteQuestion();
};

void ControlsTest::editShowsTypesAndWrites()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1500000"));
    f.add(QStringLiteral("Budi"), QStringLiteral("2500,5"));
    f.table->first();
    DBEdit *name = f.edit(QStringLiteral("DBEnama"), QStringLiteral("Nama"));
    DBEdit *amount = f.edit(QStringLiteral("DBEjumlah"), QStringLiteral("Jumlah"));
    auto *text = new DBText(f.form.get(), QStringLiteral("DBText1"));
    text->setDataSource(f.source.get());
    text->setDataField(QStringLiteral("Nama"));
    QCOMPARE(name->text(), QStringLiteral("Ani"));
    QCOMPARE(name->maxLength(), 10);
    QCOMPARE(text->text(), QStringLiteral("Ani"));
    // Money shows the currency text until it is being edited.
    QCOMPARE(amount->text(), Money::parse(QStringLiteral("1500000")).toCurrencyString());
    f.showAndFocus(amount);
    QCOMPARE(amount->text(), QStringLiteral("1500000"));

    f.table->next();
    QCOMPARE(name->text(), QStringLiteral("Budi"));
    QCOMPARE(text->text(), QStringLiteral("Budi"));

    // Typing while browsing starts an edit of the shown row.
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Bayu"));
    QCOMPARE(f.table->state(), DataState::Edit);
    // Leaving the editor writes its text into the row.
    amount->setFocus();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Bayu"));
    QCOMPARE(text->text(), QStringLiteral("Bayu"));
    // Moving settles: the typed change is stored.
    f.table->first();
    f.table->last();
    QCOMPARE(name->text(), QStringLiteral("Bayu"));
    QCOMPARE(f.table->state(), DataState::Browse);

    // Typed text that was never left behind is posted too.
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Bima"));
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Bima"));
}

void ControlsTest::programTextWaitsForAPostOfAnotherReason()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1"));
    DBEdit *stamp = f.edit(QStringLiteral("DBEstempel"), QStringLiteral("Stempel"));
    stamp->setVisible(false);
    stamp->setEnabled(false);
    // Set while browsing: nothing to write.
    stamp->setText(QStringLiteral("pagi"));
    f.table->edit();
    QCOMPARE(stamp->text(), QString());
    stamp->setText(QStringLiteral("siang"));
    // Settling an otherwise untouched row cancels it.
    f.table->first();
    QCOMPARE(f.table->state(), DataState::Browse);
    QVERIFY(f.table->fieldByName(QStringLiteral("Stempel"))->isNull());
    // Changed for another reason, an edited row still keeps what it holds:
    // the program's text (a date stamp) is for new rows.
    f.table->edit();
    stamp->setText(QStringLiteral("sore"));
    f.table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Ana"));
    f.table->first();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Ana"));
    QVERIFY(f.table->fieldByName(QStringLiteral("Stempel"))->isNull());
    QCOMPARE(stamp->text(), QString());
    // The editStarted signal comes after the editor shows the new row.
    QString seen = QStringLiteral("none");
    connect(stamp, &DBEdit::editStarted, stamp, [&] {
        seen = stamp->text();
        stamp->setText(QStringLiteral("malam"));
    });
    f.table->append();
    QCOMPARE(seen, QString());
    f.table->fieldByName(QStringLiteral("Jumlah"))->setText(QStringLiteral("5"));
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Stempel"))->asString(), QStringLiteral("malam"));
}

void ControlsTest::editRefusesWhatTheFieldCannotHold()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1"));
    DBEdit *amount = f.edit(QStringLiteral("DBEjumlah"), QStringLiteral("Jumlah"));
    f.showAndFocus(amount);
    MessageScript script;
    amount->selectAll();
    // Letters other than the exponent never reach an amount box.
    QTest::keyClicks(amount, QStringLiteral("1a2b,c"));
    QCOMPARE(amount->text(), QStringLiteral("12,"));
    QTest::keyClicks(amount, QStringLiteral("5e"));
    try {
        f.table->post();
        QFAIL("a text that is not an amount was posted");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.code(), dberr::InvalidValue);
        QVERIFY(e.text().contains(QLatin1String("12,5e")));
    }
    QCOMPARE(f.table->state(), DataState::Edit);
    QCOMPARE(amount->text(), QStringLiteral("12,5e"));
    amount->selectAll();
    QTest::keyClicks(amount, QStringLiteral("12"));
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Jumlah"))->asMoney(), Money::fromUnits(12));

    // The editor stops typing at the field's size; a longer text reaching the
    // field is refused whole, never cut.
    DBEdit *name = f.edit(QStringLiteral("DBEnama"), QStringLiteral("Nama"));
    QCOMPARE(name->maxLength(), 10);
    f.table->edit();
    try {
        f.table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Nama yang terlalu panjang"));
        QFAIL("a text longer than its field was taken");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.code(), dberr::ValueTooLong);
    }
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Ani"));
    f.table->cancel();
}

void ControlsTest::maskedDateReadsTwoDigitYears()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1"));
    DBEdit *date = f.edit(QStringLiteral("DBEtgl"), QStringLiteral("Tgl"));
    QCOMPARE(date->inputMask(), QStringLiteral("00/00/99;_"));
    f.showAndFocus(date);
    date->home(false);
    QTest::keyClicks(date, QStringLiteral("100183"));
    QCOMPARE(date->text(), QStringLiteral("10/01/83"));
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Tgl"))->asDate(), QDate(1983, 1, 10));
    QCOMPARE(date->text(), QStringLiteral("10/01/83"));
    // An emptied entry counts as no date at all.
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    QCOMPARE(f.table->state(), DataState::Edit);
    f.table->post();
    QVERIFY(f.table->fieldByName(QStringLiteral("Tgl"))->isNull());
}

void ControlsTest::comboAcceptsItemsAndTypedText()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1"));
    auto *combo = new DBComboBox(f.form.get(), QStringLiteral("DBCnama"));
    combo->addItems({QStringLiteral("Islam "), QStringLiteral("Hindu")});
    combo->setDataSource(f.source.get());
    combo->setDataField(QStringLiteral("Nama"));
    QCOMPARE(combo->text(), QStringLiteral("Ani"));
    f.showAndFocus(combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("Budha"));
    QCOMPARE(f.table->state(), DataState::Edit);
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Budha"));
    // Choosing an item edits the row as well; the trailing blank is kept.
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QCOMPARE(f.table->state(), DataState::Edit);
    f.table->post();
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Islam "));
}

void ControlsTest::gridShowsRowsAndMovesTheDataset()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1500000"));
    f.add(QStringLiteral("Budi"), QStringLiteral("2"));
    f.add(QStringLiteral("Cici"), QStringLiteral("3"));
    f.table->first();
    auto *grid = new DBGrid(f.form.get(), QStringLiteral("DBGrid1"));
    grid->setColumns({{QStringLiteral("No"), QStringLiteral("No")},
                      {QStringLiteral("Nama"), QString()},
                      {QStringLiteral("Jumlah"), QStringLiteral("Jumlah"), Qt::AlignCenter}});
    grid->setDataSource(f.source.get());
    QAbstractItemModel *model = grid->model();
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nama"));
    QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Ani"));
    QCOMPARE(model->index(0, 2).data().toString(), Money::fromUnits(1500000).toCurrencyString());
    QCOMPARE(grid->currentIndex().row(), 0);

    // Choosing a row moves the dataset; the dataset's moves select the row.
    grid->setCurrentIndex(model->index(2, 1));
    QCOMPARE(f.table->recNo(), 2);
    f.table->prior();
    QCOMPARE(grid->currentIndex().row(), 1);

    // The row being inserted shows in its place.
    f.table->insert();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(model->index(1, 1).data().toString(), QString());
    f.table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Baru"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("Baru"));
    f.table->cancel();
    QCOMPARE(model->rowCount(), 3);

    // A read-only grid edits nothing; an editable one writes into the row.
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    grid->setReadOnlyGrid(false);
    QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(model->setData(model->index(0, 1), QStringLiteral("Ana"), Qt::EditRole));
    QCOMPARE(f.table->recNo(), 0);
    QCOMPARE(f.table->state(), DataState::Edit);
    f.table->post();
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Ana"));
}

void ControlsTest::navigatorButtonsAndDeleteQuestion()
{
    Fixture f;
    f.add(QStringLiteral("Ani"), QStringLiteral("1"));
    f.add(QStringLiteral("Budi"), QStringLiteral("2"));
    auto *nav = new DBNavigator(f.form.get(), QStringLiteral("DBNavigator1"));
    nav->setDataSource(f.source.get());
    nav->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Post, DBNavigator::Cancel});
    nav->setHints({QStringLiteral("Tambah"), QStringLiteral("Hapus"), QStringLiteral("Simpan"), QStringLiteral("Batal")});
    QStringList names;
    for (QAbstractButton *b : nav->findChildren<QAbstractButton *>())
        names << b->objectName();
    QCOMPARE(names, (QStringList{QStringLiteral("first"), QStringLiteral("prior"), QStringLiteral("next"),
                                 QStringLiteral("last"), QStringLiteral("insert"), QStringLiteral("delete"),
                                 QStringLiteral("edit"), QStringLiteral("post"), QStringLiteral("cancel"),
                                 QStringLiteral("refresh")}));
    auto *remove = nav->findChild<QAbstractButton *>(QStringLiteral("delete"));
    QCOMPARE(remove->toolTip(), QStringLiteral("Hapus"));
    QVERIFY(nav->findChild<QAbstractButton *>(QStringLiteral("first"))->isHidden());
    QList<DBNavigator::Action> clicks;
    nav->onClick = [&](DBNavigator::Action a) { clicks << a; };

    MessageScript script;
    f.table->first();
    script.answer(mrCancel);
    remove->click();
    QCOMPARE(script.last().text, QStringLiteral("Delete record?"));
    QCOMPARE(script.last().title, QStringLiteral("Confirm"));
    QCOMPARE(f.table->recordCount(), 2);
    script.answer(mrOk);
    remove->click();
    QCOMPARE(f.table->recordCount(), 1);
    QCOMPARE(f.table->fieldByName(QStringLiteral("Nama"))->asString(), QStringLiteral("Budi"));
    QCOMPARE(clicks, (QList<DBNavigator::Action>{DBNavigator::Delete, DBNavigator::Delete}));

    // Post and cancel only while a row is open; a failing post reaches the error box.
    auto *post = nav->findChild<QAbstractButton *>(QStringLiteral("post"));
    QVERIFY(!post->isEnabled());
    nav->findChild<QAbstractButton *>(QStringLiteral("insert"))->click();
    QVERIFY(post->isEnabled());
    f.table->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Cici"));
    script.clear();
    post->click();
    QCOMPARE(script.count(), 1);
    QCOMPARE(script.last().kind, messages::Kind::StandardError);
    QCOMPARE(f.table->state(), DataState::Insert);
    // The click handler runs only after a click whose own work succeeded.
    QCOMPARE(clicks.size(), 3);
    nav->findChild<QAbstractButton *>(QStringLiteral("cancel"))->click();
    QCOMPARE(f.table->state(), DataState::Browse);
    QCOMPARE(f.table->recordCount(), 1);
}

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
