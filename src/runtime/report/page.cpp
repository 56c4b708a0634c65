#include "runtime/report/page.h"

#include "runtime/report/fonts.h"

namespace report {

QRectF Item::textRect() const
{
    const QSizeF size = measureText(text, font);
    double left = rect.left();
    if (alignment & Qt::AlignRight)
        left = rect.right() - size.width();
    else if (alignment & Qt::AlignHCenter)
        left = rect.left() + (rect.width() - size.width()) / 2;
    return {left, rect.top(), size.width(), size.height()};
}

const Item *Page::find(const QString &name) const
{
    for (const Item &item : items) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}

QList<const Item *> Page::findAll(const QString &name) const
{
    QList<const Item *> found;
    for (const Item &item : items) {
        if (item.name == name)
            found.append(&item);
    }
    return found;
}

QStringList Page::texts() const
{
    QStringList result;
    for (const Item &item : items) {
        if (item.kind == ItemKind::Text)
            result.append(item.text);
    }
    return result;
}

QList<PlacedBand> Page::bandsOf(BandKind kind) const
{
    QList<PlacedBand> result;
    for (const PlacedBand &band : bands) {
        if (band.kind == kind)
            result.append(band);
    }
    return result;
}

} // namespace report
