#include "runtime/report/preview.h"

#include "runtime/report/paginate.h"
#include "runtime/report/paint.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHideEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
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
void configurePrinter(QPrinter &printer, const QList<Page> &pages, const QString &title)
{
    const QSizeF paper = pages.isEmpty() ? QSizeF(210.0, 297.0) : pages.first().paperSize;
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(paper, QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF()));
    printer.setDocName(title);
}

} // namespace

ReportPreview::ReportPreview(const QList<Page> &pages, const QString &title, QWidget *parent)
    : Form(QStringLiteral("ReportPreview"), parent)
    , m_pages(pages)
    , m_title(title)
    , m_previewPrinter(QPrinter::HighResolution)
{
    setWindowTitle(title);
    configurePrinter(m_previewPrinter, m_pages, m_title);

    m_view = new QPrintPreviewWidget(&m_previewPrinter, this);
    m_view->setObjectName(QStringLiteral("view"));
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paintPages);
    connect(m_view, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::updatePageLabel);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
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
    m_view->fitInView();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::buildToolBar()
{
    // What the operator came for first, so that it never ends up in the
    // toolbar's overflow on a narrow window.
    addAction(QStringLiteral("print"), tr("Cetak..."), tr("Cetak ke printer"), [this] { printClicked(); });
    addAction(QStringLiteral("savePdf"), tr("Simpan PDF..."), tr("Simpan sebagai berkas PDF"),
              [this] { savePdfClicked(); });
    addAction(QStringLiteral("close"), tr("Tutup"), tr("Tutup pratinjau"), [this] { close(); });
    m_toolBar->addSeparator();
    addAction(QStringLiteral("firstPage"), QStringLiteral("\u00AB"), tr("Halaman pertama"), [this] { goToPage(1); });
    addAction(QStringLiteral("prevPage"), QStringLiteral("\u2039"), tr("Halaman sebelumnya"),
              [this] { goToPage(m_view->currentPage() - 1); });
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

void ReportPreview::paintPages(QPrinter *printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return;
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        paint(m_pages[i], painter);
    }
}

bool ReportPreview::printTo(QPrinter &printer)
{
    int from = 1;
    int to = static_cast<int>(m_pages.size());
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(from, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (from > to)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int number = from; number <= to; ++number) {
        if (number > from && !printer.newPage())
            return false;
        paint(m_pages[number - 1], painter);
    }
    painter.end();
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

void ReportPreview::printClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, m_pages, m_title);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("printDialog"));
    dialog.setMinMax(1, static_cast<int>(std::max<qsizetype>(1, m_pages.size())));
    if (dialog.exec() != QDialog::Accepted) {
        setStatus(tr("Pencetakan dibatalkan."));
        return;
    }
    if (!printTo(printer)) {
        setStatus(tr("Pencetakan gagal."));
        return;
    }
    setStatus(tr("Laporan telah dikirim ke printer."));
}

bool ReportPreview::saveAsPdf(const QString &filePath)
{
    if (!renderToPdf(m_pages, filePath, m_title)) {
        setStatus(tr("PDF tidak dapat disimpan: %1").arg(QDir::toNativeSeparators(filePath)));
        return false;
    }
    setStatus(tr("Disimpan sebagai %1").arg(QDir::toNativeSeparators(filePath)));
    return true;
}

void ReportPreview::savePdfClicked()
{
    const QString suggested = QDir::home().filePath(m_title.trimmed().isEmpty()
                                                        ? QStringLiteral("laporan.pdf")
                                                        : m_title.trimmed() + QStringLiteral(".pdf"));
    QString path = QFileDialog::getSaveFileName(this, tr("Simpan sebagai PDF"), suggested,
                                                tr("Dokumen PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

void ReportPreview::goToPage(int number)
{
    const int count = m_view->pageCount();
    if (count == 0)
        return;
    m_view->setCurrentPage(std::clamp(number, 1, count));
    updatePageLabel();
}

void ReportPreview::updatePageLabel()
{
    m_pageLabel->setText(tr(" Halaman %1 dari %2 ").arg(m_view->currentPage()).arg(m_view->pageCount()));
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

int showPreview(const QList<Page> &pages, const QString &title)
{
    if (previewHook()) {
        previewHook()(pages, title);
        return static_cast<int>(pages.size());
    }
    QPointer<ReportPreview> preview = new ReportPreview(pages, title);
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
    return static_cast<int>(pages.size());
}

int showPreview(const Layout &layout, const QString &title)
{
    return showPreview(paginate(layout), title);
}

} // namespace report
