#include "runtime/money.h"

#include "runtime/regional.h"

#include <QStringView>

#include <limits>
#include <optional>

namespace {

using Int128 = __int128;
using UInt128 = unsigned __int128;

constexpr std::uint64_t MaxPositive = std::uint64_t(std::numeric_limits<std::int64_t>::max());
constexpr std::uint64_t MaxNegative = MaxPositive + 1; // magnitude of INT64_MIN

std::uint64_t magnitude(std::int64_t value)
{
    // Written so that INT64_MIN does not overflow.
    return value < 0 ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value);
}

[[noreturn]] void beyondRange(const QString &what)
{
    throw MoneyError(QStringLiteral("%1 melebihi batas jumlah uang").arg(what));
}

[[noreturn]] void notValid(const QString &text)
{
    throw MoneyError(QStringLiteral("\"%1\" bukan jumlah uang yang sah").arg(text));
}

// Turns a run of ASCII digits into the locale's own digits (most locales use
// ASCII anyway).
QString localDigits(const QString &ascii, const QLocale &locale)
{
    const QList<uint> zero = locale.zeroDigit().toUcs4();
    if (zero.size() != 1 || zero.first() == U'0')
        return ascii;
    QString out;
    for (QChar c : ascii) {
        if (c.isDigit()) {
            const char32_t ucs = char32_t(zero.first() + uint(c.digitValue()));
            out += QString::fromUcs4(&ucs, 1);
        } else {
            out += c;
        }
    }
    return out;
}

// ---- parsing -------------------------------------------------------------

// Reads an amount as it is shown or typed: an optional minus, an optional
// currency symbol ("Rp", "Rp." or the locale's own, a blank after it
// allowed), whole units either as a plain run of digits or in groups of three
// after the locale's group separator, and at most four decimals after its
// decimal separator. Nothing is rounded: a fifth decimal is refused.
class AmountReader {
public:
    AmountReader(QStringView text, const QLocale &locale) : m_text(text), m_locale(locale) {}

    // Magnitude in ten-thousandths (beyond 64 bits when the text is huge) and
    // sign; nullopt when the text is not an amount.
    struct Result {
        bool negative = false;
        UInt128 magnitude = 0;
        bool overflow = false;
    };

    std::optional<Result> read()
    {
        Result r;
        r.negative = takeMinus();
        if (takeSymbol()) {
            skipBlanks();
            if (!r.negative)
                r.negative = takeMinus();
        }
        if (!readWhole(r) || !readFraction(r) || !atEnd())
            return std::nullopt;
        return r;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }

    bool take(QStringView token, Qt::CaseSensitivity cs = Qt::CaseSensitive)
    {
        if (token.isEmpty() || !m_text.mid(m_pos).startsWith(token, cs))
            return false;
        m_pos += token.size();
        return true;
    }

    bool takeMinus() { return take(u"-") || take(m_locale.negativeSign()); }

    bool takeSymbol()
    {
        if (take(u"Rp", Qt::CaseInsensitive)) {
            take(u".");
            return true;
        }
        return take(m_locale.currencySymbol(QLocale::CurrencySymbol));
    }

    void skipBlanks()
    {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    // Digits from here on; appends them to the magnitude.
    int takeDigits(Result &r, int most = std::numeric_limits<int>::max())
    {
        int count = 0;
        while (count < most && !atEnd() && m_text[m_pos].isDigit()) {
            addDigit(r, m_text[m_pos++].digitValue());
            ++count;
        }
        return count;
    }

    static void addDigit(Result &r, int digit)
    {
        // 2^100 is far beyond any amount; stop growing there.
        if (r.magnitude > (UInt128(1) << 100)) {
            r.overflow = true;
            return;
        }
        r.magnitude = r.magnitude * 10 + UInt128(digit);
    }

    bool readWhole(Result &r)
    {
        const int first = takeDigits(r);
        if (first == 0)
            return false;
        const QString group = m_locale.groupSeparator();
        if (group.isEmpty() || group == m_locale.decimalPoint() || !m_text.mid(m_pos).startsWith(group))
            return true;
        if (first > 3)
            return false;
        while (take(group)) {
            if (takeDigits(r, 3) != 3)
                return false;
        }
        return atEnd() || !m_text[m_pos].isDigit();
    }

    bool readFraction(Result &r)
    {
        int decimals = 0;
        if (take(m_locale.decimalPoint())) {
            decimals = takeDigits(r, 5);
            if (decimals == 0 || decimals > 4)
                return false;
        }
        for (; decimals < 4; ++decimals)
            addDigit(r, 0);
        return true;
    }

    QStringView m_text;
    const QLocale &m_locale;
    qsizetype m_pos = 0;
};

// ---- formatting ----------------------------------------------------------

// Unsigned magnitude of ten-thousandths as "1500", "8641.99", "0.0005".
QString plainDigits(std::uint64_t magnitude, const QString &decimalPoint)
{
    QString text = QString::number(magnitude / Money::Scale);
    QString fraction = QStringLiteral("%1").arg(magnitude % Money::Scale, 4, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += decimalPoint + fraction;
    return text;
}

// The locale's currency text around the number: "Rp" before it, " €" after
// it, "(" and ")" around a negative amount.
struct Affixes {
    QString prefix;
    QString suffix;
};

struct CurrencyShape {
    Affixes positive;
    Affixes negative;
};

Affixes affixesOf(const QString &sample)
{
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < sample.size(); ++i) {
        if (!sample[i].isDigit())
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first < 0)
        return {};
    return {sample.left(first), sample.mid(last + 1)};
}

const CurrencyShape &currencyShape(const QLocale &locale)
{
    // Grids format many cells in a row with the same locale.
    static QLocale cachedLocale = QLocale::c();
    static std::optional<CurrencyShape> cached;
    if (!cached || !(cachedLocale == locale)) {
        // Only the shape of the sample matters; its digits are replaced.
        cached = CurrencyShape{
            affixesOf(locale.toCurrencyString(1234567.89, QString(), 2)),
            affixesOf(locale.toCurrencyString(-1234567.89, QString(), 2)),
        };
        cachedLocale = locale;
    }
    return *cached;
}

} // namespace

MoneyError::MoneyError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

Money Money::fromUnits(std::int64_t rupiah)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(rupiah, Scale, &raw))
        beyondRange(QStringLiteral("\"%1\"").arg(rupiah));
    return fromRaw(raw);
}

Money Money::operator+(Money other) const
{
    std::int64_t raw = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &raw))
        beyondRange(QStringLiteral("Jumlah %1 dan %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(raw);
}

Money Money::operator-(Money other) const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &raw))
        beyondRange(QStringLiteral("Selisih %1 dan %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(raw);
}

Money Money::operator-() const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(std::int64_t(0), m_raw, &raw))
        beyondRange(QStringLiteral("Lawan dari %1").arg(toPlainString()));
    return fromRaw(raw);
}

Money Money::operator*(Money other) const
{
    const Int128 product = Int128(m_raw) * Int128(other.m_raw);
    // Division truncates towards zero; the remainder carries the sign.
    Int128 quotient = product / Scale;
    const Int128 remainder = product % Scale;
    const Int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    const int away = product < 0 ? -1 : 1;
    if (twice > Scale || (twice == Scale && (quotient & 1)))
        quotient += away;
    if (quotient > std::numeric_limits<std::int64_t>::max() || quotient < std::numeric_limits<std::int64_t>::min())
        beyondRange(QStringLiteral("Hasil kali %1 dan %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(std::int64_t(quotient));
}

double Money::toDouble() const
{
    return double(m_raw) / double(Scale);
}

Money Money::parse(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    const auto read = AmountReader(trimmed, locale).read();
    if (!read)
        notValid(trimmed);
    const UInt128 limit = read->negative ? MaxNegative : MaxPositive;
    if (read->overflow || read->magnitude > limit)
        beyondRange(QStringLiteral("\"%1\"").arg(trimmed));
    const auto magnitude = std::uint64_t(read->magnitude);
    // Negate in unsigned arithmetic so that INT64_MIN is reachable.
    return fromRaw(std::int64_t(read->negative ? std::uint64_t(0) - magnitude : magnitude));
}

Money Money::parse(const QString &text)
{
    return parse(text, regional::locale());
}

QString Money::toPlainString(const QLocale &locale) const
{
    const QString digits = localDigits(plainDigits(magnitude(m_raw), locale.decimalPoint()), locale);
    return m_raw < 0 ? locale.negativeSign() + digits : digits;
}

QString Money::toPlainString() const
{
    return toPlainString(regional::locale());
}

QString Money::toCurrencyString(const QLocale &locale) const
{
    // Two decimals, half away from zero; 2^63 + 50 still fits unsigned.
    const std::uint64_t cents = (magnitude(m_raw) + 50) / 100;
    const QString units = locale.toString(qulonglong(cents / 100)); // grouped, exact
    const QString fraction = localDigits(QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0')), locale);
    const QString number = units + locale.decimalPoint() + fraction;
    // No "negative zero": an amount that shows as 0,00 shows without a sign.
    const bool negative = m_raw < 0 && cents != 0;
    const CurrencyShape &shape = currencyShape(locale);
    const Affixes &affixes = negative ? shape.negative : shape.positive;
    return affixes.prefix + number + affixes.suffix;
}

QString Money::toCurrencyString() const
{
    return toCurrencyString(regional::locale());
}
