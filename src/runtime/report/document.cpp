#include "runtime/report/document.h"

#include "runtime/db/dataset.h"
#include "runtime/db/field.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/regional.h"
#include "runtime/report/fonts.h"

#include <QHash>
#include <QIODevice>

#include <array>
#include <stdexcept>
#include <vector>

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

// Where the text of an element comes from.
enum class Source : quint8 {
    None,       // not a text: lines, boxes, pictures
    Caption,    // the layout's caption
    Computed,   // line number, page number, date: from the band's place
    Value,      // a field of the walked dataset: its value, formatted when shown
    Text,       // anything else that reads a dataset: its text as printed then
};

struct ElementPlan {
    Source source = Source::None;
    int slot = -1;                      // Value, Text: among the band's captured values
    Field format{nullptr, FieldDef(), -1};  // Value: shows a value as the field does
    QFont font;
    const TextMeasure *measure = nullptr;
};

struct BandPlan {
    std::vector<ElementPlan> elements;
    int captured = 0;
};

// A band on a page: where, after how many detail lines, and where its
// captured values begin.
struct BandSpot {
    BandKind kind;
    int lines;
    double top;
    qsizetype firstValue;
};

struct PageBands {
    qsizetype first;
    qsizetype count;
};

} // namespace

struct Document::Data {
    Layout layout;
    QSizeF paper{210.0, 297.0};
    QString date;
    std::array<BandPlan, BandKindCount> plans;
    std::vector<BandSpot> bands;
    std::vector<PageBands> pages;
    std::vector<QVariant> values;
    bool prebuilt = false;
    QList<Page> built;

    const BandPlan &plan(BandKind kind) const { return plans[static_cast<int>(kind)]; }
    Page page(int index) const;
    void place(Page &page, const BandSpot &placed) const;
    void addElement(Page &page, const Element &element, const ElementPlan &plan, const QPointF &origin,
                    const BandSpot &placed) const;
    QString text(const Element &element, const ElementPlan &plan, const BandSpot &placed, int pageNumber) const;
    QString csvText(const Element &element, const ElementPlan &plan, const BandSpot &placed, int pageNumber) const;
};

namespace {

// Walks the layout's dataset once and records, band by band, where each
// band stands and what its data fields read; nothing is measured or made
// into items here.
class Paginator {
public:
    explicit Paginator(Document::Data &data) : d(data), m_layout(data.layout) {}
    void run();

private:
    void plan();
    bool walksQuietly() const;
    void walkDetails();
    void startPage(bool first);
    void finishPage();
    void place(const Band *band);
    void placeFlowing(const Band *band);
    void placeAt(const Band &band, double top);
    double listLimit() const;

    Document::Data &d;
    const Layout &m_layout;
    // Per band kind and captured value: the field read while walking, or
    // nullptr where the element's whole text is taken.
    std::array<std::vector<const Field *>, BandKindCount> m_reads;
    qsizetype m_pageFirst = 0;
    double m_y = 0.0;
    double m_listTop = 0.0;             // where the page's list begins
    int m_lines = 0;                    // detail lines printed so far
};

void Paginator::run()
{
    d.date = regional::todayShortDate();
    d.paper = m_layout.page.paperSize();
    plan();
    startPage(true);
    walkDetails();
    placeFlowing(m_layout.band(BandKind::Summary));
    finishPage();
}

void Paginator::plan()
{
    QHash<QString, QFont> fonts;
    for (int k = 0; k < BandKindCount; ++k) {
        const Band *band = m_layout.band(static_cast<BandKind>(k));
        if (!band)
            continue;
        BandPlan &bandPlan = d.plans[k];
        for (const Element &element : band->elements) {
            ElementPlan plan;
            switch (element.kind) {
            case ElementKind::Text:
                plan.source = Source::Caption;
                break;
            case ElementKind::Computed:
                plan.source = Source::Computed;
                break;
            case ElementKind::DataField: {
                const Field *field = element.dataset && element.dataset == m_layout.dataset && !element.formatter
                                         ? element.dataset->findField(element.fieldName)
                                         : nullptr;
                plan.source = field ? Source::Value : Source::Text;
                plan.slot = bandPlan.captured++;
                if (field)
                    plan.format = Field(nullptr, field->def(), field->index());
                m_reads[k].push_back(field);
                break;
            }
            default:
                break;
            }
            if (plan.source != Source::None) {
                // One font object per style, shared by every item made from it.
                const FontStyle &style = element.font;
                const QString key = QStringLiteral("%1/%2/%3/%4")
                                        .arg(style.family).arg(style.pointSize).arg(style.bold).arg(style.underline);
                auto it = fonts.find(key);
                if (it == fonts.end())
                    it = fonts.insert(key, reportFont(style));
                plan.font = *it;
                plan.measure = &textMeasure(plan.font);
            }
            bandPlan.elements.push_back(std::move(plan));
        }
    }
}

// The walked dataset may be stepped without telling anybody only when no
// element prints another dataset, which could be a detail that must follow.
bool Paginator::walksQuietly() const
{
    for (int k = 0; k < BandKindCount; ++k) {
        const Band *band = m_layout.band(static_cast<BandKind>(k));
        if (!band)
            continue;
        for (const Element &element : band->elements) {
            if (element.kind == ElementKind::DataField && element.dataset != m_layout.dataset)
                return false;
        }
    }
    return true;
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
    DatasetWalk walk(*dataset, walksQuietly() ? DatasetWalk::Mode::Quiet : DatasetWalk::Mode::Loud);
    for (; !walk.atEnd(); walk.next()) {
        ++m_lines;
        placeFlowing(detail);
    }
    walk.finish();
}

void Paginator::startPage(bool first)
{
    m_pageFirst = qsizetype(d.bands.size());
    m_y = m_layout.page.margins.top();
    place(m_layout.band(BandKind::PageHeader));
    if (first)
        place(m_layout.band(BandKind::Title));
    place(m_layout.band(BandKind::ColumnHeader));
    m_listTop = m_y;
}

void Paginator::finishPage()
{
    if (const Band *footer = m_layout.band(BandKind::PageFooter))
        placeAt(*footer, d.paper.height() - m_layout.page.margins.bottom() - footer->height);
    d.pages.push_back({m_pageFirst, qsizetype(d.bands.size()) - m_pageFirst});
}

double Paginator::listLimit() const
{
    double limit = d.paper.height() - m_layout.page.margins.bottom();
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
    const int k = static_cast<int>(band.kind);
    d.bands.push_back({band.kind, m_lines, top, qsizetype(d.values.size())});
    const std::vector<const Field *> &reads = m_reads[k];
    if (reads.empty())
        return;
    const BandPlan &bandPlan = d.plans[k];
    qsizetype e = 0;
    for (const Field *field : reads) {
        while (bandPlan.elements[e].slot < 0)
            ++e;
        d.values.push_back(field ? field->value() : QVariant(fieldText(band.elements[e])));
        ++e;
    }
}

QString csvField(const QString &text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

Page Document::Data::page(int index) const
{
    if (prebuilt)
        return built.at(index);
    Page page;
    page.number = index + 1;
    page.paperSize = paper;
    const PageBands &range = pages.at(index);
    for (qsizetype i = range.first; i < range.first + range.count; ++i)
        place(page, bands[i]);
    return page;
}

// A band's fill is an unnamed rectangle item before its elements, its frame
// another one after them.
void Document::Data::place(Page &page, const BandSpot &placed) const
{
    const Band &band = *layout.band(placed.kind);
    const PageSetup &setup = layout.page;
    const QRectF rect(setup.margins.left(), placed.top, setup.contentWidth(), band.height);
    page.bands.append({band.kind, rect, band.kind == BandKind::Detail ? placed.lines : 0});
    Item background;
    background.kind = ItemKind::Rectangle;
    background.band = band.kind;
    background.rect = rect;
    if (band.fill.isValid()) {
        background.fill = band.fill;
        page.items.append(background);
    }
    const BandPlan &bandPlan = plan(band.kind);
    for (qsizetype e = 0; e < band.elements.size(); ++e)
        addElement(page, band.elements[e], bandPlan.elements[e], rect.topLeft(), placed);
    // The frame goes on top, so that a picture at the band's edge (a logo
    // at its top) does not cut the box open.
    if (!band.frame.isEmpty()) {
        background.fill = QColor();
        background.frame = band.frame;
        page.items.append(background);
    }
}

void Document::Data::addElement(Page &page, const Element &element, const ElementPlan &plan, const QPointF &origin,
                                const BandSpot &placed) const
{
    Item item;
    item.band = placed.kind;
    item.name = element.name;
    item.color = element.color;
    const QPointF at = origin + QPointF(element.left, element.top);
    const auto addLine = [&](const QRectF &rect) {
        item.kind = ItemKind::Line;
        item.rect = rect;
        page.items.append(item);
    };
    switch (element.kind) {
    case ElementKind::Text:
    case ElementKind::DataField:
    case ElementKind::Computed: {
        item.kind = ItemKind::Text;
        item.text = text(element, plan, placed, page.number);
        item.font = plan.font;
        item.alignment = element.alignment;
        const QSizeF measured = plan.measure->size(item.text);
        const double width = element.width > 0.0 ? element.width : measured.width();
        item.rect = QRectF(at.x(), at.y(), width, measured.height());
        page.items.append(item);
        return;
    }
    case ElementKind::Line: {
        const bool horizontal = element.orientation == Qt::Horizontal;
        addLine(QRectF(at, horizontal ? QSizeF(element.length, element.thickness)
                                      : QSizeF(element.thickness, element.length)));
        return;
    }
    case ElementKind::DoubleLine:
        addLine(QRectF(at, QSizeF(element.length, element.thickness)));
        addLine(QRectF(QPointF(at.x(), origin.y() + element.secondTop), QSizeF(element.length, element.thickness)));
        return;
    case ElementKind::Rectangle:
    case ElementKind::Picture:
        item.kind = element.kind == ElementKind::Picture ? ItemKind::Picture : ItemKind::Rectangle;
        item.color = Qt::black;
        item.rect = QRectF(at, QSizeF(element.width, element.height));
        item.fill = element.fill;
        item.frame = element.frame;
        item.image = element.image;
        page.items.append(item);
        return;
    }
}

QString Document::Data::text(const Element &element, const ElementPlan &plan, const BandSpot &placed,
                             int pageNumber) const
{
    switch (plan.source) {
    case Source::Caption:
        return element.caption;
    case Source::Computed:
        switch (element.computed) {
        case Computed::LineNumber:
        case Computed::DetailCount:
            return QString::number(placed.lines);
        case Computed::PageNumber:
            return QString::number(pageNumber);
        case Computed::PrintDate:
            return date;
        }
        return {};
    case Source::Value:
        return plan.format.format(values[placed.firstValue + plan.slot], true);
    case Source::Text:
        return values[placed.firstValue + plan.slot].toString();
    case Source::None:
        break;
    }
    return {};
}

QString Document::Data::csvText(const Element &element, const ElementPlan &plan, const BandSpot &placed,
                                int pageNumber) const
{
    if (plan.source == Source::Value && plan.format.type() == FieldType::Money)
        return plan.format.format(values[placed.firstValue + plan.slot], false);
    return text(element, plan, placed, pageNumber);
}

Document::Document() : d(std::make_shared<Data>())
{
}

Document::Document(const Layout &layout)
{
    auto data = std::make_shared<Data>();
    data->layout = layout;
    Paginator(*data).run();
    d = std::move(data);
}

Document Document::fromPages(const QList<Page> &pages)
{
    auto data = std::make_shared<Data>();
    data->prebuilt = true;
    data->built = pages;
    if (!pages.isEmpty())
        data->paper = pages.first().paperSize;
    Document document;
    document.d = std::move(data);
    return document;
}

int Document::pageCount() const
{
    return d->prebuilt ? int(d->built.size()) : int(d->pages.size());
}

Page Document::page(int index) const
{
    return d->page(index);
}

QList<Page> Document::pages() const
{
    if (d->prebuilt)
        return d->built;
    QList<Page> result;
    result.reserve(pageCount());
    for (int i = 0; i < pageCount(); ++i)
        result.append(d->page(i));
    return result;
}

QSizeF Document::paperSize() const
{
    return d->paper;
}

bool Document::hasCsv() const
{
    return !d->prebuilt && !d->layout.csvColumns.isEmpty() && d->layout.band(BandKind::Detail);
}

int Document::csvLineCount() const
{
    if (!hasCsv())
        return 0;
    int lines = 0;
    for (const BandSpot &placed : d->bands)
        lines += placed.kind == BandKind::Detail ? 1 : 0;
    return lines;
}

bool Document::writeCsv(QIODevice &device) const
{
    if (!hasCsv())
        return false;
    const Band &detail = *d->layout.band(BandKind::Detail);
    const BandPlan &plan = d->plan(BandKind::Detail);
    const QChar separator = regional::locale().decimalPoint() == QStringLiteral(",") ? QLatin1Char(';')
                                                                                      : QLatin1Char(',');
    QList<qsizetype> columns;
    QStringList headings;
    for (const CsvColumn &column : d->layout.csvColumns) {
        qsizetype found = -1;
        for (qsizetype e = 0; e < detail.elements.size() && found < 0; ++e) {
            if (detail.elements[e].name == column.element && plan.elements[e].source != Source::None)
                found = e;
        }
        columns << found;
        headings << csvField(column.heading, separator);
    }

    QString text = QChar(0xFEFF) + headings.join(separator) + QStringLiteral("\r\n");
    QStringList fields;
    const auto flush = [&] {
        const QByteArray bytes = text.toUtf8();
        text.clear();
        return device.write(bytes) == bytes.size();
    };
    for (qsizetype p = 0; p < qsizetype(d->pages.size()); ++p) {
        const PageBands &range = d->pages[p];
        for (qsizetype i = range.first; i < range.first + range.count; ++i) {
            const BandSpot &placed = d->bands[i];
            if (placed.kind != BandKind::Detail)
                continue;
            fields.clear();
            for (qsizetype e : columns) {
                fields << (e < 0 ? QString()
                                 : csvField(d->csvText(detail.elements[e], plan.elements[e], placed, int(p) + 1),
                                            separator));
            }
            text += fields.join(separator) + QStringLiteral("\r\n");
            if (text.size() > 1 << 16 && !flush())
                return false;
        }
    }
    return flush();
}

} // namespace report
