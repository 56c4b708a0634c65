// The loans window driven as a clerk drives it: choose a member through
// "&TRANSAKSI", insert a loan, type amount and collateral into the boxes
// (Enter moves from one to the other), post; close the window midway; print
// the slip.

#include "loans/pinjaman.h"
#include "members/Ucari.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "runtime/report/preview.h"
#include "support/amounts.h"
#include "support/messagescript.h"
#include "support/pages.h"
#include "support/program.h"
#include "support/sqlfile.h"
#include "support/teller.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString Prompt = QStringLiteral("Silahkan input besar pinjaman dan jaminan");

// Columns of the loan grid.
enum Column { ColNo, ColDate, ColAmount, ColCollateral, ColFee, ColTotal };

QString member(const QString &number, const QString &name)
{
    return QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, JK, Alamat, Kodepos) "
                          "VALUES ('%1', '2003-02-01', '%2', 'K1200101', '001', 'P', 'Jl. Ganesha 10', '40132')")
        .arg(number, name);
}

QString loan(const QString &number, int amount, const QString &collateral)
{
    return QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                          "VALUES ('01/02/2003', '%1', %2, '%3')")
        .arg(number)
        .arg(qint64(amount) * Money::Scale)
        .arg(collateral);
}

void press(DBNavigator::Action action, DBNavigator *navigator = nullptr)
{
    (navigator ? navigator : Fpinjam->DBNavigator2)->button(action)->click();
}

QString cell(int row, int column)
{
    return Fpinjam->DBGrid1->model()->index(row, column).data().toString();
}

QList<QVariantList> loansFile(const Program &program)
{
    return readFile(program.file(QStringLiteral("Tpinjaman1.DB")),
                    QStringLiteral("select No_Pinjaman, Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan "
                                   "from Tpinjaman1 order by No_Pinjaman"));
}

bool unlocked()
{
    return Fpinjam->DBGrid1->isEnabled() && Fpinjam->DBNavigator2->isEnabled()
        && !Fpinjam->DBNavigator2->isHidden();
}

} // namespace

class PinjamTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Program> program;

    void openTransaction(const QString &number)
    {
        activate(Fpinjam);
        search(Fpinjam->BitBtnTransPinjam, number);
    }

    // Inserts a loan and types it as a clerk does: amount, Enter, collateral.
    void typeLoan(const QString &amount, const QString &collateral)
    {
        press(DBNavigator::Insert);
        QTest::keyClicks(Fpinjam->DBEbespin, amount);
        QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_Return);
        QTest::keyClicks(Fpinjam->DBEjamin, collateral);
    }

private slots:
    void initTestCase()
    {
        regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    }
    void init()
    {
        program = std::make_unique<Program>();
        seed({member(Ani, QStringLiteral("Ani Lestari")), member(Budi, QStringLiteral("Budi Santoso")),
              member(Citra, QStringLiteral("Citra Dewi"))});
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
        program.reset();
    }

    void startsWithGridAndNavigatorLocked();
    void transactionRecordsLoans();
    void enterMovesToTheCollateral();
    void amountTypedAsShown();
    void searchThatMissesOrIsCancelled();
    void transactionStaysOpenUntilAnotherMemberIsChosenForTheClerk();
    void closingAsksAboutTheLoanBeingEntered();
    void dateLabelAndDateOfTheLoan();
    void boxesTakeTypingOnlyForALoanBeingEntered();
    void slipOfTheLastLoan();
    void twelveDigitAmountsShowWhole();
};

void PinjamTest::startsWithGridAndNavigatorLocked()
{
    TFpinjam *w = Fpinjam;
    QCOMPARE(w->objectName(), QStringLiteral("Fpinjam"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Data Pinjaman Anggota"));
    QVERIFY(!w->DBGrid1->isEnabled());
    QVERIFY(!w->DBNavigator2->isEnabled());
    QVERIFY(w->DBEbespin->isEnabled());
    QVERIFY(w->DBEjamin->isEnabled());
    QVERIFY(w->DBEtglP->isHidden());
    QVERIFY(!w->DBEtglP->isEnabled());

    QCOMPARE(w->BitBtnTransPinjam->text(), QStringLiteral("&TRANSAKSI"));
    QCOMPARE(w->BitBtnTransPinjam->toolTip(), QStringLiteral("Transaksi simpanan"));
    QCOMPARE(w->BitBtn3->text(), QStringLiteral("CA&RI"));
    QCOMPARE(w->BitBtn2->text(), QStringLiteral("&SLIP"));
    QCOMPARE(w->BitBtn2->toolTip(), QStringLiteral("Slip untuk transaksi terakhir"));
    QCOMPARE(w->BitBtn1->text(), QStringLiteral("&Close"));
    QCOMPARE(w->BitBtn1->toolTip(), QStringLiteral("Tutup file pinjaman"));
    QCOMPARE(w->Label1->text(), QStringLiteral("Besar Pinjam"));
    QCOMPARE(w->Label7->text(), QStringLiteral("Jaminan"));
    QCOMPARE(w->Label2->text(), QStringLiteral("No. Anggota"));
    QCOMPARE(w->DBGrid2->toolTip(), QStringLiteral("Data Anggota"));
    QCOMPARE(w->DBGrid1->toolTip(), QStringLiteral("Data Pinjaman"));
    QCOMPARE(w->DBNavigator2->toolTip(), QStringLiteral("Tambah, Hapus, Edit, Simpan, Batal, Refresh Data Pinjaman"));

    auto hints = [](DBNavigator *navigator, std::initializer_list<DBNavigator::Action> actions) {
        QStringList h;
        for (auto a : actions)
            h << (navigator->button(a)->isHidden() ? QStringLiteral("<hidden>") : navigator->button(a)->toolTip());
        return h;
    };
    QCOMPARE(hints(w->DBNavigator2, {DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post,
                                     DBNavigator::Cancel, DBNavigator::Refresh}),
             (QStringList{"Tambah Data Pinjaman", "Hapus Data Pinjaman", "Ubah Data Pinjaman",
                          "Simpan transaksi pinjaman", "Batal transaksi", "Refresh data"}));
    QCOMPARE(hints(w->DBNavigator3, {DBNavigator::First, DBNavigator::Last}),
             (QStringList{"Record pertama", "Record terakhir"}));
    QCOMPARE(hints(w->DBNavigator1, {DBNavigator::Prior, DBNavigator::Next}),
             (QStringList{"Ke record sebelumnya", "Ke record selanjutnya"}));
    QVERIFY(w->DBNavigator3->button(DBNavigator::Next)->isHidden());
    QVERIFY(w->DBNavigator1->button(DBNavigator::First)->isHidden());
    QVERIFY(w->DBNavigator2->button(DBNavigator::First)->isHidden());

    auto titles = [](DBGrid *grid) {
        QStringList t;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            t << grid->model()->headerData(c, Qt::Horizontal).toString();
        return t;
    };
    QCOMPARE(titles(w->DBGrid1),
             (QStringList{"No", "Tgl Pinjam", "Besar Pinjam", "Jaminan", "Administrasi", "Total Pinjam"}));
    QCOMPARE(titles(w->DBGrid2), (QStringList{"No_Anggota", "Nama", "NPM", "JenisKelamin", "Fakultas"}));
    for (int c : {int(ColCollateral), int(ColTotal)}) {
        const auto alignment = w->DBGrid1->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
        QCOMPARE(alignment.value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
    }
    QVERIFY(w->DBGrid2->isReadOnlyGrid());
    QVERIFY(!w->DBGrid1->isReadOnlyGrid());
    QCOMPARE(w->DBText1->text(), Ani);
    QCOMPARE(w->DBGrid2->model()->index(0, 4).data().toString(), QStringLiteral("FIKOM"));
}

void PinjamTest::transactionRecordsLoans()
{
    MessageScript script;
    openTransaction(Budi);
    QCOMPARE(Fcari->windowTitle(), QStringLiteral("Transaksi Pinjaman......."));
    QCOMPARE(currentMember(), Budi);
    QCOMPARE(Fpinjam->DBText1->text(), Budi);
    QVERIFY(unlocked());
    QVERIFY(!Fcari->isVisible());

    // Insert: the prompt first, then the focus waits in the amount box.
    Fmenu->Timer2Timer();
    press(DBNavigator::Insert);
    QCOMPARE(script.texts(), QStringList{Prompt});
    QCOMPARE(script.last().kind, messages::Kind::Information);
    QVERIFY(Fpinjam->DBEbespin->hasFocus());
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
    QTest::keyClicks(Fpinjam->DBEbespin, QStringLiteral("500000"));
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_Return);
    QVERIFY(Fpinjam->DBEjamin->hasFocus());
    // The fee and total follow the amount at once.
    QCOMPARE(cell(0, ColFee), currency("35000"));
    QCOMPARE(cell(0, ColTotal), currency("535000"));
    QTest::keyClicks(Fpinjam->DBEjamin, QStringLiteral("Motor"));
    press(DBNavigator::Post);
    QCOMPARE(script.count(), 1);

    const QString today = regional::todayShortDate();
    auto rows = loansFile(*program);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(1).toString(), today);
    QCOMPARE(rows[0].value(2).toString(), Budi);
    QCOMPARE(rows[0].value(3).toLongLong(), 500000 * Money::Scale);
    QCOMPARE(rows[0].value(4).toString(), QStringLiteral("Motor"));
    QCOMPARE(cell(0, ColNo), rows[0].value(0).toString());
    QCOMPARE(cell(0, ColDate), today);
    QCOMPARE(cell(0, ColCollateral), QStringLiteral("Motor"));

    // Posting leaves the transaction open: the next loan goes in at once.
    QVERIFY(unlocked());
    script.clear();
    typeLoan(QStringLiteral("123457"), QString());
    // Without collateral the loan is refused and stays open.
    press(DBNavigator::Post);
    QCOMPARE(script.texts(), (QStringList{Prompt, QStringLiteral("Jaminan Tidak Boleh Kosong")}));
    QCOMPARE(script.last().kind, messages::Kind::Warning);
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
    QCOMPARE(loansFile(*program).size(), 1);
    QTest::keyClicks(Fpinjam->DBEjamin, QStringLiteral("Laptop"));
    press(DBNavigator::Post);
    QCOMPARE(modul->Tpinjam->state(), DataState::Browse);
    rows = loansFile(*program);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value(4).toString(), QStringLiteral("Laptop"));
    const int row = Fpinjam->DBGrid1->currentIndex().row();
    QCOMPARE(cell(row, ColAmount), currency("123457"));
    QCOMPARE(cell(row, ColFee), currency("8641.99"));
    QCOMPARE(cell(row, ColTotal), currency("132098.99"));
    QVERIFY(unlocked());

    // The loans are Budi's alone.
    press(DBNavigator::First, Fpinjam->DBNavigator3);
    QCOMPARE(currentMember(), Ani);
    QCOMPARE(Fpinjam->DBGrid1->model()->rowCount(), 0);
    press(DBNavigator::Next, Fpinjam->DBNavigator1);
    QCOMPARE(Fpinjam->DBGrid1->model()->rowCount(), 2);
}

void PinjamTest::enterMovesToTheCollateral()
{
    MessageScript script;
    openTransaction(Ani);
    press(DBNavigator::Insert);
    QVERIFY(Fpinjam->DBEbespin->hasFocus());
    QSignalSpy returns(Fpinjam->DBEbespin, &QLineEdit::returnPressed);
    QTest::keyClicks(Fpinjam->DBEbespin, QStringLiteral("75"));
    QVERIFY(Fpinjam->DBEbespin->hasFocus());
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_Return);
    QVERIFY(Fpinjam->DBEjamin->hasFocus());
    // The key itself still reached the amount box.
    QCOMPARE(returns.count(), 1);
    // Leaving the box wrote the amount into the row.
    QCOMPARE(modul->Tpinjam->fieldByName(QStringLiteral("Besar_Pinjam"))->asMoney(), Money::fromUnits(75));

    // Enter in the collateral box moves nowhere; Tab leaves the amount box as usual.
    QTest::keyClick(Fpinjam->DBEjamin, Qt::Key_Return);
    QVERIFY(Fpinjam->DBEjamin->hasFocus());
    Fpinjam->DBEbespin->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_Tab);
    QVERIFY(!Fpinjam->DBEbespin->hasFocus());
    QCOMPARE(returns.count(), 1);
    press(DBNavigator::Cancel);
    QCOMPARE(script.texts(), QStringList{Prompt});
}

void PinjamTest::amountTypedAsShown()
{
    MessageScript script;
    openTransaction(Ani);
    Field *amount = modul->Tpinjam->fieldByName(QStringLiteral("Besar_Pinjam"));
    typeLoan(QStringLiteral("Rp 1.250.000,50"), QStringLiteral("Motor"));
    QCOMPARE(amount->asMoney().raw(), 12'500'005'000LL);

    // A text that is no amount: warned about by the box's caption, kept in
    // the box, and the row keeps what it held.
    const QString refusal = QStringLiteral("\"Besar Pinjam\": \"1.25.000\" bukan jumlah uang yang sah");
    script.clear();
    Fpinjam->DBEbespin->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Fpinjam->DBEbespin, QStringLiteral("1.25.000"));
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_Return);
    QCOMPARE(script.texts(), QStringList{refusal});
    QCOMPARE(script.last().kind, messages::Kind::Warning);
    QCOMPARE(Fpinjam->DBEbespin->text(), QStringLiteral("1.25.000"));
    QCOMPARE(amount->asMoney().raw(), 12'500'005'000LL);
    // Nor is the loan stored with it.
    press(DBNavigator::Post);
    QCOMPARE(script.texts(), QStringList({refusal, refusal}));
    QVERIFY(loansFile(*program).isEmpty());

    // Corrected, it goes in exactly.
    Fpinjam->DBEbespin->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Fpinjam->DBEbespin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Fpinjam->DBEbespin, QStringLiteral("125.000"));
    press(DBNavigator::Post);
    QCOMPARE(script.count(), 2);
    const auto rows = loansFile(*program);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(3).toLongLong(), 1'250'000'000LL);
    QCOMPARE(cell(0, ColAmount), QStringLiteral("Rp125.000,00"));
}

void PinjamTest::searchThatMissesOrIsCancelled()
{
    MessageScript script;
    activate(Fpinjam);
    press(DBNavigator::Last, Fpinjam->DBNavigator3);
    QCOMPARE(currentMember(), Citra);
    // A miss goes back to the member chosen before, with nothing unlocked.
    for (const QString &typed : {QStringLiteral("9999999"), QStringLiteral("120"), QString()}) {
        script.clear();
        search(Fpinjam->BitBtnTransPinjam, typed);
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Data Tidak Ditemukan")});
        QCOMPARE(currentMember(), Citra);
        QVERIFY(!Fpinjam->DBGrid1->isEnabled());
        QVERIFY(!Fpinjam->DBNavigator2->isEnabled());
    }
    // Cancel starts nothing and moves nothing, whatever was typed.
    script.clear();
    for (const QString &typed : {QString(), Budi}) {
        search(Fpinjam->BitBtnTransPinjam, typed, false);
        QCOMPARE(currentMember(), Citra);
        QVERIFY(!unlocked());
    }
    QVERIFY(script.texts().isEmpty());

    // "CA&RI" only moves the member; cancelled it leaves it be.
    search(Fpinjam->BitBtn3, Ani);
    QCOMPARE(Fcari->windowTitle(), QStringLiteral("Cari Pinjaman"));
    QCOMPARE(currentMember(), Ani);
    QVERIFY(Fcari->EnoA->text().isEmpty());
    search(Fpinjam->BitBtn3, Citra, false);
    QCOMPARE(currentMember(), Ani);
    QVERIFY(script.texts().isEmpty());
}

void PinjamTest::transactionStaysOpenUntilAnotherMemberIsChosenForTheClerk()
{
    MessageScript script;
    activate(Fpinjam);
    search(Fpinjam->BitBtn3, Budi);
    QVERIFY(!unlocked());
    openTransaction(Budi);
    QVERIFY(unlocked());

    press(DBNavigator::Next, Fpinjam->DBNavigator1);
    press(DBNavigator::First, Fpinjam->DBNavigator3);
    search(Fpinjam->BitBtn3, Citra);
    press(DBNavigator::Refresh);
    QVERIFY(unlocked());

    // Closed and opened again, from the main window's command.
    Fpinjam->BitBtn1->click();
    QVERIFY(!Fpinjam->isVisible());
    Fmenu->Pinjaman1Click();
    activate(Fpinjam);
    QVERIFY(unlocked());

    // A miss locks it on the member chosen before ...
    search(Fpinjam->BitBtnTransPinjam, QStringLiteral("0000000"));
    QVERIFY(!unlocked());
    QCOMPARE(currentMember(), Citra);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Data Tidak Ditemukan")});

    // ... and so does the member report's walk to the last member.
    openTransaction(Ani);
    QVERIFY(unlocked());
    PreviewCatcher report;
    Fmenu->LaporanAnggota1->trigger();
    QCOMPARE(report.titles, QStringList{QStringLiteral("LAPORAN ANGGOTA")});
    QCOMPARE(currentMember(), Citra);
    QVERIFY(!unlocked());
    QVERIFY(Fpinjam->DBEbespin->isReadOnly());
}

void PinjamTest::closingAsksAboutTheLoanBeingEntered()
{
    MessageScript script;
    const QString question = QStringLiteral("Data belum disimpan. Simpan sekarang?");
    seed({loan(Ani, 1000, QStringLiteral("Jam")), loan(Ani, 2000, QStringLiteral("Sepeda"))});
    openTransaction(Ani);
    modul->Tpinjam->last();
    typeLoan(QStringLiteral("900000"), QStringLiteral("Televisi"));
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);

    // Batal keeps the window and the loan; Tidak drops the loan.
    script.answer(mrCancel);
    Fpinjam->BitBtn1->click();
    QVERIFY(Fpinjam->isVisible());
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
    QCOMPARE(modul->Tpinjam->fieldByName(QStringLiteral("Besar_Pinjam"))->asMoney(), Money::fromUnits(900000));
    script.answer(mrNo);
    Fpinjam->BitBtn1->click();
    QVERIFY(!Fpinjam->isVisible());
    QVERIFY(!modul->Tpinjam->isActive());
    QCOMPARE(loansFile(*program).size(), 2);
    QCOMPARE(script.texts(), (QStringList{Prompt, question, question}));

    // Opened again: the table afresh, on the member's first loan.
    activate(Fpinjam);
    QVERIFY(modul->Tpinjam->isActive());
    QCOMPARE(modul->Tpinjam->state(), DataState::Browse);
    QCOMPARE(modul->Tpinjam->recNo(), 0);
    QCOMPARE(Fpinjam->DBEjamin->text(), QStringLiteral("Jam"));
    QCOMPARE(Fpinjam->DBGrid1->model()->rowCount(), 2);

    // Ya on the close box posts the edit with its checks: the collateral
    // emptied is refused and the window stays; put back, it is stored.
    press(DBNavigator::Edit);
    Fpinjam->DBEjamin->setFocus();
    Fpinjam->DBEjamin->selectAll();
    QTest::keyClick(Fpinjam->DBEjamin, Qt::Key_Delete);
    script.clear();
    script.answer(mrYes);
    Fpinjam->close();
    QCOMPARE(script.texts(), (QStringList{question, QStringLiteral("Jaminan Tidak Boleh Kosong")}));
    QVERIFY(Fpinjam->isVisible());
    QTest::keyClicks(Fpinjam->DBEjamin, QStringLiteral("Jam emas"));
    script.answer(mrYes);
    Fpinjam->close();
    QVERIFY(!Fpinjam->isVisible());
    QCOMPARE(loansFile(*program)[0].value(4).toString(), QStringLiteral("Jam emas"));
    // An edit of a loan keeps the day the loan was made.
    QCOMPARE(loansFile(*program)[0].value(1).toString(), QStringLiteral("01/02/2003"));
}

void PinjamTest::dateLabelAndDateOfTheLoan()
{
    MessageScript script;
    Fmenu->Timer2Timer();
    const QString today = Fmenu->Label2->text();
    QCOMPARE(today, regional::todayShortDate());
    openTransaction(Citra);
    QCOMPARE(Fpinjam->Label3->text(), today);

    // Past midnight the clock writes the new day; the label keeps the old one
    // while the window stays active, the loan takes the new one.
    typeLoan(QStringLiteral("250000"), QStringLiteral("Helm"));
    Fmenu->Label2->setText(QStringLiteral("16/08/2031"));
    Fpinjam->DBEtglP->setText(Fmenu->Label2->text());
    press(DBNavigator::Post);
    QCOMPARE(Fpinjam->Label3->text(), today);
    QCOMPARE(loansFile(*program)[0].value(1).toString(), QStringLiteral("16/08/2031"));

    QWidget elsewhere;
    elsewhere.resize(200, 100);
    activate(&elsewhere);
    activate(Fpinjam);
    QCOMPARE(Fpinjam->Label3->text(), QStringLiteral("16/08/2031"));
}

void PinjamTest::boxesTakeTypingOnlyForALoanBeingEntered()
{
    MessageScript script;
    seed({loan(Budi, 1000, QStringLiteral("Jam"))});
    activate(Fpinjam);
    QVERIFY(!unlocked());

    // Without a transaction the boxes change no loan and start none.
    press(DBNavigator::Next, Fpinjam->DBNavigator1);
    for (DBEdit *box : {Fpinjam->DBEjamin, Fpinjam->DBEbespin}) {
        QVERIFY(box->isReadOnly());
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("5 tangan"));
    }
    QCOMPARE(modul->Tpinjam->state(), DataState::Browse);
    QCOMPARE(Fpinjam->DBEjamin->text(), QStringLiteral("Jam"));
    press(DBNavigator::Next, Fpinjam->DBNavigator1);
    QVERIFY(script.texts().isEmpty());
    QCOMPARE(loansFile(*program)[0].value(4).toString(), QStringLiteral("Jam"));

    // In a transaction, only once a row is inserted or opened for editing.
    openTransaction(Budi);
    QVERIFY(Fpinjam->DBEjamin->isReadOnly());
    press(DBNavigator::Edit);
    QVERIFY(!Fpinjam->DBEjamin->isReadOnly() && !Fpinjam->DBEbespin->isReadOnly());
    Fpinjam->DBEjamin->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Fpinjam->DBEjamin, Qt::Key_End);
    QTest::keyClicks(Fpinjam->DBEjamin, QStringLiteral(" tangan"));
    // Leaving the box repaints the grid's row with the change at once.
    QSignalSpy repainted(Fpinjam->DBGrid1->model(), &QAbstractItemModel::dataChanged);
    Fpinjam->DBEbespin->setFocus(Qt::TabFocusReason);
    QVERIFY(!repainted.isEmpty());
    QCOMPARE(Fpinjam->DBGrid1->model()->index(0, 3).data().toString(), QStringLiteral("Jam tangan"));
    press(DBNavigator::Post);
    QVERIFY(Fpinjam->DBEjamin->isReadOnly());
    QCOMPARE(loansFile(*program)[0].value(4).toString(), QStringLiteral("Jam tangan"));
    QVERIFY(script.texts().isEmpty());
}

void PinjamTest::slipOfTheLastLoan()
{
    MessageScript script;
    PreviewCatcher slips;

    // A member without loans still gets a slip.
    activate(Fpinjam);
    Fpinjam->BitBtn2->click();
    QCOMPARE(slips.titles, QStringList{QStringLiteral("SLIP PINJAMAN")});
    QCOMPARE(slips.pages.size(), 1);
    QCOMPARE(slips.text(QStringLiteral("Nama")), QStringLiteral("Ani Lestari"));
    QCOMPARE(slips.text(QStringLiteral("No_Pinjaman")), QString());
    QCOMPARE(slips.text(QStringLiteral("TotPinjam")), QString());

    // The latest loan, with its new number and the calculated fee and total.
    seed({loan(Budi, 1000, QStringLiteral("Jam"))});
    openTransaction(Budi);
    Fmenu->Timer2Timer();
    typeLoan(QStringLiteral("123457"), QStringLiteral("Sepeda motor"));
    press(DBNavigator::Post);
    modul->Tpinjam->first();
    Fpinjam->BitBtn2->click();
    const auto rows = loansFile(*program);
    QCOMPARE(slips.pages.size(), 1);
    QCOMPARE(slips.text(QStringLiteral("No_Pinjaman")), rows.last().value(0).toString());
    QCOMPARE(slips.text(QStringLiteral("No_Anggota")), Budi);
    QCOMPARE(slips.text(QStringLiteral("Nama")), QStringLiteral("Budi Santoso"));
    QCOMPARE(slips.text(QStringLiteral("Besar_Pinjam")), currency("123457"));
    QCOMPARE(slips.text(QStringLiteral("Adm")), currency("8641.99"));
    QCOMPARE(slips.text(QStringLiteral("TotPinjam")), currency("132098.99"));
    QCOMPARE(slips.text(QStringLiteral("Jaminan")), QStringLiteral("Sepeda motor"));
    QCOMPARE(slips.text(QStringLiteral("Tgl_Pinjam")), regional::todayShortDate());
    QCOMPARE(modul->Tpinjam->recNo(), 1);

    // A loan without collateral is refused when the slip settles it: no slip.
    typeLoan(QStringLiteral("5000"), QString());
    script.clear();
    slips.titles.clear();
    Fpinjam->BitBtn2->click();
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Jaminan Tidak Boleh Kosong")});
    QVERIFY(slips.titles.isEmpty());
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
}

void PinjamTest::twelveDigitAmountsShowWhole()
{
    MessageScript script;
    openTransaction(Ani);
    // A twelve-digit loan whose total still has twelve digits.
    typeLoan(QStringLiteral("934579439252"), QStringLiteral("Sertifikat"));
    press(DBNavigator::Post);
    QCOMPARE(cell(0, ColTotal), currency("999999999999.64"));
    // Every column but the guarantee is as wide as its widest text needs,
    // also after the window was closed and opened again.
    for (int round = 0; round < 2; ++round) {
        const QStringList narrow = narrowColumns(Fpinjam->DBGrid1, {ColNo, ColDate, ColAmount, ColFee, ColTotal});
        QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(QStringLiteral(", "))));
        Fpinjam->BitBtn1->click();
        activate(Fpinjam);
    }
}

QTEST_MAIN(PinjamTest)
#include "tst_pinjam.moc"
