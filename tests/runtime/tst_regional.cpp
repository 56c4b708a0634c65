#include "runtime/regional.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>

namespace {

const QLocale indonesian(QLocale::Indonesian, QLocale::Indonesia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

} // namespace

class TestRegional : public QObject {
    Q_OBJECT

private slots:
    void init() { regional::setLocaleForTesting(indonesian); }
    void cleanup() { regional::setLocaleForTesting(std::nullopt); }

    void localeFollowsTheMachineButNeverC();
    void dateAndTimeTexts();
    void twoDigitYearWindow();
    void parseShortDate();
    void generalNumber();
};

void TestRegional::localeFollowsTheMachineButNeverC()
{
    QCOMPARE(regional::locale().name(), QStringLiteral("id_ID"));
    regional::setLocaleForTesting(english);
    QCOMPARE(regional::locale().name(), QStringLiteral("en_US"));

    // Unpinned: the machine's locale, with Indonesian in place of C.
    regional::setLocaleForTesting(std::nullopt);
    const QLocale system = QLocale::system();
    const bool neutral = system.language() == QLocale::C || system.name() == QStringLiteral("C");
    QCOMPARE(regional::locale().name(), neutral ? QStringLiteral("id_ID") : system.name());
    QVERIFY(regional::locale().language() != QLocale::C);

    // Pinning C is the same as unpinning.
    regional::setLocaleForTesting(english);
    regional::setLocaleForTesting(QLocale::c());
    QCOMPARE(regional::locale().name(), neutral ? QStringLiteral("id_ID") : system.name());
}

void TestRegional::dateAndTimeTexts()
{
    QCOMPARE(regional::shortDate(QDate(2026, 1, 5)), QStringLiteral("05/01/2026"));
    QCOMPARE(regional::shortDate(QDate(2026, 12, 31)), QStringLiteral("31/12/2026"));
    QCOMPARE(regional::shortDate(QDate(983, 7, 4)), QStringLiteral("04/07/0983"));
    QCOMPARE(regional::shortDate(QDate()), QString());
    // The stored form does not depend on the locale.
    regional::setLocaleForTesting(english);
    QCOMPARE(regional::shortDate(QDate(2026, 1, 5)), QStringLiteral("05/01/2026"));

    const QDate before = QDate::currentDate();
    const QString today = regional::todayShortDate();
    const QDate after = QDate::currentDate();
    QVERIFY(today == regional::shortDate(before) || today == regional::shortDate(after));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$")).match(today).hasMatch());

    regional::setLocaleForTesting(indonesian);
    QCOMPARE(regional::longDate(QDate(2026, 12, 8)), QStringLiteral(" Selasa, 8 Desember 2026"));
    QCOMPARE(regional::longDate(QDate(2026, 1, 1)), QStringLiteral(" Kamis, 1 Januari 2026"));
    QCOMPARE(regional::longDate(QDate(2024, 2, 29)), QStringLiteral(" Kamis, 29 Februari 2024"));
    QCOMPARE(regional::longDate(QDate(2025, 8, 17)), QStringLiteral(" Minggu, 17 Agustus 2025"));
    QCOMPARE(regional::longDate(QDate(2026, 3, 2)), QStringLiteral(" Senin, 2 Maret 2026"));
    QCOMPARE(regional::longDate(QDate(2026, 5, 9)), QStringLiteral(" Sabtu, 9 Mei 2026"));
    regional::setLocaleForTesting(english);
    QCOMPARE(regional::longDate(QDate(2026, 12, 8)), QStringLiteral(" Tuesday, 8 December 2026"));

    QCOMPARE(regional::timeText(QTime(7, 5, 9)), QStringLiteral("07:05:09"));
    QCOMPARE(regional::timeText(QTime(23, 59, 59)), QStringLiteral("23:59:59"));
    QCOMPARE(regional::timeText(QTime(0, 0, 0)), QStringLiteral("00:00:00"));
    QCOMPARE(regional::timeText(QTime(13, 0, 0, 999)), QStringLiteral("13:00:00"));
}

void TestRegional::twoDigitYearWindow()
{
    struct Case {
        int twoDigits;
        int reference;
        int expected;
    };
    const Case cases[] = {
        // 2026: 1976 .. 2075.
        {76, 2026, 1976}, {75, 2026, 2075}, {83, 2026, 1983}, {0, 2026, 2000},
        {99, 2026, 1999}, {26, 2026, 2026}, {10, 2026, 2010},
        // 2000: 1950 .. 2049.
        {50, 2000, 1950}, {49, 2000, 2049}, {99, 2000, 1999}, {0, 2000, 2000},
        // 1999: 1949 .. 2048.
        {49, 1999, 1949}, {48, 1999, 2048}, {0, 1999, 2000},
        // 2050: 2000 .. 2099.
        {0, 2050, 2000}, {99, 2050, 2099}, {50, 2050, 2050},
    };
    for (const Case &c : cases) {
        if (regional::expandTwoDigitYear(c.twoDigits, c.reference) != c.expected)
            qWarning() << c.twoDigits << "in" << c.reference;
        QCOMPARE(regional::expandTwoDigitYear(c.twoDigits, c.reference), c.expected);
    }

    const int thisYear = QDate::currentDate().year();
    for (int yy = 0; yy < 100; ++yy) {
        const int year = regional::expandTwoDigitYear(yy);
        QCOMPARE(year % 100, yy);
        QVERIFY(year >= thisYear - 50 && year <= thisYear + 49);
    }
}

void TestRegional::parseShortDate()
{
    // No digit at all: the empty masked entry.
    for (const char *text : {"", "  /  /  ", "__/__/__", " ", "//"})
        QCOMPARE(regional::parseShortDate(QString::fromUtf8(text)), std::nullopt);

    const struct {
        const char *text;
        QDate expected;
    } valid[] = {
        {"08/12/2026", QDate(2026, 12, 8)},
        {"1/1/2026", QDate(2026, 1, 1)},
        {" 8/ 2/2024 ", QDate(2024, 2, 8)},
        {"29/02/2024", QDate(2024, 2, 29)},
        {"31/12/1899", QDate(1899, 12, 31)},
        {"_8/_2/2024", QDate(2024, 2, 8)},
    };
    for (const auto &c : valid) {
        const auto parsed = regional::parseShortDate(QString::fromUtf8(c.text));
        QVERIFY2(parsed.has_value(), c.text);
        QCOMPARE(*parsed, c.expected);
    }

    // Two-digit years land in the window around the current year.
    const int thisYear = QDate::currentDate().year();
    for (const char *text : {"10/01/83", " 1/ 1/83", "10/1/83"}) {
        const auto parsed = regional::parseShortDate(QString::fromUtf8(text));
        QVERIFY2(parsed && parsed->isValid(), text);
        QCOMPARE(parsed->year() % 100, 83);
        QVERIFY(parsed->year() >= thisYear - 50 && parsed->year() <= thisYear + 49);
    }
    QCOMPARE(regional::parseShortDate(QStringLiteral("10/01/83"))->month(), 1);
    QCOMPARE(regional::parseShortDate(QStringLiteral("10/01/83"))->day(), 10);

    // ... but never after today: a birth date in "70" is not one in 2070.
    const QDate today = QDate::currentDate();
    const QDate tomorrow = today.addDays(1);
    QCOMPARE(*regional::parseShortDate(today.toString(QStringLiteral("dd/MM/yy"))), today);
    QCOMPARE(*regional::parseShortDate(tomorrow.toString(QStringLiteral("dd/MM/yy"))), tomorrow.addYears(-100));
    for (int yy = 0; yy < 100; ++yy) {
        const QString text = QStringLiteral("01/01/%1").arg(yy, 2, 10, QLatin1Char('0'));
        const QDate parsed = *regional::parseShortDate(text);
        QVERIFY2(parsed <= today && parsed > today.addYears(-100), qPrintable(text));
    }

    // Not a real date, or not in the form.
    for (const char *text : {"31/02/2024", "29/02/2023", "1/13/2026", "0/1/2026", "32/1/2026",
                             "08/12/", "08/12/202", "08/12/20266", "08-12-2026", "08/12/2026/1",
                             "1 2/1/2026", "x8/12/2026", "08/12/2O26", "123/1/2026", "1/1/0000",
                             "  /12/2026"}) {
        const auto parsed = regional::parseShortDate(QString::fromUtf8(text));
        QVERIFY2(parsed.has_value(), text);
        QVERIFY2(!parsed->isValid(), text);
    }
}

void TestRegional::generalNumber()
{
    const struct {
        double value;
        const char *expected;
    } indonesianCases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1500.0, "1500"},
        {0.1 + 0.2, "0,3"},
        {8641.99, "8641,99"},
        {-2.5, "-2,5"},
        {1234567.125, "1234567,125"},
        {1.0 / 3.0, "0,333333333333333"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1234567890123456.0, "1,23456789012346E15"},
        {1e20, "1E20"},
        {-1e20, "-1E20"},
        {1.5e-7, "1,5E-7"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {2.5e-300, "2,5E-300"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const auto &c : indonesianCases)
        QCOMPARE(regional::generalNumber(c.value), QString::fromUtf8(c.expected));

    regional::setLocaleForTesting(english);
    QCOMPARE(regional::generalNumber(8641.99), QStringLiteral("8641.99"));
    QCOMPARE(regional::generalNumber(1.5e-7), QStringLiteral("1.5E-7"));
    QCOMPARE(regional::generalNumber(1234567.0), QStringLiteral("1234567"));
}

QTEST_GUILESS_MAIN(TestRegional)
#include "tst_regional.moc"
