// The preview of a long report as a clerk pages through it: 3 000 pages
// open with only a few made, the last page and a typed page number are one
// step away, a page range prints to a PDF of just those pages, and a
// cancelled PDF save leaves no file behind.

#include "runtime/db/connection.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/db/table.h"
#include "runtime/report/report.h"
#include "support/pages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <functional>
#include <memory>

using namespace report;

namespace {

constexpr int Rows = 3000;

// Plays the clerk from inside the preview's wait: each step acts once its
// window is up.
class Steps : public QObject {
public:
    Steps()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (m_busy || m_steps.isEmpty() || !m_steps.first().first())
                return;
            const auto act = m_steps.takeFirst().second;
            m_busy = true;
            // Outside the tick: an action may run a dialog of its own.
            QTimer::singleShot(0, this, [this, act] {
                m_busy = false;
                act();
            });
        });
        m_poll.start(5);
    }
    void when(std::function<bool()> ready, std::function<void()> act) { m_steps.append({ready, act}); }
    bool done() const { return m_steps.isEmpty() && !m_busy; }

private:
    QList<QPair<std::function<bool()>, std::function<void()>>> m_steps;
    QTimer m_poll;
    bool m_busy = false;
};

template <typename T>
T *activeModal()
{
    return qobject_cast<T *>(QApplication::activeModalWidget());
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { setPreviewHook(nullptr); }
    void lastPageOfALongReportIsOneStepAway();
    void printsAPageRange();
    void cancelledPdfLeavesNoFile();
    void pagesKeepTheRowsAsWalked();

private:
    Document longReport();

    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Table> m_table;
};

void PreviewTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setAliasFolder("DBpreview", m_dir.path());
    TableSchema schema;
    schema.fileName = "Tbaris.db";
    schema.tableName = "Tbaris";
    schema.fields = {FieldDef("No", FieldType::Integer), FieldDef("Nama", FieldType::Text, 30)};
    schema.primaryKey = {"No"};
    m_connection = std::make_unique<Connection>("DBpreview", QList<TableSchema>{schema});
    QStringList sql{"BEGIN"};
    for (int i = 1; i <= Rows; ++i)
        sql << QStringLiteral("INSERT INTO Tbaris VALUES (%1, 'Baris %1')").arg(i);
    sql << "COMMIT";
    QCOMPARE(sqlite3_exec(sqlite::handleOf(*m_connection), sql.join(';').toUtf8().constData(), nullptr, nullptr, nullptr),
             SQLITE_OK);
    m_table = std::make_unique<Table>("Tbaris");
    m_table->setDatabaseName("DBpreview");
    m_table->setTableName("Tbaris.db");
    m_table->open();
}

// One row per page under a header with the page number; the count on a
// page of its own at the end: 3 001 pages.
Document PreviewTest::longReport()
{
    Layout layout;
    layout.dataset = m_table.get();
    Band &header = layout.addBand(BandKind::PageHeader, 20.0);
    header.addText(10, 5, "DAFTAR BARIS", FontStyle::bolded(14));
    header.addComputed(150, 5, Computed::PageNumber).named("halaman");
    Band &detail = layout.addBand(BandKind::Detail, 240.0, Frame::all());
    detail.addComputed(5, 5, Computed::LineNumber).named("nomor");
    detail.addField(30, 5, m_table.get(), "Nama").named("Nama");
    layout.addBand(BandKind::Summary, 20.0).addComputed(5, 5, Computed::DetailCount).named("jumlah");
    return Document(layout);
}

void PreviewTest::lastPageOfALongReportIsOneStepAway()
{
    const Document document = longReport();
    QCOMPARE(document.pageCount(), Rows + 1);
    QCOMPARE(document.page(Rows - 1).find("Nama")->text, QStringLiteral("Baris 3000"));
    QCOMPARE(document.page(Rows).find("jumlah")->text, QStringLiteral("3000"));

    Steps clerk;
    int renderedAtOpen = -1;
    QList<int> inView;
    int renderedAfterPaging = -1;
    int spinAtLast = 0;
    clerk.when([] { return shownPreview() && shownPreview()->view()->paintedPageCount() > 0; }, [&] {
        ReportPreview *preview = shownPreview();
        renderedAtOpen = preview->view()->renderedPageCount();
        preview->action("lastPage")->trigger();
    });
    clerk.when([] { return shownPreview()->view()->pagesInView().contains(Rows + 1); }, [&] {
        ReportPreview *preview = shownPreview();
        spinAtLast = preview->pageNumber()->value();
        // The clerk types a page number into the box and presses Enter.
        QSpinBox *box = preview->pageNumber();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "1500");
        QTest::keyClick(box, Qt::Key_Return);
    });
    clerk.when([] { return shownPreview()->view()->pagesInView().contains(1500); }, [&] {
        ReportPreview *preview = shownPreview();
        inView = preview->view()->pagesInView();
        renderedAfterPaging = preview->view()->renderedPageCount();
        preview->action("close")->trigger();
    });
    QCOMPARE(showPreview(document, "DAFTAR BARIS"), Rows + 1);
    QVERIFY(clerk.done());
    QCOMPARE(spinAtLast, Rows + 1);
    QVERIFY2(inView.first() == 1500, qPrintable(QString::number(inView.first())));
    // Opening and paging made a handful of pages, not three thousand.
    QVERIFY2(renderedAtOpen >= 1 && renderedAtOpen <= 4, qPrintable(QString::number(renderedAtOpen)));
    QVERIFY2(renderedAfterPaging <= 16, qPrintable(QString::number(renderedAfterPaging)));
    QVERIFY(!shownPreview());
}

void PreviewTest::printsAPageRange()
{
    const Document document = longReport();
    const QString pdf = m_dir.filePath("halaman.pdf");
    QString status;
    Steps clerk;
    clerk.when([] { return shownPreview() != nullptr; }, [] { shownPreview()->action("print")->trigger(); });
    clerk.when([] { return activeModal<QPrintDialog>() != nullptr; }, [&] {
        // Pages 2999 to 3001 into a PDF file, then "Print".
        QPrintDialog *dialog = activeModal<QPrintDialog>();
        auto *printers = dialog->findChild<QComboBox *>("printers");
        QVERIFY(printers);
        const int toFile = printers->findText("PDF", Qt::MatchContains);
        QVERIFY(toFile >= 0);
        printers->setCurrentIndex(toFile);
        dialog->findChild<QLineEdit *>("filename")->setText(pdf);
        dialog->findChild<QRadioButton *>("printRange")->setChecked(true);
        dialog->findChild<QSpinBox *>("to")->setValue(Rows + 1);
        dialog->findChild<QSpinBox *>("from")->setValue(Rows - 1);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    // The preview says how it went once the dialogs are gone.
    clerk.when([] { return !QApplication::activeModalWidget() && !shownPreview()->statusText().isEmpty(); }, [&] {
        status = shownPreview()->statusText();
        shownPreview()->close();
    });
    showPreview(document, "DAFTAR BARIS");
    QVERIFY(clerk.done());
    QCOMPARE(status, QStringLiteral("Laporan telah dikirim ke printer."));
    QCOMPARE(pdfPageCount(pdf), 3);
    const QString text = runTool("pdftotext", {"-layout", pdf, "-"});
    QVERIFY2(text.contains("Baris 2999") && text.contains("Baris 3000") && text.contains("3001"), qPrintable(text));
    QVERIFY(!text.contains("Baris 2998"));
}

void PreviewTest::cancelledPdfLeavesNoFile()
{
    const Document document = longReport();
    QTemporaryDir folder;
    const QString pdf = folder.filePath("daftar.pdf");
    QString status;
    int progressMaximum = 0;
    QString progressText;
    Steps clerk;
    clerk.when([] { return shownPreview() != nullptr; }, [] { shownPreview()->action("savePdf")->trigger(); });
    clerk.when([] { return activeModal<QFileDialog>() != nullptr; }, [&] {
        QFileDialog *dialog = activeModal<QFileDialog>();
        dialog->selectFile(pdf);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    // Some pages in, the clerk thinks better of it.
    clerk.when([] {
        auto *progress = activeModal<QProgressDialog>();
        return progress && progress->value() >= 20;
    }, [&] {
        auto *progress = activeModal<QProgressDialog>();
        progressMaximum = progress->maximum();
        progressText = progress->labelText();
        progress->findChild<QAbstractButton *>()->click();
    });
    // The preview says how it went once the dialogs are gone.
    clerk.when([] { return !QApplication::activeModalWidget() && !shownPreview()->statusText().isEmpty(); }, [&] {
        status = shownPreview()->statusText();
        shownPreview()->close();
    });
    showPreview(document, "DAFTAR BARIS");
    QVERIFY(clerk.done());
    QCOMPARE(progressMaximum, Rows + 1);
    QVERIFY2(progressText.contains(QStringLiteral("dari %1").arg(Rows + 1)), qPrintable(progressText));
    QVERIFY2(status.contains("dibatalkan"), qPrintable(status));
    QVERIFY(!QFile::exists(pdf));
    // Nor a half-written file under another name.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Rows are read when their page is first made, but a page shows its rows as
// the report walked them: an edit, a deletion that moves the rows after it
// up a place, or closing the table after the report does not reach it.
void PreviewTest::pagesKeepTheRowsAsWalked()
{
    const Document document = longReport();
    QCOMPARE(document.page(0).find("Nama")->text, QStringLiteral("Baris 1"));
    m_table->moveTo(1999);
    m_table->edit();
    m_table->fieldByName("Nama")->setText("Diubah");
    m_table->post();
    QCOMPARE(document.page(1999).find("Nama")->text, QStringLiteral("Baris 2000"));
    QCOMPARE(Document(document).page(1999).find("nomor")->text, QStringLiteral("2000"));

    const Document later = longReport();
    m_table->first();
    m_table->remove();
    QCOMPARE(later.page(1999).find("Nama")->text, QStringLiteral("Diubah"));
    QCOMPARE(later.page(Rows - 1).find("Nama")->text, QStringLiteral("Baris 3000"));

    const Document closing = longReport();
    m_table->close();
    QCOMPARE(sqlite3_exec(sqlite::handleOf(*m_connection), "UPDATE Tbaris SET Nama = 'Lain'", nullptr, nullptr, nullptr),
             SQLITE_OK);
    m_table->open();
    QCOMPARE(closing.page(Rows - 2).find("Nama")->text, QStringLiteral("Baris 3000"));
    QCOMPARE(closing.page(Rows - 2).find("nomor")->text, QStringLiteral("2999"));
}

QTEST_MAIN(PreviewTest)
#include "tst_preview.moc"
