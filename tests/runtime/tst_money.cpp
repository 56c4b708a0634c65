#include "runtime/money.h"
#include "runtime/regional.h"

#include <QTest>
#include <QVariant>

#include <functional>
#include <limits>

namespace {

const QLocale indonesian(QLocale::Indonesian, QLocale::Indonesia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

constexpr std::int64_t maxRaw = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minRaw = std::numeric_limits<std::int64_t>::min();

Money raw(std::int64_t value)
{
    return Money::fromRaw(value);
}

// Runs the action and returns the MoneyError's message, or a null string
// when nothing was thrown.
QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const MoneyError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestMoney : public QObject {
    Q_OBJECT

private slots:
    void init() { regional::setLocaleForTesting(indonesian); }
    void cleanup() { regional::setLocaleForTesting(std::nullopt); }

    void arithmeticIsExactAndRefusesOverflow();
    void productRoundsHalfToEven();
    void parseReadsWhatTheOperatorTypes();
    void parseRefusesBadOrHugeText();
    void plainText();
    void currencyText();
};

void TestMoney::arithmeticIsExactAndRefusesOverflow()
{
    QCOMPARE((raw(15'000'000) + raw(5)).raw(), 15'000'005);
    QCOMPARE((raw(5) - raw(15'000'000)).raw(), -14'999'995);
    QCOMPARE((-raw(7)).raw(), -7);
    QCOMPARE(Money::fromUnits(1500).raw(), 15'000'000);
    QCOMPARE(Money::fromUnits(-3).raw(), -30'000);
    QVERIFY(raw(1) < raw(2));
    QCOMPARE(raw(-30'000), Money::fromUnits(-3));

    Money total;
    total += Money::fromUnits(10);
    total -= raw(1);
    QCOMPARE(total.raw(), 99'999);
    QCOMPARE(raw(86'419'950).toDouble(), 8641.995);

    const Money back = QVariant::fromValue(raw(-42)).value<Money>();
    QCOMPARE(back.raw(), -42);

    // The edges themselves are reachable.
    QCOMPARE((raw(maxRaw - 1) + raw(1)).raw(), maxRaw);
    QCOMPARE((raw(minRaw + 1) - raw(1)).raw(), minRaw);
    QCOMPARE((-raw(maxRaw)).raw(), minRaw + 1);

    // Messages name the amounts involved, in the regional plain form.
    QCOMPARE(errorOf([] { raw(maxRaw) + raw(1); }),
             QStringLiteral("Jumlah 922337203685477,5807 dan 0,0001 melebihi batas jumlah uang"));
    QCOMPARE(errorOf([] { raw(minRaw) - raw(10'000); }),
             QStringLiteral("Selisih -922337203685477,5808 dan 1 melebihi batas jumlah uang"));
    QCOMPARE(errorOf([] { -raw(minRaw); }),
             QStringLiteral("Lawan dari -922337203685477,5808 melebihi batas jumlah uang"));
    QCOMPARE(errorOf([] { Money::fromUnits(922'337'203'685'478); }),
             QStringLiteral("\"922337203685478\" melebihi batas jumlah uang"));
    QCOMPARE(Money::fromUnits(922'337'203'685'477).raw(), 9'223'372'036'854'770'000);
    QVERIFY(errorOf([] { raw(minRaw) + raw(-1); }).contains(QStringLiteral("-922337203685477,5808")));
}

void TestMoney::productRoundsHalfToEven()
{
    struct Case {
        std::int64_t left;
        std::int64_t right;
        std::int64_t expected;
    };
    const Case cases[] = {
        // The loan fee: 7 % of 123456.5 is exact.
        {700, 1'234'565'000, 86'419'550},
        // 0.0007 * 1.5 = 0.00105: a tie at the fifth decimal goes down to even...
        {7, 15'000, 10},
        // ...and 0.0007 * 2.5 = 0.00175 goes up to even.
        {7, 25'000, 18},
        // 7 % of 123456.0050 = 8641.920350, tie, up to ...204.
        {700, 1'234'560'050, 86'419'204},
        // 7 % of 123456.0150 = 8641.921050, tie, down to ...210.
        {700, 1'234'560'150, 86'419'210},
        // Below and above the half.
        {7, 16'000, 11},
        {7, 17'000, 12},
        {700, 5, 0},
        // Negative ties mirror the positive ones, whichever factor is negative.
        {-7, 15'000, -10},
        {7, -25'000, -18},
        {-7, -25'000, 18},
        {-700, 1'234'560'050, -86'419'204},
        {700, -1'234'560'150, -86'419'210},
        {-7, 17'000, -12},
        // Products beyond 64 bits before the division still come out exact.
        {1'000'000'000'000'000, 90'000'000, 9'000'000'000'000'000'000},
        {maxRaw, 10'000, maxRaw},
        {minRaw, 10'000, minRaw},
        {0, maxRaw, 0},
    };
    for (const Case &c : cases) {
        const Money product = raw(c.left) * raw(c.right);
        if (product.raw() != c.expected)
            qWarning() << c.left << "*" << c.right;
        QCOMPARE(product.raw(), c.expected);
    }

    QCOMPARE(errorOf([] { raw(maxRaw) * raw(20'000); }),
             QStringLiteral("Hasil kali 922337203685477,5807 dan 2 melebihi batas jumlah uang"));
    QVERIFY(!errorOf([] { raw(1'000'000'000'000'000) * raw(100'000'000); }).isEmpty());
    QVERIFY(!errorOf([] { raw(minRaw) * raw(-10'000); }).isEmpty());
    // Just below and just above one: the 128-bit product decides.
    QCOMPARE((raw(maxRaw) * raw(9'999)).raw(), 9'222'449'699'651'090'329);
    QVERIFY(!errorOf([] { raw(maxRaw) * raw(10'001); }).isEmpty());
}

void TestMoney::parseReadsWhatTheOperatorTypes()
{
    struct Case {
        const QLocale *locale;
        const char *text;
        std::int64_t expected;
    };
    const Case cases[] = {
        // As a clerk types it and as the currency column shows it.
        {&indonesian, "50000", 500'000'000},
        {&indonesian, "50.000", 500'000'000},
        {&indonesian, "50.000,50", 500'005'000},
        {&indonesian, "Rp50.000", 500'000'000},
        {&indonesian, "Rp 50.000,00", 500'000'000},
        {&indonesian, "Rp. 50.000", 500'000'000},
        {&indonesian, "rp50000", 500'000'000},
        {&indonesian, "Rp1.500.000,00", 15'000'000'000},
        {&indonesian, "Rp-1.500.000,00", -15'000'000'000},
        {&indonesian, "-Rp 1.500", -15'000'000},
        {&indonesian, "  8641,99 ", 86'419'900},
        {&indonesian, "-0,0005", -5},
        {&indonesian, "0", 0},
        {&indonesian, "-0", 0},
        {&indonesian, "000000000000000000000000001", 10'000},
        {&indonesian, "1.000.000.000", 10'000'000'000'000},
        // The very edges of the range.
        {&indonesian, "922337203685477,5807", maxRaw},
        {&indonesian, "922.337.203.685.477,5807", maxRaw},
        {&indonesian, "-922337203685477,5808", minRaw},
        // The English separators.
        {&english, "1.5", 15'000},
        {&english, "8,641.99", 86'419'900},
        {&english, "$8,641.99", 86'419'900},
        {&english, "Rp 50,000", 500'000'000},
    };
    for (const Case &c : cases) {
        const Money value = Money::parse(QString::fromUtf8(c.text), *c.locale);
        if (value.raw() != c.expected)
            qWarning() << c.text << c.locale->name();
        QCOMPARE(value.raw(), c.expected);
    }

    // Without a locale the regional one decides.
    QCOMPARE(Money::parse(QStringLiteral("2,25")).raw(), 22'500);
    regional::setLocaleForTesting(english);
    QCOMPARE(Money::parse(QStringLiteral("2.25")).raw(), 22'500);
}

void TestMoney::parseRefusesBadOrHugeText()
{
    const char *invalidInIndonesian[] = {
        "", "   ", "abc", "-", "+", "+12", ",", ",5", "5,", "1,2,3", "50.5", "50.00", "5.0000", "1000.000",
        "1.000.00", "50.000.", ".500", "0,00005", "1,5E3", "1E5", "12a", "1 000", "--1", "-Rp-1", "Rp", "Rp.",
        "Rp50.000 Rp", "50.000Rp", "Rp,5", "0x10", "Rp 50,000.00",
    };
    for (const char *text : invalidInIndonesian) {
        const QString message = errorOf([text] { Money::parse(QString::fromUtf8(text), indonesian); });
        const QString expected = QStringLiteral("\"%1\" bukan jumlah uang yang sah").arg(QString::fromUtf8(text).trimmed());
        if (message != expected)
            qWarning() << "text:" << text;
        QCOMPARE(message, expected);
    }
    QCOMPARE(errorOf([] { Money::parse(QStringLiteral("1,5"), english); }),
             QStringLiteral("\"1,5\" bukan jumlah uang yang sah"));
    QCOMPARE(errorOf([] { Money::parse(QStringLiteral("abc")); }),
             QStringLiteral("\"abc\" bukan jumlah uang yang sah"));

    const char *beyondRange[] = {
        "922337203685477,5808", "-922337203685477,5809", "922337203685478", "922.337.203.685.478",
        "99999999999999999999999999", "Rp 99.999.999.999.999.999.999.999.999.999.999.999.999",
    };
    for (const char *text : beyondRange) {
        const QString message = errorOf([text] { Money::parse(QString::fromUtf8(text), indonesian); });
        const QString expected = QStringLiteral("\"%1\" melebihi batas jumlah uang").arg(QString::fromUtf8(text));
        if (message != expected)
            qWarning() << "text:" << text;
        QCOMPARE(message, expected);
    }
}

void TestMoney::plainText()
{
    QCOMPARE(Money::fromUnits(1500).toPlainString(indonesian), QStringLiteral("1500"));
    QCOMPARE(raw(86'419'900).toPlainString(indonesian), QStringLiteral("8641,99"));
    QCOMPARE(raw(-5).toPlainString(indonesian), QStringLiteral("-0,0005"));
    QCOMPARE(raw(0).toPlainString(indonesian), QStringLiteral("0"));
    QCOMPARE(raw(12'345'671'230).toPlainString(indonesian), QStringLiteral("1234567,123"));
    QCOMPARE(raw(minRaw).toPlainString(indonesian), QStringLiteral("-922337203685477,5808"));
    QCOMPARE(raw(maxRaw).toPlainString(indonesian), QStringLiteral("922337203685477,5807"));
    QCOMPARE(raw(86'419'900).toPlainString(english), QStringLiteral("8641.99"));
    QCOMPARE(raw(-12'345'671'230).toPlainString(english), QStringLiteral("-1234567.123"));
    QCOMPARE(raw(10'000'000'000'000).toPlainString(english), QStringLiteral("1000000000"));

    QCOMPARE(raw(86'419'900).toPlainString(), QStringLiteral("8641,99"));
    regional::setLocaleForTesting(english);
    QCOMPARE(raw(86'419'900).toPlainString(), QStringLiteral("8641.99"));

    // What is shown can be typed back.
    for (const std::int64_t value : {std::int64_t(0), std::int64_t(-5), std::int64_t(86'419'900), maxRaw, minRaw}) {
        for (const QLocale *locale : {&indonesian, &english})
            QCOMPARE(Money::parse(raw(value).toPlainString(*locale), *locale).raw(), value);
    }
}

void TestMoney::currencyText()
{
    QCOMPARE(Money::fromUnits(1'500'000).toCurrencyString(indonesian), QStringLiteral("Rp1.500.000,00"));
    QCOMPARE(Money::fromUnits(-1'500'000).toCurrencyString(indonesian), QStringLiteral("Rp-1.500.000,00"));
    QCOMPARE(raw(0).toCurrencyString(indonesian), QStringLiteral("Rp0,00"));
    QCOMPARE(raw(86'419'550).toCurrencyString(indonesian), QStringLiteral("Rp8.641,96"));
    // Display rounding is half away from zero, not half-even.
    QCOMPARE(raw(86'419'450).toCurrencyString(indonesian), QStringLiteral("Rp8.641,95"));
    QCOMPARE(raw(86'419'449).toCurrencyString(indonesian), QStringLiteral("Rp8.641,94"));
    QCOMPARE(raw(-86'419'450).toCurrencyString(indonesian), QStringLiteral("Rp-8.641,95"));
    QCOMPARE(raw(-50).toCurrencyString(indonesian), QStringLiteral("Rp-0,01"));
    QCOMPARE(raw(-49).toCurrencyString(indonesian), QStringLiteral("Rp0,00"));
    QCOMPARE(raw(999'950).toCurrencyString(indonesian), QStringLiteral("Rp100,00"));
    QCOMPARE(raw(maxRaw).toCurrencyString(indonesian), QStringLiteral("Rp922.337.203.685.477,58"));
    QCOMPARE(raw(minRaw).toCurrencyString(indonesian), QStringLiteral("Rp-922.337.203.685.477,58"));

    QCOMPARE(Money::fromUnits(1'500'000).toCurrencyString(english), QStringLiteral("$1,500,000.00"));
    QCOMPARE(raw(-86'419'450).toCurrencyString(english), QStringLiteral("($8,641.95)"));
    QCOMPARE(raw(5).toCurrencyString(english), QStringLiteral("$0.00"));

    QCOMPARE(raw(15'000).toCurrencyString(), QStringLiteral("Rp1,50"));
    regional::setLocaleForTesting(english);
    QCOMPARE(raw(15'000).toCurrencyString(), QStringLiteral("$1.50"));

    // Other locales keep their own symbol place, grouping and negative form;
    // these amounts are exact in binary, so the toolkit's own text can judge.
    const QLocale others[] = {
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Hindi, QLocale::India),
        QLocale(QLocale::Dutch, QLocale::Netherlands),
        QLocale(QLocale::Arabic, QLocale::Egypt),
    };
    for (const QLocale &locale : others) {
        for (const double amount : {1234567.5, -1234567.25, 0.75, 100.0}) {
            const Money money = raw(std::int64_t(amount * 10000));
            QCOMPARE(money.toCurrencyString(locale), locale.toCurrencyString(amount, QString(), 2));
        }
    }
}

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
