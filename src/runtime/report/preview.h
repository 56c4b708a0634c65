#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/layout.h"
#include "runtime/report/page.h"

#include <QList>
#include <QPrinter>
#include <QString>

#include <functional>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QToolBar;

namespace report {

// The print preview: the pages on screen with zoom and page navigation,
// printing on a chosen printer and saving as PDF. A top-level window of its
// own; the rest of the program stays usable while it is open.
class ReportPreview : public Form {
    Q_OBJECT
public:
    explicit ReportPreview(const QList<Page> &pages, const QString &title, QWidget *parent = nullptr);
    ~ReportPreview() override;

    const QList<Page> &pages() const { return m_pages; }
    QPrintPreviewWidget *view() const { return m_view; }
    QToolBar *toolBar() const { return m_toolBar; }
    QString statusText() const;
    // The toolbar's actions by objectName: fitWidth, fitPage, zoomIn, zoomOut,
    // singlePage, allPages, firstPage, prevPage, nextPage, lastPage, print,
    // savePdf, close.
    QAction *action(const QString &name) const;

    // What the toolbar's buttons do, past their dialogs.
    bool printTo(QPrinter &printer);
    bool saveAsPdf(const QString &filePath);

signals:
    // The window was closed (or hidden by the program).
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void buildToolBar();
    QAction *addAction(const QString &name, const QString &text, const QString &hint,
                       std::function<void()> handler);
    void paintPages(QPrinter *printer);
    void printClicked();
    void savePdfClicked();
    void goToPage(int number);
    void updatePageLabel();
    void setStatus(const QString &text);

    QList<Page> m_pages;
    QString m_title;
    QPrinter m_previewPrinter;
    QToolBar *m_toolBar = nullptr;
    QPrintPreviewWidget *m_view = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_status = nullptr;
};

// Tests install a hook that receives the pages instead of a window;
// nullptr removes it.
using PreviewHook = std::function<void(const QList<Page> &pages, const QString &title)>;
void setPreviewHook(PreviewHook hook);

// Shows the pages in a preview window and returns when the window is closed;
// the event loop keeps running meanwhile (timers, other windows). Opened
// while a modal window runs, the preview is modal itself, or it could not be
// used. Returns the number of pages.
int showPreview(const QList<Page> &pages, const QString &title);
// Paginates first; errors of the table layer propagate before any window shows.
int showPreview(const Layout &layout, const QString &title);

} // namespace report
