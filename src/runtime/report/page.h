#pragma once

#include "runtime/report/layout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace report {

enum class ItemKind {
    Text,       // text in font and colour, aligned in rect
    Line,       // rect filled with colour (a rule of the rect's thickness)
    Rectangle,  // optional fill, frame sides inside the rect
    Picture,    // image stretched into rect
};

// One positioned thing on a page. Rects are millimetres from the paper's
// top-left corner, margins already applied.
struct Item {
    ItemKind kind = ItemKind::Text;
    BandKind band = BandKind::Detail;
    QString name;                       // the element's name, if it had one
    QRectF rect;
    QString text;
    QFont font;
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft;
    QColor fill;                        // Rectangle: invalid = not filled
    Frame frame;                        // Rectangle
    QImage image;                       // Picture (implicitly shared)

    // Text: where the text itself stands within rect, by its alignment, as
    // wide as the font's advances and as high as its line.
    QRectF textRect() const;
};

// Where a band was printed, for whoever needs the page's structure.
struct PlacedBand {
    BandKind kind = BandKind::Detail;
    QRectF rect;                        // mm on the paper
    int lineNumber = 0;                 // Detail: its running number
};

struct Page {
    int number = 1;
    QSizeF paperSize{210.0, 297.0};
    QList<PlacedBand> bands;
    QList<Item> items;

    // The first item made from the element of that name, or nullptr.
    const Item *find(const QString &name) const;
    // Every item made from the element of that name, in print order.
    QList<const Item *> findAll(const QString &name) const;
    // The texts of the page's text items, in print order.
    QStringList texts() const;
    QList<PlacedBand> bandsOf(BandKind kind) const;
};

} // namespace report
