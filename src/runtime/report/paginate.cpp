#include "runtime/report/paginate.h"

#include "runtime/db/dataset.h"
#include "runtime/db/field.h"
#include "runtime/regional.h"
#include "runtime/report/fonts.h"

#include <QHash>

#include <stdexcept>

namespace report {

namespace {

// Bands are placed by adding millimetres; a band that ends exactly on the
// limit must still fit.
constexpr double Epsilon = 1e-6;

// A data field prints its dataset's current row; an empty field, or a
// dataset that is closed or has no row, prints nothing. A field name the
// dataset lacks fails, unless the element was marked to print blank then.
QString fieldText(const Element &element)
{
    if (!element.dataset)
        throw std::logic_error("report field " + element.fieldName.toStdString() + " has no dataset");
    Dataset *dataset = element.dataset;
    if (!dataset->isActive())
        return {};
    if (element.blankWhenMissing && !dataset->findField(element.fieldName))
        return {};
    const Field *field = dataset->fieldByName(element.fieldName);
    if (dataset->isEmpty() && !dataset->isEditing())
        return {};
    if (field->isNull())
        return {};
    return element.formatter ? element.formatter(*field) : field->displayText();
}

class Paginator {
public:
    explicit Paginator(const Layout &layout) : m_layout(layout) {}
    QList<Page> run();

private:
    void walkDetails();
    void startPage(bool first);
    void finishPage();
    void place(const Band *band);
    void placeFlowing(const Band *band);
    void placeAt(const Band &band, double top);
    void addElement(const Element &element, const QPointF &origin, BandKind kind);
    void addText(const Element &element, const QPointF &origin, BandKind kind);
    void addLine(const Element &element, const QRectF &rect, BandKind kind);
    QString textOf(const Element &element) const;
    QString computedText(Computed what) const;
    struct ElementFont {
        QFont font;
        const TextMeasure *measure = nullptr;
    };
    const ElementFont &fontOf(const Element &element);
    double listLimit() const;

    const Layout &m_layout;
    QList<Page> m_pages;
    Page m_page;
    double m_y = 0.0;
    double m_listTop = 0.0;             // where the page's list begins
    int m_lines = 0;                    // detail lines printed so far
    QString m_date;
    QHash<const Element *, ElementFont> m_fonts;
};

QList<Page> Paginator::run()
{
    m_date = regional::todayShortDate();
    startPage(true);
    walkDetails();
    placeFlowing(m_layout.band(BandKind::Summary));
    finishPage();
    return m_pages;
}

void Paginator::walkDetails()
{
    const Band *detail = m_layout.band(BandKind::Detail);
    Dataset *dataset = m_layout.dataset;
    if (!dataset) {
        if (detail) {
            ++m_lines;
            placeFlowing(detail);
        }
        return;
    }
    if (!dataset->isActive())
        dataset->open();
    for (dataset->first(); !dataset->eof(); dataset->next()) {
        ++m_lines;
        placeFlowing(detail);
    }
}

void Paginator::startPage(bool first)
{
    const PageSetup &setup = m_layout.page;
    m_page = Page();
    m_page.number = static_cast<int>(m_pages.size()) + 1;
    m_page.paperSize = setup.paperSize();
    m_y = setup.margins.top();
    place(m_layout.band(BandKind::PageHeader));
    if (first)
        place(m_layout.band(BandKind::Title));
    place(m_layout.band(BandKind::ColumnHeader));
    m_listTop = m_y;
}

void Paginator::finishPage()
{
    if (const Band *footer = m_layout.band(BandKind::PageFooter)) {
        const double top = m_page.paperSize.height() - m_layout.page.margins.bottom() - footer->height;
        placeAt(*footer, top);
    }
    m_pages.append(m_page);
}

double Paginator::listLimit() const
{
    double limit = m_page.paperSize.height() - m_layout.page.margins.bottom();
    if (const Band *footer = m_layout.band(BandKind::PageFooter))
        limit -= footer->height;
    return limit;
}

void Paginator::place(const Band *band)
{
    if (!band)
        return;
    placeAt(*band, m_y);
    m_y += band->height;
}

void Paginator::placeFlowing(const Band *band)
{
    if (!band)
        return;
    const bool fits = m_y + band->height <= listLimit() + Epsilon;
    // A band taller than an empty page's list stays where it is rather than
    // pushing blank pages out forever.
    if (!fits && m_y > m_listTop + Epsilon) {
        finishPage();
        startPage(false);
    }
    place(band);
}

void Paginator::placeAt(const Band &band, double top)
{
    const PageSetup &setup = m_layout.page;
    const QRectF rect(setup.margins.left(), top, setup.contentWidth(), band.height);
    m_page.bands.append({band.kind, rect, band.kind == BandKind::Detail ? m_lines : 0});
    Item background;
    background.kind = ItemKind::Rectangle;
    background.band = band.kind;
    background.rect = rect;
    if (band.fill.isValid()) {
        background.fill = band.fill;
        m_page.items.append(background);
    }
    for (const Element &element : band.elements)
        addElement(element, rect.topLeft(), band.kind);
    // The frame goes on top, so that a picture at the band's edge (a logo
    // at its top) does not cut the box open.
    if (!band.frame.isEmpty()) {
        background.fill = QColor();
        background.frame = band.frame;
        m_page.items.append(background);
    }
}

void Paginator::addElement(const Element &element, const QPointF &origin, BandKind kind)
{
    const QPointF at = origin + QPointF(element.left, element.top);
    switch (element.kind) {
    case ElementKind::Text:
    case ElementKind::DataField:
    case ElementKind::Computed:
        addText(element, origin, kind);
        return;
    case ElementKind::Line: {
        const bool horizontal = element.orientation == Qt::Horizontal;
        const QSizeF size = horizontal ? QSizeF(element.length, element.thickness)
                                       : QSizeF(element.thickness, element.length);
        addLine(element, QRectF(at, size), kind);
        return;
    }
    case ElementKind::DoubleLine:
        addLine(element, QRectF(at, QSizeF(element.length, element.thickness)), kind);
        addLine(element, QRectF(QPointF(at.x(), origin.y() + element.secondTop),
                                QSizeF(element.length, element.thickness)), kind);
        return;
    case ElementKind::Rectangle:
    case ElementKind::Picture: {
        Item item;
        item.kind = element.kind == ElementKind::Picture ? ItemKind::Picture : ItemKind::Rectangle;
        item.band = kind;
        item.name = element.name;
        item.rect = QRectF(at, QSizeF(element.width, element.height));
        item.fill = element.fill;
        item.frame = element.frame;
        item.image = element.image;
        m_page.items.append(item);
        return;
    }
    }
}

void Paginator::addText(const Element &element, const QPointF &origin, BandKind kind)
{
    Item item;
    item.kind = ItemKind::Text;
    item.band = kind;
    item.name = element.name;
    item.text = textOf(element);
    const ElementFont &font = fontOf(element);
    item.font = font.font;
    item.color = element.color;
    item.alignment = element.alignment;
    const QSizeF measured = font.measure->size(item.text);
    const double width = element.width > 0.0 ? element.width : measured.width();
    item.rect = QRectF(origin.x() + element.left, origin.y() + element.top, width, measured.height());
    m_page.items.append(item);
}

void Paginator::addLine(const Element &element, const QRectF &rect, BandKind kind)
{
    Item item;
    item.kind = ItemKind::Line;
    item.band = kind;
    item.name = element.name;
    item.rect = rect;
    item.color = element.color;
    m_page.items.append(item);
}

const Paginator::ElementFont &Paginator::fontOf(const Element &element)
{
    auto it = m_fonts.find(&element);
    if (it == m_fonts.end()) {
        const QFont font = reportFont(element.font);
        it = m_fonts.insert(&element, {font, &textMeasure(font)});
    }
    return *it;
}

QString Paginator::textOf(const Element &element) const
{
    switch (element.kind) {
    case ElementKind::DataField:
        return fieldText(element);
    case ElementKind::Computed:
        return computedText(element.computed);
    default:
        return element.caption;
    }
}

QString Paginator::computedText(Computed what) const
{
    switch (what) {
    case Computed::LineNumber:
    case Computed::DetailCount:
        return QString::number(m_lines);
    case Computed::PageNumber:
        return QString::number(m_page.number);
    case Computed::PrintDate:
        return m_date;
    }
    return {};
}

} // namespace

QList<Page> paginate(const Layout &layout)
{
    return Paginator(layout).run();
}

} // namespace report
