#include "runtime/report/preview.h"

#include "runtime/report/pageview.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHideEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QPointer>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace report {

namespace {

PreviewHook &previewHook()
{
    static PreviewHook hook;
    return hook;
}

// The pages carry their own margins: the printer draws from the paper's
// corner and adds none.
void configurePrinter(QPrinter &printer, const Document &document, const QString &title)
{
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(document.paperSize(), QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF()));
    printer.setDocName(title);
}

// The page numbers a printer was asked for, within 1..count.
QList<int> requestedPages(const QPrinter &printer, int count)
{
    QList<int> numbers;
    const QPageRanges ranges = printer.pageRanges();
    if (printer.printRange() != QPrinter::PageRange || ranges.isEmpty()) {
        for (int number = 1; number <= count; ++number)
            numbers.append(number);
        return numbers;
    }
    for (const QPageRanges::Range &range : ranges.toRangeList()) {
        for (int number = std::max(range.from, 1); number <= std::min(range.to, count); ++number)
            numbers.append(number);
    }
    return numbers;
}

} // namespace

ReportPreview::ReportPreview(const Document &document, const QString &title, QWidget *parent)
    : Form(QStringLiteral("ReportPreview"), parent)
    , m_document(document)
    , m_title(title)
{
    setWindowTitle(title);
    m_view = new PageView(this);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_pageNumber = new QSpinBox(this);
    m_pageNumber->setObjectName(QStringLiteral("pageNumber"));
    m_pageNumber->setToolTip(tr("Nomor halaman"));
    m_pageNumber->setPrefix(tr("Halaman "));
    m_pageNumber->setRange(document.pageCount() > 0 ? 1 : 0, document.pageCount());
    // A typed number counts when Enter is pressed or the box is left.
    m_pageNumber->setKeyboardTracking(false);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    buildToolBar();

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(m_toolBar);
    box->addWidget(m_view, 1);
    box->addWidget(m_status);

    if (const QScreen *display = screen()) {
        const QRect area = display->availableGeometry();
        resize(std::min(900, area.width() * 9 / 10), area.height() * 9 / 10);
    }
    connect(m_view, &PageView::currentPageChanged, this, &ReportPreview::updatePageNumber);
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int number) { goToPage(number); });
    m_view->setDocument(m_document);
    // Opens at the page's width, where the type reads as on paper; the whole
    // page is one click away.
    m_view->fitToWidth();
    updatePageNumber();

    // Once the first page is up, the rows of the others are read a little
    // at a time between the operator's doings.
    m_reading.setInterval(0);
    connect(&m_reading, &QTimer::timeout, this, [this] {
        if (m_document.readAhead(8))
            m_reading.stop();
    });
    connect(m_view, &PageView::pagesPainted, this, [this] {
        if (!m_reading.isActive() && !m_document.readAhead(0))
            m_reading.start();
    });
}

ReportPreview::ReportPreview(const QList<Page> &pages, const QString &title, QWidget *parent)
    : ReportPreview(Document::fromPages(pages), title, parent)
{
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::buildToolBar()
{
    // What the operator came for first, so that it never ends up in the
    // toolbar's overflow on a narrow window.
    addAction(QStringLiteral("print"), tr("Cetak..."), tr("Cetak ke printer"), [this] { printClicked(); });
    addAction(QStringLiteral("savePdf"), tr("Simpan PDF..."), tr("Simpan sebagai berkas PDF"),
              [this] { savePdfClicked(); });
    addAction(QStringLiteral("saveCsv"), tr("Simpan CSV..."), tr("Simpan baris laporan sebagai berkas CSV"),
              [this] { saveCsvClicked(); })
        ->setVisible(m_document.hasCsv());
    addAction(QStringLiteral("close"), tr("Tutup"), tr("Tutup pratinjau"), [this] { close(); });
    m_toolBar->addSeparator();
    addAction(QStringLiteral("firstPage"), QStringLiteral("\u00AB"), tr("Halaman pertama"), [this] { goToPage(1); });
    addAction(QStringLiteral("prevPage"), QStringLiteral("\u2039"), tr("Halaman sebelumnya"),
              [this] { goToPage(m_view->currentPage() - 1); });
    m_toolBar->addWidget(m_pageNumber);
    m_toolBar->addWidget(m_pageLabel);
    addAction(QStringLiteral("nextPage"), QStringLiteral("\u203A"), tr("Halaman berikutnya"),
              [this] { goToPage(m_view->currentPage() + 1); });
    addAction(QStringLiteral("lastPage"), QStringLiteral("\u00BB"), tr("Halaman terakhir"),
              [this] { goToPage(m_view->pageCount()); });
    m_toolBar->addSeparator();
    addAction(QStringLiteral("fitWidth"), tr("Lebar"), tr("Sesuaikan dengan lebar halaman"),
              [this] { m_view->fitToWidth(); });
    addAction(QStringLiteral("fitPage"), tr("Penuh"), tr("Tampilkan halaman utuh"),
              [this] { m_view->fitInView(); });
    addAction(QStringLiteral("zoomIn"), QStringLiteral("+"), tr("Perbesar"), [this] { m_view->zoomIn(); });
    addAction(QStringLiteral("zoomOut"), QStringLiteral("\u2212"), tr("Perkecil"), [this] { m_view->zoomOut(); });
    m_toolBar->addSeparator();
    addAction(QStringLiteral("singlePage"), tr("Satu"), tr("Tampilkan satu halaman"),
              [this] { m_view->setSinglePageViewMode(); });
    addAction(QStringLiteral("allPages"), tr("Semua"), tr("Tampilkan semua halaman"),
              [this] { m_view->setAllPagesViewMode(); });
}

QAction *ReportPreview::addAction(const QString &name, const QString &text, const QString &hint,
                                  std::function<void()> handler)
{
    QAction *act = m_toolBar->addAction(text);
    act->setObjectName(name);
    act->setToolTip(hint);
    connect(act, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    return act;
}

QAction *ReportPreview::action(const QString &name) const
{
    return m_toolBar->findChild<QAction *>(name);
}

QString ReportPreview::statusText() const
{
    return m_status->text();
}

void ReportPreview::setStatus(const QString &text)
{
    m_status->setText(text);
}

// Runs a page-by-page job under a progress dialog that counts the pages and
// offers to cancel; the event loop turns between pages.
PaintOutcome ReportPreview::withProgress(const QString &doing,
                                         const std::function<PaintOutcome(const PageProgress &)> &run)
{
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowTitle(m_title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButtonText(tr("Batal"));
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    const auto label = [&doing](int done, int total) {
        return tr("%1: halaman %2 dari %3").arg(doing).arg(done).arg(total);
    };
    progress.setLabelText(label(0, m_document.pageCount()));
    progress.show();
    QCoreApplication::processEvents();
    const PaintOutcome outcome = run([&](int done, int total) {
        if (progress.maximum() != total)
            progress.setRange(0, total);
        progress.setLabelText(label(done, total));
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.hide();
    return outcome;
}

PaintOutcome ReportPreview::print(QPrinter &printer)
{
    const QList<int> numbers = requestedPages(printer, m_document.pageCount());
    if (numbers.isEmpty())
        return PaintOutcome::Failed;
    return withProgress(tr("Mencetak"), [&](const PageProgress &progress) {
        return paintPages(m_document, printer, numbers, progress);
    });
}

bool ReportPreview::printTo(QPrinter &printer)
{
    return print(printer) == PaintOutcome::Done;
}

void ReportPreview::printClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, m_document, m_title);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("printDialog"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, std::max(1, m_document.pageCount()));
    if (dialog.exec() != QDialog::Accepted) {
        setStatus(tr("Pencetakan dibatalkan."));
        return;
    }
    switch (print(printer)) {
    case PaintOutcome::Done:
        setStatus(tr("Laporan telah dikirim ke printer."));
        return;
    case PaintOutcome::Cancelled:
        setStatus(tr("Pencetakan dibatalkan."));
        return;
    case PaintOutcome::Failed:
        setStatus(tr("Pencetakan gagal."));
        return;
    }
}

bool ReportPreview::saveAsPdf(const QString &filePath)
{
    const PaintOutcome outcome = withProgress(tr("Menyimpan PDF"), [&](const PageProgress &progress) {
        return renderToPdf(m_document, filePath, m_title, progress);
    });
    const QString shown = QDir::toNativeSeparators(filePath);
    switch (outcome) {
    case PaintOutcome::Done:
        setStatus(tr("Disimpan sebagai %1").arg(shown));
        return true;
    case PaintOutcome::Cancelled:
        setStatus(tr("Penyimpanan dibatalkan; %1 tidak ditulis.").arg(shown));
        return false;
    case PaintOutcome::Failed:
        break;
    }
    setStatus(tr("PDF tidak dapat disimpan: %1").arg(shown));
    return false;
}

bool ReportPreview::saveAsCsv(const QString &filePath)
{
    QSaveFile file(filePath);
    const bool saved = file.open(QIODevice::WriteOnly) && m_document.writeCsv(file) && file.commit();
    const QString shown = QDir::toNativeSeparators(filePath);
    setStatus(saved ? tr("Disimpan sebagai %1").arg(shown) : tr("CSV tidak dapat disimpan: %1").arg(shown));
    return saved;
}

QString ReportPreview::askFileName(const QString &caption, const QString &suffix, const QString &filter)
{
    const QString name = m_title.trimmed().isEmpty() ? QStringLiteral("laporan") : m_title.trimmed();
    const QString suggested = QDir::home().filePath(name + QLatin1Char('.') + suffix);
    QString path = QFileDialog::getSaveFileName(this, caption, suggested, filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    return path;
}

void ReportPreview::savePdfClicked()
{
    const QString path = askFileName(tr("Simpan sebagai PDF"), QStringLiteral("pdf"), tr("Dokumen PDF (*.pdf)"));
    if (!path.isEmpty())
        saveAsPdf(path);
}

void ReportPreview::saveCsvClicked()
{
    const QString path = askFileName(tr("Simpan sebagai CSV"), QStringLiteral("csv"), tr("Berkas CSV (*.csv)"));
    if (!path.isEmpty())
        saveAsCsv(path);
}

void ReportPreview::goToPage(int number)
{
    if (m_view->pageCount() == 0)
        return;
    m_view->setCurrentPage(number);
    updatePageNumber();
}

void ReportPreview::updatePageNumber()
{
    const QSignalBlocker blocker(m_pageNumber);
    m_pageNumber->setValue(m_view->currentPage());
    m_pageLabel->setText(tr(" dari %1 ").arg(m_view->pageCount()));
}

void ReportPreview::hideEvent(QHideEvent *event)
{
    Form::hideEvent(event);
    // A minimised window is hidden spontaneously; only the program's own
    // hiding (closing) ends the preview.
    if (!event->spontaneous())
        emit closed();
}

void setPreviewHook(PreviewHook hook)
{
    previewHook() = std::move(hook);
}

int showPreview(const Document &document, const QString &title)
{
    if (previewHook()) {
        previewHook()(document.pages(), title);
        return document.pageCount();
    }
    QPointer<ReportPreview> preview = new ReportPreview(document, title);
    QEventLoop loop;
    QObject::connect(preview, &ReportPreview::closed, &loop, &QEventLoop::quit);
    QObject::connect(preview, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Over a modal window a modeless preview would get no input: it joins the
    // modal stack instead.
    if (QApplication::activeModalWidget())
        preview->setWindowModality(Qt::ApplicationModal);
    preview->showModeless();
    loop.exec();
    if (preview)
        preview->deleteLater();
    return document.pageCount();
}

int showPreview(const QList<Page> &pages, const QString &title)
{
    return showPreview(Document::fromPages(pages), title);
}

int showPreview(const Layout &layout, const QString &title)
{
    return showPreview(Document(layout), title);
}

} // namespace report
