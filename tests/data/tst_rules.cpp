// The data module's rules as a clerk meets them: calculated fields on the
// rows being typed, the loan fee, and the table checks turned into warnings.

#include "loans/pinjaman.h"
#include "savings/simpanan.h"
#include "support/messagescript.h"
#include "support/program.h"
#include "support/sqlfile.h"

#include <QApplication>
#include <QtTest>

#include <limits>

namespace {

QString text(Dataset *d, const char *field)
{
    return d->fieldByName(QLatin1String(field))->asString();
}

Money money(Dataset *d, const char *field)
{
    return d->fieldByName(QLatin1String(field))->asMoney();
}

Money rupiah(const char *text)
{
    return Money::parse(QString::fromLatin1(text), QLocale::c());
}

void addMember(const QString &number)
{
    Table *t = modul->Tanggota1;
    t->append();
    t->fieldByName(QStringLiteral("No_Anggota"))->setText(number);
    t->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Anggota ") + number);
    t->post();
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT

private slots:
    void facultyAndPrefixFollowTheNpm();
    void genderWord();
    void savingsTotalIsEmptyUntilAllThreeAmounts();
    void loanFeeRoundsHalfEven();
    void loanFeeAtTheEdgeOfTheMoneyRange();
    void feeReadsFromTheQueryToo();
    void checkViolationsBecomeWarnings();
    void newLoanPromptsAndFocusesTheAmount();
    void postAndRefreshLockTheSavingsWindow();
    void calculatedFieldsAreNeverStored();
};

void RulesTest::facultyAndPrefixFollowTheNpm()
{
    Program program;
    Table *t = modul->Tanggota1;
    t->append();
    struct Case {
        const char *npm;
        const char *faculty;
        const char *prefix;
    };
    // Every letter of the faculty table, with a zero and a non-zero second
    // character; only B, D, G, H, I, J and K tell the two apart.
    const Case cases[] = {
        {"A0012345", "HUKUM", "1201"},        {"A1012345", "HUKUM", "1201"},
        {"B0012345", "EKONOMI-D3", "1203"},   {"B1012345", "EKONOMI", "1202"},
        {"C0012345", "FKU", "1204"},          {"C9012345", "FKU", "1204"},
        {"D0012345", "MIPA-D3", "1206"},      {"D1012345", "MIPA", "1205"},
        {"E0012345", "PERTANIAN", "1207"},    {"E5012345", "PERTANIAN", "1207"},
        {"F0012345", "FKG", "1208"},          {"F1012345", "FKG", "1208"},
        {"G0012345", "PAA", "1210"},          {"G1012345", "FISIP", "1209"},
        {"H0012345", "SATRA-D3", "1212"},     {"HA012345", "SASTRA", "1211"},
        {"I0012345", "PSIKOLOGI-D3", "1214"}, {"I1012345", "PSIKOLOGI", "1213"},
        {"J0012345", "PETERNAKAN-D3", "1216"}, {"J1012345", "PETERNAKAN", "1215"},
        {"K0012345", "FIKOM-D3", "1218"},     {"K1012345", "FIKOM", "1217"},
        // Upper-casing happens before the lookup.
        {"b0012345", "EKONOMI-D3", "1203"},   {"k1a9b45", "FIKOM", "9B17"},
        // No faculty: the prefix is the fourth and fifth characters alone.
        {"L0012345", "", "12"},               {"10012345", "", "12"},
        {" 0012345", "", "12"},               {"z00", "", ""},
        // Short numbers.
        {"D03", "MIPA-D3", "06"},             {"B", "EKONOMI", "02"},
        {"B0", "EKONOMI-D3", "03"},           {"", "", ""},
        {"AB123", "HUKUM", "2301"},
    };
    for (const Case &c : cases) {
        t->fieldByName(QStringLiteral("NPM"))->setText(QString::fromLatin1(c.npm));
        QCOMPARE(text(t, "Fakultas"), QString::fromLatin1(c.faculty));
        QCOMPARE(text(t, "AwalNoA"), QString::fromLatin1(c.prefix));
    }
    t->cancel();
}

void RulesTest::genderWord()
{
    Program program;
    Table *t = modul->Tanggota1;
    t->append();
    QCOMPARE(text(t, "JenisKelamin"), QStringLiteral("Pria"));
    const std::pair<const char *, const char *> cases[] = {{"W", "Wanita"}, {"P", "Pria"}, {"w", "Pria"}, {"", "Pria"}};
    for (const auto &[jk, word] : cases) {
        t->fieldByName(QStringLiteral("JK"))->setText(QString::fromLatin1(jk));
        QCOMPARE(text(t, "JenisKelamin"), QString::fromLatin1(word));
    }
    t->cancel();
}

void RulesTest::savingsTotalIsEmptyUntilAllThreeAmounts()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Table *s = modul->Tsimpan1;
    s->append();
    QVERIFY(s->fieldByName(QStringLiteral("Total"))->isNull());
    s->fieldByName(QStringLiteral("S_Wajib"))->setText(QStringLiteral("10000"));
    s->fieldByName(QStringLiteral("S_Wisuda"))->setText(QStringLiteral("2500,5"));
    QVERIFY(s->fieldByName(QStringLiteral("Total"))->isNull());
    s->fieldByName(QStringLiteral("S_Sukarela"))->setText(QStringLiteral("0"));
    QCOMPARE(money(s, "Total"), rupiah("12500.5"));
    s->fieldByName(QStringLiteral("S_Sukarela"))->clear();
    QVERIFY(s->fieldByName(QStringLiteral("Total"))->isNull());
    s->cancel();
}

void RulesTest::loanFeeRoundsHalfEven()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Table *p = modul->Tpinjam;
    MessageScript script;
    p->append();
    QVERIFY(p->fieldByName(QStringLiteral("adm"))->isNull());
    QVERIFY(p->fieldByName(QStringLiteral("TotPinjam"))->isNull());
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"500000", "35000", "535000"},
        {"123457", "8641.99", "132098.99"},
        // 7 % ends in exactly half a ten-thousandth: to the even neighbour.
        {"123456.005", "8641.9204", "132097.9254"},
        {"123456.015", "8641.921", "132097.936"},
        {"0.005", "0.0004", "0.0054"},
        {"0.015", "0.001", "0.016"},
        {"-0.005", "-0.0004", "-0.0054"},
    };
    for (const auto &[amount, fee, total] : cases) {
        p->fieldByName(QStringLiteral("Besar_Pinjam"))->setMoney(rupiah(amount));
        QCOMPARE(money(p, "adm"), rupiah(fee));
        QCOMPARE(money(p, "TotPinjam"), rupiah(total));
        // Both names answer, whatever their case.
        QCOMPARE(p->fieldByName(QStringLiteral("Adm"))->asMoney(), rupiah(fee));
        QCOMPARE(p->fieldByName(QStringLiteral("Totpinjam"))->asMoney(), rupiah(total));
    }
    p->fieldByName(QStringLiteral("Besar_Pinjam"))->clear();
    QVERIFY(p->fieldByName(QStringLiteral("adm"))->isNull());
    QVERIFY(p->fieldByName(QStringLiteral("TotPinjam"))->isNull());
    p->cancel();
}

void RulesTest::loanFeeAtTheEdgeOfTheMoneyRange()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Table *p = modul->Tpinjam;
    MessageScript script;
    p->append();
    // The largest amount whose fee and total still fit, found exactly.
    const __int128 max = std::numeric_limits<std::int64_t>::max();
    auto total = [](__int128 raw) {
        const __int128 product = raw * 700;
        __int128 fee = product / 10000;
        const __int128 rest = product % 10000;
        if (rest > 5000 || (rest == 5000 && fee % 2 != 0))
            ++fee;
        return raw + fee;
    };
    std::int64_t largest = std::int64_t(max * 100 / 107);
    while (total(largest + 1) <= max)
        ++largest;
    while (total(largest) > max)
        --largest;
    Field *amount = p->fieldByName(QStringLiteral("Besar_Pinjam"));
    amount->setMoney(Money::fromRaw(largest));
    QCOMPARE(money(p, "TotPinjam").raw(), std::int64_t(total(largest)));
    try {
        amount->setMoney(Money::fromRaw(largest + 1));
        QFAIL("an amount whose total overflows was accepted");
    } catch (const std::exception &e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(QLatin1String("melebihi batas jumlah uang")));
    }
    // Refused whole: the amount and its fee stay as they were.
    QCOMPARE(amount->asMoney().raw(), largest);
    QCOMPARE(money(p, "TotPinjam").raw(), std::int64_t(total(largest)));
    p->cancel();
}

void RulesTest::feeReadsFromTheQueryToo()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    MessageScript script;
    Table *p = modul->Tpinjam;
    p->append();
    p->fieldByName(QStringLiteral("Besar_Pinjam"))->setText(QStringLiteral("123457"));
    p->fieldByName(QStringLiteral("Jaminan"))->setText(QStringLiteral("Motor"));
    p->post();
    Query *q = modul->Query1;
    q->close();
    q->open();
    QCOMPARE(q->recordCount(), 1);
    QCOMPARE(money(q, "adm"), rupiah("8641.99"));
    QCOMPARE(money(q, "Totpinjam"), rupiah("132098.99"));

    Table *s = modul->Tsimpan1;
    s->append();
    for (const char *f : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
        s->fieldByName(QLatin1String(f))->setText(QStringLiteral("1000"));
    s->post();
    Query *q2 = modul->Query2;
    q2->close();
    q2->open();
    QCOMPARE(money(q2, "Total"), rupiah("3000"));
}

void RulesTest::checkViolationsBecomeWarnings()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Table *s = modul->Tsimpan1;
    {
        MessageScript script;
        s->append();
        s->fieldByName(QStringLiteral("S_Wajib"))->setText(QStringLiteral("-1"));
        s->fieldByName(QStringLiteral("S_Sukarela"))->setText(QStringLiteral("5"));
        s->fieldByName(QStringLiteral("S_Wisuda"))->setText(QStringLiteral("5"));
        QVERIFY_THROWS_EXCEPTION(Abort, s->post());
        QCOMPARE(script.count(), 1);
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(script.last().text, QStringLiteral("Besar Simpanan Minimum Adalah 0"));
        QCOMPARE(s->state(), DataState::Insert);
        QCOMPARE(s->fieldByName(QStringLiteral("S_Wajib"))->asString(), QStringLiteral("-1"));
    }
    {
        MessageScript script;
        s->fieldByName(QStringLiteral("S_Wajib"))->setText(QStringLiteral("7"));
        s->fieldByName(QStringLiteral("S_Sukarela"))->clear();
        QVERIFY_THROWS_EXCEPTION(Abort, s->post());
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Tidak Boleh Kosong")});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(s->state(), DataState::Insert);
        QCOMPARE(s->fieldByName(QStringLiteral("S_Wajib"))->asString(), QStringLiteral("7"));
        // Corrected, it goes through.
        s->fieldByName(QStringLiteral("S_Sukarela"))->setText(QStringLiteral("3"));
        s->post();
        QCOMPARE(script.count(), 1);
        QCOMPARE(readFile(program.file(QStringLiteral("Tsimpanan1.db")), QStringLiteral("select count(*) from Tsimpanan1"))
                     .value(0).value(0).toInt(),
                 1);
    }
    Table *p = modul->Tpinjam;
    {
        MessageScript script;
        p->append();
        p->fieldByName(QStringLiteral("Besar_Pinjam"))->setText(QStringLiteral("1000000"));
        QVERIFY_THROWS_EXCEPTION(Abort, p->post());
        QCOMPARE(script.texts(), (QStringList{QStringLiteral("Silahkan input besar pinjaman dan jaminan"),
                                              QStringLiteral("Jaminan Tidak Boleh Kosong")}));
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(p->state(), DataState::Insert);
        QCOMPARE(money(p, "Besar_Pinjam"), rupiah("1000000"));
        p->cancel();
    }
    {
        // Any other error goes on unchanged: a duplicate member number.
        MessageScript script;
        Table *t = modul->Tanggota1;
        t->append();
        t->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("2301001"));
        try {
            t->post();
            QFAIL("a duplicate member number was stored");
        } catch (const DatabaseError &e) {
            QCOMPARE(e.code(), dberr::KeyViolation);
        }
        QCOMPARE(script.count(), 0);
        t->cancel();
    }
}

void RulesTest::newLoanPromptsAndFocusesTheAmount()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Fpinjam->show();
    QApplication::setActiveWindow(Fpinjam);
    QVERIFY(QTest::qWaitForWindowActive(Fpinjam));
    MessageScript script;
    bool focusedAfterPrompt = false;
    modul->Tpinjam->append();
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Silahkan input besar pinjaman dan jaminan")});
    QCOMPARE(script.last().kind, messages::Kind::Information);
    focusedAfterPrompt = Fpinjam->DBEbespin->hasFocus();
    QVERIFY(focusedAfterPrompt);
    QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
    QCOMPARE(text(modul->Tpinjam, "No_Anggota"), QStringLiteral("2301001"));
    modul->Tpinjam->cancel();
    // Outside a transaction the amount box starts no loan.
    script.clear();
    QTest::keyClicks(Fpinjam->DBEbespin, QStringLiteral("5"));
    QCOMPARE(script.count(), 0);
    QCOMPARE(modul->Tpinjam->state(), DataState::Browse);
    QCOMPARE(Fpinjam->DBEbespin->text(), QString());
}

void RulesTest::postAndRefreshLockTheSavingsWindow()
{
    Program program;
    addMember(QStringLiteral("2301001"));
    Fsimpan->DBGrid1->setEnabled(true);
    Fsimpan->DBNavigator1->setEnabled(true);
    Table *s = modul->Tsimpan1;
    s->append();
    for (const char *f : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
        s->fieldByName(QLatin1String(f))->setText(QStringLiteral("1"));
    s->post();
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(!Fsimpan->DBNavigator1->isEnabled());
    // The new deposit number shows at once.
    QCOMPARE(s->fieldByName(QStringLiteral("No_Simpan"))->asInteger(), 1);

    Fsimpan->DBGrid1->setEnabled(true);
    Fsimpan->DBNavigator1->setEnabled(true);
    s->refresh();
    QVERIFY(!Fsimpan->DBGrid1->isEnabled());
    QVERIFY(Fsimpan->DBNavigator1->isEnabled());
}

void RulesTest::calculatedFieldsAreNeverStored()
{
    Program program;
    MessageScript script;
    Table *t = modul->Tanggota1;
    t->append();
    t->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("2301001"));
    t->fieldByName(QStringLiteral("NPM"))->setText(QStringLiteral("B0012345"));
    t->post();
    Table *s = modul->Tsimpan1;
    s->append();
    s->fieldByName(QStringLiteral("S_Wajib"))->setText(QStringLiteral("10000"));
    s->fieldByName(QStringLiteral("S_Sukarela"))->setText(QStringLiteral("2500"));
    s->fieldByName(QStringLiteral("S_Wisuda"))->setText(QStringLiteral("0,5"));
    s->post();
    Table *p = modul->Tpinjam;
    p->append();
    p->fieldByName(QStringLiteral("Besar_Pinjam"))->setText(QStringLiteral("123457"));
    p->fieldByName(QStringLiteral("Jaminan"))->setText(QStringLiteral("Sepeda"));
    p->post();

    const QStringList calculated{QStringLiteral("Fakultas"), QStringLiteral("AwalNoA"), QStringLiteral("JenisKelamin"),
                                 QStringLiteral("Total"), QStringLiteral("adm"), QStringLiteral("TotPinjam")};
    const std::pair<const char *, const char *> files[] = {{"Tanggota1.DB", "Tanggota1"},
                                                           {"Tsimpanan1.db", "Tsimpanan1"},
                                                           {"Tpinjaman1.DB", "Tpinjaman1"}};
    for (const auto &[file, table] : files) {
        const QStringList columns = columnsOf(program.file(QString::fromLatin1(file)), QString::fromLatin1(table));
        QVERIFY(!columns.isEmpty());
        for (const QString &name : calculated)
            QVERIFY2(!columns.contains(name, Qt::CaseInsensitive), qPrintable(name));
    }
    // The stored totals hold what was calculated at the post.
    const auto savings = readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                                  QStringLiteral("select Total_Simpanan from Tsimpanan1"));
    QCOMPARE(savings.value(0).value(0).toLongLong(), rupiah("12500.5").raw());
    const auto loans = readFile(program.file(QStringLiteral("Tpinjaman1.DB")),
                                QStringLiteral("select Administrasi, Total_Pinjam from Tpinjaman1"));
    QCOMPARE(loans.value(0).value(0).toLongLong(), rupiah("8641.99").raw());
    QCOMPARE(loans.value(0).value(1).toLongLong(), rupiah("132098.99").raw());
}

QTEST_MAIN(RulesTest)
#include "tst_rules.moc"
