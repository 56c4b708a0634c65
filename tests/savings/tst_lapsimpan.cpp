// The monthly savings report: the month picker, the deposits of a month of
// every year, the totals and the count, the blank principal column, the
// query text left behind, long months over several pages, and the paper.

#include "savings/ULapSimpanBulanan.h"
#include "savings/UinputbulanSimpanan.h"
#include "support/amounts.h"
#include "support/messagescript.h"
#include "support/millimetres.h"
#include "support/monthlyreport.h"
#include "support/pages.h"
#include "support/program.h"

#include "runtime/db/connection.h"
#include "runtime/regional.h"
#include "runtime/report/report.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

struct Deposit {
    QString date;
    QString member;
    Money wajib;
    Money sukarela;
    Money wisuda;
};

// Written straight into the file, so that each row keeps the date text we
// chose (the savings window would stamp today's).
void seed(const QList<Deposit> &deposits)
{
    const Connection &connection = *modul->connection();
    db::Transaction transaction(connection);
    for (const Deposit &d : deposits) {
        const auto insert = connection.engine().prepare(QStringLiteral(
            "insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) values (?, ?, ?, ?, ?)"));
        insert->bindAll({d.date, d.member, qint64(d.wajib.raw()), qint64(d.sukarela.raw()), qint64(d.wisuda.raw())});
        insert->exec();
    }
    transaction.commit();
    modul->Tsimpan1->refresh();
}

void runReport(int position, int year = 0)
{
    runMonthlyReport(Fmenu->LaporanSimpanan1, Flapsimpan, position, year);
}

} // namespace

class LapSimpanTest : public QObject {
    Q_OBJECT

private slots:
    void init() { regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia)); }
    void cleanup();
    void pickerWindow();
    void monthOfTheChosenYearListedAndSummed();
    void elementsWhereTheLayoutPutsThem();
    void noMonthOrNoDepositsGivesAnEmptyReport();
    void longMonthOverSeveralPages();
    void realPreviewThenPickerCloses();
    void savedAsCsvForASpreadsheet();
    void largestAmountsKeepToTheirColumns();
};

void LapSimpanTest::cleanup()
{
    setPreviewHook(nullptr);
    regional::setLocaleForTesting(std::nullopt);
}

void LapSimpanTest::pickerWindow()
{
    Program program;
    QCOMPARE(Flapsimpan->objectName(), QStringLiteral("Flapsimpan"));
    QCOMPARE(Flapsimpan->windowTitle(), QStringLiteral("Input Bulan Simpan"));
    compareMonthPicker(Flapsimpan);
    QCOMPARE(Flapsimpan->BitBtn1->text(), QStringLiteral("Preview"));
    QCOMPARE(Flapsimpan->BitBtn1->hint(), QStringLiteral("Tampilkan laporan"));
    QCOMPARE(Flapsimpan->BitBtn2->hint(), QStringLiteral("Tutup"));
    QCOMPARE(Form3->objectName(), QStringLiteral("Form3"));
    QVERIFY(!Form3->isVisible());

    // The close button closes the picker without a report.
    PreviewCatcher preview;
    Fmenu->LaporanSimpanan1->trigger();
    // An empty book: the current year only, chosen.
    QCOMPARE(offeredYears(Flapsimpan), yearsFrom(QDate::currentDate().year()));
    QCOMPARE(Flapsimpan->chosenYear(), QString::number(QDate::currentDate().year()));
    Flapsimpan->ComboBox1->setCurrentIndex(2);
    QVERIFY(Flapsimpan->isVisible());
    Flapsimpan->BitBtn2->click();
    QVERIFY(!Flapsimpan->isVisible());
    QCOMPARE(preview.shown, 0);
    QCOMPARE(modul->Query2->sql(), QStringList{QStringLiteral("select * from Tsimpanan1")});
    // Only hidden: the choice is still there next time.
    Fmenu->LaporanSimpanan1->trigger();
    QCOMPARE(Flapsimpan->ComboBox1->currentIndex(), 2);
    QCOMPARE(Flapsimpan->ComboBox1->currentText(), QStringLiteral("03"));
}

void LapSimpanTest::monthOfTheChosenYearListedAndSummed()
{
    Program program;
    MessageScript script;
    const QList<Deposit> deposits = {
        {"03/05/2025", "2301001", rupiah("10000"), rupiah("2500.25"), rupiah("5000")},
        {"17/06/2025", "2301001", rupiah("10000"), rupiah("99999"), rupiah("1")},
        {"28/05/2025", "2301002", rupiah("15000"), rupiah("0"), rupiah("7500")},
        {"12/5/2025", "2301002", rupiah("40000"), rupiah("40000"), rupiah("40000")},     // month not two digits
        {"2025-05-12", "2301003", rupiah("50000"), rupiah("50000"), rupiah("50000")},    // not day/month/year
        {"05052025", "2301003", rupiah("60000"), rupiah("60000"), rupiah("60000")},      // no "/" at all
        {"01/05/2025", "2301001", rupiah("12000"), rupiah("300.5"), rupiah("0")},
        {"31/12/2024", "2301004", rupiah("70000"), rupiah("70000"), rupiah("70000")},
        {"15/05/2024", "2301004", rupiah("1"), rupiah("1"), rupiah("1")},                // May of another year
    };
    seed(deposits);
    const QList<int> may = {0, 2, 6};

    bool pickerShownDuringPreview = false;
    PreviewCatcher preview([&] { pickerShownDuringPreview = Flapsimpan->isVisible(); });
    runReport(4, 2025);
    // The years of the book, from its oldest deposit on.
    QCOMPARE(offeredYears(Flapsimpan), yearsFrom(2024));
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("LAPORAN SIMPANAN ANGGOTA"));
    QVERIFY(pickerShownDuringPreview);
    QVERIFY(!Flapsimpan->isVisible());
    QVERIFY(script.texts().isEmpty());
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];

    // May of 2025 alone, in the table's order, under that year.
    QCOMPARE(page.find("QRLBulan")->text, QStringLiteral("Mei"));
    QCOMPARE(page.find("QRtahun")->text, QStringLiteral(" 2025"));
    QCOMPARE(page.find("labelBulan")->text, QStringLiteral("Bulan"));
    QCOMPARE(page.find("labelTanggal")->text, QStringLiteral("Tanggal :"));
    QCOMPARE(page.find("tanggal")->text, regional::todayShortDate());
    QCOMPARE(page.find("halaman")->text, QStringLiteral("1"));
    QCOMPARE(textsNamed(preview.pages, "nomor"), (QStringList{"1", "2", "3"}));
    QStringList dates, members, wajib, sukarela, wisuda, totals;
    Money sumWajib, sumSukarela, sumWisuda, sumTotal;
    for (int i : may) {
        const Deposit &d = deposits[i];
        dates << d.date;
        members << d.member;
        wajib << d.wajib.toCurrencyString();
        sukarela << d.sukarela.toCurrencyString();
        wisuda << d.wisuda.toCurrencyString();
        totals << (d.wajib + d.sukarela + d.wisuda).toCurrencyString();
        sumWajib += d.wajib;
        sumSukarela += d.sukarela;
        sumWisuda += d.wisuda;
        sumTotal += d.wajib + d.sukarela + d.wisuda;
    }
    QCOMPARE(textsNamed(preview.pages, "Tgl_Simpan"), dates);
    QCOMPARE(textsNamed(preview.pages, "No_Anggota"), members);
    QCOMPARE(textsNamed(preview.pages, "S_Wajib"), wajib);
    QCOMPARE(textsNamed(preview.pages, "S_Sukarela"), sukarela);
    QCOMPARE(textsNamed(preview.pages, "S_Wisuda"), wisuda);
    QCOMPARE(textsNamed(preview.pages, "Total"), totals);
    QCOMPARE(textsNamed(preview.pages, "Total").first(), QStringLiteral("Rp17.500,25"));
    // The principal column is there on every line, and blank: the query
    // has no such field.
    QVERIFY(!modul->Query2->findField(QStringLiteral("S_Pokok")));
    QCOMPARE(textsNamed(preview.pages, "S_Pokok"), (QStringList{"", "", ""}));

    // Totals as plain numbers with the regional decimal comma.
    QCOMPARE(page.find("QRLabel11")->text, sumWajib.toPlainString());
    QCOMPARE(page.find("QRLabel11")->text, QStringLiteral("37000"));
    QCOMPARE(page.find("QRLabel12")->text, QStringLiteral("2800,75"));
    QCOMPARE(page.find("QRLabel12")->text, sumSukarela.toPlainString());
    QCOMPARE(page.find("QRLabel13")->text, QStringLiteral("12500"));
    QCOMPARE(page.find("QRLtotsaldo")->text, QStringLiteral("52300,75"));
    QCOMPARE(page.find("QRLtotsaldo")->text, sumTotal.toPlainString());
    // Members, not deposits: 2301001 deposited twice.
    QCOMPARE(page.find("labelJumlah")->text, QStringLiteral("Jumlah Penabung : "));
    QCOMPARE(page.find("jumlah")->text, QStringLiteral("2"));
    for (const char *text : {"Simpanan Wajib      Rp.", "Simpanan Sukarela  Rp.", "Tabungan Wisuda    Rp.",
                             "RINCIAN :", "TOTAL (Rp.)", "Orang", "Mengetahui,", "Manager Divisi Usaha Simpan Pinjam",
                             "Drs. Suryadi", "LAPORAN SIMPANAN ANGGOTA", "KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA"})
        QVERIFY2(page.texts().contains(QString::fromUtf8(text)), text);

    // The query keeps the month's text and stays open.
    QCOMPARE(modul->Query2->sql(), (QStringList{QStringLiteral("select * from Tsimpanan1"),
                                                QStringLiteral("where Tgl_Simpan like '%/05/2025'")}));
    QVERIFY(modul->Query2->isActive());
    QCOMPARE(modul->Query2->recordCount(), 3);

    // May of 2024 holds only its own deposit; the picker kept the year.
    runReport(4, 2024);
    QCOMPARE(textsNamed(preview.pages, "Tgl_Simpan"), QStringList{"15/05/2024"});
    QCOMPARE(lastText(preview.pages, "QRtahun"), QStringLiteral(" 2024"));
    QCOMPARE(lastText(preview.pages, "QRLtotsaldo"), QStringLiteral("3"));

    // December: one row of 2024, numbered from 1 again; the dates that
    // missed May are found in no month at all.
    runReport(11);
    QCOMPARE(preview.shown, 3);
    QCOMPARE(textsNamed(preview.pages, "nomor"), QStringList{"1"});
    QCOMPARE(textsNamed(preview.pages, "Tgl_Simpan"), QStringList{"31/12/2024"});
    QCOMPARE(lastText(preview.pages, "QRLBulan"), QStringLiteral("Desember"));
    QCOMPARE(lastText(preview.pages, "QRLtotsaldo"), QStringLiteral("210000"));
    QCOMPARE(modul->Query2->sql().last(), QStringLiteral("where Tgl_Simpan like '%/12/2024'"));
    int listed = 0;
    for (int month = 0; month < 12; ++month) {
        runReport(month, 2025);
        const QStringList found = textsNamed(preview.pages, "Tgl_Simpan");
        for (const char *odd : {"12/5/2025", "2025-05-12", "05052025"})
            QVERIFY2(!found.contains(QString::fromLatin1(odd)), odd);
        listed += int(found.size());
        const QStringList members = textsNamed(preview.pages, "No_Anggota");
        QCOMPARE(lastText(preview.pages, "jumlah"), QString::number(QSet<QString>(members.begin(), members.end()).size()));
    }
    QCOMPARE(listed, 4);
}

void LapSimpanTest::elementsWhereTheLayoutPutsThem()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("1000"), rupiah("2000"), rupiah("3000")},
          {"09/03/2024", "2301002", rupiah("1000"), rupiah("2000"), rupiah("3000")}});
    PreviewCatcher preview;
    runReport(2, 2024);
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];
    QCOMPARE(kindsOf(page), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader, BandKind::Detail,
                                             BandKind::Detail, BandKind::Summary, BandKind::PageFooter}));
    // Bands stacked from the top margin, the footer on the bottom one.
    QCOMPARE_MM(page.bands[0].rect.top(), 10.0);
    QCOMPARE_MM(page.bands[0].rect.height(), 34.7);
    QCOMPARE_MM(page.bands[1].rect.top(), 44.7);
    QCOMPARE_MM(page.bands[1].rect.height(), 18.0);
    QCOMPARE_MM(page.bands[2].rect.top(), 62.7);
    QCOMPARE_MM(page.bands[3].rect.top(), 73.3);
    QCOMPARE_MM(page.bands[4].rect.top(), 83.9);
    QCOMPARE_MM(page.bands[4].rect.height(), 84.4);
    QCOMPARE_MM(page.bands[5].rect.top(), 297.0 - 10.0 - 10.6);
    QCOMPARE_MM(page.bands[5].rect.height(), 10.6);

    const FontStyle plain;
    const FontStyle bold = FontStyle::bolded();
    const double s = 83.9;  // summary top
    const QList<Place> places = {
        {"judul", 73.5, 12.1, FontStyle{QStringLiteral("Arial"), 14, true, true}},
        {"koperasi", 69.3, 20.6, plain},
        {"labelBulan", 96.8, 26.9, plain}, {"QRLBulan", 106.3, 26.9, plain, "labelBulan"},
        {"QRtahun", 124.3, 26.9, plain, "QRLBulan"},
        {"labelTanggal", 12.1, 38.0, plain}, {"tanggal", 26.9, 38.0, plain, "labelTanggal"},
        {"labelHalaman", 170.9, 38.0, plain}, {"halaman", 185.7, 38.0, plain, "labelHalaman"},
        {"kolomJenis", 103.1, 47.9, bold},
        {"kolomNo", 12.1, 51.1, bold}, {"kolomNoAnggota", 25.3, 51.1, bold},
        {"kolomTanggal", 55.0, 51.1, bold}, {"kolomTotal", 166.6, 51.1, bold},
        {"kolomPokok", 75.6, 55.3, bold}, {"kolomWajib", 96.8, 55.3, bold},
        {"kolomSukarela", 120.1, 55.3, bold}, {"kolomWisuda", 145.5, 55.3, bold},
        {"nomor", 12.1, 64.8, plain}, {"No_Anggota", 26.9, 64.8, plain}, {"Tgl_Simpan", 52.3, 64.8, plain},
        {"S_Pokok", 73.5, 64.8, plain}, {"S_Wajib", 94.7, 64.8, plain}, {"S_Sukarela", 118.0, 64.8, plain},
        {"S_Wisuda", 145.5, 64.8, plain}, {"Total", 175.1, 64.8, plain},
        {"labelTotal", 145.5, s + 2.1, bold}, {"QRLtotsaldo", 176.2, s + 2.1, plain},
        {"labelRincian", 12.1, s + 11.6, plain},
        {"labelWajib", 14.2, s + 22.2, plain}, {"QRLabel11", 53.4, s + 22.2, plain},
        {"labelSukarela", 14.2, s + 30.7, plain}, {"QRLabel12", 53.4, s + 30.7, plain},
        {"labelWisuda", 14.2, s + 39.2, plain}, {"QRLabel13", 53.4, s + 39.2, plain},
        {"labelJumlah", 12.1, s + 48.4, plain}, {"jumlah", 46.0, s + 48.4, plain}, {"labelOrang", 52.3, s + 48.4, plain},
        {"labelMengetahui", 162.4, s + 56.9, plain}, {"manager", 158.2, s + 80.2, plain},
    };
    comparePlaces(page, places);
    // The manager's title would reach into the right margin: a shade smaller.
    QVERIFY(shrunkInPlace(page.find("labelJabatan"), 141.2, s + 61.9, plain));
    // The date and the month would touch their captions: a blank after them.
    QVERIFY(page.find("tanggal")->rect.left() > 26.9 && page.find("QRLBulan")->rect.left() > 106.3);
    const Item *logo = page.find("logo");
    QCOMPARE(logo->kind, ItemKind::Picture);
    QVERIFY(!logo->image.isNull());
    QCOMPARE(logo->rect, QRectF(39.6, 10.0, 27.8, 23.5));
    const Item *rule = page.find("garisJenis");
    QCOMPARE_MM(rule->rect.left(), 73.2);
    QCOMPARE_MM(rule->rect.right(), 163.2);
    QCOMPARE_MM(rule->rect.top(), 53.4);
    const QList<const Item *> doubleRule = page.findAll("garisTotal");
    QCOMPARE(doubleRule.size(), 2);
    for (const Item *line : doubleRule) {
        QCOMPARE_MM(line->rect.left(), 173.8);
        QCOMPARE_MM(line->rect.width(), 23.5);
    }
    QCOMPARE_MM(doubleRule[0]->rect.top(), s + 7.1);
    QCOMPARE_MM(doubleRule[1]->rect.top(), s + 7.7);
    const Item *box = page.find("kotakRincian");
    QCOMPARE(box->kind, ItemKind::Rectangle);
    QVERIFY(box->frame.left && box->frame.top && box->frame.right && box->frame.bottom);
    QCOMPARE_MM(box->rect.left(), 12.1);
    QCOMPARE_MM(box->rect.top(), s + 19.1);
    QCOMPARE_MM(box->rect.width(), 61.6);
    QCOMPARE_MM(box->rect.height(), 27.8);

    // Shade behind the column header and the footer, white behind the rest.
    QMap<BandKind, QColor> fills;
    for (const Item &item : page.items) {
        if (item.kind == ItemKind::Rectangle && item.name.isEmpty() && item.fill.isValid())
            fills.insert(item.band, item.fill);
    }
    QCOMPARE(fills.value(BandKind::ColumnHeader), shadeColor());
    QCOMPARE(fills.value(BandKind::PageFooter), shadeColor());
    QCOMPARE(fills.value(BandKind::PageHeader), QColor(Qt::white));
    QCOMPARE(fills.value(BandKind::Detail), QColor(Qt::white));
    QCOMPARE(fills.value(BandKind::Summary), QColor(Qt::white));
    QCOMPARE(page.bandsOf(BandKind::Detail)[1].lineNumber, 2);
}

void LapSimpanTest::noMonthOrNoDepositsGivesAnEmptyReport()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("1000"), rupiah("2000"), rupiah("3000")},
          {"09/03/2025", "2301002", rupiah("1000"), rupiah("2000"), rupiah("3000")}});
    PreviewCatcher preview;

    // No month chosen: nothing between the slashes, nothing found.
    runReport(-1);
    QCOMPARE(preview.shown, 1);
    QCOMPARE(modul->Query2->sql(), (QStringList{QStringLiteral("select * from Tsimpanan1"),
                                                QStringLiteral("where Tgl_Simpan like '%//") + thisYear().trimmed()
                                                    + QStringLiteral("'")}));
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];
    QCOMPARE(kindsOf(page), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader, BandKind::Summary,
                                             BandKind::PageFooter}));
    QCOMPARE(page.find("QRLBulan")->text, QString());
    QCOMPARE(page.find("QRtahun")->text, thisYear());
    for (const char *name : {"QRLabel11", "QRLabel12", "QRLabel13", "QRLtotsaldo", "jumlah"})
        QCOMPARE(page.find(QLatin1String(name))->text, QStringLiteral("0"));
    QVERIFY(page.findAll("nomor").isEmpty());
    QVERIFY(!Flapsimpan->isVisible());

    // A month without deposits: the same, with the month's name.
    runReport(7);
    QCOMPARE(preview.shown, 2);
    QCOMPARE(preview.pages.size(), 1);
    QCOMPARE(preview.pages[0].find("QRLBulan")->text, QStringLiteral("Agustus"));
    QCOMPARE(preview.pages[0].find("QRLtotsaldo")->text, QStringLiteral("0"));
    QCOMPARE(preview.pages[0].find("jumlah")->text, QStringLiteral("0"));
    QVERIFY(preview.pages[0].findAll("nomor").isEmpty());

    // March of each year holds that year's row only.
    runReport(2, 2024);
    QCOMPARE(textsNamed(preview.pages, "Tgl_Simpan"), QStringList{"02/03/2024"});
    QCOMPARE(lastText(preview.pages, "QRLtotsaldo"), QStringLiteral("6000"));
    runReport(2, 2025);
    QCOMPARE(textsNamed(preview.pages, "Tgl_Simpan"), QStringList{"09/03/2025"});
}

void LapSimpanTest::longMonthOverSeveralPages()
{
    Program program;
    QList<Deposit> deposits;
    Money sumWajib, sumSukarela, sumWisuda;
    for (int i = 1; i <= 60; ++i) {
        const QString date = QStringLiteral("%1/03/2024").arg((i % 28) + 1, 2, 10, QLatin1Char('0'));
        const Money wajib = Money::fromUnits(1000 * i);
        const Money sukarela = Money::fromRaw(12345 * i);     // 1,2345 rupiah a step
        const Money wisuda = Money::fromUnits(i % 3 == 0 ? 0 : 2500);
        deposits.append({date, QStringLiteral("23%1").arg(i % 7, 5, 10, QLatin1Char('0')), wajib, sukarela, wisuda});
        sumWajib += wajib;
        sumSukarela += sukarela;
        sumWisuda += wisuda;
    }
    // Another month and another year's March in between, which must not show.
    deposits.insert(30, {"15/04/2024", "2300001", rupiah("999"), rupiah("999"), rupiah("999")});
    deposits.insert(40, {"15/03/2023", "2300001", rupiah("999"), rupiah("999"), rupiah("999")});
    seed(deposits);

    PreviewCatcher preview;
    runReport(2, 2024);
    const QList<Page> &pages = preview.pages;
    // 20 lines fit between the column header and the footer; the summary
    // then needs a page of its own, again under both headers.
    QCOMPARE(pages.size(), 4);
    const QList<BandKind> top = {BandKind::PageHeader, BandKind::ColumnHeader};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(kindsOf(pages[i]), (top + QList<BandKind>(20, BandKind::Detail) + QList<BandKind>{BandKind::PageFooter}));
        QCOMPARE(pages[i].find("halaman")->text, QString::number(i + 1));
    }
    QCOMPARE(kindsOf(pages[3]), (top + QList<BandKind>{BandKind::Summary, BandKind::PageFooter}));
    for (const Page &page : pages) {
        for (const char *text : {"LAPORAN SIMPANAN ANGGOTA", "Jenis Simpanan", "Total Simpanan", "Pokok", "Bulan", "Maret"})
            QVERIFY2(page.texts().contains(QString::fromLatin1(text)), text);
        QCOMPARE(page.find("QRtahun")->text, QStringLiteral(" 2024"));
    }

    QStringList expectedNumbers;
    for (int i = 1; i <= 60; ++i)
        expectedNumbers << QString::number(i);
    QCOMPARE(textsNamed(pages, "nomor"), expectedNumbers);
    QVERIFY(!textsNamed(pages, "Tgl_Simpan").contains(QStringLiteral("15/04/2024")));
    QCOMPARE(textsNamed(pages, "S_Pokok"), QStringList(60, QString()));
    QCOMPARE(pages[1].find("nomor")->text, QStringLiteral("21"));
    // Sixty deposits of seven members.
    QCOMPARE(pages[3].find("jumlah")->text, QStringLiteral("7"));
    QCOMPARE(pages[3].find("QRLabel11")->text, sumWajib.toPlainString());
    QCOMPARE(pages[3].find("QRLabel11")->text, QStringLiteral("1830000"));
    QCOMPARE(pages[3].find("QRLabel12")->text, QStringLiteral("2259,135"));
    QCOMPARE(pages[3].find("QRLabel12")->text, sumSukarela.toPlainString());
    QCOMPARE(pages[3].find("QRLabel13")->text, QStringLiteral("100000"));
    QCOMPARE(pages[3].find("QRLtotsaldo")->text, (sumWajib + sumSukarela + sumWisuda).toPlainString());
    QCOMPARE(pages[3].find("QRLtotsaldo")->text, QStringLiteral("1932259,135"));

    // On paper.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("simpanan.pdf"));
    QVERIFY(renderToPdf(pages, pdf, preview.title));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY2(!text.isEmpty(), "pdftotext gave nothing");
    QCOMPARE(text.count(QStringLiteral("LAPORAN SIMPANAN ANGGOTA")), 4);
    QCOMPARE(text.count(QStringLiteral("Jenis Simpanan")), 4);
    QString compact = text;
    compact.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QString &expected : {QStringLiteral("BulanMaret2024"),
                                    QStringLiteral("JumlahPenabung:7Orang"), QStringLiteral("TOTAL(Rp.)1932259,135"),
                                    QStringLiteral("SimpananWajibRp.1830000"), QStringLiteral("SimpananSukarelaRp.2259,135"),
                                    QStringLiteral("TabunganWisudaRp.100000"), QStringLiteral("Halaman4")})
        QVERIFY2(compact.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    // For a look at a page: SP_LAPSIMPAN_PDF names where to keep a copy.
    const QString keep = qEnvironmentVariable("SP_LAPSIMPAN_PDF");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(pdf, keep));
    }
}

void LapSimpanTest::realPreviewThenPickerCloses()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("1000"), rupiah("2000"), rupiah("3000")}});
    bool seen = false;
    bool pickerOpen = false;
    QTimer::singleShot(50, [&] {
        if (ReportPreview *window = shownPreview()) {
            seen = window->windowTitle() == QStringLiteral("LAPORAN SIMPANAN ANGGOTA")
                   && window->view()->pageCount() == 1;
            pickerOpen = Flapsimpan->isVisible();
            window->close();
        }
    });
    runReport(2, 2024);
    QVERIFY(seen);
    QVERIFY(pickerOpen);
    QVERIFY(!Flapsimpan->isVisible());
    QVERIFY(!Form3->isVisible());
}

// The treasurer's copy of the lines: the printed columns, amounts as plain
// numbers with the decimal comma, so ';' between the fields; UTF-8 with a
// byte order mark; the principal column there and empty.
void LapSimpanTest::savedAsCsvForASpreadsheet()
{
    Program program;
    seed({{"03/03/2024", "2301001", rupiah("10000"), rupiah("2500.25"), rupiah("5000")},
          {"15/04/2024", "2301002", rupiah("1"), rupiah("1"), rupiah("1")},
          {"17/03/2024", "2301002", rupiah("1250000"), rupiah("0"), rupiah("0.5")},
          {"18/03/2025", "2301003", rupiah("9"), rupiah("9"), rupiah("9")}});
    QTemporaryDir dir;
    QByteArray indonesian;
    QByteArray english;
    QTimer::singleShot(50, [&] {
        ReportPreview *preview = shownPreview();
        QVERIFY(preview);
        QVERIFY(preview->action(QStringLiteral("saveCsv"))->isVisible());
        // No suffix typed: the file gets one.
        QVERIFY(saveCsvFromPreview(preview, dir.filePath(QStringLiteral("simpanan"))).isEmpty());
        QFile saved(dir.filePath(QStringLiteral("simpanan.csv")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        indonesian = saved.readAll();
        regional::setLocaleForTesting(QLocale(QLocale::English, QLocale::UnitedStates));
        english = saveCsvFromPreview(preview, dir.filePath(QStringLiteral("simpanan-en.csv")));
        preview->close();
    });
    runReport(2, 2024);
    QCOMPARE(indonesian, QByteArray("\xEF\xBB\xBF"
                                    "No.;No. Anggota;Tanggal;Pokok;Wajib;Sukarela;Wisuda;Total Simpanan\r\n"
                                    "1;2301001;03/03/2024;;10000;2500,25;5000;17500,25\r\n"
                                    "2;2301002;17/03/2024;;1250000;0;0,5;1250000,5\r\n"));
    QCOMPARE(english.mid(3).split('\n').at(2), QByteArray("2,2301002,17/03/2024,,1250000,0,0.5,1250000.5\r"));
}

void LapSimpanTest::largestAmountsKeepToTheirColumns()
{
    Program program;
    // A deposit whose total is the largest amount the book can hold, so that
    // every figure of the summary is as long as it can get; and one that
    // fits its columns in full-size type.
    const Money largest = largestAmount();
    const Money third = Money::fromRaw(largest.raw() / 3);
    const Money rest = largest - third - third;
    seed({{"02/09/2024", "2301001", third, third, rest}});
    const QList<Page> pages = pagesOfMonth(Fmenu->LaporanSimpanan1, Flapsimpan, 8, 2024);
    QCOMPARE(pages.size(), 1);
    const Page &page = pages[0];
    QCOMPARE(page.find("QRLtotsaldo")->text, largest.toPlainString());
    QCOMPARE(page.find("Total")->text, largest.toCurrencyString());
    QVERIFY_UNCROWDED(pages);

    // Amounts stand right, a gap before the next column (the last one
    // before its heading); the figures of the summary right over their rule
    // and within their box.
    const auto rightOf = [&](const char *name) { return inkBox(*page.find(QLatin1String(name))).right(); };
    QCOMPARE_MM(rightOf("S_Wajib"), 10.0 + 108.0 - ColumnGap);
    QCOMPARE_MM(rightOf("S_Sukarela"), 10.0 + 135.5 - ColumnGap);
    QCOMPARE_MM(rightOf("S_Wisuda"), 10.0 + 156.6 - ColumnGap);
    QCOMPARE_MM(rightOf("Total"), 200.0 - ColumnGap);
    QCOMPARE_MM(rightOf("QRLtotsaldo"), page.find("garisTotal")->rect.right());
    for (const char *figure : {"QRLabel11", "QRLabel12", "QRLabel13"})
        QCOMPARE_MM(rightOf(figure), page.find("kotakRincian")->rect.right() - ColumnGap);
    QCOMPARE(page.find("halaman")->rect.top(), page.find("labelHalaman")->rect.top());

    seed({{"03/10/2024", "2301001", rupiah("25000"), rupiah("10000"), rupiah("5000")}});
    const QList<Page> ordinary = pagesOfMonth(Fmenu->LaporanSimpanan1, Flapsimpan, 9, 2024);
    QCOMPARE(ordinary.size(), 1);
    QCOMPARE(ordinary[0].find("Total")->text, rupiah("40000").toCurrencyString());
    for (const char *amount : {"S_Wajib", "S_Sukarela", "S_Wisuda", "Total"})
        QCOMPARE(ordinary[0].find(QLatin1String(amount))->font, reportFont(FontStyle()));
}

QTEST_MAIN(LapSimpanTest)
#include "tst_lapsimpan.moc"
