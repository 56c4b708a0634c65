#pragma once

#include "runtime/report/document.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QPrintPreviewWidget>
#include <QTimer>

namespace report {

// The pages of a document on screen. Only the pages in view are made and
// painted, and a few around them in idle time; their pictures are kept
// while they fit into a bounded cache, so a report of thousands of pages
// opens and pages as fast as a single one.
//
// Zoom and view modes use the print preview's own names: one page shows the
// current page alone, all pages shows every page in a column (or, zoomed
// out far enough, in rows of several).
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    using ZoomMode = QPrintPreviewWidget::ZoomMode;
    using ViewMode = QPrintPreviewWidget::ViewMode;

    explicit PageView(QWidget *parent = nullptr);

    void setDocument(const Document &document);
    const Document &document() const { return m_document; }
    int pageCount() const { return m_document.pageCount(); }

    // 1-based; 0 without pages.
    int currentPage() const { return m_current; }
    void setCurrentPage(int number);

    qreal zoomFactor() const { return m_zoom; }
    ZoomMode zoomMode() const { return m_zoomMode; }
    void setZoomFactor(qreal factor);
    void zoomIn(qreal factor = 1.25);
    void zoomOut(qreal factor = 1.25);
    void fitToWidth();
    void fitInView();

    ViewMode viewMode() const { return m_viewMode; }
    void setSinglePageViewMode();
    void setAllPagesViewMode();

    // The pages (1-based) that the viewport shows now.
    QList<int> pagesInView() const;
    // How many page pictures were made since the document was set: a
    // document of any size makes only the few it shows.
    int renderedPageCount() const { return m_rendered; }
    // Pages painted onto the screen, counted over every paint.
    int paintedPageCount() const { return m_painted; }

signals:
    void currentPageChanged(int number);
    // After a paint that showed pages.
    void pagesPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Grid {
        double pageWidth = 0;       // device-independent pixels
        double pageHeight = 0;
        int columns = 1;
        int rows = 0;
        double contentWidth = 0;
        double contentHeight = 0;
    };

    double dotsPerMm() const;       // at the current zoom
    void applyFit();
    void fitWith(QPrintPreviewWidget::ZoomMode mode);
    void refit();
    void relayout();
    Grid grid() const;
    QRectF pageRect(int index, const Grid &layout) const;   // content coordinates
    QPoint contentOffset(const Grid &layout) const;
    const QImage &picture(int index);
    void scrollToPage(int index);
    void updateCurrentFromScroll();
    void setCurrent(int number);
    void prefetch();

    Document m_document;
    int m_current = 0;
    qreal m_zoom = 1.0;
    ZoomMode m_zoomMode = QPrintPreviewWidget::FitInView;
    ViewMode m_viewMode = QPrintPreviewWidget::AllPagesView;
    bool m_scrolling = false;       // our own scrolling: the current page stays
    int m_rendered = 0;
    int m_painted = 0;
    QCache<int, QImage> m_pictures;
    QImage m_blank;
    QTimer m_prefetch;
};

} // namespace report
