#include "runtime/report/document.h"

#include "runtime/db/dataset.h"
#include "runtime/db/field.h"
#include "runtime/db/walk.h"
#include "runtime/money.h"
#include "runtime/regional.h"
#include "runtime/report/fonts.h"

#include <QElapsedTimer>
#include <QHash>
#include <QIODevice>
#include <QPointer>

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
    Blank,      // a column the walked dataset has no field for
};

struct ElementPlan {
    Source source = Source::None;
    int slot = -1;                      // Value, Text: among the band's captured values
    int fieldIndex = -1;                // Value: the field's place in the dataset's rows
    Field format{nullptr, FieldDef(), -1};  // Value: shows a value as the field does
    QFont font;
    const TextMeasure *measure = nullptr;
};

struct BandPlan {
    std::vector<ElementPlan> elements;
    int captured = 0;
};

// A band on a page: where, after how many detail lines, and where its
// captured values begin; or, for a detail whose row is read only when its
// page is made, the row's position in the walked dataset.
struct BandSpot {
    BandKind kind;
    int lines;
    double top;
    qsizetype firstValue;
    int row = -1;
};

struct PageBands {
    qsizetype first;
    qsizetype count;
};

} // namespace

struct Document::Data {
    ~Data();

    Layout layout;
    QSizeF paper{210.0, 297.0};
    QString date;
    std::array<BandPlan, BandKindCount> plans;
    std::vector<BandSpot> bands;
    std::vector<PageBands> pages;
    std::vector<QVariant> values;
    bool prebuilt = false;
    QList<Page> built;

    // Detail rows read when first needed: the walked dataset, the fields the
    // detail prints (by their place in a row), and what was read so far.
    QPointer<Dataset> source;
    std::vector<int> rowFields;
    mutable std::vector<QVariant> rowValues;
    mutable std::vector<bool> rowRead;
    mutable qsizetype unread = 0;
    mutable int nextUnread = 0;
    QList<QMetaObject::Connection> watches;

    void readRow(int row) const;
    void readRowsOf(const PageBands &range) const;
    bool readAhead(qint64 budgetMs) const;
    void readAll() const;
    const QVariant &value(const ElementPlan &plan, const BandSpot &placed) const;

    const BandPlan &plan(BandKind kind) const { return plans[static_cast<int>(kind)]; }
    Page page(int index) const;
    void place(Page &page, const BandSpot &placed) const;
    void addElement(Page &page, const Element &element, const ElementPlan &plan, const QPointF &origin,
                    const BandSpot &placed, qsizetype bandFirst) const;
    void addText(Page &page, Item &item, const Element &element, const ElementPlan &plan, const QPointF &at,
                 qsizetype bandFirst) const;
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
    DatasetWalk::Mode walkMode() const;
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
    DatasetWalk *m_walk = nullptr;      // set while a walk by positions runs
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
                const bool walked = element.dataset && element.dataset == m_layout.dataset;
                const Field *field = walked ? element.dataset->findField(element.fieldName) : nullptr;
                if (walked && !field && element.blankWhenMissing) {
                    plan.source = Source::Blank;
                    break;
                }
                const bool byValue = field && !element.formatter;
                plan.source = byValue ? Source::Value : Source::Text;
                plan.slot = bandPlan.captured++;
                if (byValue) {
                    plan.fieldIndex = field->index();
                    plan.format = Field(nullptr, field->def(), field->index());
                }
                m_reads[k].push_back(byValue ? field : nullptr);
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
// Its rows need not even be read while walking when only the detail prints
// them, by value: the detail's rows are then read when their page is made.
DatasetWalk::Mode Paginator::walkMode() const
{
    bool byPositions = true;
    for (int k = 0; k < BandKindCount; ++k) {
        const Band *band = m_layout.band(static_cast<BandKind>(k));
        if (!band)
            continue;
        const BandPlan &bandPlan = d.plans[k];
        for (qsizetype e = 0; e < band->elements.size(); ++e) {
            const Element &element = band->elements[e];
            if (element.kind != ElementKind::DataField)
                continue;
            if (element.dataset != m_layout.dataset)
                return DatasetWalk::Mode::Loud;
            const Source source = bandPlan.elements[e].source;
            const bool readsRow = source == Source::Value || source == Source::Text;
            if (readsRow && (band->kind != BandKind::Detail || source == Source::Text))
                byPositions = false;
        }
    }
    return byPositions ? DatasetWalk::Mode::Positions : DatasetWalk::Mode::Quiet;
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
    const DatasetWalk::Mode mode = walkMode();
    DatasetWalk walk(*dataset, mode);
    if (mode == DatasetWalk::Mode::Positions)
        m_walk = &walk;
    int rows = 0;
    for (; !walk.atEnd(); walk.next()) {
        ++m_lines;
        ++rows;
        placeFlowing(detail);
    }
    m_walk = nullptr;
    walk.finish();
    if (mode != DatasetWalk::Mode::Positions || !detail)
        return;
    d.source = dataset;
    for (const ElementPlan &plan : d.plan(BandKind::Detail).elements) {
        if (plan.source == Source::Value)
            d.rowFields.push_back(plan.fieldIndex);
    }
    d.rowValues.resize(size_t(rows) * d.rowFields.size());
    d.rowRead.assign(size_t(rows), false);
    d.unread = rows;
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
    if (m_walk && band.kind == BandKind::Detail) {
        d.bands.push_back({band.kind, m_lines, top, -1, m_walk->position()});
        return;
    }
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
    readRowsOf(range);
    for (qsizetype i = range.first; i < range.first + range.count; ++i)
        place(page, bands[i]);
    return page;
}

Document::Data::~Data()
{
    for (const QMetaObject::Connection &watch : std::as_const(watches))
        QObject::disconnect(watch);
}

void Document::Data::readRow(int row) const
{
    if (rowRead[row])
        return;
    const Row values = source ? DatasetWalk::rowAt(*source, row) : Row();
    const size_t first = size_t(row) * rowFields.size();
    for (size_t f = 0; f < rowFields.size(); ++f)
        rowValues[first + f] = values.value(rowFields[f]);
    rowRead[row] = true;
    --unread;
}

void Document::Data::readRowsOf(const PageBands &range) const
{
    for (qsizetype i = range.first; i < range.first + range.count; ++i) {
        if (bands[i].row >= 0)
            readRow(bands[i].row);
    }
}

bool Document::Data::readAhead(qint64 budgetMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (unread > 0 && timer.elapsed() < budgetMs) {
        for (int end = std::min(nextUnread + 256, int(rowRead.size())); nextUnread < end; ++nextUnread)
            readRow(nextUnread);
    }
    return unread == 0;
}

void Document::Data::readAll() const
{
    while (unread > 0)
        readAhead(1000);
}

const QVariant &Document::Data::value(const ElementPlan &plan, const BandSpot &placed) const
{
    if (placed.row >= 0)
        return rowValues[size_t(placed.row) * rowFields.size() + size_t(plan.slot)];
    return values[placed.firstValue + plan.slot];
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
    const qsizetype first = page.items.size();
    for (qsizetype e = 0; e < band.elements.size(); ++e)
        addElement(page, band.elements[e], bandPlan.elements[e], rect.topLeft(), placed, first);
    // The frame goes on top, so that a picture at the band's edge (a logo
    // at its top) does not cut the box open.
    if (!band.frame.isEmpty()) {
        background.fill = QColor();
        background.frame = band.frame;
        page.items.append(background);
    }
}

namespace {

// Where `text`, following another text of its band, may begin at the
// earliest; a blank at the end of the one or the start of the other is gap
// enough.
double followingLeft(const Page &page, const QString &followed, const QString &text, qsizetype bandFirst)
{
    const QLatin1Char blank(' ');
    for (qsizetype i = page.items.size() - 1; i >= bandFirst; --i) {
        const Item &item = page.items[i];
        if (item.kind == ItemKind::Text && item.name == followed)
            return item.textRect().right() + (item.text.endsWith(blank) || text.startsWith(blank) ? 0.0 : WordGap);
    }
    return 0.0;
}

} // namespace

// A text in its box: pushed along by the text it follows (a box keeps its
// right edge), in smaller type where it would not fit, on the baseline of
// the type the layout asked for.
void Document::Data::addText(Page &page, Item &item, const Element &element, const ElementPlan &plan,
                             const QPointF &at, qsizetype bandFirst) const
{
    item.kind = ItemKind::Text;
    item.font = plan.font;
    item.alignment = element.alignment;
    const double left =
        element.follows.isEmpty() ? at.x() : std::max(at.x(), followingLeft(page, element.follows, item.text, bandFirst));
    const QSizeF measured = plan.measure->size(item.text);
    if (element.width <= 0.0) {
        item.rect = QRectF(QPointF(left, at.y()), measured);
        page.items.append(item);
        return;
    }
    const double width = std::max(0.0, element.width - (left - at.x()));
    if (measured.width() <= width) {
        item.rect = QRectF(left, at.y(), width, measured.height());
        page.items.append(item);
        return;
    }
    const FittedText fitted = fitText(item.text, plan.font, width);
    item.text = fitted.text;
    item.font = fitted.font;
    item.rect = QRectF(left, at.y() + plan.measure->ascent() - fitted.ascent, width, fitted.size.height());
    page.items.append(item);
}

void Document::Data::addElement(Page &page, const Element &element, const ElementPlan &plan, const QPointF &origin,
                                const BandSpot &placed, qsizetype bandFirst) const
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
        item.text = text(element, plan, placed, page.number);
        addText(page, item, element, plan, at, bandFirst);
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
        return plan.format.format(value(plan, placed), true);
    case Source::Text:
        return value(plan, placed).toString();
    case Source::Blank:
    case Source::None:
        break;
    }
    return {};
}

QString Document::Data::csvText(const Element &element, const ElementPlan &plan, const BandSpot &placed,
                                int pageNumber) const
{
    if (plan.source == Source::Value && plan.format.type() == FieldType::Money)
        return plan.format.format(value(plan, placed), false);
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
    // Rows not read yet are read before the walked dataset's rows change (a
    // store, a deletion, a re-read, closing), so that the pages keep showing
    // the rows as they stood when the report was made.
    if (Dataset *source = data->source; source && data->unread > 0) {
        const Data *watched = data.get();
        data->watches << QObject::connect(source, &Dataset::aboutToChange, [watched] { watched->readAll(); });
    }
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

bool Document::readAhead(qint64 budgetMs) const
{
    return d->prebuilt || d->readAhead(budgetMs);
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
        d->readRowsOf(range);
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
