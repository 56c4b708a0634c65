#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>

#include <compare>
#include <cstdint>
#include <stdexcept>

// A money value that cannot be represented or a text that is not an amount.
// The message (Indonesian) names the offending value and is meant for the
// operator.
class MoneyError : public std::runtime_error {
public:
    explicit MoneyError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Rupiah amount in exact fixed point: a signed 64-bit count of ten-thousandths.
// Every operation either gives the exact (or correctly rounded) result or
// throws MoneyError; nothing wraps around.
class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t tenThousandths) { Money m; m.m_raw = tenThousandths; return m; }
    static Money fromUnits(std::int64_t rupiah);          // throws on overflow
    constexpr std::int64_t raw() const { return m_raw; }

    Money operator+(Money other) const;                    // throws on overflow
    Money operator-(Money other) const;
    Money operator-() const;
    // Product rounded to the nearest ten-thousandth, ties to the even neighbour.
    Money operator*(Money other) const;
    Money &operator+=(Money other) { return *this = *this + other; }
    Money &operator-=(Money other) { return *this = *this - other; }

    constexpr auto operator<=>(const Money &) const = default;
    constexpr bool operator==(const Money &) const = default;

    // Only for places that deliberately sum in floating point.
    double toDouble() const;

    // Text an operator types or reads off the screen: "50000", "50.000",
    // "50.000,50", "Rp50.000", "Rp 50.000,00", "-Rp1.500" (the locale's group
    // and decimal separators). Groups hold three digits; at most four
    // decimals, nothing is rounded. Blanks around are ignored. Throws
    // MoneyError quoting the text.
    static Money parse(const QString &text, const QLocale &locale);
    static Money parse(const QString &text);              // regional locale

    // Plain number: no symbol, no grouping, locale decimal separator, only
    // the decimals the value has ("1500", "8641,99", "0,0005").
    QString toPlainString(const QLocale &locale) const;
    QString toPlainString() const;
    // Regional currency text, e.g. "Rp 1.500.000,00" (two decimals, rounded
    // half away from zero for display only).
    QString toCurrencyString(const QLocale &locale) const;
    QString toCurrencyString() const;

private:
    std::int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Money)
