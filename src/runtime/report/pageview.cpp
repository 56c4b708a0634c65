#include "runtime/report/pageview.h"

#include "runtime/report/paint.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double MmPerInch = 25.4;
constexpr int Gap = 12;                 // pixels around and between pages
constexpr qreal MinZoom = 0.05;
constexpr qreal MaxZoom = 8.0;
// Page pictures kept, in kilobytes: a few screens' worth.
constexpr int PictureBudgetKb = 64 * 1024;
// Pages made ahead on either side of those in view.
constexpr int Around = 2;

} // namespace

PageView::PageView(QWidget *parent) : QAbstractScrollArea(parent), m_pictures(PictureBudgetKb)
{
    setObjectName(QStringLiteral("view"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    m_prefetch.setSingleShot(true);
    m_prefetch.setInterval(0);
    connect(&m_prefetch, &QTimer::timeout, this, &PageView::prefetch);
}

void PageView::setDocument(const Document &document)
{
    m_document = document;
    m_pictures.clear();
    m_rendered = 0;
    m_painted = 0;
    m_current = 0;
    applyFit();
    setCurrentPage(1);
}

double PageView::dotsPerMm() const
{
    return m_zoom * logicalDpiX() / MmPerInch;
}

void PageView::applyFit()
{
    const QSizeF paper = m_document.paperSize();
    const double perMm = logicalDpiX() / MmPerInch;
    const double width = std::max(1, viewport()->width() - 2 * Gap);
    const double height = std::max(1, viewport()->height() - 2 * Gap);
    if (m_zoomMode == QPrintPreviewWidget::FitToWidth)
        m_zoom = width / (paper.width() * perMm);
    else if (m_zoomMode == QPrintPreviewWidget::FitInView)
        m_zoom = std::min(width / (paper.width() * perMm), height / (paper.height() * perMm));
    m_zoom = std::clamp(m_zoom, MinZoom, MaxZoom);
}

PageView::Grid PageView::grid() const
{
    Grid g;
    const QSizeF paper = m_document.paperSize();
    g.pageWidth = std::round(paper.width() * dotsPerMm());
    g.pageHeight = std::round(paper.height() * dotsPerMm());
    const int count = pageCount();
    if (m_viewMode == QPrintPreviewWidget::AllPagesView) {
        if (m_zoomMode != QPrintPreviewWidget::FitToWidth)
            g.columns = std::max(1, int((viewport()->width() - Gap) / (g.pageWidth + Gap)));
        g.columns = std::clamp(g.columns, 1, std::max(1, count));
        g.rows = (count + g.columns - 1) / g.columns;
    } else {
        g.rows = count > 0 ? 1 : 0;
    }
    g.contentWidth = g.columns * (g.pageWidth + Gap) + Gap;
    g.contentHeight = g.rows * (g.pageHeight + Gap) + Gap;
    return g;
}

QRectF PageView::pageRect(int index, const Grid &g) const
{
    int row = 0;
    int column = 0;
    if (m_viewMode == QPrintPreviewWidget::AllPagesView) {
        row = index / g.columns;
        column = index % g.columns;
    }
    return {Gap + column * (g.pageWidth + Gap), Gap + row * (g.pageHeight + Gap), g.pageWidth, g.pageHeight};
}

// Where the content's origin lies in the viewport: scrolled, or centred
// while it is smaller than the viewport.
QPoint PageView::contentOffset(const Grid &g) const
{
    const QSize view = viewport()->size();
    const int x = g.contentWidth < view.width() ? int((view.width() - g.contentWidth) / 2)
                                                : -horizontalScrollBar()->value();
    const int y = g.contentHeight < view.height() ? int((view.height() - g.contentHeight) / 2)
                                                  : -verticalScrollBar()->value();
    return {x, y};
}

void PageView::relayout()
{
    const Grid g = grid();
    const QSize view = viewport()->size();
    m_scrolling = true;
    verticalScrollBar()->setRange(0, std::max(0, int(g.contentHeight) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(std::max(20, int(g.pageHeight) / 20));
    horizontalScrollBar()->setRange(0, std::max(0, int(g.contentWidth) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    m_scrolling = false;
    viewport()->update();
}

void PageView::scrollToPage(int index)
{
    const Grid g = grid();
    m_scrolling = true;
    verticalScrollBar()->setValue(m_viewMode == QPrintPreviewWidget::AllPagesView
                                      ? int(pageRect(index, g).top()) - Gap
                                      : 0);
    m_scrolling = false;
    viewport()->update();
}

void PageView::setCurrent(int number)
{
    if (number == m_current)
        return;
    m_current = number;
    emit currentPageChanged(number);
}

void PageView::setCurrentPage(int number)
{
    const int count = pageCount();
    if (count == 0) {
        setCurrent(0);
        relayout();
        return;
    }
    setCurrent(std::clamp(number, 1, count));
    relayout();
    scrollToPage(m_current - 1);
}

void PageView::updateCurrentFromScroll()
{
    if (m_scrolling || m_viewMode != QPrintPreviewWidget::AllPagesView || pageCount() == 0)
        return;
    const Grid g = grid();
    // The row that holds the upper part of the viewport.
    const double probe = verticalScrollBar()->value() + std::min<double>(viewport()->height(), g.pageHeight) / 2;
    const int row = std::clamp(int((probe - Gap / 2.0) / (g.pageHeight + Gap)), 0, g.rows - 1);
    if ((m_current - 1) / g.columns == row)
        return;
    setCurrent(std::min(row * g.columns + 1, pageCount()));
}

void PageView::setZoomFactor(qreal factor)
{
    m_zoomMode = QPrintPreviewWidget::CustomZoom;
    const qreal zoom = std::clamp(factor, MinZoom, MaxZoom);
    if (zoom != m_zoom)
        m_pictures.clear();
    m_zoom = zoom;
    relayout();
    scrollToPage(std::max(m_current, 1) - 1);
}

void PageView::zoomIn(qreal factor)
{
    setZoomFactor(m_zoom * factor);
}

void PageView::zoomOut(qreal factor)
{
    setZoomFactor(m_zoom / factor);
}

void PageView::fitToWidth()
{
    fitWith(QPrintPreviewWidget::FitToWidth);
}

void PageView::fitInView()
{
    fitWith(QPrintPreviewWidget::FitInView);
}

void PageView::fitWith(QPrintPreviewWidget::ZoomMode mode)
{
    m_zoomMode = mode;
    refit();
    relayout();
    scrollToPage(std::max(m_current, 1) - 1);
}

// Pictures made at another zoom are made again.
void PageView::refit()
{
    const qreal before = m_zoom;
    applyFit();
    if (before != m_zoom)
        m_pictures.clear();
}

void PageView::setSinglePageViewMode()
{
    m_viewMode = QPrintPreviewWidget::SinglePageView;
    relayout();
    scrollToPage(std::max(m_current, 1) - 1);
}

void PageView::setAllPagesViewMode()
{
    m_viewMode = QPrintPreviewWidget::AllPagesView;
    relayout();
    scrollToPage(std::max(m_current, 1) - 1);
}

QList<int> PageView::pagesInView() const
{
    QList<int> shown;
    const int count = pageCount();
    if (count == 0)
        return shown;
    if (m_viewMode == QPrintPreviewWidget::SinglePageView) {
        shown << m_current;
        return shown;
    }
    const Grid g = grid();
    const QPoint offset = contentOffset(g);
    const double top = -offset.y();
    const double bottom = top + viewport()->height();
    const double rowHeight = g.pageHeight + Gap;
    const int firstRow = std::clamp(int((top - Gap) / rowHeight), 0, g.rows - 1);
    const int lastRow = std::clamp(int(bottom / rowHeight), 0, g.rows - 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < g.columns; ++column) {
            const int index = row * g.columns + column;
            if (index >= count)
                break;
            const QRectF rect = pageRect(index, g);
            if (rect.bottom() > top && rect.top() < bottom)
                shown << index + 1;
        }
    }
    return shown;
}

const QImage &PageView::picture(int index)
{
    if (const QImage *cached = m_pictures.object(index))
        return *cached;
    const qreal ratio = viewport()->devicePixelRatioF();
    auto *image = new QImage(renderToImage(m_document.page(index), dotsPerMm(), ratio));
    ++m_rendered;
    const int kilobytes = std::max<qsizetype>(1, image->sizeInBytes() / 1024);
    // A picture larger than the whole budget is still shown, just not kept.
    if (kilobytes > m_pictures.maxCost()) {
        m_blank = *image;
        delete image;
        return m_blank;
    }
    m_pictures.insert(index, image, int(kilobytes));
    return *m_pictures.object(index);
}

void PageView::paintEvent(QPaintEvent *)
{
    const QList<int> shown = pagesInView();
    if (shown.isEmpty())
        return;
    QPainter painter(viewport());
    const Grid g = grid();
    const QPoint offset = contentOffset(g);
    for (int number : shown) {
        const QRectF rect = pageRect(number - 1, g).translated(offset);
        painter.fillRect(rect.translated(3, 3), palette().color(QPalette::Shadow));
        // Copied: making the next picture may push this one out of the cache.
        const QImage image = picture(number - 1);
        painter.drawImage(rect, image);
        ++m_painted;
    }
    painter.end();
    m_prefetch.start();
    emit pagesPainted();
}

// Makes the pictures of the pages next to those in view, one per turn of the
// event loop, so that the next page is there at once.
void PageView::prefetch()
{
    const QList<int> shown = pagesInView();
    if (shown.isEmpty())
        return;
    const int count = pageCount();
    for (int distance = 1; distance <= Around; ++distance) {
        for (int number : {shown.last() + distance, shown.first() - distance}) {
            if (number < 1 || number > count || m_pictures.contains(number - 1))
                continue;
            picture(number - 1);
            m_prefetch.start();
            return;
        }
    }
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_zoomMode != QPrintPreviewWidget::CustomZoom)
        refit();
    relayout();
    scrollToPage(std::max(m_current, 1) - 1);
}

void PageView::scrollContentsBy(int, int)
{
    updateCurrentFromScroll();
    viewport()->update();
}

void PageView::keyPressEvent(QKeyEvent *event)
{
    const bool single = m_viewMode == QPrintPreviewWidget::SinglePageView;
    switch (event->key()) {
    case Qt::Key_PageDown:
        if (single) {
            setCurrentPage(m_current + 1);
            return;
        }
        break;
    case Qt::Key_PageUp:
        if (single) {
            setCurrentPage(m_current - 1);
            return;
        }
        break;
    case Qt::Key_Home:
        if (single || event->modifiers() & Qt::ControlModifier) {
            setCurrentPage(1);
            return;
        }
        break;
    case Qt::Key_End:
        if (single || event->modifiers() & Qt::ControlModifier) {
            setCurrentPage(pageCount());
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

} // namespace report
