#pragma once

#include "runtime/report/page.h"

#include <QImage>
#include <QList>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;

namespace report {

// Draws a page at its true size on the painter's device, whose top-left is
// the paper's top-left: millimetres become device units through the device's
// logical resolution. Works for printers, PDF writers and images.
void paint(const Page &page, QPainter &painter);

class Document;

// Hears after each page painted (done of total); returns false to stop.
using PageProgress = std::function<bool(int done, int total)>;
enum class PaintOutcome { Done, Cancelled, Failed };

// Paints the pages of those numbers (1-based, in the order given) one after
// the other through paint(), each page made only when its turn comes. A
// cancelled run aborts a printer's job.
PaintOutcome paintPages(const Document &document, QPagedPaintDevice &device, const QList<int> &numbers,
                        const PageProgress &progress = {});
// 1..count.
QList<int> allPageNumbers(const Document &document);

// One PDF page (the pages' paper) per page, at 300 dpi, written to a
// temporary file that takes the file's name only when every page is in:
// a failed or cancelled run leaves nothing under that name.
PaintOutcome renderToPdf(const Document &document, const QString &filePath, const QString &title = {},
                         const PageProgress &progress = {});
// False when the file could not be written.
bool renderToPdf(const QList<Page> &pages, const QString &filePath, const QString &title = {});

// The page on a white image of the paper's size at the given resolution.
QImage renderToImage(const Page &page, int dpi = 96);
// The same at any scale, for a screen: device pixels per millimetre.
QImage renderToImage(const Page &page, double dotsPerMm, qreal devicePixelRatio);

} // namespace report
