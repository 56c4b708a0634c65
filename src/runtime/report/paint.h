#pragma once

#include "runtime/report/page.h"

#include <QImage>
#include <QList>
#include <QString>

class QPainter;

namespace report {

// Draws a page at its true size on the painter's device, whose top-left is
// the paper's top-left: millimetres become device units through the device's
// logical resolution. Works for printers, PDF writers and images.
void paint(const Page &page, QPainter &painter);

// One A4 (the pages' paper) PDF page per page, at 300 dpi. False when the
// file could not be written.
bool renderToPdf(const QList<Page> &pages, const QString &filePath, const QString &title = {});

// The page on a white image of the paper's size at the given resolution.
QImage renderToImage(const Page &page, int dpi = 96);

} // namespace report
