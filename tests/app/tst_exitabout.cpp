#include "support/clerk.h"
#include "support/messagescript.h"

#include "app/Login.h"
#include "app/Uexit.h"
#include "app/about.h"
#include "app/forms.h"
#include "app/menu.h"
#include "app/password.h"
#include "app/shell.h"
#include "data/DM.h"
#include "loans/pinjaman.h"
#include "members/Uanggota.h"
#include "runtime/db/connection.h"
#include "runtime/forms/look.h"
#include "savings/simpanan.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QColor Navy(0x00, 0x00, 0x80);

bool exitUp()
{
    return OKBottomDlg->isVisible() && OKBottomDlg->isModalRunning();
}

bool centredOnScreen(QWidget *window)
{
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    const QPoint offset = window->frameGeometry().center() - screenCentre;
    return offset.manhattanLength() <= 2;
}

} // namespace

class TestExitAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        setAliasFolder(QStringLiteral("DBsimpanpinjam"), m_folder.path());
        createForms();

        // Log in through the main window, as the operator does.
        bool asked = false;
        Clerk clerk;
        clerk.when([] { return Flogin->isVisible() && Flogin->isModalRunning(); },
                   [] { QTest::mouseClick(Flogin->Button1, Qt::LeftButton); });
        clerk.when([] { return PasswordDlg->isVisible() && PasswordDlg->isModalRunning(); }, [&asked] {
            asked = true;
            QTest::keyClicks(PasswordDlg->epass, QStringLiteral("rembul"));
            QTest::mouseClick(PasswordDlg->OKBtn, Qt::LeftButton);
        });
        Fmenu->show();
        QTRY_VERIFY_WITH_TIMEOUT(asked && !Flogin->isModalRunning(), 20000);
        QVERIFY(!clerk.timedOut());
        QVERIFY(Fmenu->isEnabled());
        QVERIFY(!programEnded());
    }

    void cleanupTestCase()
    {
        destroyForms();
    }

    void init()
    {
        resetProgramEnded();
    }

    void exitConfirmationLooksAsTheOperatorKnowsIt()
    {
        QCOMPARE(OKBottomDlg->objectName(), QStringLiteral("OKBottomDlg"));
        QCOMPARE(OKBottomDlg->windowTitle(), QStringLiteral("Warning"));
        QVERIFY(OKBottomDlg->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!OKBottomDlg->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(OKBottomDlg->minimumSize(), OKBottomDlg->maximumSize());
        QCOMPARE(OKBottomDlg->palette().color(QPalette::Window), look::desktopColour());

        QCOMPARE(OKBottomDlg->Bevel1->objectName(), QStringLiteral("Bevel1"));
        QCOMPARE(OKBottomDlg->Bevel1->frameShadow(), QFrame::Sunken);
        QLabel *label = OKBottomDlg->Label1;
        QCOMPARE(label->text(), QStringLiteral("Anda yakin akan keluar dari program ?"));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::yellow));
        QCOMPARE(label->font().pixelSize(), 13);
        QVERIFY(OKBottomDlg->Bevel1->geometry().contains(label->geometry()));

        BitBtn *ok = OKBottomDlg->BitBtn1;
        QCOMPARE(ok->kind(), BitBtn::Kind::Ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(!ok->icon().isNull());
        QCOMPARE(ok->hint(), QStringLiteral("Keluar program"));
        QVERIFY(ok->isDefaultButton());
        BitBtn *cancel = OKBottomDlg->BitBtn2;
        QCOMPARE(cancel->kind(), BitBtn::Kind::Cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QVERIFY(!cancel->icon().isNull());
        QCOMPARE(cancel->hint(), QStringLiteral("Batal Keluar"));
        QVERIFY(cancel->isCancelButton());
        for (BitBtn *button : {ok, cancel}) {
            QCOMPARE(button->palette().color(QPalette::ButtonText), QColor(Qt::blue));
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        }
    }

    void exitCancelledLeavesEverythingAsItWas_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }

    void exitCancelledLeavesEverythingAsItWas()
    {
        QFETCH(int, how);
        MessageScript script;
        AboutBox->showModeless();
        bool modal = false;
        bool centred = false;
        Clerk clerk;
        clerk.when(exitUp, [&] {
            modal = QApplication::activeModalWidget() == OKBottomDlg;
            centred = centredOnScreen(OKBottomDlg);
            if (how == 0)
                QTest::mouseClick(OKBottomDlg->BitBtn2, Qt::LeftButton);
            else if (how == 1)
                QTest::keyClick(OKBottomDlg->BitBtn1, Qt::Key_Escape);
            else
                OKBottomDlg->close();
        });
        Fmenu->Exit1->trigger();
        QVERIFY(!clerk.timedOut());
        QVERIFY(clerk.done());

        QVERIFY(modal);
        QVERIFY(centred);
        QVERIFY(!OKBottomDlg->isVisible());
        QVERIFY(!programEnded());
        QCOMPARE(script.count(), 0);
        QVERIFY(Fmenu->isVisible());
        QVERIFY(Fmenu->isEnabled());
        QVERIFY(AboutBox->isVisible());
        AboutBox->close();
    }

    void exitConfirmedEndsTheProgram_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("OK") << false;
        QTest::newRow("Enter") << true;
    }

    void exitConfirmedEndsTheProgram()
    {
        QFETCH(bool, byEnter);
        MessageScript script;
        // Another window open does not hold the end back.
        AboutBox->showModeless();
        Clerk clerk;
        clerk.when(exitUp, [byEnter] {
            if (byEnter)
                QTest::keyClick(OKBottomDlg->Bevel1, Qt::Key_Return);
            else
                QTest::mouseClick(OKBottomDlg->BitBtn1, Qt::LeftButton);
        });
        Fmenu->Exit1->trigger();
        QVERIFY(!clerk.timedOut());
        QVERIFY(clerk.done());

        QVERIFY(programEnded());
        QCOMPARE(script.count(), 0);
        QVERIFY(!OKBottomDlg->isVisible());
        AboutBox->close();
    }

    void exitAsksAboutTypedWork()
    {
        MessageScript script;
        Fpinjam->showModeless();
        Fsimpan->showModeless();
        Fanggota->showModeless();
        Fanggota->BBTambahData->click();
        QTest::keyClicks(Fanggota->DBEnama, QStringLiteral("Sri"));
        // Batal: the program goes on, the row as it was, its window in front.
        script.answer(mrCancel);
        Clerk clerk;
        clerk.when(exitUp, [] { QTest::mouseClick(OKBottomDlg->BitBtn1, Qt::LeftButton); });
        Fmenu->Exit1->trigger();
        QVERIFY(clerk.done());
        QCOMPARE(script.texts(), QStringList{QStringLiteral("Data belum disimpan. Simpan sekarang?")});
        QVERIFY(!programEnded());
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QVERIFY(Fanggota->isVisible());
        // Tidak: the row is dropped and the program ends.
        script.answer(mrNo);
        clerk.when(exitUp, [] { QTest::mouseClick(OKBottomDlg->BitBtn1, Qt::LeftButton); });
        Fmenu->Exit1->trigger();
        QVERIFY(clerk.done());
        QVERIFY(programEnded());
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(script.count(), 2);
        for (Form *window : std::initializer_list<Form *>{Fanggota, Fsimpan, Fpinjam})
            window->hide();
    }

    void aboutBoxShowsTitleAndVersion()
    {
        QCOMPARE(AboutBox->objectName(), QStringLiteral("AboutBox"));
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("Tentang Program"));
        QVERIFY(AboutBox->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(AboutBox->minimumSize(), AboutBox->maximumSize());
        QCOMPARE(AboutBox->palette().color(QPalette::Window), look::desktopColour());

        const QList<std::tuple<QLabel *, QString, QString, int, bool>> texts = {
            {AboutBox->Label4, "Label4", "Program", 24, true},
            {AboutBox->Label5, "Label5", "Simpan Pinjam ", 16, true},
            {AboutBox->Label6, "Label6", "Version 1.0", 13, false}};
        int lastBottom = 0;
        for (const auto &[label, name, text, pixels, bold] : texts) {
            QCOMPARE(label->objectName(), name);
            QCOMPARE(label->text(), text);
            QCOMPARE(label->palette().color(QPalette::WindowText), Navy);
            QCOMPARE(label->font().pixelSize(), pixels);
            QCOMPARE(label->font().bold(), bold);
            QCOMPARE(label->parentWidget(), static_cast<QWidget *>(AboutBox->Panel1));
            // Each line below the one before.
            QVERIFY(label->y() >= lastBottom);
            lastBottom = label->geometry().bottom();
        }
        QCOMPARE(AboutBox->Panel2->frameShape(), QFrame::HLine);
        QVERIFY(AboutBox->Panel2->y() > lastBottom);

        // Nothing else to read, and only the one button, which Esc cannot reach.
        QCOMPARE(AboutBox->findChildren<QLabel *>().size(), 3);
        const QList<Button *> buttons = AboutBox->findChildren<Button *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first(), AboutBox->OKButton);
        QCOMPARE(AboutBox->OKButton->text(), QStringLiteral("OK"));
        QVERIFY(AboutBox->OKButton->isDefaultButton());
        QVERIFY(!AboutBox->OKButton->isCancelButton());
    }

    void aboutBoxIsModelessAndComesToTheFront()
    {
        Fmenu->About1->trigger();
        QVERIFY(AboutBox->isVisible());
        QVERIFY(centredOnScreen(AboutBox));
        QVERIFY(!AboutBox->isModalRunning());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(AboutBox));

        // The operator goes on in the main window, then asks again.
        Fmenu->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(Fmenu));
        QVERIFY(AboutBox->isVisible());
        Fmenu->About1->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(AboutBox));
        QVERIFY(Fmenu->isEnabled());
        AboutBox->close();
    }

    void aboutBoxClosesByOkEnterAndCloseBoxButNotEsc()
    {
        for (int how = 0; how < 3; ++how) {
            Fmenu->About1->trigger();
            QTest::keyClick(AboutBox->OKButton, Qt::Key_Escape);
            QTest::keyClick(AboutBox->Panel1, Qt::Key_Escape);
            QVERIFY(AboutBox->isVisible());
            if (how == 0)
                QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
            else if (how == 1)
                QTest::keyClick(AboutBox->Panel1, Qt::Key_Return);
            else
                AboutBox->close();
            QVERIFY(!AboutBox->isVisible());
            QVERIFY(Fmenu->isVisible());
            QVERIFY(!programEnded());
        }
        // Shown again, the same content.
        Fmenu->About1->trigger();
        QCOMPARE(AboutBox->Label5->text(), QStringLiteral("Simpan Pinjam "));
        AboutBox->close();
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestExitAbout)
#include "tst_exitabout.moc"
