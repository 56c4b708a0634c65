#include "data/rules.h"

#include <array>

namespace rules {

namespace {

struct FacultyRow {
    char letter;
    const char *zeroCode;   // used when the second character is '0'; nullptr: no distinction
    const char *zeroName;
    const char *code;
    const char *name;
};

constexpr std::array<FacultyRow, 11> Faculties{{
    {'A', nullptr, nullptr, "01", "HUKUM"},
    {'B', "03", "EKONOMI-D3", "02", "EKONOMI"},
    {'C', nullptr, nullptr, "04", "FKU"},
    {'D', "06", "MIPA-D3", "05", "MIPA"},
    {'E', nullptr, nullptr, "07", "PERTANIAN"},
    {'F', nullptr, nullptr, "08", "FKG"},
    {'G', "10", "PAA", "09", "FISIP"},
    {'H', "12", "SATRA-D3", "11", "SASTRA"},
    {'I', "14", "PSIKOLOGI-D3", "13", "PSIKOLOGI"},
    {'J', "16", "PETERNAKAN-D3", "15", "PETERNAKAN"},
    {'K', "18", "FIKOM-D3", "17", "FIKOM"},
}};

} // namespace

QString upperAscii(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

Faculty facultyOf(const QString &npm)
{
    if (npm.isEmpty())
        return {};
    for (const FacultyRow &row : Faculties) {
        if (npm.at(0) != QLatin1Char(row.letter))
            continue;
        const bool zero = npm.size() > 1 && npm.at(1) == QLatin1Char('0');
        if (row.zeroCode && zero)
            return {QString::fromLatin1(row.zeroCode), QString::fromLatin1(row.zeroName)};
        return {QString::fromLatin1(row.code), QString::fromLatin1(row.name)};
    }
    return {};
}

QString memberNumberPrefix(const QString &npm)
{
    const QString upper = upperAscii(npm);
    return upper.mid(3, 2) + facultyOf(upper).code;
}

QString genderWord(const QString &jk)
{
    return jk == QLatin1String("W") ? QStringLiteral("Wanita") : QStringLiteral("Pria");
}

Money loanFee(Money amount)
{
    return amount * FeeRate;
}

} // namespace rules
