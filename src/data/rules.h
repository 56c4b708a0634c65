#pragma once

#include "runtime/money.h"

#include <QString>

#include <optional>

// The cooperative's rules on member and transaction values, free of any
// dataset so they can be checked on their own.
namespace rules {

struct Faculty {
    QString code;   // two digits, empty when the NPM names no faculty
    QString name;
};

// Letters a to z upper-cased; every other character unchanged.
QString upperAscii(const QString &text);
// Faculty of an (upper-cased) NPM: its first character, and for some
// letters whether the second character is the digit zero.
Faculty facultyOf(const QString &npm);
// Characters 4 and 5 of the NPM followed by the faculty code.
QString memberNumberPrefix(const QString &npm);
QString genderWord(const QString &jk);

// The administration fee: 7 % rounded half-even to the ten-thousandth.
constexpr Money FeeRate = Money::fromRaw(700);
Money loanFee(Money amount);

} // namespace rules
