#pragma once

#include "runtime/report/layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QSizeF>
#include <QString>

#include <array>

// Report type. Layouts name the fonts of the machines they were designed on
// ("Arial"); we print in their metric twins so that every text keeps its
// width on every machine.
//
// Measuring convention: texts are measured and painted with the font set to
// a whole pixel size at a reference resolution of ReferenceDpi (16 dots per
// point), hinting and kerning off; measures are those pixels converted to
// millimetres (1 pt = 25.4/72 mm). Qt rounds a font's pixel size to whole
// pixels on every device, which would make 10 pt a little wider at 300 dpi
// than at 96 dpi; painting therefore draws the reference-size font scaled to
// the device, so the printed text matches its measured box at any resolution.
// Without kerning a text is as wide as the sum of its characters' advances,
// which lets long reports measure quickly.
namespace report {

constexpr int ReferenceDpi = 1152;
// The smallest type a text is shrunk to so that it fits its box.
constexpr double MinimumPointSize = 4.0;

// The family a layout's family is printed in ("Arial" -> "Liberation Sans").
QString printedFamily(const QString &family);
// Registers the twins with QFont::insertSubstitution so widgets follow too.
// Idempotent; reportFont() calls it.
void installFontSubstitutions();

QFont reportFont(const QString &family, double pointSize, bool bold = false, bool underline = false);
QFont reportFont(const FontStyle &style);

// The font at its whole pixel size at ReferenceDpi.
QFont referenceFont(const QFont &font);

// Measures single-line texts of one font, in millimetres.
class TextMeasure {
public:
    explicit TextMeasure(const QFont &font);
    double width(const QString &text) const;
    double height() const { return m_height; }
    double ascent() const { return m_ascent; }
    QSizeF size(const QString &text) const { return {width(text), m_height}; }

private:
    double advance(QChar c) const;

    QFontMetricsF m_metrics;
    double m_mmPerDot;
    double m_height;
    double m_ascent;
    mutable std::array<double, 256> m_latin;    // negative: not measured yet
    mutable QHash<char16_t, double> m_others;
};

// The shared measure of a font.
const TextMeasure &textMeasure(const QFont &font);
// Width (advance) and line height of a single-line text, in millimetres.
QSizeF measureText(const QString &text, const QFont &font);

// A text set to fit a box `width` millimetres wide: in the font itself when
// it fits, else at the largest size (in steps the reference resolution can
// show) down to MinimumPointSize at which it does, else at that size and cut
// short with an ellipsis.
struct FittedText {
    QString text;
    QFont font;
    QSizeF size;                        // as measured in that font
    double ascent = 0.0;
};
FittedText fitText(const QString &text, const QFont &font, double width);

} // namespace report
