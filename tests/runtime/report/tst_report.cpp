#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/table.h"
#include "runtime/money.h"
#include "runtime/regional.h"
#include "runtime/report/report.h"
#include "support/millimetres.h"
#include "support/pages.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

using namespace report;

namespace {

FieldDef fieldDef(const QString &name, FieldType type, int size = 0)
{
    FieldDef def;
    def.name = name;
    def.type = type;
    def.size = size;
    return def;
}

QImage testPicture()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

// A savings-slip-like layout: two framed boxes, no dataset.
Layout slipLayout()
{
    Layout layout;
    Band &title = layout.addBand(BandKind::Title, 43.1, Frame::all());
    title.addPicture(24.1, 0, 19.3, 13.0, testPicture()).named("logo");
    title.addText(72.0, 1.1, "SLIP SIMPANAN", FontStyle{"Arial", 14, true, true}).named("judul");
    title.addText(44.5, 8.5, "KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA");
    title.addLine(0, 12.7, 190).named("garis");
    title.addText(4.2, 19.1, "No.");
    Band &detail = layout.addBand(BandKind::Detail, 50.5, Frame::all());
    detail.addRectangle(0, 0, 190, 1.1).named("strip");
    detail.addText(5.0, 4.5, "Rincian :");
    detail.addDoubleLine(38.1, 37.0, 37.6, 20.6).named("ganda");
    detail.addRectangle(110.1, 20.4, 23.5, 23.5).named("kotak");
    detail.addText(118.5, 3.4, "QRLabel1").named("QRLabel1");
    detail.addComputed(0, 45, Computed::PageNumber).named("halaman");
    detail.addComputed(20, 45, Computed::PrintDate).named("tanggal");
    detail.addComputed(50, 45, Computed::LineNumber).named("nomor");
    return layout;
}

// A member-report-like list layout over a dataset.
Layout listLayout(Dataset *dataset)
{
    Layout layout;
    layout.dataset = dataset;
    Band &header = layout.addBand(BandKind::PageHeader, 22.0);
    header.addText(72.0, 2.1, "LAPORAN ANGGOTA ", FontStyle{"Arial", 14, true, true});
    header.addComputed(150, 2.1, Computed::PageNumber).named("hlmKepala");
    Band &title = layout.addBand(BandKind::Title, 6.3);
    title.addText(2.1, 1.3, "Tanggal :");
    title.addComputed(172.2, 2.1, Computed::PageNumber).named("halaman");
    Band &columns = layout.addBand(BandKind::ColumnHeader, 13.0, Frame::topBottom(highlightColor()), shadeColor());
    columns.addText(4.2, 4.2, "No.", FontStyle::bolded()).named("kolomNo");
    columns.addText(31.8, 4.2, "Nama", FontStyle::bolded());
    Band &detail = layout.addBand(BandKind::Detail, 10.6, Frame::topBottom(highlightColor()), Qt::white);
    detail.addComputed(4.2, 2.1, Computed::LineNumber).named("nomor");
    detail.addField(18.3, 2.1, dataset, "Nama").named("nama");
    detail.addField(101.6, 2.1, dataset, "Jumlah").named("jumlah");
    Band &summary = layout.addBand(BandKind::Summary, 52.7, Frame::topOnly());
    summary.addText(2.1, 4.0, "Jumlah Anggota :", FontStyle::bolded());
    summary.addComputed(33.9, 4.2, Computed::DetailCount).named("jumlahBaris");
    layout.addBand(BandKind::PageFooter, 6.1, Frame::all(), shadeColor());
    return layout;
}

QStringList numbers(int from, int to)
{
    QStringList result;
    for (int i = from; i <= to; ++i)
        result << QString::number(i);
    return result;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void fontsAndMeasuring();
    void layoutNames();
    void slipWithoutDataset();
    void textsKeepToTheirBoxes();
    void footerAndSummaryWithoutDataset();
    void pageBreaksOverDataset();
    void emptyDataset();
    void fieldsReadTheirDatasetsCurrentRow();
    void paintingAtTrueSize();
    void pdfHoldsTextsAtTheirPlaces();
    void previewHook();
    void previewWindow();
    void previewOverModalWindow();
    void printing();

private:
    bool openTable(int rows);

    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Table> m_table;
};

void TestReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setAliasFolder("DBreport", m_dir.path());
    TableSchema schema;
    schema.fileName = "Tdaftar.db";
    schema.tableName = "Tdaftar";
    schema.fields = {fieldDef("No", FieldType::Integer), fieldDef("Nama", FieldType::Text, 30),
                     fieldDef("Jumlah", FieldType::Money)};
    schema.primaryKey = {"No"};
    m_connection = std::make_unique<Connection>("DBreport", QList<TableSchema>{schema});
}

void TestReport::cleanup()
{
    setPreviewHook(nullptr);
    m_table.reset();
}

// Fills the list table with rows "Anggota 001".. and Jumlah = number * 1000,
// row 2 without Jumlah, in one transaction (posting row by row syncs the file
// every time), and opens it on its first row.
bool TestReport::openTable(int rows)
{
    m_table.reset();
    QStringList sql{"BEGIN", "DELETE FROM Tdaftar"};
    for (int i = 1; i <= rows; ++i) {
        const QString amount = i == 2 ? QStringLiteral("NULL") : QString::number(Money::fromUnits(i * 1000).raw());
        sql << QStringLiteral("INSERT INTO Tdaftar (No, Nama, Jumlah) VALUES (%1, 'Anggota %2', %3)")
                   .arg(i).arg(i, 3, 10, QLatin1Char('0')).arg(amount);
    }
    sql << "COMMIT";
    char *error = nullptr;
    sqlite3_exec(sqlite::handleOf(*m_connection), sql.join(';').toUtf8().constData(), nullptr, nullptr, &error);
    if (error) {
        qWarning("%s", error);
        sqlite3_free(error);
        return false;
    }
    m_table = std::make_unique<Table>("Tdaftar");
    m_table->setDatabaseName("DBreport");
    m_table->setTableName("Tdaftar.db");
    m_table->open();
    return m_table->recordCount() == rows;
}

void TestReport::fontsAndMeasuring()
{
    const QFont arial = reportFont("Arial", 10);
    QCOMPARE(QFontInfo(arial).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(printedFamily("arial"), QStringLiteral("Liberation Sans"));
    QCOMPARE(printedFamily("DejaVu Sans"), QStringLiteral("DejaVu Sans"));
    // Widgets that name the layout's family follow the twin as well.
    QCOMPARE(QFontInfo(QFont("Arial")).family(), QStringLiteral("Liberation Sans"));

    // Arial's digits advance 1139/2048 em; 10 pt = 254/72 mm.
    const QSizeF digits = measureText("0000000000", arial);
    QCOMPARE_MM(digits.width(), 10 * 1139.0 / 2048.0 * 254.0 / 72.0);
    // Line height: ascent + descent of the face (2288/2048 em), within rounding.
    QVERIFY2(near(digits.height(), 2288.0 / 2048.0 * 254.0 / 72.0, 0.05), qPrintable(QString::number(digits.height())));
    QCOMPARE_MM(measureText("", arial).width(), 0.0);
    QCOMPARE_MM(measureText("", arial).height(), digits.height());

    // Unhinted type scales linearly; bold is wider than plain.
    const QSizeF big = measureText("LAPORAN ANGGOTA ", reportFont("Arial", 20));
    const QSizeF small = measureText("LAPORAN ANGGOTA ", reportFont("Arial", 10));
    QCOMPARE_MM(big.width(), 2 * small.width());
    QVERIFY(measureText("LAPORAN", reportFont("Arial", 10, true)).width()
            > measureText("LAPORAN", reportFont("Arial", 10)).width() + 0.5);
    QVERIFY(reportFont(FontStyle{"Arial", 14, true, true}).underline());
}

void TestReport::layoutNames()
{
    Layout layout = slipLayout();
    QVERIFY(layout.element("QRLabel1"));
    QCOMPARE(layout.caption("QRLabel1"), QStringLiteral("QRLabel1"));
    QVERIFY(!layout.element("QRLabel9"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, layout.setCaption("QRLabel9", "x"));

    const Layout before = layout;
    layout.setCaption("QRLabel1", "Juni");
    QCOMPARE(layout.caption("QRLabel1"), QStringLiteral("Juni"));
    QCOMPARE(before.caption("QRLabel1"), QStringLiteral("QRLabel1"));
    QCOMPARE(paginate(layout).first().find("QRLabel1")->text, QStringLiteral("Juni"));
    QCOMPARE(paginate(before).first().find("QRLabel1")->text, QStringLiteral("QRLabel1"));

    // A band added again replaces the old one.
    layout.addBand(BandKind::Detail, 5.0);
    QVERIFY(!layout.element("QRLabel1"));
    QCOMPARE_MM(layout.band(BandKind::Detail)->height, 5.0);
    layout.removeBand(BandKind::Detail);
    QVERIFY(!layout.band(BandKind::Detail));
    QCOMPARE_MM(layout.page.contentWidth(), 190.0);
    layout.page.orientation = Orientation::Landscape;
    QCOMPARE_MM(layout.page.contentWidth(), 277.0);
}

void TestReport::slipWithoutDataset()
{
    const QList<Page> pages = paginate(slipLayout());
    QCOMPARE(pages.size(), 1);
    const Page &page = pages.first();
    QCOMPARE(page.number, 1);
    QCOMPARE(page.paperSize, QSizeF(210, 297));

    // Two boxes one above the other, the full width between the margins.
    QCOMPARE(page.bands.size(), 2);
    QCOMPARE(page.bands[0].kind, BandKind::Title);
    QCOMPARE_RECT(page.bands[0].rect, 10.0, 10.0, 190.0, 43.1);
    QCOMPARE(page.bands[1].kind, BandKind::Detail);
    QCOMPARE_RECT(page.bands[1].rect, 10.0, 53.1, 190.0, 50.5);
    const QList<const Item *> boxes = bandFrames(page);
    QCOMPARE(boxes.size(), 2);
    QCOMPARE_RECT(boxes[0]->rect, 10.0, 10.0, 190.0, 43.1);
    QVERIFY(boxes[0]->frame.left && boxes[0]->frame.top && boxes[0]->frame.right && boxes[0]->frame.bottom);
    QCOMPARE(boxes[0]->frame.color, QColor(Qt::black));
    QVERIFY(!boxes[0]->fill.isValid());
    QCOMPARE_RECT(boxes[1]->rect, 10.0, 53.1, 190.0, 50.5);

    // Texts sized to their content at their places.
    const Item *title = page.find("judul");
    QCOMPARE(title->kind, ItemKind::Text);
    QCOMPARE(title->text, QStringLiteral("SLIP SIMPANAN"));
    const QSizeF size = measureText("SLIP SIMPANAN", reportFont("Arial", 14, true, true));
    QCOMPARE_RECT(title->rect, 82.0, 11.1, size.width(), size.height());
    QVERIFY(title->font.bold() && title->font.underline());
    QCOMPARE(title->band, BandKind::Title);

    QCOMPARE_RECT(page.find("logo")->rect, 34.1, 10.0, 19.3, 13.0);
    QCOMPARE(page.find("logo")->image.size(), QSize(40, 30));
    QCOMPARE_RECT(page.find("garis")->rect, 10.0, 22.7, 190.0, ThinLine);
    QCOMPARE(page.find("garis")->kind, ItemKind::Line);
    QCOMPARE_RECT(page.find("strip")->rect, 10.0, 53.1, 190.0, 1.1);
    QCOMPARE_RECT(page.find("kotak")->rect, 120.1, 73.5, 23.5, 23.5);
    const QList<const Item *> doubled = page.findAll("ganda");
    QCOMPARE(doubled.size(), 2);
    QCOMPARE_RECT(doubled[0]->rect, 48.1, 90.1, 20.6, ThinLine);
    QCOMPARE_RECT(doubled[1]->rect, 48.1, 90.7, 20.6, ThinLine);

    QCOMPARE(page.find("halaman")->text, QStringLiteral("1"));
    QCOMPARE(page.find("tanggal")->text, regional::todayShortDate());
    QCOMPARE(page.find("nomor")->text, QStringLiteral("1"));
    QVERIFY(page.texts().contains("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA"));
}

void TestReport::textsKeepToTheirBoxes()
{
    Layout layout;
    Band &band = layout.addBand(BandKind::Detail, 40.0);
    band.addText(10, 5, "Rp1.500.000,00").named("fits").spanTo(60);
    band.addText(10, 15, "Rp922.337.203.685.477,58").named("smaller").spanTo(35);
    band.addText(10, 25, QString(200, QLatin1Char('W'))).named("cut").spanTo(20, Qt::AlignLeft);
    band.addText(40, 25, "Orang").named("orang").after("cut");
    band.addText(100, 5, "Bulan ").named("bulan");
    band.addText(101, 5, "September").named("bulanNama").after("bulan");
    band.addText(110, 5, "2026").named("tahun").spanTo(140, Qt::AlignLeft).after("bulanNama");
    const Page page = paginate(layout).first();
    const QFont plain = reportFont(FontStyle());

    // Within its box, up to a gap before the next column, standing right.
    const Item *fits = page.find("fits");
    QCOMPARE_RECT(fits->rect, 20.0, 15.0, 50.0 - ColumnGap, measureText(fits->text, plain).height());
    QCOMPARE(fits->alignment, Qt::Alignment(Qt::AlignRight));
    QCOMPARE(fits->font, plain);
    QCOMPARE_MM(fits->textRect().right(), 70.0 - ColumnGap);

    // Too wide: smaller type, the whole text, on the baseline it had.
    const Item *smaller = page.find("smaller");
    QCOMPARE(smaller->text, QStringLiteral("Rp922.337.203.685.477,58"));
    QVERIFY(smaller->font.pointSizeF() < 10.0 && smaller->font.pointSizeF() > MinimumPointSize);
    QVERIFY(smaller->textRect().width() <= smaller->rect.width());
    QFont larger = smaller->font;
    larger.setPointSizeF(larger.pointSizeF() + 72.0 / ReferenceDpi);
    QVERIFY(measureText(smaller->text, larger).width() > smaller->rect.width());
    QCOMPARE_MM(smaller->rect.top() + textMeasure(smaller->font).ascent(), 25.0 + textMeasure(plain).ascent());

    // Too wide even in the smallest type: cut short with an ellipsis.
    const Item *cut = page.find("cut");
    QCOMPARE(cut->font.pointSizeF(), MinimumPointSize);
    QVERIFY(cut->text.endsWith(QChar(0x2026)) && cut->text.size() > 3);
    QVERIFY(cut->textRect().width() <= cut->rect.width());

    // A word after a text stands clear of it, at its own place when there is
    // room, right after a text ending in a blank.
    QCOMPARE_MM(page.find("orang")->rect.left(), 50.0);
    QCOMPARE_MM(page.find("bulanNama")->rect.left(), 110.0 + measureText("Bulan ", plain).width());
    const Item *year = page.find("tahun");
    QCOMPARE_MM(year->rect.left(), page.find("bulanNama")->textRect().right() + WordGap);
    QCOMPARE_MM(year->rect.right(), 150.0 - ColumnGap);
}

void TestReport::footerAndSummaryWithoutDataset()
{
    Layout layout;
    layout.page.margins = QMarginsF(15, 20, 15, 25);
    layout.addBand(BandKind::PageHeader, 10.0).addText(0, 0, "kepala");
    layout.addBand(BandKind::Detail, 30.0).addComputed(0, 0, Computed::LineNumber).named("nomor");
    layout.addBand(BandKind::Summary, 12.0).addComputed(1, 2, Computed::DetailCount).named("jumlah");
    layout.addBand(BandKind::PageFooter, 8.0, {}, Qt::gray);

    const QList<Page> pages = paginate(layout);
    QCOMPARE(pages.size(), 1);
    const QList<PlacedBand> &bands = pages[0].bands;
    QCOMPARE(bands.size(), 4);
    QCOMPARE_RECT(bands[0].rect, 15.0, 20.0, 180.0, 10.0);
    QCOMPARE_RECT(bands[1].rect, 15.0, 30.0, 180.0, 30.0);
    QCOMPARE(bands[1].lineNumber, 1);
    QCOMPARE_RECT(bands[2].rect, 15.0, 60.0, 180.0, 12.0);
    QCOMPARE(bands[3].kind, BandKind::PageFooter);
    QCOMPARE_RECT(bands[3].rect, 15.0, 297.0 - 25.0 - 8.0, 180.0, 8.0);
    QCOMPARE_MM(pages[0].find("jumlah")->rect.left(), 16.0);
    QCOMPARE_MM(pages[0].find("jumlah")->rect.top(), 62.0);
    QCOMPARE(pages[0].find("jumlah")->text, QStringLiteral("1"));

    // A band taller than a whole page does not push out blank pages forever.
    layout.addBand(BandKind::Detail, 400.0);
    const QList<Page> tall = paginate(layout);
    QCOMPARE(tall.size(), 2);
    QCOMPARE(tall[0].bandsOf(BandKind::Detail).size(), 1);
    QCOMPARE(tall[1].bandsOf(BandKind::Summary).size(), 1);
}

void TestReport::pageBreaksOverDataset()
{
    QVERIFY(openTable(63));
    const QList<Page> pages = paginate(listLayout(m_table.get()));
    // Page 1 lists 21 lines below header, title and column header, page 2
    // 22, page 3 the last 20; the summary no longer fits there.
    QCOMPARE(pages.size(), 4);
    const int perPage[] = {21, 22, 20, 0};
    int first = 1;
    for (int p = 0; p < 4; ++p) {
        const Page &page = pages[p];
        QCOMPARE(page.number, p + 1);
        const QList<PlacedBand> headers = page.bandsOf(BandKind::PageHeader);
        QCOMPARE(headers.size(), 1);
        QCOMPARE_MM(headers[0].rect.top(), 10.0);
        QCOMPARE(page.find("hlmKepala")->text, QString::number(p + 1));
        QCOMPARE(page.bandsOf(BandKind::Title).size(), p == 0 ? 1 : 0);
        const QList<PlacedBand> columns = page.bandsOf(BandKind::ColumnHeader);
        QCOMPARE(columns.size(), 1);
        QCOMPARE_MM(columns[0].rect.top(), p == 0 ? 38.3 : 32.0);
        QCOMPARE(page.findAll("kolomNo").size(), 1);
        const QList<PlacedBand> footers = page.bandsOf(BandKind::PageFooter);
        QCOMPARE(footers.size(), 1);
        QCOMPARE_MM(footers[0].rect.top(), 280.9);

        const QList<PlacedBand> details = page.bandsOf(BandKind::Detail);
        QCOMPARE(details.size(), perPage[p]);
        const int last = first + perPage[p] - 1;
        QCOMPARE(textsNamed(page, "nomor"), numbers(first, last));
        for (int i = 0; i < details.size(); ++i) {
            QCOMPARE(details[i].lineNumber, first + i);
            QCOMPARE_MM(details[i].rect.top(), columns[0].rect.bottom() + 10.6 * i);
            QVERIFY(details[i].rect.bottom() <= footers[0].rect.top() + MmTolerance);
        }
        if (!details.isEmpty()) {
            QCOMPARE(page.findAll("nama").first()->text, QStringLiteral("Anggota %1").arg(first, 3, 10, QLatin1Char('0')));
            QCOMPARE(page.findAll("nama").last()->text, QStringLiteral("Anggota %1").arg(last, 3, 10, QLatin1Char('0')));
        }
        first = last + 1;
    }
    QCOMPARE(pages[0].find("halaman")->text, QStringLiteral("1"));
    QCOMPARE(pages[0].findAll("nama")[0]->text, QStringLiteral("Anggota 001"));
    // Money prints as currency text; an empty field prints nothing.
    QCOMPARE(pages[0].findAll("jumlah")[0]->text, Money::fromUnits(1000).toCurrencyString());
    QCOMPARE(pages[0].findAll("jumlah")[1]->text, QString());
    QCOMPARE_MM(pages[0].findAll("jumlah")[1]->rect.width(), 0.0);
    QCOMPARE(pages[2].findAll("jumlah").last()->text, Money::fromUnits(63000).toCurrencyString());

    const QList<PlacedBand> summary = pages[3].bandsOf(BandKind::Summary);
    QCOMPARE(summary.size(), 1);
    QCOMPARE_MM(summary[0].rect.top(), 45.0);
    QCOMPARE(pages[3].find("jumlahBaris")->text, QStringLiteral("63"));
    // The report walked the table's own cursor: it stands on the last row.
    QVERIFY(m_table->eof());
    QCOMPARE(m_table->recNo(), 62);
    QCOMPARE(m_table->fieldByName("Nama")->asString(), QStringLiteral("Anggota 063"));

    // Fewer rows: the summary shares the last page with the lines.
    QVERIFY(openTable(25));
    const QList<Page> shorter = paginate(listLayout(m_table.get()));
    QCOMPARE(shorter.size(), 2);
    QCOMPARE(shorter[1].bandsOf(BandKind::Detail).size(), 4);
    QCOMPARE_MM(shorter[1].bandsOf(BandKind::Summary)[0].rect.top(), 45.0 + 4 * 10.6);
    QCOMPARE(shorter[1].find("jumlahBaris")->text, QStringLiteral("25"));
}

void TestReport::emptyDataset()
{
    QVERIFY(openTable(0));
    const QList<Page> pages = paginate(listLayout(m_table.get()));
    QCOMPARE(pages.size(), 1);
    QCOMPARE(kindsOf(pages[0]), (QList<BandKind>{BandKind::PageHeader, BandKind::Title, BandKind::ColumnHeader,
                                                BandKind::Summary, BandKind::PageFooter}));
    QCOMPARE_MM(pages[0].bands[3].rect.top(), 51.3);
    QCOMPARE(pages[0].find("jumlahBaris")->text, QStringLiteral("0"));
    QVERIFY(pages[0].findAll("nomor").isEmpty());

    // A closed dataset is opened for the report.
    QVERIFY(openTable(3));
    m_table->close();
    QCOMPARE(paginate(listLayout(m_table.get()))[0].find("jumlahBaris")->text, QStringLiteral("3"));
    QVERIFY(m_table->isActive());
}

void TestReport::fieldsReadTheirDatasetsCurrentRow()
{
    QVERIFY(openTable(5));
    Layout slip;
    Band &detail = slip.addBand(BandKind::Detail, 20.0, Frame::all());
    detail.addField(10, 2, m_table.get(), "nama").named("nama");
    detail.addField(60, 2, m_table.get(), "Jumlah").named("jumlah");
    detail.addField(100, 2, m_table.get(), "No").named("no")
        .formatted([](const Field &field) { return QStringLiteral("#%1").arg(field.asInteger()); });
    detail.addField(140, 2, m_table.get(), "Jumlah").named("polos")
        .formatted([](const Field &field) { return field.asMoney().toPlainString(); });

    m_table->last();
    Page page = paginate(slip).first();
    QCOMPARE(page.find("nama")->text, QStringLiteral("Anggota 005"));
    QCOMPARE(page.find("jumlah")->text, Money::fromUnits(5000).toCurrencyString());
    QCOMPARE(page.find("no")->text, QStringLiteral("#5"));
    QCOMPARE(page.find("polos")->text, Money::fromUnits(5000).toPlainString());
    QCOMPARE(m_table->recNo(), 4);

    // An empty field prints nothing, also through a formatter.
    m_table->moveTo(1);
    page = paginate(slip).first();
    QCOMPARE(page.find("nama")->text, QStringLiteral("Anggota 002"));
    QCOMPARE(page.find("jumlah")->text, QString());
    QCOMPARE(page.find("polos")->text, QString());

    // No rows: every field prints empty, the slip still has its page.
    QVERIFY(openTable(0));
    for (Element *e : {slip.element("nama"), slip.element("jumlah"), slip.element("no"), slip.element("polos")})
        e->dataset = m_table.get();
    const QList<Page> empty = paginate(slip);
    QCOMPARE(empty.size(), 1);
    QCOMPARE(empty[0].find("nama")->text, QString());
    QCOMPARE(empty[0].find("no")->text, QString());

    // A field name the dataset lacks is the layout's mistake and says so.
    slip.element("nama")->fieldName = "Alamat";
    QVERIFY_THROWS_EXCEPTION(DatabaseError, paginate(slip));
    slip.element("nama")->dataset = nullptr;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, paginate(slip));
}

void TestReport::paintingAtTrueSize()
{
    Layout layout;
    Band &band = layout.addBand(BandKind::Detail, 100.0);
    band.addRectangle(10, 20, 10, 5, Frame::none(), Qt::black);
    band.addRectangle(40, 20, 20, 20, Frame::topOnly(Qt::red, 1.0));
    band.addLine(0, 60, 50).withColor(Qt::blue);
    // 7 pt is 9.33 dots at 96 dpi and 24.7 at 254 dpi: sizes a device rounds.
    band.addText(0, 70, QString(20, QLatin1Char('M')), FontStyle{"Arial", 7});
    const Page page = paginate(layout).first();

    // 254 dpi: ten dots per millimetre.
    const QImage image = renderToImage(page, 254);
    QCOMPARE(image.size(), QSize(2100, 2970));
    QCOMPARE(image.pixelColor(250, 325), QColor(Qt::black));   // inside (20..30, 30..35) mm
    QCOMPARE(image.pixelColor(195, 325), QColor(Qt::white));
    QCOMPARE(image.pixelColor(250, 355), QColor(Qt::white));
    QCOMPARE(image.pixelColor(600, 304), QColor(Qt::red));     // the top side, 1 mm
    QCOMPARE(image.pixelColor(600, 320), QColor(Qt::white));
    QCOMPARE(image.pixelColor(600, 498), QColor(Qt::white));   // no bottom side
    QCOMPARE(image.pixelColor(300, 701), QColor(Qt::blue));

    // The painted text lies within its measured box and has the same width
    // at every resolution.
    const QRectF box = page.items.last().rect;
    const auto inkOf = [&](const QImage &picture, double dotsPerMm) {
        int left = picture.width(), right = -1;
        for (int y = qRound(box.top() * dotsPerMm); y < qRound(box.bottom() * dotsPerMm); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (qGray(picture.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
            }
        }
        return QPair<double, double>(left / dotsPerMm, right / dotsPerMm);
    };
    const auto fine = inkOf(image, 10.0);
    const auto coarse = inkOf(renderToImage(page, 96), 96 / 25.4);
    for (const auto &ink : {fine, coarse}) {
        QVERIFY2(ink.first >= box.left() - 0.1 && ink.first < box.left() + 0.5
                     && ink.second <= box.right() + 0.3 && ink.second > box.right() - 0.5,
                 qPrintable(QStringLiteral("ink %1..%2 box %3..%4").arg(ink.first).arg(ink.second)
                                .arg(box.left()).arg(box.right())));
    }
    QVERIFY2(near(coarse.second - coarse.first, fine.second - fine.first, 0.3),
             qPrintable(QStringLiteral("%1 vs %2").arg(coarse.second - coarse.first).arg(fine.second - fine.first)));

    // A thin rule never vanishes at screen resolution.
    const QImage screen = renderToImage(page, 96);
    const int y = qRound(70.0 / 25.4 * 96);
    bool blue = false;
    for (int dy = -1; dy <= 1; ++dy)
        blue = blue || screen.pixelColor(qRound(30.0 / 25.4 * 96), y + dy) == QColor(Qt::blue);
    QVERIFY(blue);
}

void TestReport::pdfHoldsTextsAtTheirPlaces()
{
    QVERIFY(openTable(63));
    QList<Page> pages = paginate(slipLayout());
    const QString slipPdf = m_dir.filePath("slip.pdf");
    QVERIFY(renderToPdf(pages, slipPdf, "Slip"));
    QCOMPARE(pdfPageCount(slipPdf), 1);
    const QString text = runTool("pdftotext", {"-layout", slipPdf, "-"});
    QVERIFY2(text.contains("SLIP SIMPANAN"), qPrintable(text));
    QVERIFY(text.contains("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA"));
    QVERIFY(text.contains("Rincian :"));

    // Word boxes in points: "SLIP" starts 82.0 mm from the paper's left edge.
    const QString boxes = runTool("pdftotext", {"-bbox", slipPdf, "-"});
    const auto match = QRegularExpression(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">SLIP</word>)re")
                           .match(boxes);
    QVERIFY2(match.hasMatch(), qPrintable(boxes.left(2000)));
    const double ptPerMm = 72.0 / 25.4;
    QVERIFY2(near(match.captured(1).toDouble(), 82.0 * ptPerMm, 1.0), qPrintable(match.captured(0)));
    const Item *title = pages[0].find("judul");
    QVERIFY2(match.captured(2).toDouble() >= title->rect.top() * ptPerMm - 1.0
                 && match.captured(4).toDouble() <= title->rect.bottom() * ptPerMm + 1.0,
             qPrintable(match.captured(0)));

    const QString listPdf = m_dir.filePath("list.pdf");
    QVERIFY(renderToPdf(paginate(listLayout(m_table.get())), listPdf));
    QCOMPARE(pdfPageCount(listPdf), 4);
    const QString last = runTool("pdftotext", {"-f", "4", "-l", "4", "-layout", listPdf, "-"});
    QVERIFY(last.contains("LAPORAN ANGGOTA"));
    QVERIFY(last.contains("Jumlah Anggota :"));
    QVERIFY(!last.contains("Anggota 063"));
    const QString third = runTool("pdftotext", {"-f", "3", "-l", "3", "-layout", listPdf, "-"});
    QVERIFY(third.contains("Anggota 063"));

    QVERIFY(!renderToPdf(pages, m_dir.filePath("no/such/folder/x.pdf")));
}

void TestReport::previewHook()
{
    QList<Page> seen;
    QString seenTitle;
    setPreviewHook([&](const QList<Page> &pages, const QString &title) {
        seen = pages;
        seenTitle = title;
    });
    QVERIFY(openTable(30));
    QCOMPARE(showPreview(listLayout(m_table.get()), "LAPORAN ANGGOTA"), 2);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seenTitle, QStringLiteral("LAPORAN ANGGOTA"));
    QCOMPARE(seen[1].find("jumlahBaris")->text, QStringLiteral("30"));
    QVERIFY(!shownPreview());
}

void TestReport::previewWindow()
{
    QVERIFY(openTable(63));
    const QList<Page> pages = paginate(listLayout(m_table.get()));

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    bool looked = false;
    QString pdfText;
    QTimer::singleShot(50, [&] {
        auto *preview = shownPreview();
        QVERIFY(preview);
        QCOMPARE(preview->windowTitle(), QStringLiteral("LAPORAN ANGGOTA"));
        QVERIFY(!preview->parentWidget());
        QCOMPARE(preview->windowModality(), Qt::NonModal);
        QCOMPARE(preview->view()->pageCount(), 4);
        // It opens at the page's width, where the type reads as on paper.
        PageView *view = preview->view();
        QCOMPARE(view->zoomMode(), QPrintPreviewWidget::FitToWidth);
        const double pageWidth = 210.0 / 25.4 * view->logicalDpiX() * view->zoomFactor();
        QVERIFY2(pageWidth <= view->viewport()->width() && pageWidth > view->viewport()->width() - 40,
                 qPrintable(QStringLiteral("%1 in %2").arg(pageWidth).arg(view->viewport()->width())));
        preview->action("lastPage")->trigger();
        QCOMPARE(preview->view()->currentPage(), 4);
        preview->action("prevPage")->trigger();
        QCOMPARE(preview->view()->currentPage(), 3);
        preview->action("firstPage")->trigger();
        preview->action("prevPage")->trigger();
        QCOMPARE(preview->view()->currentPage(), 1);
        preview->action("nextPage")->trigger();
        QCOMPARE(preview->view()->currentPage(), 2);
        const qreal zoom = preview->view()->zoomFactor();
        preview->action("zoomIn")->trigger();
        QVERIFY(preview->view()->zoomFactor() > zoom);
        preview->action("zoomOut")->trigger();
        preview->action("fitWidth")->trigger();
        QCOMPARE(preview->view()->zoomMode(), QPrintPreviewWidget::FitToWidth);
        preview->action("fitPage")->trigger();
        QCOMPARE(preview->view()->zoomMode(), QPrintPreviewWidget::FitInView);
        preview->action("allPages")->trigger();
        QCOMPARE(preview->view()->viewMode(), QPrintPreviewWidget::AllPagesView);
        preview->action("singlePage")->trigger();
        QCOMPARE(preview->view()->viewMode(), QPrintPreviewWidget::SinglePageView);

        const QString path = m_dir.filePath("preview.pdf");
        QVERIFY(preview->saveAsPdf(path));
        QVERIFY(preview->statusText().contains("preview.pdf"));
        pdfText = runTool("pdftotext", {"-layout", path, "-"});
        looked = true;
        // Closed by a later tick of another timer: the wait keeps them running.
        const int seen = ticks;
        connect(&ticker, &QTimer::timeout, preview, [&ticks, seen, preview] {
            if (ticks > seen + 3)
                preview->action("close")->trigger();
        });
    });
    QCOMPARE(showPreview(pages, "LAPORAN ANGGOTA"), 4);
    QVERIFY(looked);
    QVERIFY(pdfText.contains("Anggota 063"));
    QVERIFY(!shownPreview());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(widget->objectName() != "ReportPreview");
}

void TestReport::previewOverModalWindow()
{
    Form modal("Modal");
    Qt::WindowModality previewModality = Qt::NonModal;
    bool previewOnTop = false;
    int pageCount = 0;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(50, [&] {
            auto *preview = shownPreview();
            QVERIFY(preview);
            previewModality = preview->windowModality();
            previewOnTop = QApplication::activeModalWidget() == preview;
            preview->close();
        });
        pageCount = showPreview(paginate(slipLayout()), "SLIP SIMPANAN");
        modal.close();
    });
    modal.showModal();
    QCOMPARE(pageCount, 1);
    QCOMPARE(previewModality, Qt::ApplicationModal);
    QVERIFY(previewOnTop);
}

void TestReport::printing()
{
    QVERIFY(openTable(63));
    ReportPreview preview(paginate(listLayout(m_table.get())), "LAPORAN ANGGOTA");
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));

    // A cancelled print dialog leaves the preview open with a word about it.
    bool dialogSeen = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        dialogSeen = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    preview.action("print")->trigger();
    QVERIFY(dialogSeen);
    QCOMPARE(preview.statusText(), QStringLiteral("Pencetakan dibatalkan."));
    QVERIFY(preview.isVisible());

    // Printing itself, onto a PDF printer: every page, or the range asked for.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(m_dir.filePath("printed.pdf"));
    QVERIFY(preview.printTo(printer));
    QCOMPARE(pdfPageCount(m_dir.filePath("printed.pdf")), 4);

    printer.setOutputFileName(m_dir.filePath("range.pdf"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QVERIFY(preview.printTo(printer));
    QCOMPARE(pdfPageCount(m_dir.filePath("range.pdf")), 2);
    const QString text = runTool("pdftotext", {"-layout", m_dir.filePath("range.pdf"), "-"});
    QVERIFY(text.contains("Anggota 022") && text.contains("Anggota 063"));
    QVERIFY(!text.contains("Anggota 021"));

    printer.setPrintRange(QPrinter::AllPages);
    printer.setOutputFileName(m_dir.filePath("no/such/folder/p.pdf"));
    QVERIFY(!preview.printTo(printer));
    QVERIFY(preview.isVisible());
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
