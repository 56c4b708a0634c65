#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

// Regional formats. The program follows the machine's locale; where the
// machine offers only the neutral C locale it speaks Indonesian, the
// language of its users.
namespace regional {

// The locale every format below uses.
QLocale locale();
// Tests pin a locale; std::nullopt or the neutral C locale restores the rule
// above.
void setLocaleForTesting(const std::optional<QLocale> &locale);

// "dd/MM/yyyy", always ten characters: the form the transaction tables store.
QString shortDate(const QDate &date);
QString todayShortDate();

// " dddd, d MMMM yyyy" with the locale's day and month names (leading blank).
QString longDate(const QDate &date);

// "hh:mm:ss", 24-hour clock.
QString timeText(const QTime &time);

// A two-digit year read into the window from 50 years before to 49 years
// after the reference year (the current year unless given).
int expandTwoDigitYear(int twoDigitYear, int referenceYear);
int expandTwoDigitYear(int twoDigitYear);

// Day, month, year separated by "/": the year in two or four digits, blanks
// around the parts ignored (" 1/ 1/83"). Returns an invalid date when the
// text is not a real date; std::nullopt when it holds no digit at all.
// The input mask's placeholder "_" counts as a blank. A two-digit year
// never gives a date after today.
std::optional<QDate> parseShortDate(const QString &text);

// General number format: shortest form with up to 15 significant digits, the
// locale's decimal separator, no grouping, no currency symbol.
QString generalNumber(double value);

} // namespace regional
