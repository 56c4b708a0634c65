// The savings window driven as a clerk drives it: choose a member through
// "TRANSAKSI", insert a deposit on the navigator, type the three amounts into
// the grid, post; look at the balance breakdown and print the slip.

#include "members/Ucari.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "runtime/report/preview.h"
#include "savings/simpanan.h"
#include "support/amounts.h"
#include "support/messagescript.h"
#include "support/pages.h"
#include "support/program.h"
#include "support/sqlfile.h"
#include "support/teller.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Grid columns of the savings grid, as the clerk sees them.
enum Column { ColNo, ColDate, ColMember, ColWajib, ColSukarela, ColWisuda, ColTotal };

QString member(const QString &number, const QString &name, const QString &npm)
{
    return QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, JK, Alamat, Kodepos) "
                          "VALUES ('%1', '2003-02-01', '%2', '%3', '001', 'W', 'Jl. Dago 12', '40135')")
        .arg(number, name, npm);
}

// Amounts in rupiah as written, e.g. "10000" or "2500.5".
QString deposit(const QString &number, const QString &date, const QString &wajib, const QString &sukarela,
                const QString &wisuda)
{
    auto raw = [](const QString &amount) { return QString::number(Money::parse(amount, QLocale::c()).raw()); };
    return QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                          "VALUES ('%1', '%2', %3, %4, %5)")
        .arg(date, number, raw(wajib), raw(sukarela), raw(wisuda));
}

void press(DBNavigator::Action action, DBNavigator *navigator = nullptr)
{
    (navigator ? navigator : Fsimpan->DBNavigator1)->button(action)->click();
}

// Types into the savings grid's current row, as long as the grid takes input.
bool typeCell(int column, const QString &text)
{
    DBGrid *grid = Fsimpan->DBGrid1;
    if (!grid->isEnabled())
        return false;
    const QModelIndex cell = grid->model()->index(grid->currentIndex().row(), column);
    return grid->model()->setData(cell, text, Qt::EditRole);
}

// Types into a cell of the savings grid's current row through its editor,
// as a clerk does, and leaves it with Enter. The editor stays open when the
// grid refused the text.
QPointer<QLineEdit> typeIntoCell(int column, const QString &text)
{
    DBGrid *grid = Fsimpan->DBGrid1;
    const QModelIndex index = grid->model()->index(grid->currentIndex().row(), column);
    grid->setCurrentIndex(index);
    grid->edit(index);
    QPointer<QLineEdit> editor = qobject_cast<QLineEdit *>(grid->indexWidget(index));
    if (!editor)
        return nullptr;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits Enter once the editor has seen it
    return qobject_cast<QLineEdit *>(grid->indexWidget(index));
}

QString cell(int row, int column)
{
    const QAbstractItemModel *model = Fsimpan->DBGrid1->model();
    return model->index(row, column).data().toString();
}

QStringList figures()
{
    return {Fsimpan->wajib->text(), Fsimpan->suka->text(), Fsimpan->wisuda->text(), Fsimpan->Etotsimpanan->text()};
}

QList<QVariantList> savingsFile(const Program &program)
{
    return readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                    QStringLiteral("select No_Simpan, Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda "
                                   "from Tsimpanan1 order by No_Simpan"));
}

} // namespace

class SimpanTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Program> program;

    // Opens a transaction for `number` through "TRANSAKSI".
    void openTransaction(const QString &number)
    {
        activate(Fsimpan);
        search(Fsimpan->BitBtn2, number);
    }

private slots:
    void initTestCase()
    {
        regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    }
    void init()
    {
        program = std::make_unique<Program>();
        seed({member(Ani, QStringLiteral("Ani Lestari"), QStringLiteral("B1200101")),
              member(Budi, QStringLiteral("Budi Santoso"), QStringLiteral("D0200202")),
              member(Citra, QStringLiteral("Citra Dewi"), QStringLiteral("A1200303"))});
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
        program.reset();
    }

    void startsWithGridAndNavigatorLocked();
    void transactionRecordsOneDeposit();
    void refusedDepositStaysOpenForCorrection();
    void amountsTypedAsShown();
    void searchThatMissesOrIsCancelled();
    void breakdownOfTheBalance();
    void breakdownSettlesADepositBeingEntered();
    void figuresAfterNavigationAndActivation();
    void cariOnlyMovesTheMember();
    void editKeepsItsDate();
    void closingAsksAboutATypedDeposit();
    void slipOfTheLastDeposit();
    void twelveDigitAmountsShowWhole();
};

void SimpanTest::startsWithGridAndNavigatorLocked()
{
    TFsimpan *w = Fsimpan;
    QCOMPARE(w->objectName(), QStringLiteral("Fsimpan"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Data Simpanan Anggota"));
    QVERIFY(!w->DBGrid1->isEnabled());
    QVERIFY(!w->DBNavigator1->isEnabled());
    QVERIFY(!w->DBNavigator1->isHidden());
    // The members came after start: the first one is current, its breakdown
    // ready and not worked out yet.
    QVERIFY(w->BitBtn3->isEnabled());
    for (QWidget *box : std::initializer_list<QWidget *>{w->DBEdit3, w->DBEdit1, w->DBEdit2, w->DBETglSimpan,
                                                         w->Etotsimpanan})
        QVERIFY(!box->isEnabled());

    QCOMPARE(w->BitBtn2->text(), QStringLiteral("TRANSAKSI"));
    QCOMPARE(w->BitBtn2->toolTip(), QStringLiteral("Transaksi Simpanan"));
    QCOMPARE(w->BitBtn3->text(), QStringLiteral("RINCIAN"));
    QCOMPARE(w->BitBtn3->toolTip(), QStringLiteral("Rincian saldo"));
    QCOMPARE(w->BitBtn4->text(), QStringLiteral("CA&RI"));
    QCOMPARE(w->BitBtnlapSimpan->text(), QStringLiteral("&SLIP"));
    QCOMPARE(w->BitBtnlapSimpan->toolTip(), QStringLiteral("Slip simpanan transaksi terakhir"));
    QCOMPARE(w->BitBtn1->text(), QStringLiteral("&Close"));
    QCOMPARE(w->BitBtn1->toolTip(), QStringLiteral("Keluar dari file Simpanan"));
    QCOMPARE(w->GroupBox1->title(), QStringLiteral("Rincian Saldo"));
    QCOMPARE(w->Label2->text(), QStringLiteral("Total Simpanan :"));
    QCOMPARE(w->Label7->text(), QStringLiteral("wisuda"));
    QCOMPARE(w->DBGrid3->toolTip(), QStringLiteral("Tabel Anggota"));
    QCOMPARE(w->DBGrid1->toolTip(), QStringLiteral("Tabel Simpanan"));

    QStringList hints;
    for (auto a : {DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post,
                   DBNavigator::Cancel, DBNavigator::Refresh})
        hints << w->DBNavigator1->button(a)->toolTip();
    QCOMPARE(hints, (QStringList{"Tambah data simpanan", "Hapus data simpanan", "Ubah data simpanan",
                                 "Simpan data transaksi", "Transaksi dibatalkan", "Refresh data"}));
    QVERIFY(w->DBNavigator1->button(DBNavigator::First)->isHidden());
    hints.clear();
    for (auto a : {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last})
        hints << w->DBNavigator2->button(a)->toolTip();
    QCOMPARE(hints, (QStringList{"Ke awal record ", "Ke record sebelumnya", "Ke record selanjutnya",
                                 "Ke record terakhir"}));
    QVERIFY(w->DBNavigator2->button(DBNavigator::Insert)->isHidden());

    auto titles = [](DBGrid *grid) {
        QStringList t;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            t << grid->model()->headerData(c, Qt::Horizontal).toString();
        return t;
    };
    QCOMPARE(titles(w->DBGrid1), (QStringList{"No", "Tgl Simpan", "No Anggota", "S.Wajib", "S.Sukarela",
                                              "S.Wisuda", "Total"}));
    QCOMPARE(titles(w->DBGrid3), (QStringList{"No_Anggota", "Nama", "NPM", "JenisKelamin", "Fakultas"}));
    const auto centred = w->DBGrid1->model()->headerData(ColTotal, Qt::Horizontal, Qt::TextAlignmentRole);
    QCOMPARE(centred.value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
    QVERIFY(w->DBGrid3->isReadOnlyGrid());
    QVERIFY(!w->DBGrid1->isReadOnlyGrid());

    // Right after start the first member and their (no) savings are shown.
    QCOMPARE(w->DBEdit3->text(), Ani);
    QCOMPARE(w->DBEdit2->text(), QStringLiteral("Ani Lestari"));
    QCOMPARE(w->DBGrid3->model()->index(0, 4).data().toString(), QStringLiteral("EKONOMI"));
    QCOMPARE(w->DBGrid1->model()->rowCount(), 0);

    activate(w);
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));
}

void SimpanTest::transactionRecordsOneDeposit()
{
    MessageScript script;
    openTransaction(Budi);
    QCOMPARE(Fcari->windowTitle(), QStringLiteral("Transaksi Simpanan......."));
    QCOMPARE(currentMember(), Budi);
    QCOMPARE(Fsimpan->DBEdit2->text(), QStringLiteral("Budi Santoso"));
    QVERIFY(Fsimpan->DBGrid1->isEnabled());
    QVERIFY(Fsimpan->DBNavigator1->isEnabled());
    QVERIFY(Fsimpan->BitBtn3->isEnabled());
    QVERIFY(!Fcari->isVisible());
    // Another member: no figures until "RINCIAN".
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));

    Fmenu->Timer2Timer();
    press(DBNavigator::Insert);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("10000")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("2500,5")));
    // Until all three amounts are in, the total stays empty.
    QCOMPARE(cell(0, ColTotal), QString());
    QVERIFY(typeCell(ColWisuda, QStringLiteral("0")));
    QCOMPARE(cell(0, ColTotal), currency("12500.5"));
    QCOMPARE(cell(0, ColMember), Budi);
    Fmenu->Timer2Timer();
    press(DBNavigator::Post);
    QVERIFY(script.texts().isEmpty());

    const QString today = regional::todayShortDate();
    const auto rows = savingsFile(*program);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(1).toString(), today);
    QCOMPARE(rows[0].value(2).toString(), Budi);
    QCOMPARE(rows[0].value(3).toLongLong(), 100000000LL);
    QCOMPARE(rows[0].value(4).toLongLong(), 25005000LL);
    QCOMPARE(rows[0].value(5).toLongLong(), 0LL);

    // The number the table gave the row shows at once, with the date.
    const QString number = rows[0].value(0).toString();
    QCOMPARE(Fsimpan->DBEdit1->text(), number);
    QCOMPARE(cell(0, ColNo), number);
    QCOMPARE(cell(0, ColDate), today);
    QCOMPARE(Fsimpan->DBETglSimpan->text(), today);

    // Posting locked the transaction again: the next deposit needs "TRANSAKSI".
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(!Fsimpan->DBNavigator1->isEnabled());
    press(DBNavigator::Insert);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    QVERIFY(!typeCell(ColWajib, QStringLiteral("1")));

    // A second transaction for the same member adds a second row after the first.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    for (int c : {ColWajib, ColSukarela, ColWisuda})
        QVERIFY(typeCell(c, QStringLiteral("1000")));
    press(DBNavigator::Post);
    QCOMPARE(savingsFile(*program).size(), 2);
    QCOMPARE(Fsimpan->DBGrid1->model()->rowCount(), 2);

    // The rows belong to Budi: Ani's view shows none of them.
    press(DBNavigator::First, Fsimpan->DBNavigator2);
    QCOMPARE(currentMember(), Ani);
    QCOMPARE(Fsimpan->DBGrid1->model()->rowCount(), 0);
}

void SimpanTest::refusedDepositStaysOpenForCorrection()
{
    MessageScript script;
    openTransaction(Ani);
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("-5000")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("0")));
    QVERIFY(typeCell(ColWisuda, QStringLiteral("0")));
    press(DBNavigator::Post);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Minimum Adalah 0")});
    QCOMPARE(script.last().kind, messages::Kind::Warning);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QVERIFY(Fsimpan->DBGrid1->isEnabled());
    QVERIFY(Fsimpan->DBNavigator1->isEnabled());

    // An amount left empty.
    script.clear();
    QVERIFY(typeCell(ColWajib, QString()));
    press(DBNavigator::Post);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Tidak Boleh Kosong")});
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QVERIFY(savingsFile(*program).isEmpty());

    // Corrected, it goes in.
    script.clear();
    QVERIFY(typeCell(ColWajib, QStringLiteral("5000")));
    press(DBNavigator::Post);
    QVERIFY(script.texts().isEmpty());
    QCOMPARE(savingsFile(*program).size(), 1);
    QCOMPARE(savingsFile(*program)[0].value(3).toLongLong(), 50000000LL);
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
}

void SimpanTest::amountsTypedAsShown()
{
    QList<messages::Box> boxes;
    messages::setScript([&boxes](const messages::Box &box) {
        boxes << box;
        // As a real box does, it takes the focus from the cell while it is up.
        Fsimpan->DBGrid3->setFocus(Qt::ActiveWindowFocusReason);
        return int(mrOk);
    });
    const auto restore = qScopeGuard([] { messages::setScript(nullptr); });
    const auto texts = [&boxes] {
        QStringList list;
        for (const messages::Box &box : std::as_const(boxes))
            list << box.text;
        return list;
    };
    openTransaction(Ani);
    press(DBNavigator::Insert);
    DBGrid *grid = Fsimpan->DBGrid1;
    // Typed as the column shows it, the cell takes the amount and closes.
    QVERIFY(!typeIntoCell(ColWajib, QStringLiteral("50.000")));
    QVERIFY(!typeIntoCell(ColSukarela, QStringLiteral("Rp 12.500,25")));
    QCOMPARE(cell(0, ColWajib), QStringLiteral("Rp50.000,00"));
    QVERIFY(boxes.isEmpty());

    // A dot that groups nothing: the warning names the column, and the cell
    // keeps what was typed.
    const QString refusal = QStringLiteral("\"S.Wisuda\": \"50.5\" bukan jumlah uang yang sah");
    const QPointer<QLineEdit> editor = typeIntoCell(ColWisuda, QStringLiteral("50.5"));
    QCOMPARE(texts(), QStringList{refusal});
    QCOMPARE(boxes.last().kind, messages::Kind::Warning);
    QVERIFY(editor);
    QCOMPARE(grid->indexWidget(grid->model()->index(0, ColWisuda)), editor.data());
    QCOMPARE(editor->text(), QStringLiteral("50.5"));
    QVERIFY(editor->hasFocus());
    QVERIFY(modul->Tsimpan1->fieldByName(QStringLiteral("S_Wisuda"))->isNull());

    // Posting with the refused cell still open stops at the same warning.
    press(DBNavigator::Post);
    QCOMPARE(texts(), QStringList({refusal, refusal}));
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QVERIFY(savingsFile(*program).isEmpty());
    QCOMPARE(editor->text(), QStringLiteral("50.5"));

    // Corrected in place, the deposit goes in exactly.
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, QStringLiteral("00"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(!grid->indexWidget(grid->model()->index(0, ColWisuda)));
    press(DBNavigator::Post);
    QCOMPARE(boxes.size(), 2);
    const auto rows = savingsFile(*program);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(3).toLongLong(), 500'000'000LL);
    QCOMPARE(rows[0].value(4).toLongLong(), 125'002'500LL);
    QCOMPARE(rows[0].value(5).toLongLong(), 505'000'000LL);
}

void SimpanTest::searchThatMissesOrIsCancelled()
{
    MessageScript script;
    activate(Fsimpan);
    press(DBNavigator::Last, Fsimpan->DBNavigator2);
    QVERIFY(Fsimpan->BitBtn3->isEnabled());

    // A miss goes back to the member chosen before, with nothing unlocked.
    for (const QString &typed : {QStringLiteral("9999999"), QStringLiteral("120"), QString()}) {
        script.clear();
        search(Fsimpan->BitBtn2, typed);
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Data Tidak Ditemukan")});
        QCOMPARE(currentMember(), Citra);
        QVERIFY(!Fsimpan->DBGrid1->isEnabled());
        QVERIFY(!Fsimpan->DBNavigator1->isEnabled());
        QVERIFY(!Fsimpan->BitBtn3->isEnabled());
    }

    // Cancel starts nothing and moves nothing, whatever was typed.
    script.clear();
    for (const QString &typed : {QString(), Ani}) {
        search(Fsimpan->BitBtn2, typed, false);
        QCOMPARE(currentMember(), Citra);
        QVERIFY(!Fsimpan->DBGrid1->isEnabled());
        QVERIFY(!Fsimpan->BitBtn3->isEnabled());
    }
    QVERIFY(script.texts().isEmpty());

    // An open transaction stays open through a Cancel ...
    search(Fsimpan->BitBtn2, Budi);
    QVERIFY(Fsimpan->DBGrid1->isEnabled());
    search(Fsimpan->BitBtn2, Ani, false);
    QCOMPARE(currentMember(), Budi);
    QVERIFY(Fsimpan->DBGrid1->isEnabled() && Fsimpan->DBNavigator1->isEnabled());
    QVERIFY(Fsimpan->BitBtn3->isEnabled());

    // ... and is locked by a miss: no deposit for a member the clerk did
    // not choose.
    search(Fsimpan->BitBtn2, QStringLiteral("0000000"));
    QCOMPARE(currentMember(), Budi);
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(!Fsimpan->DBNavigator1->isEnabled());
    QVERIFY(!Fsimpan->BitBtn3->isEnabled());
    press(DBNavigator::Insert);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);

    // So does the member report's walk to the last member.
    search(Fsimpan->BitBtn2, Ani);
    QVERIFY(Fsimpan->DBGrid1->isEnabled());
    PreviewCatcher report;
    Fmenu->LaporanAnggota1->trigger();
    QCOMPARE(report.titles, QStringList{QStringLiteral("LAPORAN ANGGOTA")});
    QCOMPARE(currentMember(), Citra);
    QVERIFY(!Fsimpan->DBGrid1->isEnabled() && !Fsimpan->DBNavigator1->isEnabled());
}

void SimpanTest::breakdownOfTheBalance()
{
    seed({deposit(Budi, QStringLiteral("01/02/2003"), QStringLiteral("10000"), QStringLiteral("2500.5"),
                  QStringLiteral("0")),
          deposit(Budi, QStringLiteral("01/03/2003"), QStringLiteral("10000"), QStringLiteral("0.25"),
                  QStringLiteral("1000000")),
          deposit(Ani, QStringLiteral("01/03/2003"), QStringLiteral("7"), QStringLiteral("7"),
                  QStringLiteral("7"))});
    openTransaction(Budi);
    Fsimpan->BitBtn3->click();
    // Per kind and overall, general number format: no grouping, decimal comma.
    QCOMPARE(figures(), (QStringList{"20000", "2500,75", "1000000", "1022500,75"}));
    QVERIFY(!Fsimpan->BitBtn3->isEnabled());
    QCOMPARE(currentMember(), Budi);
    // The savings table is left on the member's last row.
    QCOMPARE(modul->Tsimpan1->recNo(), 1);
    QVERIFY(modul->Tsimpan1->eof());

    // A member without savings: "0" everywhere.
    search(Fsimpan->BitBtn2, Citra);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"0", "0", "0", "0"}));
    QCOMPARE(modul->Tsimpan1->recordCount(), 0);

    // The first member, found by number or reached by the navigator's
    // prior, shows its own balance and stays current.
    search(Fsimpan->BitBtn2, Ani);
    QVERIFY(!modul->Tanggota1->bof());
    Fsimpan->BitBtn3->click();
    QCOMPARE(currentMember(), Ani);
    QCOMPARE(figures(), (QStringList{"7", "7", "7", "21"}));
    search(Fsimpan->BitBtn4, Budi);
    press(DBNavigator::Prior, Fsimpan->DBNavigator2);
    QCOMPARE(currentMember(), Ani);
    Fsimpan->BitBtn3->click();
    QCOMPARE(currentMember(), Ani);
    QCOMPARE(figures(), (QStringList{"7", "7", "7", "21"}));
    // A deposit stored by another tool since is read afresh.
    exec(deposit(Ani, QStringLiteral("02/03/2003"), QStringLiteral("1"), QStringLiteral("1"),
                 QStringLiteral("1")));
    search(Fsimpan->BitBtn4, Ani);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"8", "8", "8", "24"}));
    QCOMPARE(currentMember(), Ani);

    // Moved to the first member by the navigator, the mark is set.
    search(Fsimpan->BitBtn4, Ani);
    QVERIFY(Fsimpan->BitBtn3->isEnabled());
    press(DBNavigator::First, Fsimpan->DBNavigator2);
    QVERIFY(modul->Tanggota1->bof());
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"8", "8", "8", "24"}));
    QCOMPARE(currentMember(), Ani);

    // With a single member there is nowhere to nudge to; the sums still
    // start from the member's first deposit.
    exec(QStringLiteral("delete from Tanggota1 where No_Anggota <> '%1'").arg(Budi));
    seed({});
    QCOMPARE(modul->Tanggota1->recordCount(), 1);
    modul->Tsimpan1->last();
    press(DBNavigator::Next, Fsimpan->DBNavigator2);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"20000", "2500,75", "1000000", "1022500,75"}));
}

void SimpanTest::breakdownSettlesADepositBeingEntered()
{
    MessageScript script;
    seed({deposit(Budi, QStringLiteral("01/02/2003"), QStringLiteral("100"), QStringLiteral("10"),
                  QStringLiteral("1"))});

    // Typed but not posted: "RINCIAN" posts it first and counts it.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    for (int c : {ColWajib, ColSukarela, ColWisuda})
        QVERIFY(typeCell(c, QStringLiteral("1000")));
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"1100", "1010", "1001", "3111"}));
    QCOMPARE(savingsFile(*program).size(), 2);
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(!Fsimpan->DBNavigator1->isEnabled());

    // Inserted but nothing typed: the row is dropped.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"1100", "1010", "1001", "3111"}));
    QCOMPARE(savingsFile(*program).size(), 2);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);

    // A row the savings rules refuse stops the breakdown after their warning.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("-1")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("0")));
    QVERIFY(typeCell(ColWisuda, QStringLiteral("0")));
    script.clear();
    Fsimpan->BitBtn3->click();
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Minimum Adalah 0")});
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));
    QVERIFY(Fsimpan->BitBtn3->isEnabled());
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QCOMPARE(savingsFile(*program).size(), 2);
}

void SimpanTest::figuresAfterNavigationAndActivation()
{
    seed({deposit(Budi, QStringLiteral("01/02/2003"), QStringLiteral("300"), QStringLiteral("20"),
                  QStringLiteral("1")),
          deposit(Citra, QStringLiteral("01/02/2003"), QStringLiteral("5"), QStringLiteral("5"),
                  QStringLiteral("5"))});
    openTransaction(Budi);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"300", "20", "1", "321"}));
    QVERIFY(!Fsimpan->BitBtn3->isEnabled());

    // Another member by a click into the member grid: Budi's figures go and
    // "RINCIAN" works out Citra's.
    DBGrid *members = Fsimpan->DBGrid3;
    const QRect third = members->visualRect(members->model()->index(2, 1));
    QTest::mouseClick(members->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(currentMember(), Citra);
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));
    QVERIFY(Fsimpan->BitBtn3->isEnabled());
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"5", "5", "5", "15"}));

    // The same by the member navigator and by a search.
    press(DBNavigator::Prior, Fsimpan->DBNavigator2);
    QCOMPARE(currentMember(), Budi);
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));
    QVERIFY(Fsimpan->BitBtn3->isEnabled());
    press(DBNavigator::Next, Fsimpan->DBNavigator2);
    Fsimpan->BitBtn3->click();
    search(Fsimpan->BitBtn4, Ani);
    QCOMPARE(figures(), (QStringList{"", "", "", ""}));
    search(Fsimpan->BitBtn4, Citra);
    Fsimpan->BitBtn3->click();
    QCOMPARE(figures(), (QStringList{"5", "5", "5", "15"}));

    // Leaving for another window and coming back keeps the member's figures.
    QWidget elsewhere;
    elsewhere.resize(200, 100);
    activate(&elsewhere);
    activate(Fsimpan);
    QCOMPARE(figures(), (QStringList{"5", "5", "5", "15"}));
    // The member link is still in place after the activation.
    QCOMPARE(modul->Tsimpan1->masterFields(), QStringLiteral("No_Anggota"));
    QCOMPARE(modul->Tsimpan1->indexName(), QStringLiteral("IdxNoAnggota"));
    QCOMPARE(Fsimpan->DBGrid1->model()->rowCount(), 1);
}

void SimpanTest::cariOnlyMovesTheMember()
{
    MessageScript script;
    activate(Fsimpan);
    search(Fsimpan->BitBtn4, Citra);
    QCOMPARE(Fcari->windowTitle(), QStringLiteral("Cari Simpanan"));
    QCOMPARE(currentMember(), Citra);
    QCOMPARE(Fsimpan->DBEdit3->text(), Citra);
    QVERIFY(Fcari->EnoA->text().isEmpty());
    // Only a transaction unlocks the savings grid; the dialog enabled "RINCIAN".
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(!Fsimpan->DBNavigator1->isEnabled());
    QVERIFY(Fsimpan->BitBtn3->isEnabled());

    // Cancelled, the current member stays.
    search(Fsimpan->BitBtn4, Budi, false);
    QCOMPARE(currentMember(), Citra);
    QVERIFY(script.texts().isEmpty());
}

void SimpanTest::editKeepsItsDate()
{
    seed({deposit(Ani, QStringLiteral("01/02/2003"), QStringLiteral("100"), QStringLiteral("0"),
                  QStringLiteral("0"))});
    openTransaction(Ani);
    press(DBNavigator::Edit);
    QVERIFY(typeCell(ColSukarela, QStringLiteral("50")));
    // The clock's tick on a later day: a correction keeps the deposit in
    // the month it was made.
    Fmenu->Label2->setText(QStringLiteral("15/08/2031"));
    Fsimpan->DBETglSimpan->setText(Fmenu->Label2->text());
    press(DBNavigator::Post);
    const auto rows = savingsFile(*program);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(1).toString(), QStringLiteral("01/02/2003"));
    QCOMPARE(rows[0].value(4).toLongLong(), 500000LL);
    QCOMPARE(cell(0, ColDate), QStringLiteral("01/02/2003"));
}

void SimpanTest::closingAsksAboutATypedDeposit()
{
    MessageScript script;
    const QString question = QStringLiteral("Data belum disimpan. Simpan sekarang?");
    openTransaction(Budi);
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("-1")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("0")));
    QVERIFY(typeCell(ColWisuda, QStringLiteral("0")));
    // Batal, and Ya with a post the rules refuse: the window stays open
    // with the row as it was.
    script.answer(mrCancel);
    Fsimpan->BitBtn1->click();
    script.answer(mrYes);
    Fsimpan->close();
    QCOMPARE(script.texts(), (QStringList{question, question, QStringLiteral("Besar Simpanan Minimum Adalah 0")}));
    QVERIFY(Fsimpan->isVisible());
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    QCOMPARE(cell(0, ColWajib), currency("-1"));
    // Corrected, Ya stores it and the window closes.
    QVERIFY(typeCell(ColWajib, QStringLiteral("1")));
    script.clear();
    script.answer(mrYes);
    Fsimpan->close();
    QVERIFY(!Fsimpan->isVisible());
    QCOMPARE(savingsFile(*program).size(), 1);

    // Tidak drops the row; an untouched one goes without a word.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("7")));
    script.answer(mrNo);
    Fsimpan->close();
    openTransaction(Budi);
    press(DBNavigator::Insert);
    Fsimpan->close();
    QCOMPARE(script.texts(), (QStringList{question, question}));
    QVERIFY(!Fsimpan->isVisible());
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    QCOMPARE(savingsFile(*program).size(), 1);
}

void SimpanTest::slipOfTheLastDeposit()
{
    MessageScript script;
    PreviewCatcher slips;
    seed({deposit(Budi, QStringLiteral("01/02/2003"), QStringLiteral("1"), QStringLiteral("1"),
                  QStringLiteral("1"))});

    // A member without savings still gets a slip: name and address only.
    activate(Fsimpan);
    Fsimpan->BitBtnlapSimpan->click();
    QCOMPARE(slips.titles, QStringList{QStringLiteral("SLIP SIMPANAN")});
    QCOMPARE(slips.pages.size(), 1);
    QCOMPARE(slips.text(QStringLiteral("Nama")), QStringLiteral("Ani Lestari"));
    QCOMPARE(slips.text(QStringLiteral("No_Simpan")), QString());
    QCOMPARE(slips.text(QStringLiteral("S_Wajib")), QString());

    // After a new deposit, the slip shows it with its new number.
    openTransaction(Budi);
    Fmenu->Timer2Timer();
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("25000")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("5000")));
    QVERIFY(typeCell(ColWisuda, QStringLiteral("1500")));
    press(DBNavigator::Post);
    modul->Tsimpan1->first();
    Fsimpan->BitBtnlapSimpan->click();
    const auto rows = savingsFile(*program);
    QCOMPARE(slips.pages.size(), 1);
    QCOMPARE(slips.text(QStringLiteral("No_Simpan")), rows.last().value(0).toString());
    QCOMPARE(slips.text(QStringLiteral("No_Anggota")), Budi);
    QCOMPARE(slips.text(QStringLiteral("Nama")), QStringLiteral("Budi Santoso"));
    QCOMPARE(slips.text(QStringLiteral("S_Wajib")), currency("25000"));
    QCOMPARE(slips.text(QStringLiteral("Total")), currency("31500"));
    QCOMPARE(slips.text(QStringLiteral("Tgl_Simpan")), regional::todayShortDate());
    QCOMPARE(modul->Tsimpan1->recNo(), 1);

    // A deposit typed but not posted is posted first and printed.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    for (int c : {ColWajib, ColSukarela, ColWisuda})
        QVERIFY(typeCell(c, QStringLiteral("2")));
    Fsimpan->BitBtnlapSimpan->click();
    QCOMPARE(savingsFile(*program).size(), 3);
    QCOMPARE(slips.text(QStringLiteral("Total")), currency("6"));

    // One the rules refuse: their warning, and no slip.
    openTransaction(Budi);
    press(DBNavigator::Insert);
    QVERIFY(typeCell(ColWajib, QStringLiteral("-2")));
    QVERIFY(typeCell(ColSukarela, QStringLiteral("0")));
    QVERIFY(typeCell(ColWisuda, QStringLiteral("0")));
    script.clear();
    slips.titles.clear();
    Fsimpan->BitBtnlapSimpan->click();
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Minimum Adalah 0")});
    QVERIFY(slips.titles.isEmpty());
    QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
}

void SimpanTest::twelveDigitAmountsShowWhole()
{
    MessageScript script;
    seed({deposit(Ani, QStringLiteral("01/02/2003"), QStringLiteral("333333333333.33"),
                  QStringLiteral("333333333333.33"), QStringLiteral("333333333333.33"))});
    openTransaction(Ani);
    QCOMPARE(cell(0, ColTotal), currency("999999999999.99"));
    // Every column is as wide as its widest text needs, also after
    // the window was left and shown again.
    for (int round = 0; round < 2; ++round) {
        const QStringList narrow =
            narrowColumns(Fsimpan->DBGrid1, {ColNo, ColDate, ColMember, ColWajib, ColSukarela, ColWisuda, ColTotal});
        QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(QStringLiteral(", "))));
        Fsimpan->BitBtn1->click();
        activate(Fsimpan);
    }
}

QTEST_MAIN(SimpanTest)
#include "tst_simpan.moc"
