// The main window driven tick by tick: the scrolling caption, the letter
// banner, the clock and the date stamps; how its commands open windows.

#include "loans/pinjaman.h"
#include "members/Uanggota.h"
#include "runtime/regional.h"
#include "savings/simpanan.h"
#include "support/messagescript.h"
#include "support/program.h"
#include "support/sqlfile.h"

#include <QApplication>
#include <QRegularExpression>
#include <QtTest>

class MenuTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithItsCaptionsAndTimers();
    void captionScrollsAndWraps();
    void letterBannerAndColourSwap();
    void clockWritesDatesEvenIntoHiddenWindows();
    void clockStampDoesNotChangeAnUntouchedRow();
    void rowsStartedBetweenTicksStillTakeTodaysDate();
    void commandsOpenTheirWindows();
    void closeBoxEndsTheProgram();
};

void MenuTest::startsWithItsCaptionsAndTimers()
{
    Program program;
    QCOMPARE(Fmenu->windowTitle(), QStringLiteral("Menu Utama"));
    QCOMPARE(Fmenu->Panel3->text(), QStringLiteral("APLIKASI PENGOLAHAN DATA SIMPAN PINJAM"));
    QCOMPARE(Fmenu->SpeedButton1->toolTip(), QStringLiteral("Anggota"));
    QCOMPARE(Fmenu->SpeedButton2->toolTip(), QStringLiteral("Simpanan"));
    QCOMPARE(Fmenu->SpeedButton3->toolTip(), QStringLiteral("Pinjaman"));
    QCOMPARE(Fmenu->Anggota1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    QCOMPARE(Fmenu->Simpanan1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(Fmenu->Pinjaman1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QCOMPARE(Fmenu->LaporanAnggota1->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(Fmenu->LaporanSimpanan1->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(Fmenu->LaporanPinjaman1->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(Fmenu->About1->text(), QStringLiteral("A&bout"));
    QCOMPARE(Fmenu->Exit1->text(), QStringLiteral("E&xit"));
    QString word;
    for (QLabel *letter : {Fmenu->Label6, Fmenu->Label7, Fmenu->Label8, Fmenu->Label9, Fmenu->Label10,
                           Fmenu->Label11, Fmenu->Label12})
        word += letter->text();
    QCOMPARE(word, QStringLiteral("WELCOME"));
    for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
        QCOMPARE(timer->interval(), 1000);
    // The clock and the long date wait for the first tick.
    QVERIFY(Fmenu->Label4->text().isEmpty());
    QVERIFY(Fmenu->Label5->text().isEmpty());
    QVERIFY(Fmenu->Label2->isHidden());
}

void MenuTest::captionScrollsAndWraps()
{
    Program program;
    QLabel *shadow = Fmenu->Label1;
    QLabel *caption = Fmenu->Label3;
    QCOMPARE(shadow->x(), 140);
    QCOMPARE(caption->x(), 144);
    QCOMPARE(caption->y(), shadow->y() - 2);
    Fmenu->Timer1Timer();
    QCOMPARE(Fmenu->Timer1->interval(), 10);
    QCOMPARE(shadow->x(), 142);
    QCOMPARE(caption->x(), 146);
    // 140 + 2 * 333 = 806: two ticks later the caption reaches 810 and wraps.
    for (int i = 1; i < 332; ++i)
        Fmenu->Timer1Timer();
    QCOMPARE(caption->x(), 808);
    QCOMPARE(shadow->x(), 804);
    Fmenu->Timer1Timer();
    QCOMPARE(caption->x(), 10);
    QCOMPARE(shadow->x(), 806);
    Fmenu->Timer1Timer();
    QCOMPARE(shadow->x(), 808);
    Fmenu->Timer1Timer();
    QCOMPARE(shadow->x(), 10);
    QCOMPARE(caption->x(), 14);
}

void MenuTest::letterBannerAndColourSwap()
{
    Program program;
    const QList<QLabel *> letters{Fmenu->Label6,  Fmenu->Label7,  Fmenu->Label8, Fmenu->Label9,
                                  Fmenu->Label10, Fmenu->Label11, Fmenu->Label12};
    auto shown = [&] {
        QString s;
        for (QLabel *l : letters)
            s += l->isHidden() ? QLatin1Char('.') : QLatin1Char('x');
        return s;
    };
    auto background = [] { return Fmenu->Panel3->palette().color(QPalette::Window); };
    auto text = [] { return Fmenu->Panel3->palette().color(QPalette::WindowText); };
    QCOMPARE(shown(), QStringLiteral("xxxxxxx"));
    QCOMPARE(background(), QColor(Qt::black));
    QCOMPARE(text(), QColor(Qt::blue));

    const QStringList steps{QStringLiteral(".x....."), QStringLiteral("..x...."), QStringLiteral("...x..."),
                            QStringLiteral("....x.."), QStringLiteral(".....x."), QStringLiteral("......x")};
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (const QString &step : steps) {
            Fmenu->Timer3Timer();
            QCOMPARE(shown(), step);
            QCOMPARE(Fmenu->Timer3->interval(), 300);
        }
        Fmenu->Timer3Timer();
        QCOMPARE(shown(), QStringLiteral("xxxxxxx"));
        QCOMPARE(Fmenu->Timer3->interval(), 100);
        // One swap per cycle.
        QCOMPARE(background(), cycle == 0 ? QColor(Qt::blue) : QColor(Qt::black));
        QCOMPARE(text(), cycle == 0 ? QColor(Qt::black) : QColor(Qt::blue));
    }
    // No letter visible: nothing happens but the interval.
    for (QLabel *l : letters)
        l->hide();
    Fmenu->Timer3Timer();
    QCOMPARE(shown(), QStringLiteral("......."));
    QCOMPARE(Fmenu->Timer3->interval(), 300);
}

void MenuTest::clockWritesDatesEvenIntoHiddenWindows()
{
    Program program;
    QVERIFY(!Fpinjam->isVisible() && !Fsimpan->isVisible() && !Fanggota->isVisible());
    Fmenu->Timer2Timer();
    const QDate today = QDate::currentDate();
    QCOMPARE(Fmenu->Label5->text(), regional::longDate(today));
    QVERIFY(Fmenu->Label5->text().startsWith(QLatin1Char(' ')));
    QCOMPARE(Fmenu->Label2->text(), today.toString(QStringLiteral("dd/MM/yyyy")));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(Fmenu->Label4->text()).hasMatch());
    for (QLineEdit *editor : {static_cast<QLineEdit *>(Fpinjam->DBEtglP), static_cast<QLineEdit *>(Fsimpan->DBETglSimpan),
                              static_cast<QLineEdit *>(Fanggota->DBEtglDaftar)})
        QCOMPARE(editor->text(), Fmenu->Label2->text());
}

void MenuTest::clockStampDoesNotChangeAnUntouchedRow()
{
    Program program;
    Table *members = modul->Tanggota1;
    members->append();
    Fmenu->Timer2Timer();
    Fmenu->Timer2Timer();
    // Settling drops the row: the stamp alone is no change.
    members->first();
    QCOMPARE(members->state(), DataState::Browse);
    QCOMPARE(readFile(program.file(QStringLiteral("Tanggota1.DB")), QStringLiteral("select count(*) from Tanggota1"))
                 .value(0).value(0).toInt(),
             0);
    // A row changed for another reason takes the stamp with it.
    members->append();
    Fmenu->Timer2Timer();
    members->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("2301001"));
    members->first();
    const auto rows = readFile(program.file(QStringLiteral("Tanggota1.DB")),
                               QStringLiteral("select No_Anggota, Tgl_Daftar from Tanggota1"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.value(0).value(1).toString(), QDate::currentDate().toString(Qt::ISODate));
}

void MenuTest::rowsStartedBetweenTicksStillTakeTodaysDate()
{
    Program program;
    MessageScript script;
    Table *members = modul->Tanggota1;
    members->append();
    members->fieldByName(QStringLiteral("No_Anggota"))->setText(QStringLiteral("2301001"));
    members->post();
    // No tick at all: the editors were stamped when the rows were started.
    Table *savings = modul->Tsimpan1;
    savings->append();
    for (const char *f : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
        savings->fieldByName(QLatin1String(f))->setText(QStringLiteral("1000"));
    savings->post();
    Table *loans = modul->Tpinjam;
    loans->append();
    loans->fieldByName(QStringLiteral("Besar_Pinjam"))->setText(QStringLiteral("500000"));
    loans->fieldByName(QStringLiteral("Jaminan"))->setText(QStringLiteral("Motor"));
    loans->post();
    const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(readFile(program.file(QStringLiteral("Tsimpanan1.db")), QStringLiteral("select Tgl_Simpan from Tsimpanan1"))
                 .value(0).value(0).toString(),
             today);
    QCOMPARE(readFile(program.file(QStringLiteral("Tpinjaman1.DB")), QStringLiteral("select Tgl_Pinjam from Tpinjaman1"))
                 .value(0).value(0).toString(),
             today);
    QCOMPARE(readFile(program.file(QStringLiteral("Tanggota1.DB")), QStringLiteral("select Tgl_Daftar from Tanggota1"))
                 .value(0).value(0).toString(),
             QDate::currentDate().toString(Qt::ISODate));
    // An old deposit edited today takes today's date.
    savings->edit();
    savings->fieldByName(QStringLiteral("S_Wajib"))->setText(QStringLiteral("2000"));
    savings->post();
    QCOMPARE(savings->fieldByName(QStringLiteral("Tgl_Simpan"))->asString(), today);
}

void MenuTest::commandsOpenTheirWindows()
{
    Program program;
    MessageScript script;
    // The savings window is modeless from the menu, modal from its button.
    Fmenu->Simpanan1->trigger();
    QVERIFY(Fsimpan->isVisible());
    QVERIFY(!Fsimpan->isModalRunning());
    // Asked modally while open modeless: it only comes to the front.
    QCOMPARE(Fsimpan->showModal(), int(mrNone));
    QVERIFY(Fsimpan->isVisible());
    Fsimpan->close();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = Fsimpan->isModalRunning();
        Fsimpan->close();
    });
    Fmenu->SpeedButton2->click();
    QVERIFY(wasModal);
    QVERIFY(!Fsimpan->isVisible());

    // The member window the other way round.
    Fmenu->SpeedButton1->click();
    QVERIFY(Fanggota->isVisible());
    QVERIFY(!Fanggota->isModalRunning());
    Fanggota->close();
    wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = Fanggota->isModalRunning();
        Fanggota->close();
    });
    Fmenu->Anggota1->trigger();
    QVERIFY(wasModal);

    // The loans window is modeless from both.
    Fmenu->Pinjaman1->trigger();
    QVERIFY(Fpinjam->isVisible() && !Fpinjam->isModalRunning());
    Fpinjam->close();
    Fmenu->SpeedButton3->click();
    QVERIFY(Fpinjam->isVisible() && !Fpinjam->isModalRunning());
    Fpinjam->close();
}

void MenuTest::closeBoxEndsTheProgram()
{
    Program program;
    MessageScript script;
    Fmenu->show();
    // A member typed and not saved: the clerk is asked first, and Batal
    // keeps the program running with the row as it was.
    Fanggota->showModeless();
    Fanggota->BBTambahData->click();
    QTest::keyClicks(Fanggota->DBEnama, QStringLiteral("Sri"));
    script.answer(mrCancel);
    Fmenu->close();
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Data belum disimpan. Simpan sekarang?")});
    QVERIFY(!programEnded());
    QVERIFY(Fmenu->isVisible());
    QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
    QCOMPARE(Fanggota->DBEnama->text(), QStringLiteral("Sri"));
    script.answer(mrNo);
    Fmenu->close();
    QVERIFY(programEnded());
    QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
}

QTEST_MAIN(MenuTest)
#include "tst_menu.moc"
