#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class Dataset;
class Field;

// A report is data: a page set-up and bands of elements, all measured in
// millimetres. paginate() turns it into pages; nothing here paints.
namespace report {

// One pixel of a 96 dpi screen: the width of a "thin" rule or frame.
constexpr double ThinLine = 0.26;
// Clear space between a column's text and the next column (or the band's
// edge), so that neighbouring figures never read as one.
constexpr double ColumnGap = 1.5;
// What follows a text on its line stands at least this far after it: about
// a blank of the report type.
constexpr double WordGap = 1.0;

enum class BandKind { PageHeader, Title, ColumnHeader, Detail, Summary, PageFooter };
constexpr int BandKindCount = 6;

enum class Orientation { Portrait, Landscape };

struct PageSetup {
    QSizeF paper{210.0, 297.0};                 // A4, portrait measures
    Orientation orientation = Orientation::Portrait;
    QMarginsF margins{10.0, 10.0, 10.0, 10.0};

    QSizeF paperSize() const;                   // with the orientation applied
    double contentWidth() const { return paperSize().width() - margins.left() - margins.right(); }
};

// Type as a layout names it; the family is mapped to an installed metric twin
// when printed (see fonts.h).
struct FontStyle {
    QString family = QStringLiteral("Arial");
    double pointSize = 10.0;
    bool bold = false;
    bool underline = false;

    static FontStyle plain(double pointSize = 10.0) { return {QStringLiteral("Arial"), pointSize, false, false}; }
    static FontStyle bolded(double pointSize = 10.0) { return {QStringLiteral("Arial"), pointSize, true, false}; }
    static FontStyle boldUnderlined(double pointSize = 10.0) { return {QStringLiteral("Arial"), pointSize, true, true}; }
    bool operator==(const FontStyle &) const = default;
};

// Which sides of a box carry a line, in what colour and width (mm). The
// lines lie inside the box.
struct Frame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    QColor color = Qt::black;
    double width = ThinLine;

    static Frame none() { return {}; }
    static Frame all(const QColor &color = Qt::black, double width = ThinLine);
    static Frame topBottom(const QColor &color = Qt::black, double width = ThinLine);
    static Frame topOnly(const QColor &color = Qt::black, double width = ThinLine);
    bool isEmpty() const { return !left && !top && !right && !bottom; }
};

enum class ElementKind { Text, DataField, Computed, Line, DoubleLine, Rectangle, Picture };

enum class Computed {
    LineNumber,   // the running number of the detail line, continuing across pages
    PageNumber,
    PrintDate,    // the printing date in the short-date form
    DetailCount,  // detail lines printed so far (all of them in the summary)
};

// One element of a band. Only the members of its kind matter; the band's
// add* functions fill them. Positions are millimetres from the band's
// top-left corner (a top may be negative).
struct Element {
    ElementKind kind = ElementKind::Text;
    QString name;                       // to find it again, e.g. a caption set at run time
    double left = 0.0;
    double top = 0.0;

    // Text, DataField, Computed. width 0: sized to the content; otherwise the
    // text is aligned within that width and never leaves it: a text too wide
    // is set in smaller type (down to MinimumPointSize, then cut short), on
    // the baseline it would have had.
    QString caption;
    FontStyle font;
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft;
    double width = 0.0;
    Dataset *dataset = nullptr;
    QString fieldName;
    // Replaces the field's display text; not called for an empty field.
    std::function<QString(const Field &)> formatter;
    // DataField: a field name the dataset does not have prints nothing
    // instead of failing; for a column the layout keeps although its data
    // has none.
    bool blankWhenMissing = false;
    Computed computed = Computed::LineNumber;
    // The name of an earlier text of the same band: this one starts no
    // nearer than WordGap after that one's text ends (right after it where
    // a blank stands between), however long it is; a box keeps its right edge.
    QString follows;

    // Line, DoubleLine.
    Qt::Orientation orientation = Qt::Horizontal;
    double length = 0.0;
    double thickness = ThinLine;
    double secondTop = 0.0;             // DoubleLine: top of the second line

    // Rectangle, Picture.
    double height = 0.0;                // width above is the box's width
    Frame frame;
    QColor fill;                        // invalid: not filled
    QImage image;                       // stretched into width x height

    Element &named(const QString &elementName) { name = elementName; return *this; }
    Element &withFont(const FontStyle &style) { font = style; return *this; }
    Element &withColor(const QColor &textColor) { color = textColor; return *this; }
    Element &aligned(Qt::Alignment align, double boxWidth) { alignment = align; width = boxWidth; return *this; }
    // The text's box runs from the left edge to ColumnGap before `next` (the
    // next column's left edge, or the band's edge), aligned within it.
    Element &spanTo(double next, Qt::Alignment align = Qt::AlignRight)
    {
        return aligned(align, next - ColumnGap - left);
    }
    Element &after(const QString &elementName) { follows = elementName; return *this; }
    Element &formatted(std::function<QString(const Field &)> format) { formatter = std::move(format); return *this; }
    Element &blankIfMissing() { blankWhenMissing = true; return *this; }
};

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 0.0;
    Frame frame;
    QColor fill;                        // invalid: no background
    QList<Element> elements;

    Element &addText(double left, double top, const QString &caption, const FontStyle &font = {});
    Element &addField(double left, double top, Dataset *dataset, const QString &fieldName,
                      const FontStyle &font = {});
    Element &addComputed(double left, double top, Computed what, const FontStyle &font = {});
    Element &addLine(double left, double top, double length,
                     Qt::Orientation orientation = Qt::Horizontal, double thickness = ThinLine);
    Element &addDoubleLine(double left, double top, double secondTop, double length,
                           double thickness = ThinLine);
    Element &addRectangle(double left, double top, double width, double height,
                          const Frame &frame = Frame::all(), const QColor &fill = {});
    Element &addPicture(double left, double top, double width, double height, const QImage &image);

private:
    Element &add(Element element);
};

// A column of the detail lines saved for a spreadsheet: its heading and the
// detail band's element (by name) that gives its values.
struct CsvColumn {
    QString heading;
    QString element;
};

// A page set-up, at most one band of each kind and an optional driving
// dataset. Without a dataset the title and the detail print once.
class Layout {
public:
    PageSetup page;
    Dataset *dataset = nullptr;
    // The detail lines as a list report offers them for a spreadsheet, in
    // the order printed; none: the report cannot be saved as CSV.
    QList<CsvColumn> csvColumns;

    // Adds the band of that kind, replacing one that was there.
    Band &addBand(BandKind kind, double height, const Frame &frame = {}, const QColor &fill = {});
    Band *band(BandKind kind);
    const Band *band(BandKind kind) const;
    void removeBand(BandKind kind);

    // The first element of that name in any band, or nullptr.
    Element *element(const QString &name);
    const Element *element(const QString &name) const;
    // Sets the caption of a named text; throws std::invalid_argument when
    // the layout has no element of that name.
    void setCaption(const QString &name, const QString &text);
    QString caption(const QString &name) const;

private:
    std::array<std::optional<Band>, BandKindCount> m_bands;
};

// Colours the layouts share: the system's highlight colour (band rules) and
// the light shade behind column headers and page footers.
QColor highlightColor();
QColor shadeColor();

} // namespace report
