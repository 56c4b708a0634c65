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
    throw MoneyError(QStringLiteral("%1 is beyond the range of amounts").arg(what));
}

[[noreturn]] void notValid(const QString &text)
{
    throw MoneyError(QStringLiteral("'%1' is not a valid amount").arg(text));
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

// An exact decimal: digits (no leading zeros) times ten to the exponent.
struct Decimal {
    bool negative = false;
    QByteArray digits;
    std::int64_t exponent = 0;
};

class Scanner {
public:
    Scanner(QStringView text, const QLocale &locale) : m_text(text), m_locale(locale) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    bool take(QStringView token, Qt::CaseSensitivity cs = Qt::CaseSensitive)
    {
        if (token.isEmpty() || !m_text.mid(m_pos).startsWith(token, cs))
            return false;
        m_pos += token.size();
        return true;
    }

    // +1, -1 or 0 when no sign is there.
    int takeSign()
    {
        if (take(u"-") || take(m_locale.negativeSign()))
            return -1;
        if (take(u"+") || take(m_locale.positiveSign()))
            return 1;
        return 0;
    }

    std::optional<int> takeDigit()
    {
        if (atEnd() || !m_text[m_pos].isDigit())
            return std::nullopt;
        return m_text[m_pos++].digitValue();
    }

    bool takeDecimalPoint() { return take(m_locale.decimalPoint()); }

    bool takeExponentMark()
    {
        return take(u"e", Qt::CaseInsensitive) || take(m_locale.exponential(), Qt::CaseInsensitive);
    }

private:
    QStringView m_text;
    const QLocale &m_locale;
    qsizetype m_pos = 0;
};

// Any exponent beyond this makes a non-zero amount overflow or vanish.
constexpr std::int64_t ExponentClamp = 1'000'000'000;

std::optional<Decimal> scanDecimal(QStringView text, const QLocale &locale)
{
    Scanner in(text, locale);
    Decimal dec;
    dec.negative = in.takeSign() < 0;

    bool sawDigit = false;
    bool afterPoint = false;
    for (;;) {
        if (const auto d = in.takeDigit()) {
            sawDigit = true;
            if (!dec.digits.isEmpty() || *d != 0)
                dec.digits.append(char('0' + *d));
            if (afterPoint)
                --dec.exponent;
            continue;
        }
        if (!afterPoint && in.takeDecimalPoint()) {
            afterPoint = true;
            continue;
        }
        break;
    }
    if (!sawDigit)
        return std::nullopt;

    if (in.takeExponentMark()) {
        const int sign = in.takeSign() < 0 ? -1 : 1;
        std::int64_t exp = 0;
        bool sawExpDigit = false;
        while (const auto d = in.takeDigit()) {
            sawExpDigit = true;
            exp = std::min(exp * 10 + *d, ExponentClamp);
        }
        if (!sawExpDigit)
            return std::nullopt;
        dec.exponent += sign * exp;
    }
    if (!in.atEnd())
        return std::nullopt;
    return dec;
}

// Magnitude in ten-thousandths, rounded half-even; nullopt when it exceeds limit.
std::optional<std::uint64_t> scaledMagnitude(const Decimal &dec, std::uint64_t limit)
{
    if (dec.digits.isEmpty())
        return 0;
    const std::int64_t shift = dec.exponent + 4; // to ten-thousandths
    const std::int64_t count = dec.digits.size();
    const std::int64_t kept = std::max<std::int64_t>(0, std::min(count, count + shift));
    const std::int64_t zeros = std::max<std::int64_t>(0, shift);
    // 2^63 has 19 digits; anything longer cannot fit.
    if (kept + zeros > 19)
        return std::nullopt;

    UInt128 value = 0;
    for (std::int64_t i = 0; i < kept; ++i)
        value = value * 10 + UInt128(dec.digits.at(qsizetype(i)) - '0');
    for (std::int64_t i = 0; i < zeros; ++i)
        value *= 10;

    // Digits dropped below the fourth decimal decide the rounding.
    if (kept < count && count + shift >= 0) {
        const QByteArray dropped = dec.digits.mid(kept);
        const bool moreThanHalf = dropped[0] > '5'
            || (dropped[0] == '5' && dropped.mid(1).count('0') != dropped.size() - 1);
        const bool tie = dropped[0] == '5' && !moreThanHalf;
        if (moreThanHalf || (tie && (value & 1)))
            ++value;
    }
    if (value > limit)
        return std::nullopt;
    return std::uint64_t(value);
}

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
        beyondRange(QStringLiteral("'%1'").arg(rupiah));
    return fromRaw(raw);
}

Money Money::operator+(Money other) const
{
    std::int64_t raw = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &raw))
        beyondRange(QStringLiteral("The sum of %1 and %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(raw);
}

Money Money::operator-(Money other) const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &raw))
        beyondRange(QStringLiteral("The difference of %1 and %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(raw);
}

Money Money::operator-() const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(std::int64_t(0), m_raw, &raw))
        beyondRange(QStringLiteral("The negation of %1").arg(toPlainString()));
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
        beyondRange(QStringLiteral("The product of %1 and %2").arg(toPlainString(), other.toPlainString()));
    return fromRaw(std::int64_t(quotient));
}

double Money::toDouble() const
{
    return double(m_raw) / double(Scale);
}

Money Money::parse(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    const std::optional<Decimal> dec = scanDecimal(trimmed, locale);
    if (!dec)
        notValid(trimmed);
    const auto mag = scaledMagnitude(*dec, dec->negative ? MaxNegative : MaxPositive);
    if (!mag)
        beyondRange(QStringLiteral("'%1'").arg(trimmed));
    if (!dec->negative)
        return fromRaw(std::int64_t(*mag));
    // Negate in unsigned arithmetic so that INT64_MIN is reachable.
    return fromRaw(std::int64_t(std::uint64_t(0) - *mag));
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
