#include "support/clerk.h"
#include "support/messagescript.h"

#include "app/Login.h"
#include "app/forms.h"
#include "app/menu.h"
#include "app/password.h"
#include "app/shell.h"
#include "runtime/db/connection.h"
#include "runtime/forms/look.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Wrong = QStringLiteral("password salah ! Silahkan coba lagi.");
const QString NoTriesLeft = QStringLiteral("kesempatan Anda telah habis, silahkan keluar !!");
const QPoint Place(394, 230);

bool loginUp()
{
    return Flogin->isVisible() && Flogin->isModalRunning();
}

// What the operator saw when the password dialog came up.
struct Showing {
    QString boxText;
    QPoint place;
    bool loginVisible;
    bool mainEnabled;
    bool focusInBox;
};

// Counts the times the password dialog is shown, so that each try waits for
// its own showing rather than the end of the one before.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget *watched) { watched->installEventFilter(this); }
    int shows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

enum class Finish { OkClick, Enter, CancelClick, Escape, CloseKey };

struct Try {
    QString typed;
    Finish finish;
};

void finishTry(Finish finish)
{
    switch (finish) {
    case Finish::OkClick:
        QTest::mouseClick(PasswordDlg->OKBtn, Qt::LeftButton);
        break;
    case Finish::Enter:
        QTest::keyClick(PasswordDlg->epass, Qt::Key_Return);
        break;
    case Finish::CancelClick:
        QTest::mouseClick(PasswordDlg->CancelBtn, Qt::LeftButton);
        break;
    case Finish::Escape:
        QTest::keyClick(PasswordDlg->epass, Qt::Key_Escape);
        break;
    case Finish::CloseKey:
        PasswordDlg->close();
        break;
    }
}


QList<int> kinds(const MessageScript &script)
{
    QList<int> result;
    for (const messages::Box &box : script.boxes())
        result.append(int(box.kind));
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<Try>)

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        setAliasFolder(QStringLiteral("DBsimpanpinjam"), m_folder.path());
        createForms();
    }

    void cleanupTestCase()
    {
        destroyForms();
    }

    void init()
    {
        resetProgramEnded();
        PasswordDlg->epass->clear();
        Fmenu->setEnabled(true);
    }

    void mainWindowOpensTheLoginAtItsFirstActivation()
    {
        MessageScript script;
        ShowCounter dialogShows(PasswordDlg);
        Clerk clerk;
        bool mainDisabled = false;
        QPoint loginPlace;
        QWidget *loginFocus = nullptr;
        Showing seen {};
        clerk.when(loginUp, [&] {
            mainDisabled = Fmenu->isVisible() && !Fmenu->isEnabled();
            loginPlace = Flogin->pos();
            loginFocus = Flogin->focusWidget();
            QTest::mouseClick(Flogin->Button1, Qt::LeftButton);
        });
        clerk.when([&] { return dialogShows.shows == 1 && PasswordDlg->isModalRunning(); }, [&] {
            seen = {PasswordDlg->epass->text(), PasswordDlg->pos(), Flogin->isVisible(), Fmenu->isEnabled(),
                    PasswordDlg->focusWidget() == PasswordDlg->epass};
            QTest::keyClicks(PasswordDlg->epass, QStringLiteral("rembul"));
            QTest::mouseClick(PasswordDlg->OKBtn, Qt::LeftButton);
        });

        Fmenu->show();
        QTRY_VERIFY_WITH_TIMEOUT(clerk.done() && !Flogin->isModalRunning(), 25000);
        QVERIFY(!clerk.timedOut());

        QVERIFY(mainDisabled);
        QCOMPARE(loginPlace, Place);
        QCOMPARE(loginFocus, static_cast<QWidget *>(Flogin->Button1));
        QCOMPARE(seen.boxText, QString());
        QCOMPARE(seen.place, Place);
        QVERIFY(!seen.loginVisible);
        QVERIFY(!seen.mainEnabled);
        QVERIFY(seen.focusInBox);

        // Accepted at once: no message, the main window usable, both login windows gone.
        QCOMPARE(script.count(), 0);
        QCOMPARE(dialogShows.shows, 1);
        QVERIFY(Fmenu->isEnabled());
        QVERIFY(!programEnded());
        QVERIFY(!Flogin->isVisible());
        QVERIFY(!PasswordDlg->isVisible());
        QCOMPARE(PasswordDlg->epass->text(), QString());
    }

    void windowsLookAsTheOperatorKnowsThem()
    {
        QCOMPARE(Flogin->objectName(), QStringLiteral("Flogin"));
        QCOMPARE(Flogin->windowTitle(), QStringLiteral("LOGIN"));
        QCOMPARE(PasswordDlg->objectName(), QStringLiteral("PasswordDlg"));
        QCOMPARE(PasswordDlg->windowTitle(), QStringLiteral("Input Password"));

        // Title bars without any buttons.
        for (Form *form : {static_cast<Form *>(Flogin), static_cast<Form *>(PasswordDlg)}) {
            const Qt::WindowFlags flags = form->windowFlags();
            QVERIFY(flags.testFlag(Qt::WindowTitleHint));
            QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
            QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
            QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
            QCOMPARE(form->palette().color(QPalette::Window), look::desktopColour());
            QVERIFY(form->parentWidget() == nullptr);
        }
        QCOMPARE(PasswordDlg->minimumSize(), PasswordDlg->maximumSize());

        const QList<std::tuple<Button *, QString, QString, QString>> loginButtons = {
            {Flogin->Button1, "Button1", "&LoGin", "Masuk ke program"},
            {Flogin->Button2, "Button2", "&BaTaL", "Batal masuk program"}};
        for (const auto &[button, name, caption, hint] : loginButtons) {
            QCOMPARE(button->objectName(), name);
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->hint(), hint);
            QCOMPARE(button->palette().color(QPalette::ButtonText), QColor(Qt::blue));
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(!button->isDefaultButton());
            QVERIFY(!button->isCancelButton());
            QCOMPARE(button->modalResult(), int(mrNone));
        }
        QCOMPARE(Flogin->Button1->nextInFocusChain(), static_cast<QWidget *>(Flogin->Button2));

        QCOMPARE(PasswordDlg->Label1->text(), QStringLiteral("Masukkan Password :"));
        QCOMPARE(PasswordDlg->Label1->palette().color(QPalette::WindowText), QColor(Qt::yellow));
        QLineEdit *box = PasswordDlg->epass;
        QCOMPARE(box->objectName(), QStringLiteral("epass"));
        QCOMPARE(box->toolTip(), QStringLiteral("Input Password"));
        QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QCOMPARE(box->maxLength(), 6);

        const QList<std::tuple<Button *, QString, QString, int>> dialogButtons = {
            {PasswordDlg->OKBtn, "OKBtn", "OK", mrOk}, {PasswordDlg->CancelBtn, "CancelBtn", "Cancel", mrCancel}};
        for (const auto &[button, name, caption, result] : dialogButtons) {
            QCOMPARE(button->objectName(), name);
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->modalResult(), result);
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        }
        QVERIFY(PasswordDlg->OKBtn->isDefaultButton());
        QVERIFY(!PasswordDlg->OKBtn->isCancelButton());
        QVERIFY(PasswordDlg->CancelBtn->isCancelButton());
        QVERIFY(!PasswordDlg->CancelBtn->isDefaultButton());
        // The box comes first in the tab order.
        QCOMPARE(box->nextInFocusChain(), static_cast<QWidget *>(PasswordDlg->OKBtn));
    }

    void passwordBoxTakesSixCharactersShownAsStars()
    {
        QLineEdit *box = PasswordDlg->epass;
        QTest::keyClicks(box, QStringLiteral("rembulan"));
        QCOMPARE(box->text(), QStringLiteral("rembul"));
        QCOMPARE(box->displayText(), QStringLiteral("******"));
        box->clear();
        QTest::keyClicks(box, QStringLiteral("Ab1 "));
        QCOMPARE(box->displayText(), QStringLiteral("****"));
        box->clear();
    }

    void tries_data()
    {
        QTest::addColumn<QList<Try>>("tries");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("wrongMessages");

        const auto ok = [](const char *text) { return Try {QString::fromLatin1(text), Finish::OkClick}; };
        const auto cancel = [](const char *text) { return Try {QString::fromLatin1(text), Finish::CancelClick}; };

        QTest::newRow("right on the first try") << QList<Try> {ok("rembul")} << true << 0;
        QTest::newRow("two wrong, then right")
            << QList<Try> {ok("salah"), ok("rembu"), ok("rembul")} << true << 2;
        QTest::newRow("one wrong, then right by Enter")
            << QList<Try> {ok("bulan"), {QStringLiteral("rembul"), Finish::Enter}} << true << 1;
        QTest::newRow("three wrong") << QList<Try> {ok("salah"), ok("rembu"), ok("kunci")} << false << 2;
        QTest::newRow("an empty box is wrong") << QList<Try> {ok(""), ok(""), ok("")} << false << 2;
        QTest::newRow("capitals are wrong") << QList<Try> {ok("REMBUL"), ok("Rembul"), ok("rembuL")} << false << 2;
        QTest::newRow("cut to six characters, the right ones")
            << QList<Try> {ok("rembulan")} << true << 0;
        QTest::newRow("cut to six characters, wrong ones")
            << QList<Try> {ok(" rembul"), ok("xrembul"), ok("rembul")} << true << 2;
        QTest::newRow("Cancel with the right password fails, every try")
            << QList<Try> {cancel("rembul"), cancel("rembul"), cancel("rembul")} << false << 2;
        QTest::newRow("Cancel with the right password, then OK")
            << QList<Try> {cancel("rembul"), ok("rembul")} << true << 1;
        QTest::newRow("Esc with the right password fails")
            << QList<Try> {{QStringLiteral("rembul"), Finish::Escape}, ok("salah"),
                           {QStringLiteral("rembul"), Finish::Escape}}
            << false << 2;
        QTest::newRow("the close key counts as Cancel")
            << QList<Try> {{QStringLiteral("rembul"), Finish::CloseKey}, {QStringLiteral("rembul"), Finish::CloseKey},
                           ok("rembul")}
            << true << 2;
        QTest::newRow("the close key on the last try ends the program")
            << QList<Try> {ok("x"), ok("y"), {QStringLiteral("rembul"), Finish::CloseKey}} << false << 2;
    }

    void tries()
    {
        QFETCH(QList<Try>, tries);
        QFETCH(bool, accepted);
        QFETCH(int, wrongMessages);

        MessageScript script;
        ShowCounter dialogShows(PasswordDlg);
        Clerk clerk;
        QList<Showing> seen;
        clerk.when(loginUp, [] { QTest::mouseClick(Flogin->Button1, Qt::LeftButton); });
        for (int i = 0; i < tries.size(); ++i) {
            const Try attempt = tries.at(i);
            clerk.when([&dialogShows, i] { return dialogShows.shows == i + 1 && PasswordDlg->isModalRunning(); },
                       [&seen, attempt] {
                           seen.append({PasswordDlg->epass->text(), PasswordDlg->pos(), Flogin->isVisible(),
                                        Fmenu->isEnabled(), PasswordDlg->focusWidget() == PasswordDlg->epass});
                           QTest::keyClicks(PasswordDlg->epass, attempt.typed);
                           finishTry(attempt.finish);
                       });
        }

        Flogin->showModal();
        QVERIFY(!clerk.timedOut());
        QVERIFY(clerk.done());

        // One showing per try, each with an empty box, in place, the login hidden.
        QCOMPARE(dialogShows.shows, tries.size());
        QCOMPARE(seen.size(), tries.size());
        for (const Showing &showing : seen) {
            QCOMPARE(showing.boxText, QString());
            QCOMPARE(showing.place, Place);
            QVERIFY(!showing.loginVisible);
            QVERIFY(!showing.mainEnabled);
            QVERIFY(showing.focusInBox);
        }

        QStringList expected(wrongMessages, Wrong);
        if (!accepted)
            expected.append(NoTriesLeft);
        QCOMPARE(script.texts(), expected);
        QCOMPARE(script.titles(), QStringList(expected.size(), QStringLiteral("Confirm")));
        QCOMPARE(kinds(script), QList<int>(expected.size(), int(messages::Kind::Confirmation)));

        QCOMPARE(programEnded(), !accepted);
        QCOMPARE(Fmenu->isEnabled(), accepted);
        QCOMPARE(PasswordDlg->epass->text(), QString());
        QVERIFY(!PasswordDlg->isVisible());
        QVERIFY(!Flogin->isVisible());
    }

    void batalEndsTheProgramBeforeAnyPassword_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("click") << 0;
        QTest::newRow("Enter on the focused button") << 1;
        QTest::newRow("the close key") << 2;
    }

    void batalEndsTheProgramBeforeAnyPassword()
    {
        QFETCH(int, how);
        MessageScript script;
        ShowCounter dialogShows(PasswordDlg);
        Clerk clerk;
        bool stillUpAfterEscape = false;
        clerk.when(loginUp, [&] {
            // Esc does nothing here: no cancel button.
            QTest::keyClick(Flogin->Button1, Qt::Key_Escape);
            stillUpAfterEscape = loginUp() && !programEnded();
            if (how == 0) {
                QTest::mouseClick(Flogin->Button2, Qt::LeftButton);
            } else if (how == 1) {
                Flogin->Button2->setFocus();
                QTest::keyClick(Flogin->Button2, Qt::Key_Return);
            } else {
                Flogin->close();
            }
        });

        Flogin->showModal();
        QVERIFY(!clerk.timedOut());
        QVERIFY(clerk.done());
        QVERIFY(stillUpAfterEscape);
        QVERIFY(programEnded());
        QCOMPARE(script.count(), 0);
        QCOMPARE(dialogShows.shows, 0);
        QVERIFY(!Fmenu->isEnabled());
    }

    void enterOnTheLoginPressesTheFocusedButton()
    {
        MessageScript script;
        ShowCounter dialogShows(PasswordDlg);
        Clerk clerk;
        clerk.when(loginUp, [] { QTest::keyClick(Flogin->Button1, Qt::Key_Return); });
        clerk.when([&] { return dialogShows.shows == 1 && PasswordDlg->isModalRunning(); }, [] {
            QTest::keyClicks(PasswordDlg->epass, QStringLiteral("rembul"));
            QTest::keyClick(PasswordDlg->epass, Qt::Key_Enter);
        });

        Flogin->showModal();
        QVERIFY(!clerk.timedOut());
        QVERIFY(clerk.done());
        QCOMPARE(script.count(), 0);
        QVERIFY(Fmenu->isEnabled());
        QVERIFY(!programEnded());
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
