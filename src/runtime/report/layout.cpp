#include "runtime/report/layout.h"

#include <QGuiApplication>
#include <QPalette>

#include <stdexcept>

namespace report {

QSizeF PageSetup::paperSize() const
{
    if (orientation == Orientation::Landscape)
        return paper.transposed();
    return paper;
}

Frame Frame::all(const QColor &color, double width)
{
    return {true, true, true, true, color, width};
}

Frame Frame::topBottom(const QColor &color, double width)
{
    return {false, true, false, true, color, width};
}

Frame Frame::topOnly(const QColor &color, double width)
{
    return {false, true, false, false, color, width};
}

Element &Band::add(Element element)
{
    elements.append(std::move(element));
    return elements.last();
}

Element &Band::addText(double left, double top, const QString &caption, const FontStyle &font)
{
    Element e;
    e.kind = ElementKind::Text;
    e.left = left;
    e.top = top;
    e.caption = caption;
    e.font = font;
    return add(std::move(e));
}

Element &Band::addField(double left, double top, Dataset *dataset, const QString &fieldName,
                        const FontStyle &font)
{
    Element e;
    e.kind = ElementKind::DataField;
    e.left = left;
    e.top = top;
    e.dataset = dataset;
    e.fieldName = fieldName;
    e.font = font;
    return add(std::move(e));
}

Element &Band::addComputed(double left, double top, Computed what, const FontStyle &font)
{
    Element e;
    e.kind = ElementKind::Computed;
    e.left = left;
    e.top = top;
    e.computed = what;
    e.font = font;
    return add(std::move(e));
}

Element &Band::addLine(double left, double top, double length, Qt::Orientation orientation,
                       double thickness)
{
    Element e;
    e.kind = ElementKind::Line;
    e.left = left;
    e.top = top;
    e.length = length;
    e.orientation = orientation;
    e.thickness = thickness;
    return add(std::move(e));
}

Element &Band::addDoubleLine(double left, double top, double secondTop, double length,
                             double thickness)
{
    Element e;
    e.kind = ElementKind::DoubleLine;
    e.left = left;
    e.top = top;
    e.secondTop = secondTop;
    e.length = length;
    e.thickness = thickness;
    return add(std::move(e));
}

Element &Band::addRectangle(double left, double top, double width, double height,
                            const Frame &frame, const QColor &fill)
{
    Element e;
    e.kind = ElementKind::Rectangle;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.frame = frame;
    e.fill = fill;
    return add(std::move(e));
}

Element &Band::addPicture(double left, double top, double width, double height, const QImage &image)
{
    Element e;
    e.kind = ElementKind::Picture;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.image = image;
    return add(std::move(e));
}

Band &Layout::addBand(BandKind kind, double height, const Frame &frame, const QColor &fill)
{
    auto &slot = m_bands[static_cast<int>(kind)];
    slot.emplace();
    slot->kind = kind;
    slot->height = height;
    slot->frame = frame;
    slot->fill = fill;
    return *slot;
}

Band *Layout::band(BandKind kind)
{
    auto &slot = m_bands[static_cast<int>(kind)];
    return slot ? &*slot : nullptr;
}

const Band *Layout::band(BandKind kind) const
{
    const auto &slot = m_bands[static_cast<int>(kind)];
    return slot ? &*slot : nullptr;
}

void Layout::removeBand(BandKind kind)
{
    m_bands[static_cast<int>(kind)].reset();
}

Element *Layout::element(const QString &name)
{
    // Iterates non-const so that a list shared with a copy detaches first.
    for (auto &slot : m_bands) {
        if (!slot)
            continue;
        for (Element &e : slot->elements) {
            if (e.name == name)
                return &e;
        }
    }
    return nullptr;
}

const Element *Layout::element(const QString &name) const
{
    for (const auto &slot : m_bands) {
        if (!slot)
            continue;
        for (const Element &e : slot->elements) {
            if (e.name == name)
                return &e;
        }
    }
    return nullptr;
}

void Layout::setCaption(const QString &name, const QString &text)
{
    Element *e = element(name);
    if (!e)
        throw std::invalid_argument("report layout has no element " + name.toStdString());
    e->caption = text;
}

QString Layout::caption(const QString &name) const
{
    const Element *e = element(name);
    return e ? e->caption : QString();
}

QColor highlightColor()
{
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

QColor shadeColor()
{
    // The classic light grey of inactive window captions.
    return QColor(0xD4, 0xD0, 0xC8);
}

} // namespace report
