#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/document.h"
#include "runtime/report/layout.h"
#include "runtime/report/page.h"
#include "runtime/report/paint.h"

#include <QList>
#include <QPrinter>
#include <QString>
#include <QTimer>

#include <functional>

class QAction;
class QLabel;
class QSpinBox;
class QToolBar;

namespace report {

class PageView;

// The print preview: the pages on screen with zoom and page navigation,
// printing on a chosen printer and saving as PDF (and, for a list report,
// its detail lines as CSV). A top-level window of its own; the rest of the
// program stays usable while it is open. Printing and saving go page by
// page with a progress dialog that tells the page count and can cancel.
class ReportPreview : public Form {
    Q_OBJECT
public:
    ReportPreview(const Document &document, const QString &title, QWidget *parent = nullptr);
    ReportPreview(const QList<Page> &pages, const QString &title, QWidget *parent = nullptr);
    ~ReportPreview() override;

    const Document &document() const { return m_document; }
    PageView *view() const { return m_view; }
    QToolBar *toolBar() const { return m_toolBar; }
    // The page number box: typing a number and Enter goes to that page.
    QSpinBox *pageNumber() const { return m_pageNumber; }
    QString statusText() const;
    // The toolbar's actions by objectName: fitWidth, fitPage, zoomIn, zoomOut,
    // singlePage, allPages, firstPage, prevPage, nextPage, lastPage, print,
    // savePdf, saveCsv (shown only for a report with CSV columns), close.
    QAction *action(const QString &name) const;

    // What the toolbar's buttons do, past their file and print dialogs.
    // printTo() prints the printer's page range, or every page.
    bool printTo(QPrinter &printer);
    bool saveAsPdf(const QString &filePath);
    bool saveAsCsv(const QString &filePath);

signals:
    // The window was closed (or hidden by the program).
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void buildToolBar();
    QAction *addAction(const QString &name, const QString &text, const QString &hint,
                       std::function<void()> handler);
    PaintOutcome withProgress(const QString &doing, const std::function<PaintOutcome(const PageProgress &)> &run);
    PaintOutcome print(QPrinter &printer);
    void printClicked();
    void savePdfClicked();
    void saveCsvClicked();
    QString askFileName(const QString &caption, const QString &suffix, const QString &filter);
    void goToPage(int number);
    void updatePageNumber();
    void setStatus(const QString &text);

    Document m_document;
    QString m_title;
    QToolBar *m_toolBar = nullptr;
    PageView *m_view = nullptr;
    QSpinBox *m_pageNumber = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_status = nullptr;
    QTimer m_reading;                   // reads the report's rows in idle time
};

// Tests install a hook that receives the pages instead of a window;
// nullptr removes it.
using PreviewHook = std::function<void(const QList<Page> &pages, const QString &title)>;
void setPreviewHook(PreviewHook hook);

// Shows the pages in a preview window and returns when the window is closed;
// the event loop keeps running meanwhile (timers, other windows). Opened
// while a modal window runs, the preview is modal itself, or it could not be
// used. Returns the number of pages.
int showPreview(const Document &document, const QString &title);
int showPreview(const QList<Page> &pages, const QString &title);
// Paginates first; errors of the table layer propagate before any window shows.
int showPreview(const Layout &layout, const QString &title);

} // namespace report
