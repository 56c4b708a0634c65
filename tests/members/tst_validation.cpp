#include "memberfixture.h"

#include <QClipboard>

using namespace fixture;

namespace {

const QString NpmMessage = QStringLiteral("NPM salah!!");
const QString NbkMessage = QStringLiteral("NBK harus diisi angka!!");
const QString DateMessage =
    QStringLiteral("Masukkan Tanggal Lahir sesuai dengan format yang telah disediakan!!contoh:10/01/83");
const QString PostcodeMessage = QStringLiteral("Kodepos harus diisi angka!!");
const QString PhoneMessage = QStringLiteral("No.Telp hanya dapat diisi angka dan '-'!!");

// The year ending in `twoDigits` that lies from 50 years before to 49 years
// after the current year.
int yearInWindow(int twoDigits)
{
    const int now = QDate::currentDate().year();
    for (int year = now - 50; year <= now + 49; ++year) {
        if (year % 100 == twoDigits)
            return year;
    }
    return 0;
}

// How a birth date typed with a two-digit year is read: in that window, or
// a century earlier when it would come after today.
QDate birthDate(int twoDigits, int month, int day)
{
    const QDate date(yearInWindow(twoDigits), month, day);
    return date > QDate::currentDate() ? date.addYears(-100) : date;
}

// Lets a click reach its handler, which runs once the control is done with it.
void settleClicks()
{
    QTest::qWait(20);
}

} // namespace

class TestValidation : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Program> program;

    // Types single keys into an input and returns the warnings they raised.
    QStringList press(QWidget *input, const QList<std::pair<Qt::Key, Qt::KeyboardModifiers>> &keys)
    {
        MessageScript script;
        for (const auto &[key, modifiers] : keys)
            QTest::keyClick(input, key, modifiers);
        for (const messages::Box &box : script.boxes()) {
            if (box.kind != messages::Kind::Warning)
                qWarning("not a warning: %s", qPrintable(box.text));
        }
        return script.texts();
    }

    QStringList typed(QWidget *input, const QString &text)
    {
        MessageScript script;
        QTest::keyClicks(input, text);
        return script.texts();
    }

    // A blank new member, the inputs empty and the focus in `input`.
    void blankRowIn(QWidget *input)
    {
        activate(Fanggota);
        Fanggota->BBTambahData->click();
        input->setFocus(Qt::TabFocusReason);
    }

private slots:
    void init()
    {
        program = std::make_unique<fixture::Program>();
    }

    void cleanup()
    {
        program.reset();
    }

    void npmFilter()
    {
        DBEdit *npm = Fanggota->DBEnpm;
        blankRowIn(npm);
        QCOMPARE(typed(npm, "09AKak"), QStringList());
        QCOMPARE(npm->text(), QString("09AKak"));
        for (const char *refused : {"L", "z", "l", " ", "/"}) {
            QCOMPARE(typed(npm, refused), QStringList{NpmMessage});
            QCOMPARE(npm->text(), QString("09AKak"));
        }
        // No control character passes: Backspace, Enter and Escape (no button
        // takes them here), copy, paste and cut.
        Fanggota->BitBtn7->setEnabled(false);
        Fanggota->BitBtn8->setEnabled(false);
        QGuiApplication::clipboard()->setText("B00");
        QCOMPARE(press(npm, {{Qt::Key_Backspace, {}}, {Qt::Key_Return, {}}, {Qt::Key_Escape, {}},
                              {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_V, Qt::ControlModifier},
                              {Qt::Key_X, Qt::ControlModifier}}),
                 QStringList(6, NpmMessage));
        QCOMPARE(npm->text(), QString("09AKak"));
        // The Delete key is not a character and erases.
        QTest::keyClick(npm, Qt::Key_Home);
        QCOMPARE(press(npm, {{Qt::Key_Delete, {}}}), QStringList());
        QCOMPARE(npm->text(), QString("9AKak"));
    }

    void refusedKeyStartsNoEdit()
    {
        program->seed({member("1101001", "A0011001", "001", "Budi")});
        activate(Fanggota);
        Fanggota->DBEnpm->setFocus(Qt::TabFocusReason);
        QCOMPARE(typed(Fanggota->DBEnpm, "z"), QStringList{NpmMessage});
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(Fanggota->DBEnpm->text(), QString("A0011001"));
    }

    void nbkFilter()
    {
        DBEdit *nbk = Fanggota->DBEnbk;
        blankRowIn(nbk);
        QCOMPARE(typed(nbk, "04"), QStringList());
        for (const char *refused : {"a", "-", " "})
            QCOMPARE(typed(nbk, refused), QStringList{NbkMessage});
        QCOMPARE(nbk->text(), QString("04"));

        // Backspace does not erase, and any key makes the number button usable.
        Fanggota->SpeedButton1->setEnabled(false);
        QCOMPARE(press(nbk, {{Qt::Key_Backspace, {}}}), QStringList{NbkMessage});
        QCOMPARE(nbk->text(), QString("04"));
        QVERIFY(Fanggota->SpeedButton1->isEnabled());
        Fanggota->SpeedButton1->setEnabled(false);
        QCOMPARE(typed(nbk, "5"), QStringList());
        QVERIFY(Fanggota->SpeedButton1->isEnabled());
        QCOMPARE(nbk->text(), QString("045"));
        // A fourth digit does not fit.
        QCOMPARE(typed(nbk, "6"), QStringList());
        QCOMPARE(nbk->text(), QString("045"));
    }

    void birthDateFilterAndMask()
    {
        DBEdit *birth = Fanggota->DBEtgll;
        blankRowIn(birth);
        QCOMPARE(birth->text(), QString("//"));
        QCOMPARE(typed(birth, "10"), QStringList());
        // A typed slash is refused; the mask passes over its own separators.
        QCOMPARE(typed(birth, "/"), QStringList{DateMessage});
        QCOMPARE(typed(birth, "a"), QStringList{DateMessage});
        QCOMPARE(typed(birth, "0183"), QStringList());
        QCOMPARE(birth->text(), QString("10/01/83"));
        QCOMPARE(press(birth, {{Qt::Key_Backspace, {}}}), QStringList{DateMessage});
        QCOMPARE(birth->text(), QString("10/01/83"));

        // Read as day, month and a two-digit year, never after today.
        Fanggota->DBEnpm->setFocus(Qt::TabFocusReason);
        QCOMPARE(modul->Tanggota1->fieldByName("Tgl_Lahir")->asDate(), birthDate(83, 1, 10));
        QCOMPARE(birthDate(83, 1, 10).year() % 100, 83);
        MessageScript script;
        type(birth, "010275");
        Fanggota->DBEnpm->setFocus(Qt::TabFocusReason);
        QCOMPARE(modul->Tanggota1->fieldByName("Tgl_Lahir")->asDate(), birthDate(75, 2, 1));
        QVERIFY(birthDate(75, 2, 1) <= QDate::currentDate());
        QCOMPARE(script.count(), 0);
    }

    void postcodeFilter()
    {
        DBEdit *postcode = Fanggota->DBEkodepos;
        blankRowIn(postcode);
        QCOMPARE(typed(postcode, "4013"), QStringList());
        QCOMPARE(typed(postcode, "x"), QStringList{PostcodeMessage});
        QCOMPARE(typed(postcode, "-"), QStringList{PostcodeMessage});
        QCOMPARE(press(postcode, {{Qt::Key_Backspace, {}}}), QStringList{PostcodeMessage});
        QCOMPARE(typed(postcode, "29"), QStringList());
        QCOMPARE(postcode->text(), QString("40132"));
    }

    void phoneFilter()
    {
        DBEdit *phone = Fanggota->DBEtelp;
        blankRowIn(phone);
        QCOMPARE(typed(phone, "022-250-4"), QStringList());
        QCOMPARE(phone->text(), QString("022-250-4"));
        QCOMPARE(typed(phone, " "), QStringList{PhoneMessage});
        QCOMPARE(typed(phone, "+"), QStringList{PhoneMessage});
        QCOMPARE(press(phone, {{Qt::Key_Backspace, {}}}), QStringList{PhoneMessage});
        QCOMPARE(phone->text(), QString("022-250-4"));
    }

    void enterReachesInputOnlyWithoutSave()
    {
        program->seed({member("1101001", "A0011001", "001", "Budi")});
        activate(Fanggota);
        Fanggota->DBEnpm->setFocus(Qt::TabFocusReason);
        // Browsing: Save is disabled, Enter is a refused character.
        QCOMPARE(press(Fanggota->DBEnpm, {{Qt::Key_Return, {}}}), QStringList{NpmMessage});
        // Adding: Enter clicks Save instead.
        Fanggota->BBTambahData->click();
        Fanggota->DBEnpm->setFocus(Qt::TabFocusReason);
        QCOMPARE(press(Fanggota->DBEnpm, {{Qt::Key_Return, {}}}), QStringList{"Identitas anggota belum lengkap!!!"});
    }

    void postcodeReminder()
    {
        MessageScript script;
        blankRowIn(Fanggota->DBEkodepos);
        const QList<std::pair<QString, bool>> cases{{"", true}, {"4013", true}, {"40132", false}};
        for (const auto &[postcode, reminded] : cases) {
            type(Fanggota->DBEkodepos, postcode);
            if (postcode.isEmpty())
                QTest::keyClick(Fanggota->DBEkodepos, Qt::Key_Delete);
            script.clear();
            QTest::mouseClick(Fanggota->DBEtelp, Qt::LeftButton);
            settleClicks();
            QCOMPARE(script.texts(), reminded ? QStringList{"Kodepos harus diisi 5 angka"} : QStringList());
            QVERIFY(Fanggota->DBEtelp->hasFocus());
        }
        // Reaching the input by keyboard is no click.
        type(Fanggota->DBEkodepos, "4");
        script.clear();
        QTest::keyClick(Fanggota->DBEkodepos, Qt::Key_Tab);
        settleClicks();
        QVERIFY(Fanggota->DBEtelp->hasFocus());
        QCOMPARE(script.count(), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
    }

    void nbkReminder()
    {
        MessageScript script;
        blankRowIn(Fanggota->DBEnbk);
        const QList<std::pair<QString, bool>> cases{{"", false}, {"04", true}, {"045", false}};
        for (const auto &[nbk, reminded] : cases) {
            type(Fanggota->DBEnbk, nbk);
            if (nbk.isEmpty())
                QTest::keyClick(Fanggota->DBEnbk, Qt::Key_Delete);
            script.clear();
            QTest::mouseClick(Fanggota->DBEnama, Qt::LeftButton);
            settleClicks();
            QCOMPARE(script.texts(), reminded ? QStringList{"NBK harus diisi 3 karakter"} : QStringList());
            QCOMPARE(script.count() ? script.last().kind : messages::Kind::Warning, messages::Kind::Warning);
        }
        QCOMPARE(Fanggota->DBEnbk->text(), QString("045"));
    }
};

MEMBER_TEST_MAIN(TestValidation)

#include "tst_validation.moc"
