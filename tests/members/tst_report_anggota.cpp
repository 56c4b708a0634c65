// The member report: its bands on the pages, the running number and count
// across pages, the members' values, and the member table's cursor after it.

#include "members/Laporan_Anggota.h"
#include "members/Uanggota.h"
#include "support/messagescript.h"
#include "support/millimetres.h"
#include "support/pages.h"
#include "support/program.h"

#include "runtime/db/sqlite/sqlite.h"
#include "runtime/regional.h"
#include "runtime/report/report.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QPrintPreviewWidget>
#include <QtTest>

using namespace report;

namespace {

QString memberNumber(int i)
{
    return QStringLiteral("12%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Members "Anggota 01".. registered on successive days of March 2024; every
// fifth without an address. Written in one transaction, then read afresh.
void seedMembers(int count)
{
    sqlite3 *db = sqlite::handleOf(*modul->connection());
    sqlite::Transaction transaction(db);
    for (int i = 1; i <= count; ++i) {
        sqlite::Statement insert(db, QStringLiteral("insert into Tanggota1 (No_Anggota, Tgl_Daftar, Nama, Alamat) "
                                                    "values (?, ?, ?, ?)"));
        insert.bindAll({memberNumber(i), QDate(2024, 3, 1).addDays(i - 1).toString(Qt::ISODate),
                        QStringLiteral("Anggota %1").arg(i, 2, 10, QLatin1Char('0')),
                        i % 5 == 0 ? QVariant() : QVariant(QStringLiteral("Jl. Cendana %1").arg(i))});
        insert.exec();
    }
    transaction.commit();
    modul->Tanggota1->refresh();
    modul->Tanggota1->first();
}

} // namespace

class ReportAnggotaTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setPreviewHook(nullptr); }
    void fortyMembersOverThreePages();
    void bandsAndPlaces();
    void settlesTheMemberUnderEdit();
    void emptyTableStillReports();
    void walkTellsTheWindowsOnce();
    void savedAsCsvForASpreadsheet();
    void longestTextsKeepToTheirColumns();
};

void ReportAnggotaTest::fortyMembersOverThreePages()
{
    Program program;
    seedMembers(40);
    QVERIFY(modul->Tanggota1->findKey({memberNumber(7)}));

    QString memberWhileShown;
    PreviewCatcher preview(
        [&] { memberWhileShown = modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->asString(); });
    ReportAnggota->Preview();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("LAPORAN ANGGOTA"));
    const QList<Page> &pages = preview.pages;
    // Page 1 lists 21 members below header, title and column header, page 2
    // the other 19; the summary no longer fits there and opens page 3.
    QCOMPARE(pages.size(), 3);
    QCOMPARE(kindsOf(pages[0]), (QList<BandKind>{BandKind::PageHeader, BandKind::Title, BandKind::ColumnHeader}
                                 + QList<BandKind>(21, BandKind::Detail) + QList<BandKind>{BandKind::PageFooter}));
    QCOMPARE(kindsOf(pages[1]), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader}
                                 + QList<BandKind>(19, BandKind::Detail) + QList<BandKind>{BandKind::PageFooter}));
    QCOMPARE(kindsOf(pages[2]), (QList<BandKind>{BandKind::PageHeader, BandKind::ColumnHeader, BandKind::Summary,
                                                 BandKind::PageFooter}));

    int number = 0;
    for (const Page &page : pages) {
        // Header and column headings on every page.
        QVERIFY(page.texts().contains(QStringLiteral("LAPORAN ANGGOTA ")));
        QVERIFY(page.texts().contains(QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA")));
        QCOMPARE(textsNamed(page, QStringLiteral("kolomAlamat")), QStringList{QStringLiteral("Alamat")});
        // Date and page number belong to the title: page 1 only.
        const bool first = page.number == 1;
        QCOMPARE(page.findAll(QStringLiteral("tanggal")).size(), first ? 1 : 0);
        QCOMPARE(page.findAll(QStringLiteral("halaman")).size(), first ? 1 : 0);
        QCOMPARE(page.texts().contains(QStringLiteral("Tanggal :")), first);
        QCOMPARE(page.texts().contains(QStringLiteral("Halaman")), first);
        // The running number goes on across pages, each line with its member.
        const QStringList numbers = textsNamed(page, QStringLiteral("nomor"));
        const QStringList names = textsNamed(page, QStringLiteral("Nama"));
        const QStringList dates = textsNamed(page, QStringLiteral("Tgl_Daftar"));
        const QStringList members = textsNamed(page, QStringLiteral("No_Anggota"));
        const QStringList addresses = textsNamed(page, QStringLiteral("Alamat"));
        QCOMPARE(names.size(), numbers.size());
        for (int i = 0; i < numbers.size(); ++i) {
            ++number;
            QCOMPARE(numbers[i], QString::number(number));
            QCOMPARE(names[i], QStringLiteral("Anggota %1").arg(number, 2, 10, QLatin1Char('0')));
            QCOMPARE(members[i], memberNumber(number));
            QCOMPARE(dates[i], regional::shortDate(QDate(2024, 3, 1).addDays(number - 1)));
            QCOMPARE(addresses[i], number % 5 == 0 ? QString() : QStringLiteral("Jl. Cendana %1").arg(number));
        }
    }
    QCOMPARE(number, 40);
    QCOMPARE(pages[0].find("tanggal")->text, regional::todayShortDate());
    QCOMPARE(pages[0].find("halaman")->text, QStringLiteral("1"));
    QCOMPARE(pages[1].find("nomor")->text, QStringLiteral("22"));
    QCOMPARE(textsNamed(pages[1], QStringLiteral("Tgl_Daftar")).first(), QStringLiteral("22/03/2024"));

    // The count equals the member rows; the manager signs under it.
    QCOMPARE(pages[2].find("jumlah")->text, QStringLiteral("40"));
    QCOMPARE(QString::number(modul->Tanggota1->recordCount()), pages[2].find("jumlah")->text);
    for (const QString &text : {QStringLiteral("Jumlah Anggota :"), QStringLiteral("Orang"), QStringLiteral("Mengetahui,"),
                                QStringLiteral("Manager Divisi Usaha Simpan Pinjam"), QStringLiteral("Drs. Suryadi")})
        QVERIFY2(pages[2].texts().contains(text), qPrintable(text));

    // The report walked the table's cursor: the last member is current, and
    // was already while the preview was open.
    QCOMPARE(memberWhileShown, memberNumber(40));
    QCOMPARE(modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->asString(), memberNumber(40));
    QCOMPARE(modul->Tanggota1->recNo(), 39);
}

void ReportAnggotaTest::bandsAndPlaces()
{
    Program program;
    seedMembers(23);
    PreviewCatcher preview;
    ReportAnggota->Preview();
    QCOMPARE(preview.pages.size(), 2);
    const Page &first = preview.pages[0];
    const Page &second = preview.pages[1];

    // Band rectangles: header, title and column header stacked from the top
    // margin, the footer at the bottom of every page.
    const QList<PlacedBand> bands = first.bands;
    QCOMPARE(bands[0].rect, QRectF(10.0, 10.0, 190.0, 22.0));
    QCOMPARE(bands[1].rect, QRectF(10.0, 32.0, 190.0, 6.3));
    QCOMPARE_MM(bands[2].rect.top(), 38.3);
    QCOMPARE_MM(bands[2].rect.height(), 13.0);
    QCOMPARE_MM(bands[3].rect.top(), 51.3);
    QCOMPARE_MM(bands[3].rect.height(), 10.6);
    QCOMPARE(bands[3].lineNumber, 1);
    for (const Page *page : {&first, &second}) {
        const QList<PlacedBand> footer = page->bandsOf(BandKind::PageFooter);
        QCOMPARE(footer.size(), 1);
        QCOMPARE_MM(footer[0].rect.top(), 297.0 - 10.0 - 6.1);
        QCOMPARE_MM(footer[0].rect.height(), 6.1);
    }
    QCOMPARE_MM(second.bandsOf(BandKind::ColumnHeader)[0].rect.top(), 32.0);
    QCOMPARE(second.bandsOf(BandKind::Detail).size(), 2);
    QCOMPARE_MM(second.bandsOf(BandKind::Summary)[0].rect.top(), 45.0 + 2 * 10.6);

    // Shades and frames of the bands on page 2: a band's fill lies under its
    // texts, its frame over them.
    const auto backgroundsOf = [&second](BandKind kind) {
        QList<const Item *> found;
        for (const Item &item : second.items) {
            if (item.kind == ItemKind::Rectangle && item.name.isEmpty() && item.band == kind)
                found << &item;
        }
        return found;
    };
    const auto indexOf = [&second](const Item *item) { return int(item - second.items.constData()); };
    QVERIFY(backgroundsOf(BandKind::PageHeader).isEmpty());
    const QList<const Item *> columns = backgroundsOf(BandKind::ColumnHeader);
    QCOMPARE(columns.size(), 2);
    QCOMPARE(columns[0]->fill, shadeColor());
    QVERIFY(columns[0]->frame.isEmpty());
    QVERIFY(!columns[1]->fill.isValid());
    QVERIFY(columns[1]->frame.top && columns[1]->frame.bottom && !columns[1]->frame.left && !columns[1]->frame.right);
    QCOMPARE(columns[1]->frame.color, highlightColor());
    QVERIFY(indexOf(columns[0]) < indexOf(second.find("kolomNo")));
    QVERIFY(indexOf(columns[1]) > indexOf(second.find("kolomAlamat")));
    const QList<const Item *> details = backgroundsOf(BandKind::Detail);
    QCOMPARE(details.size(), 4);
    QCOMPARE(details[0]->fill, QColor(Qt::white));
    QVERIFY(details[1]->frame.top && details[1]->frame.bottom && !details[1]->frame.left && !details[1]->frame.right);
    QCOMPARE(details[1]->frame.color, highlightColor());
    QCOMPARE(details[1]->rect, second.bandsOf(BandKind::Detail)[0].rect);
    const QList<const Item *> summary = backgroundsOf(BandKind::Summary);
    QCOMPARE(summary.size(), 1);
    QVERIFY(summary[0]->frame.top && !summary[0]->frame.bottom && !summary[0]->frame.left && !summary[0]->frame.right);
    QCOMPARE(summary[0]->frame.color, QColor(Qt::black));
    QVERIFY(!summary[0]->fill.isValid());
    const QList<const Item *> footer = backgroundsOf(BandKind::PageFooter);
    QCOMPARE(footer.size(), 2);
    QCOMPARE(footer[0]->fill, shadeColor());
    QVERIFY(footer[1]->frame.top && footer[1]->frame.bottom && footer[1]->frame.left && footer[1]->frame.right);
    QCOMPARE(footer[1]->frame.color, QColor(Qt::black));
    QCOMPARE(footer[1]->rect, second.bandsOf(BandKind::PageFooter)[0].rect);

    // Element places: margin plus band top plus the element's own offset.
    struct Place {
        const char *name;
        double left;
        double top;
        FontStyle font;
        double right = 0.0;     // a column's end: the value's box runs to it
    };
    const FontStyle plain;
    const FontStyle bold = FontStyle::bolded();
    const Place firstPage[] = {
        {"judul", 82.0, 12.1, FontStyle{QStringLiteral("Arial"), 14, true, true}},
        {"koperasi", 64.2, 18.5, plain},
        {"labelTanggal", 12.1, 33.3, plain},  {"tanggal", 28.0, 33.3, plain},
        {"labelHalaman", 168.2, 33.6, plain},
        {"kolomNo", 14.2, 42.5, bold},        {"kolomNama", 41.8, 42.5, bold},
        {"kolomTglDaftar", 65.0, 42.5, bold}, {"kolomNoAnggota", 86.2, 42.5, bold},
        {"kolomAlamat", 122.2, 42.5, bold},
        // Values keep to their columns, up to a gap before the next one.
        {"nomor", 14.2, 53.4, plain, 28.3},          {"Nama", 28.3, 53.4, plain, 65.0},
        {"Tgl_Daftar", 65.0, 53.4, plain, 86.2},     {"No_Anggota", 88.3, 53.4, plain, 111.6},
        {"Alamat", 111.6, 53.4, plain, 200.0},
    };
    const double summaryTop = 45.0 + 2 * 10.6;
    const Place lastPage[] = {
        {"labelJumlah", 12.1, summaryTop + 4.0, bold},     {"jumlah", 43.9, summaryTop + 4.2, plain},
        {"labelOrang", 50.2, summaryTop + 4.2, plain},     {"labelMengetahui", 162.4, summaryTop + 25.4, plain},
        {"manager", 160.3, summaryTop + 46.6, plain},
    };
    const auto check = [](const Page &page, const Place &place) {
        const Item *item = page.find(QLatin1String(place.name));
        QVERIFY2(item, place.name);
        QCOMPARE_CORNER(place.name, item->rect, place.left, place.top);
        QCOMPARE(item->font, reportFont(place.font));
        QCOMPARE(item->alignment, Qt::Alignment(Qt::AlignLeft));
        const double textEnd = item->rect.left() + measureText(item->text, item->font).width();
        QCOMPARE_MM(item->rect.right(), place.right > 0 ? place.right - ColumnGap : textEnd);
    };
    for (const Place &place : firstPage)
        check(first, place);
    for (const Place &place : lastPage)
        check(second, place);
    // The page number stands on its caption's line, clear of it; the manager's
    // title is set a shade smaller where it would reach into the margin.
    QCOMPARE_MM(first.find("halaman")->rect.top(), 33.6);
    QCOMPARE_MM(first.find("halaman")->rect.left(), afterText(first, "labelHalaman", "halaman"));
    QVERIFY(shrunkInPlace(second.find("labelJabatan"), 141.2, summaryTop + 29.6, plain));
    QCOMPARE(first.find("jumlah"), nullptr);
    QCOMPARE(second.find("jumlah")->text, QStringLiteral("23"));
    const Item *logo = first.find("logo");
    QCOMPARE(logo->kind, ItemKind::Picture);
    QCOMPARE(logo->rect, QRectF(31.2, 10.0, 32.0, 19.3));
    QCOMPARE(logo->image.size(), QSize(300, 200));
    QCOMPARE(second.find("logo")->rect, logo->rect);
    QCOMPARE(textsNamed(first, QStringLiteral("kolomTglDaftar")), QStringList{QStringLiteral("Tgl Daftar")});
    QCOMPARE(textsNamed(first, QStringLiteral("kolomNoAnggota")), QStringList{QStringLiteral("No. Anggota")});
}

void ReportAnggotaTest::settlesTheMemberUnderEdit()
{
    Program program;
    MessageScript script;
    seedMembers(3);
    PreviewCatcher preview;

    // A changed member row is the clerk's to store through Save or drop:
    // Batal goes back to it and shows no report, Tidak drops it.
    modul->Tanggota1->edit();
    modul->Tanggota1->fieldByName(QStringLiteral("Nama"))->setText(QStringLiteral("Sri Wahyuni"));
    script.answer(mrCancel);
    QVERIFY(!messages::guard([] { ReportAnggota->Preview(); }));
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Data belum disimpan. Simpan sekarang?")});
    QCOMPARE(preview.shown, 0);
    QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
    script.answer(mrNo);
    ReportAnggota->Preview();
    QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
    QCOMPARE(textsNamed(preview.pages[0], QStringLiteral("Nama")),
             (QStringList{QStringLiteral("Anggota 01"), QStringLiteral("Anggota 02"), QStringLiteral("Anggota 03")}));
    script.clear();

    // A new row left untouched is dropped.
    modul->Tanggota1->append();
    ReportAnggota->Preview();
    QCOMPARE(preview.shown, 2);
    QCOMPARE(textsNamed(preview.pages[0], QStringLiteral("nomor")).size(), 3);
    QCOMPARE(preview.pages[0].find("jumlah")->text, QStringLiteral("3"));
    QCOMPARE(modul->Tanggota1->recordCount(), 3);
    QVERIFY(script.texts().isEmpty());
}

void ReportAnggotaTest::emptyTableStillReports()
{
    Program program;
    QCOMPARE(modul->Tanggota1->recordCount(), 0);
    PreviewCatcher preview;
    ReportAnggota->Preview();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.pages.size(), 1);
    const Page &page = preview.pages[0];
    QCOMPARE(kindsOf(page), (QList<BandKind>{BandKind::PageHeader, BandKind::Title, BandKind::ColumnHeader,
                                             BandKind::Summary, BandKind::PageFooter}));
    QCOMPARE_MM(page.bandsOf(BandKind::Summary)[0].rect.top(), 51.3);
    QCOMPARE(page.find("jumlah")->text, QStringLiteral("0"));
    QVERIFY(page.findAll(QStringLiteral("nomor")).isEmpty());
    QVERIFY(page.texts().contains(QStringLiteral("Drs. Suryadi")));

    // The real preview: shown, closed by the operator, and the call returns.
    bool seen = false;
    QTimer::singleShot(50, [&] {
        if (ReportPreview *window = shownPreview()) {
            seen = window->windowTitle() == QStringLiteral("LAPORAN ANGGOTA") && window->view()->pageCount() == 1;
            window->close();
        }
    });
    setPreviewHook(nullptr);
    ReportAnggota->Preview();
    QVERIFY(seen);
    QVERIFY(!ReportAnggota->isVisible());
}

// The report passes every member without the member window, the detail
// tables and their grids following each step; afterwards they all show the
// last member, as after an ordinary walk.
void ReportAnggotaTest::walkTellsTheWindowsOnce()
{
    Program program;
    seedMembers(40);
    {
        sqlite::Transaction transaction(sqlite::handleOf(*modul->connection()));
        for (int member : {1, 40, 40}) {
            sqlite::Statement(sqlite::handleOf(*modul->connection()),
                              QStringLiteral("insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, "
                                             "S_Wisuda) values ('01/03/2024', '%1', 10000, 0, 0)")
                                  .arg(memberNumber(member)))
                .exec();
        }
        transaction.commit();
    }
    modul->Tsimpan1->refresh();
    int memberMoves = 0;
    int depositReads = 0;
    connect(modul->Tanggota1, &Dataset::recordChanged, [&] { ++memberMoves; });
    connect(modul->Tsimpan1, &Dataset::listChanged, [&] { ++depositReads; });
    PreviewCatcher preview;
    Fmenu->LaporanAnggota1->trigger();
    QCOMPARE(preview.shown, 1);
    QCOMPARE(textsNamed(preview.pages, QStringLiteral("nomor")).size(), 40);
    // Once for the move to the first member, once where the walk ended.
    QVERIFY2(memberMoves <= 2, qPrintable(QString::number(memberMoves)));
    QVERIFY2(depositReads <= 2, qPrintable(QString::number(depositReads)));
    QVERIFY(modul->Tanggota1->eof());
    QCOMPARE(modul->Tanggota1->recNo(), 39);
    QCOMPARE(Fanggota->DBEnama->text(), QStringLiteral("Anggota 40"));
    QCOMPARE(modul->Tsimpan1->recordCount(), 2);
    QCOMPARE(modul->Tsimpan1->fieldByName(QStringLiteral("No_Anggota"))->asString(), memberNumber(40));
}

void ReportAnggotaTest::savedAsCsvForASpreadsheet()
{
    Program program;
    regional::setLocaleForTesting(QLocale(QLocale::Indonesian, QLocale::Indonesia));
    seedMembers(3);
    sqlite::Statement(sqlite::handleOf(*modul->connection()),
                      QStringLiteral("update Tanggota1 set Alamat = 'Jl. Dago; Blok \"A\"' where No_Anggota = '%1'")
                          .arg(memberNumber(2)))
        .exec();
    modul->Tanggota1->refresh();
    QTemporaryDir dir;
    QByteArray csv;
    QTimer::singleShot(50, [&] {
        ReportPreview *preview = shownPreview();
        QVERIFY(preview);
        csv = saveCsvFromPreview(preview, dir.filePath(QStringLiteral("anggota.csv")));
        preview->close();
    });
    ReportAnggota->Preview();
    regional::setLocaleForTesting(std::nullopt);
    QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                             "No.;Nama;Tgl Daftar;No. Anggota;Alamat\r\n"
                             "1;Anggota 01;01/03/2024;1200001;Jl. Cendana 1\r\n"
                             "2;Anggota 02;02/03/2024;1200002;\"Jl. Dago; Blok \"\"A\"\"\"\r\n"
                             "3;Anggota 03;03/03/2024;1200003;Jl. Cendana 3\r\n"));
}

void ReportAnggotaTest::longestTextsKeepToTheirColumns()
{
    Program program;
    // Names and addresses as long as their fields, of the widest letter.
    sqlite3 *db = sqlite::handleOf(*modul->connection());
    sqlite::Statement insert(db, QStringLiteral("insert into Tanggota1 (No_Anggota, Tgl_Daftar, Nama, Alamat) "
                                                "values (?, ?, ?, ?)"));
    insert.bindAll({QStringLiteral("WW99999"), QStringLiteral("2024-12-31"), QString(20, QLatin1Char('W')),
                    QString(30, QLatin1Char('W'))});
    insert.exec();
    seedMembers(3);
    PreviewCatcher preview;
    ReportAnggota->Preview();
    QCOMPARE(textsNamed(preview.pages, QStringLiteral("Nama")).last(), QString(20, QLatin1Char('W')));
    QVERIFY_UNCROWDED(preview.pages);
    // Only the long texts are set smaller; the others keep their type.
    const QList<const Item *> names = preview.pages[0].findAll(QStringLiteral("Nama"));
    QVERIFY(names.last()->font.pointSizeF() < 10.0);
    QCOMPARE(names.first()->font, reportFont(FontStyle()));
}

QTEST_MAIN(ReportAnggotaTest)
#include "tst_report_anggota.moc"
