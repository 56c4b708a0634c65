#include "memberfixture.h"

#include "savings/simpanan.h"

using namespace fixture;

namespace {

const QString Budi = QStringLiteral("1101001");
const QString Citra = QStringLiteral("1101002");
const QString Dewi = QStringLiteral("1201003");

// Runs `inside` once the dialog is up and active, while it runs modally.
void whileShown(std::function<void()> inside)
{
    QTimer::singleShot(0, Fcari, [inside] {
        if (!QTest::qWaitForWindowActive(Fcari))
            qWarning("the search dialog did not become active");
        inside();
    });
    QTimer::singleShot(5000, Fcari, [] {
        if (Fcari->isVisible())
            Fcari->close();
    });
}

} // namespace

class TestCari : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Program> program;

private slots:
    void init()
    {
        program = std::make_unique<fixture::Program>();
        program->seed({member(Budi, "A0011001", "001", "Budi"), member(Citra, "A0011002", "002", "Citra"),
                       member(Dewi, "A0012003", "003", "Dewi")});
    }

    void cleanup()
    {
        program.reset();
    }

    void components()
    {
        QCOMPARE(Fcari->objectName(), QString("Fcari"));
        QCOMPARE(Fcari->windowTitle(), QString("Fcari"));
        QCOMPARE(Fcari->size(), QSize(255, 150));
        QCOMPARE(Fcari->Label1->text(), QString("No. Anggota"));
        QCOMPARE(Fcari->Label1->palette().color(QPalette::WindowText), QColor(Qt::yellow));
        QCOMPARE(Fcari->EnoA->maxLength(), 7);
        QVERIFY(Fcari->BitBtn1->isDefaultButton());
        QCOMPARE(Fcari->BitBtn1->modalResult(), int(mrOk));
        QCOMPARE(Fcari->BitBtn1->text(), QString("OK"));
        QVERIFY(Fcari->BitBtn2->isCancelButton());
        QCOMPARE(Fcari->BitBtn2->modalResult(), int(mrCancel));
        QCOMPARE(Fcari->BitBtn2->text(), QString("Cancel"));
        QVERIFY(!Fcari->isVisible());

        // Laid out as described: the box right of the label, OK left of Cancel below.
        whileShown([] {
            QVERIFY(Fcari->EnoA->x() > Fcari->Label1->x());
            QVERIFY(qAbs(Fcari->EnoA->y() - Fcari->Label1->y()) < Fcari->EnoA->height());
            QVERIFY(Fcari->BitBtn1->y() > Fcari->EnoA->y());
            QCOMPARE(Fcari->BitBtn1->y(), Fcari->BitBtn2->y());
            QVERIFY(Fcari->BitBtn1->x() < Fcari->BitBtn2->x());
            // An eighth character cannot be typed.
            QTest::keyClicks(Fcari->EnoA, "12345678");
            QCOMPARE(Fcari->EnoA->text(), QString("1234567"));
            Fcari->BitBtn2->click();
        });
        QCOMPARE(Fcari->showModal(), int(mrCancel));
    }

    void activationEmptiesAndFocuses()
    {
        Fcari->EnoA->setText("1101");
        bool empty = false;
        bool focused = false;
        whileShown([&] {
            empty = Fcari->EnoA->text().isEmpty();
            focused = Fcari->EnoA->hasFocus();
            Fcari->BitBtn2->click();
        });
        Fcari->showModal();
        QVERIFY(empty);
        QVERIFY(focused);
    }

    void found()
    {
        MessageScript script;
        Fsimpan->BitBtn3->setEnabled(false);
        activate(Fanggota);
        answerSearch(Citra);
        Fanggota->BitBtn6->click();
        QCOMPARE(script.count(), 0);
        QVERIFY(!Fcari->isVisible());
        QCOMPARE(currentNumber(), Citra);
        QCOMPARE(Fanggota->DBEnama->text(), QString("Citra"));
        QVERIFY(Fsimpan->BitBtn3->isEnabled());
        // The member window empties the box after the search; the title is
        // the one of the previous use.
        QCOMPARE(Fcari->EnoA->text(), QString());
        QCOMPARE(Fcari->windowTitle(), QString("Fcari"));
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);

        // Enter answers OK.
        whileShown([] {
            QTest::keyClicks(Fcari->EnoA, Dewi);
            QTest::keyClick(Fcari->EnoA, Qt::Key_Return);
        });
        QCOMPARE(Fcari->showModal(), int(mrOk));
        QCOMPARE(currentNumber(), Dewi);
    }

    void notFound()
    {
        MessageScript script;
        activate(Fanggota);
        // Unknown, empty, and only the first characters of a number.
        for (const QString &typed : {QString("9999999"), QString(), Citra.left(5)}) {
            Fanggota->BitBtn4->click();
            Fsimpan->BitBtn3->setEnabled(true);
            answerSearch(typed);
            Fanggota->BitBtn6->click();
            QCOMPARE(script.texts(), QStringList{"Data Tidak Ditemukan"});
            QCOMPARE(script.last().kind, messages::Kind::Plain);
            QVERIFY(!Fcari->isVisible());
            QCOMPARE(currentNumber(), Budi);
            QVERIFY(!Fsimpan->BitBtn3->isEnabled());
            script.clear();
        }
    }

    void cancel()
    {
        MessageScript script;
        activate(Fanggota);
        Fanggota->BitBtn4->click();
        Fsimpan->BitBtn3->setEnabled(false);
        answerSearch(Citra, false);
        Fanggota->BitBtn6->click();
        QCOMPARE(script.count(), 0);
        QVERIFY(!Fcari->isVisible());
        QCOMPARE(currentNumber(), Dewi);
        QVERIFY(!Fsimpan->BitBtn3->isEnabled());

        // Esc answers Cancel.
        whileShown([] {
            QTest::keyClicks(Fcari->EnoA, Budi);
            QTest::keyClick(Fcari->EnoA, Qt::Key_Escape);
        });
        QCOMPARE(Fcari->showModal(), int(mrCancel));
        QCOMPARE(currentNumber(), Dewi);
    }

    void editSearch()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        activate(w);

        // Cancel starts nothing and moves nothing, also after a valid number.
        w->BitBtn4->click();
        for (const QString &typed : {QString(), Citra}) {
            answerSearch(typed, false);
            w->BBedit->click();
            QCOMPARE(Fcari->windowTitle(), QString("Edit Anggota......."));
            QCOMPARE(script.count(), 0);
            QCOMPARE(currentNumber(), Dewi);
            QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
            QVERIFY(!w->SimpanEdit->isVisible());
        }

        // OK with an unknown number: the dialog's message only.
        answerSearch("7777777");
        w->BBedit->click();
        QCOMPARE(script.texts(), QStringList{"Data Tidak Ditemukan"});
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QVERIFY(!w->SimpanEdit->isVisible());
        script.clear();

        // OK with a valid number starts editing that member.
        answerSearch(Dewi);
        w->BBedit->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(currentNumber(), Dewi);
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        QVERIFY(w->SimpanEdit->isVisible() && w->SimpanEdit->isEnabled());
        QVERIFY(w->BatalEDIT->isVisible() && w->BatalEDIT->isEnabled());
        w->BatalEDIT->click();

        // The member window's own search keeps the title of the last use.
        answerSearch(Citra);
        w->BitBtn6->click();
        QCOMPARE(Fcari->windowTitle(), QString("Edit Anggota......."));
        QCOMPARE(currentNumber(), Citra);
    }

    void pendingMemberSettledFirst()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        activate(w);
        // A new member with something typed is not stored by the search's
        // settle: the clerk is asked, and Tidak drops it ...
        w->BBTambahData->click();
        type(w->DBEnama, "Eka");
        script.answer(mrNo);
        answerSearch(Dewi);
        w->BitBtn6->click();
        QCOMPARE(script.texts(), QStringList{"Data belum disimpan. Simpan sekarang?"});
        QCOMPARE(script.last().kind, messages::Kind::ConfirmationYesNoCancel);
        QCOMPARE(currentNumber(), Dewi);
        QCOMPARE(program->count("Tanggota1"), 3);
        QVERIFY(!w->BitBtn7->isEnabled() && !w->BitBtn8->isEnabled());

        // ... an untouched one is dropped without a word.
        script.clear();
        w->BBTambahData->click();
        answerSearch(Citra);
        w->BitBtn6->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->count("Tanggota1"), 3);
        QCOMPARE(currentNumber(), Citra);
    }
};

MEMBER_TEST_MAIN(TestCari)

#include "tst_cari.moc"
