#include "runtime/regional.h"

#include <QStringList>

#include <cmath>

namespace regional {

namespace {

std::optional<QLocale> &pinnedLocale()
{
    static std::optional<QLocale> pinned;
    return pinned;
}

bool isNeutral(const QLocale &locale)
{
    const QString name = locale.name();
    return locale.language() == QLocale::C || name == QLatin1String("C") || name == QLatin1String("POSIX");
}

// "12" -> 12; nullopt unless the part is one or more ASCII digits.
std::optional<int> digitsValue(const QString &part)
{
    if (part.isEmpty())
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool hasDigit(const QString &text)
{
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return true;
    }
    return false;
}

// "1e+20" -> "1E20", "1.5e-07" -> "1.5E-7": the exponent without '+' or
// leading zeros.
QString upperExponent(const QString &text)
{
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e < 0)
        return text;
    const QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(QLatin1Char('-'));
    if (negative || exponent.startsWith(QLatin1Char('+')))
        exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    return mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
}

} // namespace

QLocale locale()
{
    if (const auto &pinned = pinnedLocale())
        return *pinned;
    const QLocale system = QLocale::system();
    if (isNeutral(system))
        return QLocale(QLocale::Indonesian, QLocale::Indonesia);
    return system;
}

void setLocaleForTesting(const std::optional<QLocale> &locale)
{
    if (!locale || isNeutral(*locale)) {
        pinnedLocale().reset();
        return;
    }
    pinnedLocale() = locale;
}

QString shortDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString todayShortDate()
{
    return shortDate(QDate::currentDate());
}

QString longDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    const QLocale loc = locale();
    return QStringLiteral(" %1, %2 %3 %4")
        .arg(loc.dayName(date.dayOfWeek(), QLocale::LongFormat))
        .arg(date.day())
        .arg(loc.monthName(date.month(), QLocale::LongFormat))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString timeText(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

int expandTwoDigitYear(int twoDigitYear, int referenceYear)
{
    const int yy = ((twoDigitYear % 100) + 100) % 100;
    const int low = referenceYear - 50;
    const int century = low - (((low % 100) + 100) % 100);
    const int year = century + yy;
    return year < low ? year + 100 : year;
}

int expandTwoDigitYear(int twoDigitYear)
{
    return expandTwoDigitYear(twoDigitYear, QDate::currentDate().year());
}

std::optional<QDate> parseShortDate(const QString &text)
{
    if (!hasDigit(text))
        return std::nullopt;
    QString spaced = text;
    spaced.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QStringList parts = spaced.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return QDate();
    const QString yearText = parts[2].trimmed();
    const auto day = digitsValue(parts[0].trimmed());
    const auto month = digitsValue(parts[1].trimmed());
    const auto year = digitsValue(yearText);
    if (!day || !month || !year || parts[0].trimmed().size() > 2 || parts[1].trimmed().size() > 2)
        return QDate();
    if (yearText.size() <= 2) {
        // A date typed with a two-digit year (a birth date) lies in the past:
        // one that would come after today is read in the century before.
        const QDate date(expandTwoDigitYear(*year), *month, *day);
        return date > QDate::currentDate() ? QDate(date.year() - 100, *month, *day) : date;
    }
    if (yearText.size() == 4)
        return QDate(*year, *month, *day);
    return QDate();
}

QString generalNumber(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0"); // also for -0.0

    // 'g' keeps at most 15 significant digits and drops trailing zeros; it
    // switches to an exponent below 1E-4 and from 1E15 on.
    QString text = upperExponent(QString::number(std::abs(value), 'g', 15));
    const QLocale loc = locale();
    text.replace(QLatin1Char('.'), loc.decimalPoint());
    return value < 0 ? loc.negativeSign() + text : text;
}

} // namespace regional
