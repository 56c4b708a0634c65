#pragma once

#include "runtime/report/layout.h"
#include "runtime/report/page.h"

#include <QList>

namespace report {

// Lays the bands out on pages:
// - the page header on every page, the title once below it on the first page,
//   the column header at the top of every page's list;
// - the detail once per row of the layout's dataset, walked from its first
//   row to its last (it is left on its last row, see DatasetWalk), or exactly
//   once without a dataset; an inactive dataset is opened;
// - the summary once after the last detail;
// - the page footer at the bottom of every page, the last one included.
// A band's fill is an unnamed rectangle item before its elements, its frame
// another one after them.
// A detail or summary that no longer fits above the page footer starts a new
// page. There is always at least one page. Data fields read the current row
// of their own dataset; errors of the table layer propagate.
//
// Every page with all its items: for tests and small reports. The preview
// keeps a Document, which makes a page's items only when it is shown.
QList<Page> paginate(const Layout &layout);

} // namespace report
