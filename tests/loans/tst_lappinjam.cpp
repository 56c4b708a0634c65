// The monthly loan report: the month picker, the loans of a month of every
// year with their fee and total, the amount lent and the number of loans,
// the query text left behind, long months over several pages, and the paper.

#include "loans/UQRpinjam.h"
#include "loans/Uinputbulanpinjam.h"
#include "support/amounts.h"
#include "support/messagescript.h"
#include "support/millimetres.h"
#include "support/monthlyreport.h"
#include "support/pages.h"
#include "support/program.h"

#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "runtime/report/report.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

struct Loan {
    QString date;
    QString member;
    Money amount;
    QString guarantee;
};

// Written straight into the file, so that each row keeps the date text we
// chose (the loans window would stamp today's).
void seed(const QList<Loan> &loans)
{
    sqlite3 *db = sqlite::handleOf(*modul->connection());
    sqlite::Transaction transaction(db);
    for (const Loan &loan : loans) {
        sqlite::Statement insert(db, QStringLiteral("insert into Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, "
                                                    "Jaminan) values (?, ?, ?, ?)"));
        insert.bindAll({loan.date, loan.member, qint64(loan.amount.raw()), loan.guarantee});
        insert.exec();
    }
    transaction.commit();
}

void runReport(int position, int year = 0)
{
    runMonthlyReport(Fmenu->LaporanPinjaman1, Form2, position, year);
}

Money feeOf(Money amount)
{
    return amount * Money::fromRaw(700);
}

} // namespace

class LapPinjamTest : public QObject {
    Q_OBJECT

private slots:
    void init() { regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia)); }
    void cleanup();
    void pickerWindow();
    void monthOfTheChosenYearListedAndSummed();
    void elementsWhereTheLayoutPutsThem();
    void noMonthOrNoLoansGivesAnEmptyReport();
    void longMonthOverSeveralPages();
    void realPreviewThenPickerCloses();
    void savedAsCsvForASpreadsheet();
    void largestAmountsKeepToTheirColumns();
};

void LapPinjamTest::cleanup()
{
    setPreviewHook(nullptr);
    regional::setLocaleForTesting(std::nullopt);
}

void LapPinjamTest::pickerWindow()
{
    Program program;
    QCOMPARE(Form2->objectName(), QStringLiteral("Form2"));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Input Bulan Pinjam"));
    compareMonthPicker(Form2);
    QCOMPARE(Form2->BitBtn1->text(), QStringLiteral("&Preview"));
    QCOMPARE(Form2->BitBtn1->hint(), QStringLiteral("Tampilkan ke layar"));
    QCOMPARE(Form2->BitBtn2->hint(), QStringLiteral("Tutup "));
    QCOMPARE(FlapPinjam->objectName(), QStringLiteral("FlapPinjam"));
    QCOMPARE(FlapPinjam->windowTitle(), QStringLiteral("Laporan Pinjaman Anggota Berdasarkan Bulan"));
    QVERIFY(!FlapPinjam->isVisible());

    // The close button closes the picker without a report.
    PreviewCatcher preview;
    Fmenu->LaporanPinjaman1->trigger();
    // An empty book: the current year only, chosen.
    QCOMPARE(offeredYears(Form2), yearsFrom(QDate::currentDate().year()));
    QCOMPARE(Form2->chosenYear(), QString::number(QDate::currentDate().year()));
    Form2->ComboBox1->setCurrentIndex(9);
    QVERIFY(Form2->isVisible());
    Form2->BitBtn2->click();
    QVERIFY(!Form2->isVisible());
    QCOMPARE(preview.shown, 0);
    QCOMPARE(modul->Query1->sql(), QStringList{QStringLiteral("select * from Tpinjaman1")});
    // Only hidden: the choice is still there next time.
    Fmenu->LaporanPinjaman1->trigger();
    QCOMPARE(Form2->ComboBox1->currentText(), QStringLiteral("10"));
}

void LapPinjamTest::monthOfTheChosenYearListedAndSummed()
{
    Program program;
    MessageScript script;
    const QList<Loan> loans = {
        {"03/05/2025", "2301001", rupiah("500000"), "Motor"},
        {"17/06/2025", "2301001", rupiah("100000"), "Laptop"},
        {"28/05/2025", "2301002", rupiah("123457"), "Sepeda"},
        {"12/5/2025", "2301002", rupiah("400000"), "Televisi"},    // month not two digits
        {"2025-05-12", "2301003", rupiah("400000"), "Kulkas"},     // not day/month/year
        {"05052025", "2301003", rupiah("400000"), "Kamera"},       // no "/" at all
        {"01/05/2025", "2301001", rupiah("250000.5"), "KTM"},
        {"31/12/2024", "2301004", rupiah("70000"), "Jam tangan"},
        {"15/05/2023", "2301004", rupiah("1"), "Payung"},          // May of another year
    };
    seed(loans);
    const QList<int> may = {0, 2, 6};

    bool pickerShownDuringPreview = false;
    PreviewCatcher preview([&] { pickerShownDuringPreview = Form2->isVisible(); });
    runReport(4, 2025);
    // The years of the book, from its oldest loan on.
    QCOMPARE(offeredYears(Form2), yearsFrom(2023));
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("LAPORAN PINJAMAN ANGGOTA"));
    QVERIFY(pickerShownDuringPreview);
    QVERIFY(!Form2->isVisible());
    QVERIFY(script.texts().isEmpty());
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];

    QCOMPARE(page.find("QRLbulan")->text, QStringLiteral("Mei"));
    QCOMPARE(page.find("QRtahun")->text, QStringLiteral(" 2025"));
    QCOMPARE(page.find("labelBulan")->text, QStringLiteral("Bulan "));
    QCOMPARE(page.find("labelTanggal")->text, QStringLiteral("Tanggal : "));
    QCOMPARE(page.find("tanggal")->text, regional::todayShortDate());
    QCOMPARE(page.find("halaman")->text, QStringLiteral("1"));
    QCOMPARE(textsNamed(preview.pages, "nomor"), (QStringList{"1", "2", "3"}));
    QStringList dates, members, guarantees, amounts, fees, totals;
    Money sum;
    for (int i : may) {
        const Loan &loan = loans[i];
        dates << loan.date;
        members << loan.member;
        guarantees << loan.guarantee;
        amounts << loan.amount.toCurrencyString();
        fees << feeOf(loan.amount).toCurrencyString();
        totals << (feeOf(loan.amount) + loan.amount).toCurrencyString();
        sum += loan.amount;
    }
    QCOMPARE(textsNamed(preview.pages, "Tgl_Pinjam"), dates);
    QCOMPARE(textsNamed(preview.pages, "No_Anggota"), members);
    QCOMPARE(textsNamed(preview.pages, "Jaminan"), guarantees);
    QCOMPARE(textsNamed(preview.pages, "Besar_Pinjam"), amounts);
    QCOMPARE(textsNamed(preview.pages, "adm"), fees);
    QCOMPARE(textsNamed(preview.pages, "Totpinjam"), totals);
    QCOMPARE(textsNamed(preview.pages, "adm"), (QStringList{"Rp35.000,00", "Rp8.641,99", "Rp17.500,04"}));
    QCOMPARE(textsNamed(preview.pages, "Totpinjam").at(1), QStringLiteral("Rp132.098,99"));

    // The amount lent as a plain number with the regional decimal comma;
    // borrowers, not loans, are counted (2301001 borrowed twice).
    QCOMPARE(page.find("QRLabel13")->text, QStringLiteral("873457,5"));
    QCOMPARE(page.find("QRLabel13")->text, sum.toPlainString());
    QCOMPARE(page.find("QRLabel14")->text, QStringLiteral("2"));
    QCOMPARE(page.find("labelJumlah")->text, QStringLiteral("Jumlah Peminjam :"));
    for (const char *text : {"TOTAL PINJAMAN (Rp.)", "Orang", "Mengetahui,", "Manager Divisi Usaha Simpan Pinjam",
                             "Drs. Suryadi", "LAPORAN PINJAMAN ANGGOTA", "KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA",
                             "No.", "No. Anggota", "Tgl Pinjam", "Jaminan", "Besar Pinjam", "B. Administrasi",
                             "Total Pinjam"})
        QVERIFY2(page.texts().contains(QString::fromUtf8(text)), text);

    // The query keeps the month's text and stays open.
    QCOMPARE(modul->Query1->sql(), (QStringList{QStringLiteral("select * from Tpinjaman1"),
                                                QStringLiteral("where Tgl_Pinjam like '%/05/2025'")}));
    QVERIFY(modul->Query1->isActive());
    QCOMPARE(modul->Query1->recordCount(), 3);

    // May of 2023 holds only its own loan.
    runReport(4, 2023);
    QCOMPARE(textsNamed(preview.pages, "Jaminan"), QStringList{"Payung"});
    QCOMPARE(lastText(preview.pages, "QRtahun"), QStringLiteral(" 2023"));

    // December: one loan of 2024, numbered from 1 again; the dates that
    // missed May are found in no month at all.
    runReport(11, 2024);
    QCOMPARE(preview.shown, 3);
    QCOMPARE(textsNamed(preview.pages, "nomor"), QStringList{"1"});
    QCOMPARE(textsNamed(preview.pages, "Tgl_Pinjam"), QStringList{"31/12/2024"});
    QCOMPARE(lastText(preview.pages, "QRLbulan"), QStringLiteral("Desember"));
    QCOMPARE(lastText(preview.pages, "QRLabel13"), QStringLiteral("70000"));
    QCOMPARE(lastText(preview.pages, "QRLabel14"), QStringLiteral("1"));
    QCOMPARE(modul->Query1->sql().last(), QStringLiteral("where Tgl_Pinjam like '%/12/2024'"));
    int listed = 0;
    for (int month = 0; month < 12; ++month) {
        runReport(month, 2025);
        const QStringList found = textsNamed(preview.pages, "Tgl_Pinjam");
        for (const char *odd : {"12/5/2025", "2025-05-12", "05052025"})
            QVERIFY2(!found.contains(QString::fromLatin1(odd)), odd);
        listed += int(found.size());
        const QStringList members = textsNamed(preview.pages, "No_Anggota");
        QCOMPARE(lastText(preview.pages, "QRLabel14"), QString::number(QSet<QString>(members.begin(), members.end()).size()));
    }
    QCOMPARE(listed, 4);
}

void LapPinjamTest::elementsWhereTheLayoutPutsThem()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("10000"), "BPKB"},
          {"09/03/2024", "2301002", rupiah("20000"), "Sertifikat"}});
    PreviewCatcher preview;
    runReport(2, 2024);
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];
    QCOMPARE(kindsOf(page), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader, BandKind::Detail,
                                             BandKind::Detail, BandKind::Summary, BandKind::PageFooter}));
    QCOMPARE_MM(page.bands[0].rect.top(), 10.0);
    QCOMPARE_MM(page.bands[0].rect.height(), 32.5);
    QCOMPARE_MM(page.bands[1].rect.top(), 42.5);
    QCOMPARE_MM(page.bands[1].rect.height(), 10.6);
    QCOMPARE_MM(page.bands[2].rect.top(), 53.1);
    QCOMPARE_MM(page.bands[2].rect.height(), 8.5);
    QCOMPARE_MM(page.bands[3].rect.top(), 61.6);
    QCOMPARE_MM(page.bands[4].rect.top(), 70.1);
    QCOMPARE_MM(page.bands[4].rect.height(), 57.9);
    QCOMPARE_MM(page.bands[5].rect.top(), 297.0 - 10.0 - 10.1);
    QCOMPARE_MM(page.bands[5].rect.height(), 10.1);

    const FontStyle plain;
    const FontStyle bold = FontStyle::bolded();
    const double s = 70.1;  // summary top
    const QList<Place> places = {
        {"judul", 71.4, 12.1, FontStyle{QStringLiteral("Arial"), 14, true, true}},
        {"koperasi", 67.2, 18.5, plain},
        {"labelBulan", 91.2, 22.7, plain}, {"QRLbulan", 101.8, 22.7, plain, "labelBulan"},
        {"QRtahun", 118.7, 22.7, plain, "QRLbulan"},
        {"labelTanggal", 12.1, 35.4, plain}, {"tanggal", 29.1, 35.4, plain, "labelTanggal"},
        {"labelHalaman", 173.0, 35.4, plain}, {"halaman", 187.8, 35.4, plain, "labelHalaman"},
        // Column captions in plain type.
        {"kolomNo", 12.1, 46.7, plain}, {"kolomNoAnggota", 29.1, 46.7, plain},
        {"kolomTglPinjam", 54.5, 46.7, plain}, {"kolomJaminan", 86.2, 46.7, plain},
        {"kolomBesar", 118.0, 46.7, plain}, {"kolomAdm", 141.2, 46.7, plain}, {"kolomTotal", 173.0, 46.7, plain},
        {"nomor", 12.1, 55.2, plain}, {"No_Anggota", 29.1, 55.2, plain}, {"Tgl_Pinjam", 54.5, 55.2, plain},
        {"Jaminan", 77.7, 55.2, plain}, {"Besar_Pinjam", 118.2, 55.2, plain}, {"adm", 143.4, 55.2, plain},
        {"Totpinjam", 175.1, 55.2, plain},
        {"labelJumlah", 10.0, s + 2.1, plain}, {"QRLabel14", 41.8, s + 2.1, plain}, {"labelOrang", 52.3, s + 2.1, plain},
        {"QRLabel13", 174.6, s + 4.2, plain},
        {"labelMengetahui", 156.1, s + 19.8, plain}, {"labelJabatan", 139.1, s + 26.2, plain},
        {"manager", 153.9, s + 49.5, plain},
    };
    comparePlaces(page, places);
    // The total's caption is wider than the room before the total: it keeps
    // its left edge and its baseline in a little smaller type.
    QVERIFY(shrunkInPlace(page.find("labelTotal"), 134.9, s + 4.2, bold));
    // The logo reaches 0.3 mm above the header band.
    const Item *logo = page.find("logo");
    QCOMPARE(logo->kind, ItemKind::Picture);
    QVERIFY(!logo->image.isNull());
    QCOMPARE_MM(logo->rect.left(), 37.5);
    QCOMPARE_MM(logo->rect.top(), 9.7);
    QCOMPARE_MM(logo->rect.width(), 27.8);
    QCOMPARE_MM(logo->rect.height(), 21.4);
    const QList<const Item *> doubleRule = page.findAll("garisTotal");
    QCOMPARE(doubleRule.size(), 2);
    for (const Item *line : doubleRule) {
        QCOMPARE_MM(line->rect.left(), 174.0);
        QCOMPARE_MM(line->rect.width(), 18.5);
    }
    QCOMPARE_MM(doubleRule[0]->rect.top(), s + 9.0);
    QCOMPARE_MM(doubleRule[1]->rect.top(), s + 9.5);

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
    QCOMPARE(textsNamed(preview.pages, "Totpinjam"), (QStringList{"Rp10.700,00", "Rp21.400,00"}));
}

void LapPinjamTest::noMonthOrNoLoansGivesAnEmptyReport()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("1000"), "KTM"}, {"09/03/2025", "2301002", rupiah("2000"), "KTM"}});
    PreviewCatcher preview;

    runReport(-1);
    QCOMPARE(preview.shown, 1);
    QCOMPARE(modul->Query1->sql(), (QStringList{QStringLiteral("select * from Tpinjaman1"),
                                                QStringLiteral("where Tgl_Pinjam like '%//") + thisYear().trimmed()
                                                    + QStringLiteral("'")}));
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];
    QCOMPARE(kindsOf(page), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader, BandKind::Summary,
                                             BandKind::PageFooter}));
    QCOMPARE(page.find("QRLbulan")->text, QString());
    QCOMPARE(page.find("labelBulan")->text, QStringLiteral("Bulan "));
    QCOMPARE(page.find("QRLabel13")->text, QStringLiteral("0"));
    QCOMPARE(page.find("QRLabel14")->text, QStringLiteral("0"));
    QVERIFY(page.findAll("nomor").isEmpty());
    QVERIFY(!Form2->isVisible());

    runReport(0);
    QCOMPARE(preview.shown, 2);
    QCOMPARE(preview.pages[0].find("QRLbulan")->text, QStringLiteral("Januari"));
    QCOMPARE(preview.pages[0].find("QRLabel13")->text, QStringLiteral("0"));
    QCOMPARE(preview.pages[0].find("QRLabel14")->text, QStringLiteral("0"));
    QVERIFY(preview.pages[0].findAll("nomor").isEmpty());

    // March of each year holds that year's loan only.
    runReport(2, 2024);
    QCOMPARE(textsNamed(preview.pages, "Tgl_Pinjam"), QStringList{"02/03/2024"});
    QCOMPARE(lastText(preview.pages, "QRLabel13"), QStringLiteral("1000"));
    QCOMPARE(lastText(preview.pages, "QRLabel14"), QStringLiteral("1"));
    runReport(2, 2025);
    QCOMPARE(textsNamed(preview.pages, "Tgl_Pinjam"), QStringList{"09/03/2025"});
}

void LapPinjamTest::longMonthOverSeveralPages()
{
    Program program;
    QList<Loan> loans;
    Money sum;
    for (int i = 1; i <= 60; ++i) {
        const QString date = QStringLiteral("%1/11/2023").arg((i % 28) + 1, 2, 10, QLatin1Char('0'));
        const Money amount = Money::fromUnits(10000 * i) + Money::fromRaw(2500 * i);   // 0,25 rupiah a step
        loans.append({date, QStringLiteral("23%1").arg(i % 4, 5, 10, QLatin1Char('0')), amount,
                      QStringLiteral("Jaminan %1").arg(i)});
        sum += amount;
    }
    loans.insert(17, {"15/10/2024", "2300001", rupiah("999"), "Lain"});
    loans.insert(33, {"15/11/2024", "2300001", rupiah("999"), "Lain"});
    seed(loans);

    PreviewCatcher preview;
    runReport(10, 2023);
    const QList<Page> &pages = preview.pages;
    // 26 lines a page; the last eight lines and the summary share page 3.
    QCOMPARE(pages.size(), 3);
    const QList<BandKind> top = {BandKind::PageHeader, BandKind::ColumnHeader};
    const QList<BandKind> footer = {BandKind::PageFooter};
    QCOMPARE(kindsOf(pages[0]), (top + QList<BandKind>(26, BandKind::Detail) + footer));
    QCOMPARE(kindsOf(pages[1]), (top + QList<BandKind>(26, BandKind::Detail) + footer));
    QCOMPARE(kindsOf(pages[2]), (top + QList<BandKind>(8, BandKind::Detail) + QList<BandKind>{BandKind::Summary} + footer));
    for (const Page &page : pages) {
        for (const char *text : {"LAPORAN PINJAMAN ANGGOTA", "B. Administrasi", "November"})
            QVERIFY2(page.texts().contains(QString::fromLatin1(text)), text);
        QCOMPARE(page.find("halaman")->text, QString::number(page.number));
        QCOMPARE(page.find("QRtahun")->text, QStringLiteral(" 2023"));
    }
    QStringList expectedNumbers;
    for (int i = 1; i <= 60; ++i)
        expectedNumbers << QString::number(i);
    QCOMPARE(textsNamed(pages, "nomor"), expectedNumbers);
    QCOMPARE(pages[1].find("nomor")->text, QStringLiteral("27"));
    QVERIFY(!textsNamed(pages, "Tgl_Pinjam").contains(QStringLiteral("15/10/2024")));
    // Sixty loans of four members.
    QCOMPARE(pages[2].find("QRLabel14")->text, QStringLiteral("4"));
    QCOMPARE(pages[2].find("QRLabel13")->text, sum.toPlainString());
    QCOMPARE(pages[2].find("QRLabel13")->text, QStringLiteral("18300457,5"));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("pinjaman.pdf"));
    QVERIFY(renderToPdf(pages, pdf, preview.title));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY2(!text.isEmpty(), "pdftotext gave nothing");
    QCOMPARE(text.count(QStringLiteral("LAPORAN PINJAMAN ANGGOTA")), 3);
    QString compact = text;
    compact.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QString &expected : {QStringLiteral("BulanNovember2023"), QStringLiteral("JumlahPeminjam:4Orang"),
                                    QStringLiteral("TOTALPINJAMAN(Rp.)18300457,5"), QStringLiteral("Halaman3"),
                                    QStringLiteral("Jaminan60")})
        QVERIFY2(compact.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    // For a look at a page: SP_LAPPINJAM_PDF names where to keep a copy.
    const QString keep = qEnvironmentVariable("SP_LAPPINJAM_PDF");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(pdf, keep));
    }
}

void LapPinjamTest::realPreviewThenPickerCloses()
{
    Program program;
    seed({{"02/03/2024", "2301001", rupiah("1000"), "KTM"}});
    bool seen = false;
    bool pickerOpen = false;
    QTimer::singleShot(50, [&] {
        if (ReportPreview *window = shownPreview()) {
            seen = window->windowTitle() == QStringLiteral("LAPORAN PINJAMAN ANGGOTA")
                   && window->view()->pageCount() == 1;
            pickerOpen = Form2->isVisible();
            window->close();
        }
    });
    runReport(2, 2024);
    QVERIFY(seen);
    QVERIFY(pickerOpen);
    QVERIFY(!Form2->isVisible());
    QVERIFY(!FlapPinjam->isVisible());
}

void LapPinjamTest::savedAsCsvForASpreadsheet()
{
    Program program;
    seed({{"05/10/2024", "2301001", rupiah("123457"), "Laptop; tas \"hitam\""},
          {"06/11/2024", "2301002", rupiah("1000"), "Motor"}});
    QTemporaryDir dir;
    QByteArray csv;
    QTimer::singleShot(50, [&] {
        ReportPreview *preview = shownPreview();
        QVERIFY(preview);
        csv = saveCsvFromPreview(preview, dir.filePath(QStringLiteral("pinjaman.csv")));
        preview->close();
    });
    runReport(9, 2024);
    // The fee and total as calculated, a separator or quote inside a text
    // quoted.
    QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                             "No.;No. Anggota;Tgl Pinjam;Jaminan;Besar Pinjam;B. Administrasi;Total Pinjam\r\n"
                             "1;2301001;05/10/2024;\"Laptop; tas \"\"hitam\"\"\";123457;8641,99;132098,99\r\n"));
}

void LapPinjamTest::largestAmountsKeepToTheirColumns()
{
    Program program;
    // The largest loan whose total the book can hold, and a second that
    // brings the month's amount lent to the largest sum there is; guarantees
    // of twenty of the widest letter; the longest month name.
    const Money largest = largestAmount();
    const Money loan = Money::fromRaw(largest.raw() / 107 * 100);
    const QString widest(20, QLatin1Char('W'));
    const Money ordinary = rupiah("75000");
    seed({{"02/09/2024", "2301001", loan, widest}, {"30/09/2024", "2301002", largest - loan - ordinary, widest},
          {"01/09/2024", "2301003", ordinary, "BPKB"}});
    const QList<Page> pages = pagesOfMonth(Fmenu->LaporanPinjaman1, Form2, 8, 2024);
    QCOMPARE(pages.size(), 1);
    const Page &page = pages[0];
    QCOMPARE(page.find("QRLabel13")->text, largest.toPlainString());
    QCOMPARE(textsNamed(page, "Totpinjam").first(), (loan + feeOf(loan)).toCurrencyString());
    QVERIFY_UNCROWDED(pages);

    // Amounts stand right, a gap before the next column's heading (or the
    // band's edge); the amount lent right over the end of its double rule.
    const auto rightOf = [&](const char *name) { return inkBox(*page.findAll(QLatin1String(name)).last()).right(); };
    QCOMPARE_MM(rightOf("Besar_Pinjam"), 10.0 + 131.2 - ColumnGap);
    QCOMPARE_MM(rightOf("adm"), 10.0 + 163.0 - ColumnGap);
    QCOMPARE_MM(rightOf("Totpinjam"), 200.0 - ColumnGap);
    QCOMPARE_MM(rightOf("QRLabel13"), page.find("garisTotal")->rect.right());
    // An ordinary amount keeps its full size; the largest gets smaller type.
    QCOMPARE(page.findAll("Besar_Pinjam").last()->font, reportFont(FontStyle()));
    QVERIFY(page.findAll("Besar_Pinjam").first()->font.pointSizeF() < 10.0);
    QCOMPARE(page.find("halaman")->rect.top(), page.find("labelHalaman")->rect.top());
}

QTEST_MAIN(LapPinjamTest)
#include "tst_lappinjam.moc"
