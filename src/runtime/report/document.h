#pragma once

#include "runtime/report/layout.h"
#include "runtime/report/page.h"

#include <QList>
#include <QSizeF>
#include <QString>

#include <memory>

class QIODevice;

namespace report {

// A paginated report, kept small: for every page which bands stand where,
// and for every band only the values its data fields print. The items of a
// page are made when the page is asked for, from the layout, whose fonts
// and pictures all pages share. Copies share everything.
//
// A detail line that prints only fields of the walked dataset refers to its
// row by position: the walk passes the rows without reading them, and a row
// is read when its page is first made, by readAhead() in idle time, or, at
// the latest, when the walked dataset is about to change (an edit, an
// insertion, a move, a lookup, a refresh) - and is kept from then on, so
// that shown, printed and saved pages are the same. Rows still unread when
// the dataset closes print empty.
class Document {
public:
    Document();
    // Lays the layout out (see paginate()); errors of the table layer
    // propagate.
    explicit Document(const Layout &layout);
    // Pages made elsewhere, shown as they are.
    static Document fromPages(const QList<Page> &pages);

    int pageCount() const;
    // The page of that index (0-based), its items made now.
    Page page(int index) const;
    QList<Page> pages() const;
    QSizeF paperSize() const;
    // Reads detail rows not read yet, for about that many milliseconds;
    // true once every row is read.
    bool readAhead(qint64 budgetMs) const;

    // The detail lines as CSV (see Layout::csvColumns): a header line of the
    // headings, then one line per detail line in print order; amounts as
    // plain numbers, everything else as printed. UTF-8 with a byte order
    // mark, so that a spreadsheet knows the encoding; fields separated by
    // ';' where the regional decimal separator is a comma, by ',' otherwise.
    bool hasCsv() const;
    int csvLineCount() const;           // detail lines, without the header
    bool writeCsv(QIODevice &device) const;

    struct Data;

private:
    std::shared_ptr<const Data> d;
};

} // namespace report
