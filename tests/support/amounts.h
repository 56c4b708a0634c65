#pragma once

// Amounts as tests write them: rupiah with a decimal point, "2500.5".

#include "runtime/money.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <limits>

inline Money rupiah(const char *text)
{
    return Money::parse(QString::fromLatin1(text), QLocale::c());
}

// As the program shows the amount: the regional currency text.
inline QString currency(const char *amount)
{
    return rupiah(amount).toCurrencyString();
}

// The largest amount the book can hold: every total stays at or below it.
inline Money largestAmount()
{
    return Money::fromRaw(std::numeric_limits<std::int64_t>::max());
}
