#include "runtime/report/fonts.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace report {

namespace {

// The one place where a designed-on family meets the family we print in.
constexpr std::pair<const char *, const char *> Twins[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
};

constexpr double MmPerInch = 25.4;

// Characters whose advance depends on their neighbours.
bool needsShaping(QChar c)
{
    return c.isSurrogate() || c.isMark() || c.script() > QChar::Script_Latin;
}

} // namespace

QString printedFamily(const QString &family)
{
    for (const auto &[designed, printed] : Twins) {
        if (family.compare(QLatin1String(designed), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(printed);
    }
    return family;
}

void installFontSubstitutions()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const auto &[designed, printed] : Twins)
        QFont::insertSubstitution(QString::fromLatin1(designed), QString::fromLatin1(printed));
}

QFont reportFont(const QString &family, double pointSize, bool bold, bool underline)
{
    installFontSubstitutions();
    QFont font(printedFamily(family));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setUnderline(underline);
    // Unhinted outlines scale linearly, so screen, printer and PDF agree.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

QFont reportFont(const FontStyle &style)
{
    return reportFont(style.family, style.pointSize, style.bold, style.underline);
}

QFont referenceFont(const QFont &font)
{
    if (font.pointSizeF() <= 0)
        return font;                    // already sized in pixels
    QFont reference(font);
    reference.setPixelSize(qRound(font.pointSizeF() * ReferenceDpi / 72.0));
    return reference;
}

TextMeasure::TextMeasure(const QFont &font)
    : m_metrics(referenceFont(font))
    , m_mmPerDot(MmPerInch / ReferenceDpi)
    , m_height(m_metrics.height() * m_mmPerDot)
    , m_ascent(m_metrics.ascent() * m_mmPerDot)
{
    m_latin.fill(-1.0);
}

double TextMeasure::advance(QChar c) const
{
    const char16_t code = c.unicode();
    if (code < m_latin.size()) {
        double &cached = m_latin[code];
        if (cached < 0)
            cached = m_metrics.horizontalAdvance(c);
        return cached;
    }
    auto it = m_others.find(code);
    if (it == m_others.end())
        it = m_others.insert(code, m_metrics.horizontalAdvance(c));
    return *it;
}

double TextMeasure::width(const QString &text) const
{
    double dots = 0.0;
    for (QChar c : text) {
        if (needsShaping(c))
            return m_metrics.horizontalAdvance(text) * m_mmPerDot;
        dots += advance(c);
    }
    return dots * m_mmPerDot;
}

const TextMeasure &textMeasure(const QFont &font)
{
    // Reports measure the same few fonts over and over.
    static QHash<QString, std::shared_ptr<TextMeasure>> cache;
    const QString key = font.key() + QLatin1Char('/') + QString::number(font.hintingPreference())
                        + QLatin1Char('/') + QString::number(font.kerning());
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, std::make_shared<TextMeasure>(font));
    return **it;
}

QSizeF measureText(const QString &text, const QFont &font)
{
    return textMeasure(font).size(text);
}

FittedText fitText(const QString &text, const QFont &font, double width)
{
    const TextMeasure *measure = &textMeasure(font);
    FittedText fitted{text, font, measure->size(text), measure->ascent()};
    if (fitted.size.width() <= width || text.isEmpty())
        return fitted;
    // Sizes the reference font can take: whole sixteenths of a point.
    constexpr double Steps = ReferenceDpi / 72.0;
    const double smallest = std::min(font.pointSizeF(), MinimumPointSize);
    double points = std::floor(font.pointSizeF() * std::max(width, 0.0) / fitted.size.width() * Steps) / Steps;
    points = std::max(points, smallest);
    for (;;) {
        fitted.font.setPointSizeF(points);
        measure = &textMeasure(fitted.font);
        fitted.size = measure->size(text);
        if (fitted.size.width() <= width || points <= smallest)
            break;
        points = std::max(points - 1.0 / Steps, smallest);
    }
    fitted.ascent = measure->ascent();
    if (fitted.size.width() <= width)
        return fitted;
    // Even the smallest type is too wide: the text is cut short.
    const QString ellipsis(QChar(0x2026));
    QString kept = text;
    while (!kept.isEmpty() && measure->width(kept + ellipsis) > width)
        kept.chop(1);
    fitted.text = kept.isEmpty() && measure->width(ellipsis) > width ? QString() : kept + ellipsis;
    fitted.size = measure->size(fitted.text);
    return fitted;
}

} // namespace report
