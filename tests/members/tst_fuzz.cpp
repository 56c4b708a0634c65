// Bounded fuzzing with a seeded generator: the money text parser, the birth
// date typed through its input mask into the member window, and the five key
// filters of the member window. Nothing may crash (the sanitizer build runs
// this too), and every refused input must come with a clear error.
// SP_FUZZ_SEED sets the seed, SP_FUZZ_SCALE multiplies the number of inputs.

#include "memberfixture.h"

#include "runtime/money.h"
#include "runtime/regional.h"

#include <QRandomGenerator>

using namespace fixture;

namespace {

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

quint32 seed()
{
    return quint32(envNumber("SP_FUZZ_SEED", 20260101));
}

int scaled(int runs)
{
    return runs * std::max(1, envNumber("SP_FUZZ_SCALE", 1));
}

QChar pick(QRandomGenerator &random, const QString &from)
{
    return from.at(int(random.bounded(from.size())));
}

// Mostly what an amount is made of, now and then anything at all.
QString moneyNoise(QRandomGenerator &random)
{
    static const QString parts = QStringLiteral("0123456789012345678901234567890,.,.--++Ee  \t_xX%Rp\u0660\u0663\uff11");
    QString text;
    const int length = int(random.bounded(32));
    for (int i = 0; i < length; ++i)
        text += random.bounded(20) == 0 ? QChar(char16_t(random.bounded(1, 0xd7ff))) : pick(random, parts);
    return text;
}

struct Amount {
    QString text;
    bool negative = false;
    bool wellFormed = true;      // a form the clerk may type
    QString whole, fraction;     // digits
};

// An amount as a clerk may type it or read it off the screen: sign, currency
// symbol, whole digits plain or grouped by three, decimals; now and then with
// a group out of place or a decimal too many.
Amount typedAmount(QRandomGenerator &random, const QLocale &locale)
{
    Amount a;
    a.negative = random.bounded(3) == 0;
    const int wholeDigits = int(random.bounded(1, 22));
    for (int i = 0; i < wholeDigits; ++i)
        a.whole += QChar(u'0' + random.bounded(10));
    const int decimals = int(random.bounded(7));
    for (int i = 0; i < decimals; ++i)
        a.fraction += QChar(u'0' + random.bounded(10));
    a.wellFormed = decimals <= 4;

    QString number = a.whole;
    if (random.bounded(2) == 0) {
        QStringList groups;
        for (qsizetype end = number.size(); end > 0; end -= 3) {
            const qsizetype start = std::max<qsizetype>(0, end - 3);
            groups.prepend(number.mid(start, end - start));
        }
        if (groups.size() >= 3 && random.bounded(4) == 0) {
            // Two groups run together: a first group of four or more, or one of six.
            const int i = int(random.bounded(groups.size() - 1));
            groups[i] += groups.takeAt(i + 1);
            a.wellFormed = false;
        }
        number = groups.join(locale.groupSeparator());
    }
    if (decimals > 0)
        number += locale.decimalPoint() + a.fraction;
    const QString symbol = QStringList{QString(), "Rp", "Rp ", "Rp.", "Rp. "}.at(random.bounded(5));
    const QString sign = a.negative ? QStringLiteral("-") : QString();
    a.text = random.bounded(2) == 0 ? sign + symbol + number : symbol + sign + number;
    return a;
}

// The exact value in ten-thousandths; nothing when the text is no amount or
// does not fit the money range.
std::optional<qint64> expectedRaw(const Amount &a)
{
    if (!a.wellFormed)
        return std::nullopt;
    __int128 raw = 0;
    for (const QChar c : a.whole) {
        raw = raw * 10 + (c.unicode() - u'0');
        if (raw > (__int128(1) << 80))
            return std::nullopt;
    }
    const QString four = (a.fraction + QStringLiteral("0000")).left(4);
    for (const QChar c : four)
        raw = raw * 10 + (c.unicode() - u'0');
    if (a.negative)
        raw = -raw;
    if (raw > std::numeric_limits<qint64>::max() || raw < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return qint64(raw);
}

// Whether a key press carries a character that an edit box would insert
// (format characters such as U+06DD included) or one of the control codes
// the filters see; a press that carries none is no business of theirs.
bool delivers(int code)
{
    const QChar::Category category = QChar::category(char32_t(code));
    return code == 8 || (code >= 1 && code <= 26) || QChar::isPrint(char32_t(code))
        || category == QChar::Other_Format || category == QChar::Other_PrivateUse;
}

// Characters the key filters let through, by input.
bool passes(const QWidget *input, int code)
{
    const bool digit = code >= '0' && code <= '9';
    if (input == Fanggota->DBEnpm)
        return digit || (code >= 'A' && code <= 'K') || (code >= 'a' && code <= 'k');
    if (input == Fanggota->DBEtelp)
        return digit || code == '-';
    return digit;
}

QString messageOf(const QWidget *input)
{
    if (input == Fanggota->DBEnpm)
        return QStringLiteral("NPM salah!!");
    if (input == Fanggota->DBEnbk)
        return QStringLiteral("NBK harus diisi angka!!");
    if (input == Fanggota->DBEtgll)
        return QStringLiteral("Masukkan Tanggal Lahir sesuai dengan format yang telah disediakan!!contoh:10/01/83");
    if (input == Fanggota->DBEkodepos)
        return QStringLiteral("Kodepos harus diisi angka!!");
    return QStringLiteral("No.Telp hanya dapat diisi angka dan '-'!!");
}

// A character a keyboard may deliver: mostly plain ASCII, control keys and
// the odd letter from elsewhere. Tab, Enter and Escape move the focus or
// press a button and are left out.
int typedCode(QRandomGenerator &random)
{
    switch (random.bounded(10)) {
    case 0:
        return int(random.bounded(0xa0, 0x3000));
    case 1:
        return QList<int>{8, 3, 22, 24, 1, 26}.at(int(random.bounded(6)));
    default:
        return int(random.bounded(0x20, 0x7f));
    }
}

// One key press delivering the character `code`, as a keyboard sends it.
void press(QWidget *input, int code)
{
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    if (code == 8) {
        key = Qt::Key_Backspace;
    } else if (code >= 1 && code <= 26) {
        key = Qt::Key(Qt::Key_A + code - 1);
        modifiers = Qt::ControlModifier;
    } else if (code < 128) {
        key = Qt::Key(QChar(code).toUpper().unicode());
    }
    QTest::sendKeyEvent(QTest::Click, input, key, QString(QChar(char16_t(code))), modifiers);
}

// Types over what an input shows, the focus arriving there first.
void typeKeys(QWidget *input, const QString &keys)
{
    input->setFocus(Qt::TabFocusReason);
    QTest::keyClick(input, Qt::Key_Home);
    QTest::keyClick(input, Qt::Key_End, Qt::ShiftModifier);
    for (const QChar c : keys)
        press(input, c.unicode());
}

} // namespace

class FuzzTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInfo("seed %u", seed()); }
    void moneyText();
    void birthDateText();
    void keyFilters();
};

// Money::parse takes an amount or refuses it with a message that quotes the
// text; what it takes reads back to the same amount, and a typed amount
// gives its exact value or, when it is not in a form a clerk types, is
// refused.
void FuzzTest::moneyText()
{
    QRandomGenerator random(seed());
    const QList<QLocale> locales{QLocale::c(), QLocale(QLocale::Indonesian, QLocale::Indonesia)};
    int tried = 0, refused = 0;
    const auto parse = [&](const QString &text, const QLocale &locale) -> std::optional<Money> {
        ++tried;
        try {
            return Money::parse(text, locale);
        } catch (const MoneyError &e) {
            ++refused;
            const QString quoted = QLatin1Char('"') + text.trimmed() + QLatin1Char('"');
            if (!e.message().contains(quoted))
                QTest::qFail(qPrintable(QStringLiteral("unclear refusal of %1: %2").arg(quoted, e.message())),
                             __FILE__, __LINE__);
            return std::nullopt;
        }
    };
    for (int i = 0; i < scaled(20000); ++i) {
        const QLocale &locale = locales.at(i % 2);
        const QString text = moneyNoise(random);
        const std::optional<Money> value = parse(text, locale);
        if (QTest::currentTestFailed())
            return;
        if (value) {
            const std::optional<Money> again = parse(value->toPlainString(locale), locale);
            QVERIFY2(again && *again == *value, qPrintable(text));
        }

        const Amount amount = typedAmount(random, locale);
        const std::optional<Money> exact = parse(amount.text, locale);
        if (QTest::currentTestFailed())
            return;
        const std::optional<qint64> expected = expectedRaw(amount);
        QVERIFY2(exact.has_value() == expected.has_value(), qPrintable(amount.text));
        if (expected)
            QVERIFY2(exact->raw() == *expected, qPrintable(QStringLiteral("%1 read as %2").arg(amount.text).arg(exact->raw())));
    }
    qInfo("%d money texts tried, %d refused", tried, refused);
}

// Whatever is typed into the birth-date input, leaving it either stores the
// date it shows (the two-digit year read into its window) or refuses the
// text, quoting it, and keeps the field as it was.
void FuzzTest::birthDateText()
{
    fixture::Program program;
    QRandomGenerator random(seed() + 1);
    activate(Fanggota);
    Fanggota->BBTambahData->click();
    Field *birth = modul->Tanggota1->fieldByName(QStringLiteral("Tgl_Lahir"));
    const int now = QDate::currentDate().year();
    int tried = 0, refused = 0;
    for (int i = 0; i < scaled(1000); ++i) {
        // Mostly a day, a month and a year that could be meant, else noise.
        QString keys;
        if (random.bounded(5) < 3) {
            keys = QStringLiteral("%1%2%3")
                       .arg(random.bounded(36), 2, 10, QLatin1Char('0'))
                       .arg(random.bounded(15), 2, 10, QLatin1Char('0'))
                       .arg(random.bounded(100), 2, 10, QLatin1Char('0'));
        } else {
            const int length = int(random.bounded(1, 9));
            for (int k = 0; k < length; ++k)
                keys += random.bounded(6) == 0 ? QChar(char16_t(typedCode(random))) : QChar(u'0' + random.bounded(10));
        }
        const QVariant before = birth->value();
        MessageScript script;
        typeKeys(Fanggota->DBEtgll, keys);
        const QString shown = Fanggota->DBEtgll->text();
        int warnings = 0;
        for (const QChar c : keys)
            warnings += delivers(c.unicode()) && !passes(Fanggota->DBEtgll, c.unicode()) ? 1 : 0;
        Fanggota->DBEnama->setFocus(Qt::TabFocusReason);
        ++tried;

        QStringList parts = QString(shown).replace(QLatin1Char('_'), QLatin1Char(' ')).split(QLatin1Char('/'));
        for (QString &part : parts)
            part = part.trimmed();
        const bool anyDigit = shown.contains(QRegularExpression(QStringLiteral("\\d")));
        const int year = parts.value(2).toInt();
        const int fullYear = now - 50 + ((year - (now - 50)) % 100 + 100) % 100;
        QDate meant(fullYear, parts.value(1).toInt(), parts.value(0).toInt());
        // A birth date is never read into the future.
        if (meant.isValid() && meant > QDate::currentDate())
            meant = QDate(fullYear - 100, meant.month(), meant.day());
        const bool complete = parts.size() == 3 && !parts.at(0).isEmpty() && !parts.at(1).isEmpty()
            && parts.at(2).size() == 2;

        QCOMPARE(script.count(), warnings + ((anyDigit && !(complete && meant.isValid())) ? 1 : 0));
        for (int w = 0; w < warnings; ++w)
            QCOMPARE(script.boxes().at(w).text, messageOf(Fanggota->DBEtgll));
        if (!anyDigit) {
            QVERIFY2(birth->isNull(), qPrintable(shown));
        } else if (complete && meant.isValid()) {
            QCOMPARE(birth->asDate(), meant);
        } else {
            ++refused;
            const messages::Box box = script.last();
            // A year short of its two digits does not fill the mask; any
            // other text is no date. Both are the clerk's to correct.
            QCOMPARE(box.kind, messages::Kind::Warning);
            if (parts.value(2).size() < 2)
                QCOMPARE(box.text, QStringLiteral("\"Tanggal lahir\": \"%1\" belum lengkap").arg(shown));
            else
                QCOMPARE(box.text, QStringLiteral("\"Tanggal lahir\": \"%1\" bukan tanggal yang sah").arg(shown));
            QCOMPARE(birth->value(), before);
            Fanggota->DBEtgll->clear(); // as a clerk puts it right
            Fanggota->DBEtgll->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(Fanggota->DBEtgll, QStringLiteral("010101"));
            Fanggota->DBEnama->setFocus(Qt::TabFocusReason);
        }
    }
    qInfo("%d birth dates typed, %d refused", tried, refused);
}

// Each filter lets its characters through and discards any other with its
// warning, whether called with a character code or typed at the keyboard.
void FuzzTest::keyFilters()
{
    fixture::Program program;
    QRandomGenerator random(seed() + 2);
    activate(Fanggota);
    Fanggota->BBTambahData->click();
    const QList<std::pair<QWidget *, std::function<void(int &)>>> filters{
        {Fanggota->DBEnpm, [](int &key) { Fanggota->DBEnpmKeyPress(key); }},
        {Fanggota->DBEnbk, [](int &key) { Fanggota->DBEnbkKeyPress(key); }},
        {Fanggota->DBEtgll, [](int &key) { Fanggota->DBEtgllKeyPress(key); }},
        {Fanggota->DBEkodepos, [](int &key) { Fanggota->DBEkodeposKeyPress(key); }},
        {Fanggota->DBEtelp, [](int &key) { Fanggota->DBEtelpKeyPress(key); }},
    };
    int codes = 0, typedTexts = 0;
    for (const auto &[input, filter] : filters) {
        for (int i = 0; i < scaled(3000); ++i) {
            const int code = random.bounded(4) == 0 ? int(random.bounded(-8, 0x110000)) : int(random.bounded(256));
            int key = code;
            Fanggota->SpeedButton1->setEnabled(false);
            MessageScript script;
            filter(key);
            ++codes;
            if (passes(input, code)) {
                QCOMPARE(key, code);
                QCOMPARE(script.count(), 0);
            } else {
                QCOMPARE(key, 0);
                QCOMPARE(script.texts(), QStringList{messageOf(input)});
                QCOMPARE(script.last().kind, messages::Kind::Warning);
            }
            if (input == Fanggota->DBEnbk)
                QVERIFY(Fanggota->SpeedButton1->isEnabled());
        }
        if (input == Fanggota->DBEtgll)
            continue; // typed through its mask in birthDateText
        const auto *edit = qobject_cast<QLineEdit *>(input);
        for (int i = 0; i < scaled(200); ++i) {
            QString keys;
            const int length = int(random.bounded(1, 20));
            for (int k = 0; k < length; ++k)
                keys += QChar(char16_t(typedCode(random)));
            QString kept;
            int refusedKeys = 0;
            for (const QChar c : keys) {
                if (!delivers(c.unicode()))
                    continue;
                if (passes(input, c.unicode()))
                    kept += c;
                else
                    ++refusedKeys;
            }
            const QString before = edit->text();
            MessageScript script;
            typeKeys(input, keys);
            ++typedTexts;
            // Refused keys leave the text alone; kept ones type over it.
            QCOMPARE(edit->text(), kept.isEmpty() ? before : kept.left(edit->maxLength()));
            QCOMPARE(script.count(), refusedKeys);
            for (const QString &text : script.texts())
                QCOMPARE(text, messageOf(input));
        }
    }
    qInfo("%d key codes filtered, %d texts typed", codes, typedTexts);
}

MEMBER_TEST_MAIN(FuzzTest)
#include "tst_fuzz.moc"
