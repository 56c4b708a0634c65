// The savings and loan slips: where every element lands on the page, what a
// clerk's deposit or loan prints, pending rows posted first, refused posts,
// members without transactions, and the preview that prints them.

#include "loans/pinjaman.h"
#include "savings/Uslip.h"
#include "savings/simpanan.h"
#include "support/amounts.h"
#include "support/messagescript.h"
#include "support/millimetres.h"
#include "support/pages.h"
#include "support/program.h"
#include "support/sqlfile.h"

#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "runtime/report/report.h"

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

void set(Dataset *dataset, const char *field, const QString &text)
{
    dataset->fieldByName(QLatin1String(field))->setText(text);
}

void addMember(const QString &number, const QString &name, const QString &address, const QString &postcode)
{
    Table *t = modul->Tanggota1;
    t->append();
    set(t, "No_Anggota", number);
    set(t, "Nama", name);
    set(t, "Alamat", address);
    set(t, "Kodepos", postcode);
    t->post();
}

// Starts a deposit as the savings window's grid does; the clock's editor
// stamps the date when the row starts.
void typeDeposit(const char *wajib, const char *sukarela, const char *wisuda)
{
    Table *s = modul->Tsimpan1;
    s->append();
    set(s, "S_Wajib", QString::fromLatin1(wajib));
    set(s, "S_Sukarela", QString::fromLatin1(sukarela));
    set(s, "S_Wisuda", QString::fromLatin1(wisuda));
}

void typeLoan(const char *amount, const char *guarantee)
{
    Table *p = modul->Tpinjam;
    p->append();
    set(p, "Besar_Pinjam", QString::fromLatin1(amount));
    set(p, "Jaminan", QString::fromLatin1(guarantee));
}

// Where a layout element lands on the paper: its band's corner (10 mm
// margins, the title box from 10 mm, the detail box from 53.1 mm) plus its
// place in the band.
struct Place {
    const char *name;
    double left;
    double top;
    double right = 0.0;                 // a value's box ends there (0: sized to its text)
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The amounts' column on both slips ends 78 mm into the box; the box's values
// keep 1.5 mm inside it, and the numbers before the member's part clear of it.
constexpr double AmountsEnd = 10.0 + 78.0;
constexpr double BoxEnd = 200.0 - ColumnGap;
constexpr double NumberEnd = 10.0 + 84.7 - ColumnGap;

// Text items where the layout puts them: black, in the slip's type.
void compareTexts(const Page &page, const QList<Place> &places)
{
    for (const Place &place : places) {
        const Item *item = page.find(QLatin1String(place.name));
        QVERIFY2(item, place.name);
        QCOMPARE(item->kind, ItemKind::Text);
        QCOMPARE_CORNER(place.name, item->rect, place.left, place.top);
        const bool isTitle = QLatin1String(place.name) == QLatin1String("judul");
        const QFont font = reportFont(isTitle ? FontStyle{QStringLiteral("Arial"), 14, true, true} : FontStyle());
        QCOMPARE(item->font, font);
        QCOMPARE(item->alignment, place.alignment);
        QCOMPARE(item->color, QColor(Qt::black));
        const double textEnd = place.left + measureText(item->text, font).width();
        QCOMPARE_MM(item->rect.right(), place.right > 0 ? place.right : textEnd);
    }
}

// Each of the two bands is framed all round in black, nothing filled.
void compareSlipBoxes(const Page &page)
{
    const QList<const Item *> boxes = bandFrames(page);
    QCOMPARE(boxes.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(boxes[i]->rect, page.bands[i].rect);
        const Frame &frame = boxes[i]->frame;
        QVERIFY(frame.left && frame.top && frame.right && frame.bottom);
        QCOMPARE(frame.color, QColor(Qt::black));
        QVERIFY(!boxes[i]->fill.isValid());
    }
}

// pdftotext turns any kind of blank into a plain one.
QString plainBlanks(QString text)
{
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    text.replace(QChar(0x202F), QLatin1Char(' '));
    return text;
}

} // namespace

class SlipTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void savingsSlipPlacesEveryElement();
    void loanSlipPlacesEveryElement();
    void slipOfADepositJustPosted();
    void savingsSlipAsPdf();
    void pendingDepositIsSettledFirst();
    void refusedPostShowsNoSlip();
    void loanSlipPrintsCalculatedFeeAndTotal();
    void memberWithoutTransactions();
    void alwaysOnePageWhateverTheHistory();
    void previewPrintsAndReportsFailures();
    void slipsHaveNoCsv();
    void largestAmountsKeepToTheirColumns();
};

void SlipTest::cleanup()
{
    setPreviewHook(nullptr);
    regional::setLocaleForTesting(std::nullopt);
}

void SlipTest::savingsSlipPlacesEveryElement()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();

    const QList<Page> pages = paginate(Fslip->SlipSIMPAN);
    QCOMPARE(pages.size(), 1);
    const Page &page = pages.first();
    QCOMPARE(page.paperSize, QSizeF(210, 297));

    // Two boxes one above the other, the full width between the margins.
    QCOMPARE(page.bands.size(), 2);
    QCOMPARE(page.bands[0].kind, BandKind::Title);
    QCOMPARE_RECT(page.bands[0].rect, 10.0, 10.0, 190.0, 43.1);
    QCOMPARE(page.bands[1].kind, BandKind::Detail);
    QCOMPARE_RECT(page.bands[1].rect, 10.0, 53.1, 190.0, 50.5);
    compareSlipBoxes(page);

    // Captions sized to their text; values in boxes up to the next column,
    // the amounts standing right.
    const QList<Place> texts = {
        {"judul", 82.0, 11.1},          {"koperasi", 54.5, 18.5},
        {"labelNo", 14.2, 29.1},        {"No_Simpan", 21.4, 29.3, NumberEnd},
        {"labelNoAnggota", 94.7, 26.9}, {"No_Anggota", 115.8, 26.9, BoxEnd},
        {"labelNama", 94.7, 33.3},      {"Nama", 115.8, 33.3, BoxEnd},
        {"labelAlamat", 94.7, 39.6},    {"Alamat", 115.8, 39.6, BoxEnd},
        {"Kodepos", 115.8, 46.0, BoxEnd},
        {"labelRincian", 15.0, 57.6},
        {"labelWajib", 14.0, 64.2},     {"S_Wajib", 50.2, 64.2, AmountsEnd, Qt::AlignRight},
        {"labelSukarela", 14.0, 70.6},  {"S_Sukarela", 50.2, 70.6, AmountsEnd, Qt::AlignRight},
        {"labelWisuda", 14.0, 76.9},    {"S_Wisuda", 50.2, 76.9, AmountsEnd, Qt::AlignRight},
        {"labelJumlah", 14.0, 85.4},    {"Total", 50.2, 84.6, AmountsEnd, Qt::AlignRight},
        {"labelKota", 128.5, 56.5},     {"Tgl_Simpan", 145.5, 56.5, BoxEnd},
        {"labelPenyetor", 124.3, 67.1}, {"labelKasir", 148.4, 67.1},
    };
    compareTexts(page, texts);
    QCOMPARE(page.find("judul")->text, QStringLiteral("SLIP SIMPANAN"));
    QCOMPARE(page.find("koperasi")->text, QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA"));
    const QStringList labels{"No.",      "No. Anggota", "Nama",   "Alamat",        "Rincian :",
                             "Simpanan Wajib", "Simpanan Sukarela", "Tabungan Wisuda", "Jumlah",
                             "Bandung,", "Penyetor",    "Teller/ Kasir"};
    for (const QString &label : labels)
        QVERIFY2(page.texts().contains(label), qPrintable(label));

    // The logo: our JPEG, stretched into its box, under the box's frame.
    const Item *logo = page.find("logo");
    QVERIFY(bandFrames(page).value(0) > logo);
    QCOMPARE(logo->kind, ItemKind::Picture);
    QCOMPARE_RECT(logo->rect, 34.1, 10.0, 19.3, 13.0);
    QCOMPARE(logo->image.size(), QSize(300, 200));

    // Rules and boxes.
    QCOMPARE(page.find("garis")->kind, ItemKind::Line);
    QCOMPARE_RECT(page.find("garis")->rect, 10.0, 22.7, 190.0, ThinLine);
    const Item *strip = page.find("strip");
    QCOMPARE(strip->kind, ItemKind::Rectangle);
    QCOMPARE_RECT(strip->rect, 10.0, 53.1, 190.0, 1.1);
    QVERIFY(strip->frame.top && strip->frame.bottom);
    QCOMPARE(strip->frame.color, QColor(Qt::black));
    // The rules over and under the total run to the amounts' column's end.
    QCOMPARE_RECT(page.find("garisJumlah")->rect, 48.1, 83.3, AmountsEnd - 48.1, ThinLine);
    const QList<const Item *> doubled = page.findAll("garisGanda");
    QCOMPARE(doubled.size(), 2);
    QCOMPARE_RECT(doubled[0]->rect, 48.1, 90.1, AmountsEnd - 48.1, ThinLine);
    QCOMPARE_RECT(doubled[1]->rect, 48.1, 90.7, AmountsEnd - 48.1, ThinLine);
    for (const char *name : {"kotakPenyetor", "kotakKasir"}) {
        const Item *box = page.find(QLatin1String(name));
        QCOMPARE(box->kind, ItemKind::Rectangle);
        QVERIFY(box->frame.left && box->frame.top && box->frame.right && box->frame.bottom);
        QVERIFY(!box->fill.isValid());
    }
    QCOMPARE_RECT(page.find("kotakPenyetor")->rect, 120.1, 73.5, 23.5, 23.5);
    QCOMPARE_RECT(page.find("kotakKasir")->rect, 145.5, 73.5, 23.5, 23.5);

    // Nothing else on the page: two boxes, the strip, two signature boxes,
    // four rules, the logo and the texts above.
    QCOMPARE(page.items.size(), 2 + 3 + 4 + 1 + int(texts.size()));
}

void SlipTest::loanSlipPlacesEveryElement()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeLoan("500000", "Motor");
    modul->Tpinjam->post();

    const QList<Page> pages = paginate(Fslip->SLIPpinjam);
    QCOMPARE(pages.size(), 1);
    const Page &page = pages.first();
    QCOMPARE(page.bands.size(), 2);
    QCOMPARE_RECT(page.bands[0].rect, 10.0, 10.0, 190.0, 43.1);
    QCOMPARE_RECT(page.bands[1].rect, 10.0, 53.1, 190.0, 51.1);
    compareSlipBoxes(page);

    const QList<Place> texts = {
        {"judul", 84.1, 11.1},          {"koperasi", 58.7, 18.5},
        {"labelNo", 14.2, 27.2},        {"No_Pinjaman", 21.4, 27.5, NumberEnd},
        {"labelNoAnggota", 94.7, 26.9}, {"No_Anggota", 115.8, 26.9, BoxEnd},
        {"labelNama", 94.7, 33.3},      {"Nama", 115.8, 33.3, BoxEnd},
        {"labelAlamat", 94.7, 39.6},    {"Alamat", 115.8, 39.6, BoxEnd},
        {"Kodepos", 115.8, 46.0, BoxEnd},
        {"labelBesar", 14.0, 57.3},     {"Besar_Pinjam", 48.1, 57.3, AmountsEnd, Qt::AlignRight},
        {"labelAdm", 14.0, 65.0},       {"Adm", 48.1, 64.7, AmountsEnd, Qt::AlignRight},
        {"labelTotal", 14.0, 72.2},     {"TotPinjam", 47.8, 72.4, AmountsEnd, Qt::AlignRight},
        // The guarantee up to the signature column.
        {"labelJaminan", 14.0, 84.9},   {"Jaminan", 43.9, 84.9, 10.0 + 99.5 - ColumnGap},
        {"labelKota", 124.3, 71.4},
        {"labelPeminjam", 115.0, 79.8}, {"labelKasir", 143.6, 79.8},
    };
    compareTexts(page, texts);
    // The date would touch "Bandung,": it stands a blank after it, its box
    // still ending where the others do.
    const Item *date = page.find("Tgl_Pinjam");
    QCOMPARE_CORNER("Tgl_Pinjam", date->rect, afterText(page, "labelKota", "Tgl_Pinjam"), 71.4);
    QVERIFY(date->rect.left() > 139.9);
    QCOMPARE_MM(date->rect.right(), BoxEnd);
    QCOMPARE(page.find("judul")->text, QStringLiteral("SLIP PINJAMAN"));
    const QStringList labels{"Besar Pinjaman", "Biaya Administrasi", "Total Pinjaman", "Barang Jaminan :",
                             "Bandung,", "Peminjam", "Teller/ Kasir", "No.", "No. Anggota"};
    for (const QString &label : labels)
        QVERIFY2(page.texts().contains(label), qPrintable(label));

    QCOMPARE_RECT(page.find("logo")->rect, 36.2, 10.0, 19.3, 13.0);
    QVERIFY(!page.find("logo")->image.isNull());
    QCOMPARE_RECT(page.find("garis")->rect, 10.0, 22.7, 190.0, ThinLine);
    QCOMPARE_RECT(page.find("strip")->rect, 10.0, 53.1, 190.0, 1.1);
    QCOMPARE_RECT(page.find("garisJumlah")->rect, 48.1, 71.6, AmountsEnd - 48.1, ThinLine);
    const QList<const Item *> doubled = page.findAll("garisGanda");
    QCOMPARE(doubled.size(), 2);
    QCOMPARE_RECT(doubled[0]->rect, 48.1, 78.0, AmountsEnd - 48.1, ThinLine);
    QCOMPARE_RECT(doubled[1]->rect, 48.1, 78.5, AmountsEnd - 48.1, ThinLine);
    QCOMPARE(page.find("garisPeminjam")->kind, ItemKind::Line);
    QCOMPARE_RECT(page.find("garisPeminjam")->rect, 109.5, 99.4, 23.5, ThinLine);
    QCOMPARE_RECT(page.find("garisKasir")->rect, 141.5, 99.1, 23.5, ThinLine);
    // Two boxes, the strip, six rules, the logo and the texts.
    QCOMPARE(page.items.size(), 2 + 1 + 6 + 1 + int(texts.size()) + 1);
}

void SlipTest::slipOfADepositJustPosted()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    addMember(QStringLiteral("2302001"), QStringLiteral("Budi Santoso"), QStringLiteral("Jl. Merdeka 5"),
              QStringLiteral("40111"));
    typeDeposit("20000", "0", "1000");
    modul->Tsimpan1->post();
    QVERIFY(modul->Tanggota1->findKey({QStringLiteral("2301001")}));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();
    typeDeposit("7000", "0", "0");
    modul->Tsimpan1->post();
    modul->Tsimpan1->first();

    PreviewCatcher preview;
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("SLIP SIMPANAN"));
    QCOMPARE(preview.pages.size(), 1);
    // The member's latest deposit, with the number the table gave it.
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("3"));
    QCOMPARE(preview.text("No_Anggota"), QStringLiteral("2301001"));
    QCOMPARE(preview.text("Nama"), QStringLiteral("Sri Wahyuni"));
    QCOMPARE(preview.text("Alamat"), QStringLiteral("Jl. Dago 12"));
    QCOMPARE(preview.text("Kodepos"), QStringLiteral("40135"));
    QCOMPARE(preview.text("S_Wajib"), rupiah("7000").toCurrencyString());
    QCOMPARE(preview.text("S_Sukarela"), rupiah("0").toCurrencyString());
    QCOMPARE(preview.text("S_Wisuda"), rupiah("0").toCurrencyString());
    QCOMPARE(preview.text("Total"), rupiah("7000").toCurrencyString());
    QCOMPARE(preview.text("Tgl_Simpan"), regional::todayShortDate());
    QCOMPARE(preview.text("Tgl_Simpan").size(), 10);
    // The slip leaves the table on that last row; the member stays current.
    QCOMPARE(modul->Tsimpan1->recNo(), 1);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    QCOMPARE(modul->Tanggota1->fieldByName("No_Anggota")->asString(), QStringLiteral("2301001"));
    QVERIFY(script.texts().isEmpty());

    // The currency text as an Indonesian clerk reads it.
    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    typeDeposit("1250000", "37500,5", "0");
    Fslip->PrintSimpan();
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("4"));
    QCOMPARE(plainBlanks(preview.text("S_Wajib")).remove(' '), QStringLiteral("Rp1.250.000,00"));
    QCOMPARE(plainBlanks(preview.text("S_Sukarela")).remove(' '), QStringLiteral("Rp37.500,50"));
    QCOMPARE(plainBlanks(preview.text("Total")).remove(' '), QStringLiteral("Rp1.287.500,50"));
}

void SlipTest::savingsSlipAsPdf()
{
    Program program;
    MessageScript script;
    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();
    typeDeposit("125000", "30000", "12500");
    modul->Tsimpan1->post();

    PreviewCatcher preview;
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 1);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("slip.pdf"));
    QVERIFY(renderToPdf(preview.pages, pdf, preview.title));
    QCOMPARE(pdfPageCount(pdf), 1);
    // For a look at the page: SP_SLIP_PDF names where to keep a copy.
    const QString keep = qEnvironmentVariable("SP_SLIP_PDF");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(pdf, keep));
    }

    const QString text = plainBlanks(runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
    const QString today = regional::todayShortDate();
    for (const QString &expected : {QStringLiteral("SLIP SIMPANAN"), QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA"),
                                    QStringLiteral("Bandung, ") + today, QStringLiteral("Sri Wahyuni"),
                                    QStringLiteral("Jl. Dago 12"), QStringLiteral("40135"), QStringLiteral("2301001"),
                                    QStringLiteral("Simpanan Wajib"), QStringLiteral("Teller/ Kasir")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    // The amounts in the currency text, each on the line of its label.
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    for (const QString &expected : {QStringLiteral("SimpananWajibRp125.000,00"), QStringLiteral("SimpananSukarelaRp30.000,00"),
                                    QStringLiteral("TabunganWisudaRp12.500,00"), QStringLiteral("JumlahRp167.500,00")})
        QVERIFY2(compact.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    // The deposit number stands after "No." on its own.
    QVERIFY2(QRegularExpression(QStringLiteral("No\\.\\s+2\\s")).match(text).hasMatch(), qPrintable(text));
    // Only the latest deposit.
    QVERIFY(!compact.contains(QStringLiteral("Rp10.000,00")));

    // The date on the paper where the layout puts it: 145.5 mm from the left.
    const QString boxes = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const auto match = QRegularExpression(QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>%1</word>)re")
                                              .arg(QRegularExpression::escape(today)))
                           .match(boxes);
    QVERIFY2(match.hasMatch(), qPrintable(boxes.left(3000)));
    const double ptPerMm = 72.0 / 25.4;
    QVERIFY2(near(match.captured(1).toDouble(), 145.5 * ptPerMm, 1.0), qPrintable(match.captured(0)));
    QVERIFY2(match.captured(2).toDouble() > 56.5 * ptPerMm - 1.0 && match.captured(2).toDouble() < 60.0 * ptPerMm,
             qPrintable(match.captured(0)));
}

void SlipTest::pendingDepositIsSettledFirst()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();

    // Typed but not posted: the slip posts it and prints it.
    typeDeposit("4000", "3000", "2000");
    PreviewCatcher preview;
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("2"));
    QCOMPARE(preview.text("Total"), rupiah("9000").toCurrencyString());
    QCOMPARE(preview.text("Tgl_Simpan"), regional::todayShortDate());
    const QList<QVariantList> rows = readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                                              QStringLiteral("select No_Simpan, Tgl_Simpan, S_Wajib from Tsimpanan1 order by No_Simpan"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1][1].toString(), regional::todayShortDate());
    QCOMPARE(rows[1][2].toLongLong(), rupiah("4000").raw());

    // A new row left untouched is dropped: the slip shows the last posted one.
    modul->Tsimpan1->append();
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 2);
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("2"));
    QCOMPARE(modul->Tsimpan1->recordCount(), 2);

    // So is an edit that changed nothing; a changed one is stored first.
    modul->Tsimpan1->first();
    modul->Tsimpan1->edit();
    set(modul->Tsimpan1, "S_Wisuda", QStringLiteral("500"));
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 3);
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("2"));
    QCOMPARE(readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                      QStringLiteral("select S_Wisuda from Tsimpanan1 where No_Simpan = 1"))[0][0].toLongLong(),
             rupiah("500").raw());
    QVERIFY(script.texts().isEmpty());
}

void SlipTest::refusedPostShowsNoSlip()
{
    Program program;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    PreviewCatcher preview;
    {
        // Through the handler guard, as the savings window's button runs it:
        // the rules' warning, then a silent stop.
        MessageScript script;
        typeDeposit("-1", "0", "0");
        QVERIFY(!messages::guard([] { Fslip->PrintSimpan(); }));
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Minimum Adalah 0")});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(preview.shown, 0);
        QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
        QCOMPARE(modul->Tsimpan1->fieldByName("S_Wajib")->asString(), QStringLiteral("-1"));
    }
    {
        MessageScript script;
        set(modul->Tsimpan1, "S_Wajib", QStringLiteral("1000"));
        modul->Tsimpan1->fieldByName("S_Wisuda")->clear();
        QVERIFY(!messages::guard([] { Fslip->PrintSimpan(); }));
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Besar Simpanan Tidak Boleh Kosong")});
        QCOMPARE(preview.shown, 0);
        QCOMPARE(modul->Tsimpan1->state(), DataState::Insert);
    }
    QVERIFY(readFile(program.file(QStringLiteral("Tsimpanan1.db")), QStringLiteral("select * from Tsimpanan1")).isEmpty());
    {
        // Corrected, the slip goes through.
        MessageScript script;
        set(modul->Tsimpan1, "S_Wisuda", QStringLiteral("0"));
        QVERIFY(messages::guard([] { Fslip->PrintSimpan(); }));
        QCOMPARE(preview.shown, 1);
        QCOMPARE(preview.text("No_Simpan"), QStringLiteral("1"));
        QVERIFY(script.texts().isEmpty());
    }
    {
        // A loan without collateral: its own warning, no slip.
        MessageScript script;
        typeLoan("500000", "");
        QVERIFY(!messages::guard([] { Fslip->PrintPinjam(); }));
        QCOMPARE(script.texts(), (QStringList{QStringLiteral("Silahkan input besar pinjaman dan jaminan"),
                                              QStringLiteral("Jaminan Tidak Boleh Kosong")}));
        QCOMPARE(preview.shown, 1);
        QCOMPARE(modul->Tpinjam->state(), DataState::Insert);
        modul->Tpinjam->cancel();
    }
}

void SlipTest::loanSlipPrintsCalculatedFeeAndTotal()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeLoan("500000", "Motor");
    modul->Tpinjam->post();
    // Typed, not yet posted: posted by the slip, which shows its new number.
    typeLoan("123457", "Laptop Asus");
    PreviewCatcher preview;
    Fslip->PrintPinjam();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("SLIP PINJAMAN"));
    QCOMPARE(preview.pages.size(), 1);
    QCOMPARE(preview.text("No_Pinjaman"), QStringLiteral("2"));
    QCOMPARE(preview.text("No_Anggota"), QStringLiteral("2301001"));
    QCOMPARE(preview.text("Nama"), QStringLiteral("Sri Wahyuni"));
    QCOMPARE(preview.text("Kodepos"), QStringLiteral("40135"));
    QCOMPARE(preview.text("Besar_Pinjam"), rupiah("123457").toCurrencyString());
    QCOMPARE(preview.text("Adm"), rupiah("8641.99").toCurrencyString());
    QCOMPARE(preview.text("TotPinjam"), rupiah("132098.99").toCurrencyString());
    QCOMPARE(preview.text("Jaminan"), QStringLiteral("Laptop Asus"));
    QCOMPARE(preview.text("Tgl_Pinjam"), regional::todayShortDate());
    QCOMPARE(modul->Tpinjam->state(), DataState::Browse);
    QCOMPARE(modul->Tpinjam->recNo(), 1);
    // Whatever the stored fee columns hold, the slip shows the calculation.
    sqlite::Statement(sqlite::handleOf(*modul->connection()),
                      QStringLiteral("update Tpinjaman1 set Administrasi = 10000, Total_Pinjam = 20000")).exec();
    modul->Tpinjam->refresh();
    Fslip->PrintPinjam();
    QCOMPARE(preview.shown, 2);
    QCOMPARE(preview.text("Adm"), rupiah("8641.99").toCurrencyString());
    QCOMPARE(preview.text("TotPinjam"), rupiah("132098.99").toCurrencyString());

    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    Fslip->PrintPinjam();
    QCOMPARE(plainBlanks(preview.text("Adm")).remove(' '), QStringLiteral("Rp8.641,99"));
    QCOMPARE(plainBlanks(preview.text("TotPinjam")).remove(' '), QStringLiteral("Rp132.098,99"));
}

void SlipTest::memberWithoutTransactions()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();
    typeLoan("500000", "Motor");
    modul->Tpinjam->post();
    addMember(QStringLiteral("2302001"), QStringLiteral("Budi Santoso"), QStringLiteral(""), QStringLiteral("40111"));
    QCOMPARE(modul->Tsimpan1->recordCount(), 0);

    PreviewCatcher preview;
    Fslip->PrintSimpan();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.pages.size(), 1);
    QCOMPARE(preview.pages.first().bands.size(), 2);
    QCOMPARE(preview.text("Nama"), QStringLiteral("Budi Santoso"));
    QCOMPARE(preview.text("Kodepos"), QStringLiteral("40111"));
    // An empty member field prints nothing as well.
    QCOMPARE(preview.text("Alamat"), QString());
    for (const char *name : {"No_Simpan", "No_Anggota", "S_Wajib", "S_Sukarela", "S_Wisuda", "Total", "Tgl_Simpan"}) {
        QVERIFY2(preview.text(QLatin1String(name)).isEmpty(), name);
        QCOMPARE_MM(inkBox(*preview.pages.first().find(QLatin1String(name))).width(), 0.0);
    }
    QVERIFY(preview.pages.first().texts().contains(QStringLiteral("Simpanan Wajib")));

    Fslip->PrintPinjam();
    QCOMPARE(preview.shown, 2);
    QCOMPARE(preview.text("Nama"), QStringLiteral("Budi Santoso"));
    for (const char *name : {"No_Pinjaman", "No_Anggota", "Besar_Pinjam", "Adm", "TotPinjam", "Jaminan", "Tgl_Pinjam"})
        QVERIFY2(preview.text(QLatin1String(name)).isEmpty(), name);
    QCOMPARE(modul->Tanggota1->fieldByName("No_Anggota")->asString(), QStringLiteral("2302001"));
    // Only the prompt of the one loan typed above.
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Silahkan input besar pinjaman dan jaminan")});
}

void SlipTest::alwaysOnePageWhateverTheHistory()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    for (int i = 1; i <= 30; ++i) {
        typeDeposit(QByteArray::number(i * 1000).constData(), "0", "0");
        modul->Tsimpan1->post();
    }
    PreviewCatcher preview;
    Fslip->PrintSimpan();
    QCOMPARE(preview.pages.size(), 1);
    QCOMPARE(preview.pages.first().bands.size(), 2);
    QCOMPARE(preview.pages.first().findAll("S_Wajib").size(), 1);
    QCOMPARE(preview.text("S_Wajib"), rupiah("30000").toCurrencyString());
    QCOMPARE(preview.text("No_Simpan"), QStringLiteral("30"));
    QCOMPARE(modul->Tsimpan1->recNo(), 29);
}

void SlipTest::previewPrintsAndReportsFailures()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    typeDeposit("10000", "5000", "2500");
    modul->Tsimpan1->post();
    typeDeposit("4000", "3000", "2000");
    modul->Tsimpan1->post();
    modul->Tsimpan1->first();
    const QList<QVariantList> before = readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                                                QStringLiteral("select * from Tsimpanan1 order by No_Simpan"));

    QTemporaryDir dir;
    bool looked = false;
    int pageCount = 0;
    QString title;
    QStringList statuses;
    bool stayedOpen = true;
    // Answers the print dialog: cancels it, or accepts it for a printer that
    // writes to the given file (qualified accept() keeps our settings).
    auto answerPrintDialog = [](bool accept, const QString &file) {
        QTimer::singleShot(100, [accept, file] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (!accept) {
                dialog->reject();
                return;
            }
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(file);
            dialog->QDialog::accept();
        });
    };
    QTimer::singleShot(50, [&] {
        auto *preview = shownPreview();
        QVERIFY(preview);
        title = preview->windowTitle();
        pageCount = preview->view()->pageCount();
        const std::pair<bool, QString> runs[] = {
            {false, QString()},
            {true, dir.filePath(QStringLiteral("no/such/folder/slip.pdf"))},
            {true, dir.filePath(QStringLiteral("printed.pdf"))},
        };
        for (const auto &[accept, file] : runs) {
            answerPrintDialog(accept, file);
            preview->action(QStringLiteral("print"))->trigger();
            statuses << preview->statusText();
            stayedOpen = stayedOpen && preview->isVisible();
        }
        looked = true;
        preview->action(QStringLiteral("close"))->trigger();
    });
    Fslip->PrintSimpan();
    QVERIFY(looked);
    QCOMPARE(title, QStringLiteral("SLIP SIMPANAN"));
    QCOMPARE(pageCount, 1);
    // Cancelled, failed and done: each said in the preview, which stays open.
    QCOMPARE(statuses, (QStringList{QStringLiteral("Pencetakan dibatalkan."), QStringLiteral("Pencetakan gagal."),
                                    QStringLiteral("Laporan telah dikirim ke printer.")}));
    QVERIFY(stayedOpen);
    QCOMPARE(pdfPageCount(dir.filePath(QStringLiteral("printed.pdf"))), 1);
    const QString printed = runTool(QStringLiteral("pdftotext"), {dir.filePath(QStringLiteral("printed.pdf")), QStringLiteral("-")});
    QVERIFY2(printed.contains(QStringLiteral("SLIP SIMPANAN")), qPrintable(printed));
    QVERIFY(!shownPreview());

    // Nothing else changed: the table stands on its last row, the files as
    // they were, and no message was shown.
    QCOMPARE(modul->Tsimpan1->recNo(), 1);
    QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    QCOMPARE(readFile(program.file(QStringLiteral("Tsimpanan1.db")),
                      QStringLiteral("select * from Tsimpanan1 order by No_Simpan")),
             before);
    QVERIFY(script.texts().isEmpty());
}

void SlipTest::slipsHaveNoCsv()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QStringLiteral("Sri Wahyuni"), QStringLiteral("Jl. Dago 12"),
              QStringLiteral("40135"));
    bool csvOffered = true;
    bool pdfOffered = false;
    QTimer::singleShot(50, [&] {
        ReportPreview *preview = shownPreview();
        QVERIFY(preview);
        csvOffered = preview->action(QStringLiteral("saveCsv"))->isVisible();
        pdfOffered = preview->action(QStringLiteral("savePdf"))->isVisible();
        preview->close();
    });
    Fslip->PrintSimpan();
    QVERIFY(pdfOffered);
    QVERIFY(!csvOffered);
}

void SlipTest::largestAmountsKeepToTheirColumns()
{
    Program program;
    MessageScript script;
    addMember(QStringLiteral("2301001"), QString(20, QLatin1Char('W')), QString(30, QLatin1Char('W')),
              QStringLiteral("99999"));
    PreviewCatcher preview;
    // Amounts typed as the regional form writes them.
    const auto typed = [](Money amount) { return amount.toPlainString().toLatin1(); };

    // Twelve-digit amounts print in full-size type, right in their column.
    const QByteArray twelve = typed(rupiah("999999999999.99"));
    const QByteArray third = typed(rupiah("333333333333.33"));
    typeDeposit(third.constData(), third.constData(), third.constData());
    Fslip->PrintSimpan();
    QCOMPARE(preview.text("Total"), rupiah("999999999999.99").toCurrencyString());
    QVERIFY_UNCROWDED(preview.pages);
    for (const char *amount : {"S_Wajib", "S_Sukarela", "S_Wisuda", "Total"}) {
        const Item *item = preview.pages[0].find(QLatin1String(amount));
        QCOMPARE(item->font, reportFont(FontStyle()));
        QCOMPARE_MM(inkBox(*item).right(), AmountsEnd);
    }
    typeLoan(twelve.constData(), "WWWWWWWWWWWWWWWWWWWW");
    Fslip->PrintPinjam();
    QCOMPARE(preview.text("Besar_Pinjam"), rupiah("999999999999.99").toCurrencyString());
    QVERIFY_UNCROWDED(preview.pages);
    QCOMPARE(preview.pages[0].find("Besar_Pinjam")->font, reportFont(FontStyle()));

    // The largest amounts the book holds still keep to their column.
    const Money largest = largestAmount();
    const QByteArray largestThird = typed(Money::fromRaw(largest.raw() / 3));
    typeDeposit(largestThird.constData(), largestThird.constData(), largestThird.constData());
    Fslip->PrintSimpan();
    QCOMPARE(preview.text("Total").size(), largest.toCurrencyString().size());
    QVERIFY_UNCROWDED(preview.pages);
    typeLoan(typed(Money::fromRaw(largest.raw() / 107 * 100)).constData(), "BPKB");
    Fslip->PrintPinjam();
    QCOMPARE(preview.text("TotPinjam").size(), largest.toCurrencyString().size());
    QVERIFY_UNCROWDED(preview.pages);
    // Nothing was refused: the only messages are the two loans' prompts.
    QCOMPARE(script.texts(), QStringList(2, QStringLiteral("Silahkan input besar pinjaman dan jaminan")));
}

QTEST_MAIN(SlipTest)
#include "tst_slip.moc"
