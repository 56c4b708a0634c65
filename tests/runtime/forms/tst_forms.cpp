#include "support/messagescript.h"

#include "runtime/abort.h"
#include "runtime/db/error.h"
#include "runtime/forms/application.h"
#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"
#include "runtime/forms/keys.h"
#include "runtime/forms/messages.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <stdexcept>

namespace {

const QString resources = QStringLiteral(SP_SOURCE_DIR "/src/resources");

// A window that counts its own activation and close handlers.
class CountingForm : public Form {
public:
    using Form::Form;
    int activations = 0;
    int closes = 0;
    void FormActivate() override { ++activations; }
    void FormClose() override { ++closes; }
};

void laidOut(QWidget *form, const QList<QWidget *> &children)
{
    auto *layout = new QVBoxLayout(form);
    for (QWidget *child : children)
        layout->addWidget(child);
}

// Runs `form` modally; a run that does not end by itself is closed after a
// while, so a broken run fails the test instead of hanging it.
int runModal(Form &form)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &form, [&form] {
        qWarning("modal run of %s did not end", qPrintable(form.objectName()));
        form.close();
    });
    watchdog.start(5000);
    return form.showModal();
}

// Clicks `button` as soon as the event loop (a modal run) gets control.
void clickSoon(QAbstractButton *button)
{
    QTimer::singleShot(0, button, [button] { button->click(); });
}

QList<int> *recordKeys(QWidget *widget)
{
    auto *seen = new QList<int>;
    QObject::connect(widget, &QObject::destroyed, [seen] { delete seen; });
    keys::onKeyPress(widget, [seen](int &key) { seen->append(key); });
    return seen;
}

int codeOf(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    return keys::charCode(&event);
}

// An object whose event handler fails, to reach the application object.
class Failing : public QObject {
public:
    std::function<void()> fail;
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            fail();
        return QObject::event(event);
    }
};

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void formIsATopLevelWindowThatHidesOnClose()
    {
        QWidget owner;
        QPointer<CountingForm> form = new CountingForm("Fanggota");
        const std::unique_ptr<CountingForm> ownsForm(form.data());
        auto *panel = new QWidget(form);
        auto *button = new Button(panel, "BitBtn7", "Save");
        QCOMPARE(form->objectName(), QString("Fanggota"));
        QVERIFY(form->isWindow());
        QCOMPARE(formOf(button), form.data());
        QCOMPARE(formOf(&owner), nullptr);
        QCOMPARE(button->objectName(), QString("BitBtn7"));

        owner.show();
        form->showModeless();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QVERIFY(form->activations >= 1);
        owner.setEnabled(false); // disabling another window leaves this one usable
        QVERIFY(form->isEnabled());

        const int before = form->activations;
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(form->activations, before + 1);

        QVERIFY(form->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->closes, 1);
        QVERIFY(owner.isVisible());
    }

    void enterClicksTheDefaultButtonOrReachesTheControl()
    {
        CountingForm form("Fenter");
        auto *edit = new QLineEdit(&form);
        auto *panel = new QWidget(&form);
        auto *save = new BitBtn(panel, "BitBtn7", BitBtn::Kind::Ok, "Save");
        auto *other = new Button(&form, "Other", "Other");
        laidOut(&form, { edit, panel, other });
        int saves = 0;
        int others = 0;
        save->onClick = [&] { ++saves; };
        other->onClick = [&] { ++others; };
        const QList<int> *seen = recordKeys(edit);
        form.showModeless();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        edit->setFocus();

        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(saves, 2);
        QVERIFY(seen->isEmpty());

        save->setEnabled(false);
        QTest::keyClick(edit, Qt::Key_Return);
        save->setEnabled(true);
        panel->hide(); // hidden through its parent
        QTest::keyClick(edit, Qt::Key_Return);
        panel->show();
        QCOMPARE(saves, 2);
        QCOMPARE(*seen, QList<int>({ 13, 13 }));

        // Another button with the focus takes Enter itself.
        other->setFocus();
        QTest::keyClick(other, Qt::Key_Return);
        QCOMPARE(others, 1);
        QCOMPARE(saves, 2);

        // Without any default button Enter reaches the edit's filter.
        save->setDefaultButton(false);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(saves, 2);
        QCOMPARE(seen->size(), 3);
    }

    void escapeClicksTheVisibleEnabledCancelButton()
    {
        CountingForm form("Fescape");
        auto *edit = new QLineEdit(&form);
        auto *cancelAdd = new BitBtn(&form, "BitBtn8", BitBtn::Kind::Cancel);
        auto *cancelEdit = new BitBtn(&form, "BatalEDIT", BitBtn::Kind::Cancel);
        laidOut(&form, { edit, cancelAdd, cancelEdit });
        QStringList clicked;
        cancelAdd->onClick = [&] { clicked << "BitBtn8"; };
        cancelEdit->onClick = [&] { clicked << "BatalEDIT"; };
        const QList<int> *seen = recordKeys(edit);
        form.showModeless();
        cancelAdd->hide();

        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(clicked, QStringList({ "BatalEDIT" }));

        cancelEdit->setEnabled(false);
        QTest::keyClick(edit, Qt::Key_Escape);
        cancelAdd->show();
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(clicked, QStringList({ "BatalEDIT", "BitBtn8" }));

        cancelAdd->hide();
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(*seen, QList<int>({ 27, 27 }));
        QCOMPARE(clicked.size(), 2);
    }

    void charCodes()
    {
        QCOMPARE(codeOf(Qt::Key_Backspace, Qt::NoModifier, "\b"), 8);
        QCOMPARE(codeOf(Qt::Key_Return, Qt::NoModifier, "\r"), 13);
        QCOMPARE(codeOf(Qt::Key_Enter, Qt::KeypadModifier, "\r"), 13);
        QCOMPARE(codeOf(Qt::Key_Escape, Qt::NoModifier, "\x1b"), 27);
        QCOMPARE(codeOf(Qt::Key_C, Qt::ControlModifier, "\x03"), 3);
        QCOMPARE(codeOf(Qt::Key_V, Qt::ControlModifier, ""), 22);
        QCOMPARE(codeOf(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier, ""), 24);
        QCOMPARE(codeOf(Qt::Key_A, Qt::NoModifier, "a"), int('a'));
        QCOMPARE(codeOf(Qt::Key_A, Qt::ShiftModifier, "A"), int('A'));
        QCOMPARE(codeOf(Qt::Key_Slash, Qt::NoModifier, "/"), int('/'));
        QCOMPARE(codeOf(Qt::Key_Space, Qt::NoModifier, " "), 32);
        QCOMPARE(codeOf(Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é")), 0xE9);
        QCOMPARE(codeOf(Qt::Key_Tab, Qt::NoModifier, "\t"), 0);
        QCOMPARE(codeOf(Qt::Key_Delete, Qt::NoModifier, "\x7f"), 0);
        QCOMPARE(codeOf(Qt::Key_Left, Qt::NoModifier, ""), 0);
        QCOMPARE(codeOf(Qt::Key_Home, Qt::NoModifier, ""), 0);
        QCOMPARE(codeOf(Qt::Key_F1, Qt::NoModifier, ""), 0);
    }

    void keyFilterDiscardsPassesAndReplaces()
    {
        CountingForm form("Fkeys");
        auto *edit = new QLineEdit(&form);
        laidOut(&form, { edit });
        QList<int> seen;
        keys::onKeyPress(edit, [&](int &key) {
            seen << key;
            if (key == 'a')
                key = 'A';
            else if (key != 'A' && (key < '0' || key > '9'))
                key = 0;
        });
        form.showModeless();
        edit->setText("12");
        edit->setFocus();

        QTest::keyClicks(edit, "3");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, "b/");
        QCOMPARE(edit->text(), QString("123"));
        QTest::keyClicks(edit, "a");
        QCOMPARE(edit->text(), QString("123A"));

        // Keys without a character act and are never filtered.
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("23A"));
        QCOMPARE(seen, QList<int>({ '3', 8, 'b', '/', 'a' }));

        // A failing filter keeps the key from the edit.
        MessageScript script;
        keys::onKeyPress(edit, [](int &) { throw std::runtime_error("rusak"); });
        QTest::keyClicks(edit, "7");
        QCOMPARE(edit->text(), QString("23A"));
        QCOMPARE(script.texts(), QStringList({ "rusak" }));
    }

    void editingShortcutsReachTheFilter()
    {
        CountingForm form("Fclip");
        auto *edit = new QLineEdit(&form);
        laidOut(&form, { edit });
        QList<int> seen;
        bool discard = true;
        keys::onKeyPress(edit, [&](int &key) {
            seen << key;
            if (discard)
                key = 0;
        });
        form.showModeless();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        QGuiApplication::clipboard()->setText("99");
        edit->setText("12");
        edit->selectAll();

        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(seen, QList<int>({ 3, 24, 22 }));
        QCOMPARE(edit->text(), QString("12"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("99"));

        discard = false;
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString("1299"));

        // A control that does not claim the editing keys itself still gets
        // them before a window shortcut on the same keys.
        auto *plain = new QWidget(&form);
        plain->setFocusPolicy(Qt::StrongFocus);
        form.layout()->addWidget(plain);
        int copies = 0;
        auto *copy = new QAction(&form);
        copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
        QObject::connect(copy, &QAction::triggered, [&] { ++copies; });
        form.addAction(copy);
        QList<int> plainSeen;
        keys::onKeyPress(plain, [&](int &key) { plainSeen << key; });
        plain->setFocus();
        QTest::keyClick(plain, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(plainSeen, QList<int>({ 3 }));
        QCOMPARE(copies, 0);
    }

    void modalRunEndsWithTheButtonsResultAfterItsHandler()
    {
        CountingForm dialog("Fcari");
        auto *edit = new QLineEdit(&dialog);
        auto *ok = new BitBtn(&dialog, "BitBtn1", BitBtn::Kind::Ok);
        auto *cancel = new BitBtn(&dialog, "BitBtn2", BitBtn::Kind::Cancel);
        auto *plain = new Button(&dialog, "Plain", "Plain");
        laidOut(&dialog, { edit, ok, cancel, plain });
        bool modalDuringHandler = false;
        ok->onClick = [&] { modalDuringHandler = dialog.isModalRunning() && dialog.isVisible(); };

        clickSoon(ok);
        QCOMPARE(runModal(dialog), int(mrOk));
        QVERIFY(modalDuringHandler);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.isModalRunning());
        QCOMPARE(dialog.windowModality(), Qt::NonModal);
        QCOMPARE(dialog.closes, 1);

        // A button without a result leaves the run going; Esc then cancels.
        int plainClicks = 0;
        plain->onClick = [&] { ++plainClicks; };
        QTimer::singleShot(0, plain, [&] {
            plain->click();
            QTimer::singleShot(0, edit, [&] {
                QVERIFY(dialog.isModalRunning());
                QTest::keyClick(edit, Qt::Key_Escape);
            });
        });
        QCOMPARE(runModal(dialog), int(mrCancel));
        QCOMPARE(plainClicks, 1);

        // Enter in the edit clicks OK; a failing handler still ends the run.
        MessageScript script;
        ok->onClick = [] { throw Abort(); };
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
        QCOMPARE(runModal(dialog), int(mrOk));
        ok->onClick = [] { throw std::runtime_error("Data Tidak Ditemukan"); };
        clickSoon(ok);
        QCOMPARE(runModal(dialog), int(mrOk));
        QCOMPARE(script.texts(), QStringList({ "Data Tidak Ditemukan" }));

        // A handler may take the result back and keep the window open.
        int tries = 0;
        bool runningAfterTakeBack = false;
        ok->onClick = [&] {
            ++tries;
            dialog.setModalResult(mrNone);
            QTimer::singleShot(0, cancel, [&] {
                runningAfterTakeBack = dialog.isModalRunning();
                cancel->click();
            });
        };
        clickSoon(ok);
        QCOMPARE(runModal(dialog), int(mrCancel));
        QCOMPARE(tries, 1);
        QVERIFY(runningAfterTakeBack);
    }

    void modalRunsNest()
    {
        CountingForm outer("Fanggota");
        CountingForm inner("Fcari");
        auto *open = new Button(&outer, "BBedit", "Edit");
        auto *outerOk = new BitBtn(&outer, "BitBtn7", BitBtn::Kind::Ok);
        auto *innerOk = new BitBtn(&inner, "BitBtn1", BitBtn::Kind::Ok);
        int innerResult = mrNone;
        bool outerModalAfterInner = false;
        open->onClick = [&] {
            clickSoon(innerOk);
            innerResult = runModal(inner);
            outerModalAfterInner = outer.isModalRunning() && outer.isVisible();
            clickSoon(outerOk);
        };
        clickSoon(open);
        QCOMPARE(runModal(outer), int(mrOk));
        QCOMPARE(innerResult, int(mrOk));
        QVERIFY(outerModalAfterInner);
        QVERIFY(!inner.isVisible());
        QVERIFY(!outer.isVisible());

        // The outer button's own result waits for the nested run it opened.
        open->setModalResult(mrYes);
        open->onClick = [&] {
            clickSoon(innerOk);
            innerResult = runModal(inner);
            outerModalAfterInner = outer.isModalRunning();
        };
        clickSoon(open);
        QCOMPARE(runModal(outer), int(mrYes));
        QCOMPARE(innerResult, int(mrOk));
        QVERIFY(outerModalAfterInner);
    }

    void modalRequestForAWindowShownModeless()
    {
        CountingForm form("Fsimpan");
        auto *ok = new BitBtn(&form, "BitBtn7", BitBtn::Kind::Ok);
        int clicks = 0;
        ok->onClick = [&] { ++clicks; };
        form.showModeless();
        QCOMPARE(runModal(form), int(mrNone));
        QVERIFY(form.isVisible());
        QVERIFY(!form.isModalRunning());
        QCOMPARE(form.windowModality(), Qt::NonModal);

        // Outside a modal run a button's result does nothing.
        ok->click();
        QCOMPARE(clicks, 1);
        QVERIFY(form.isVisible());
        QCOMPARE(form.closes, 0);

        // Once closed, the same window can run modally, and afterwards be
        // shown modeless again without blocking the others.
        form.close();
        bool blocksOthers = false;
        ok->onClick = [&] { blocksOthers = QApplication::activeModalWidget() == &form; };
        clickSoon(ok);
        QCOMPARE(runModal(form), int(mrOk));
        QVERIFY(blocksOthers);
        form.showModeless();
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!form.isModalRunning());
    }

    void closingAModalRunCancelsIt()
    {
        CountingForm form("Fpinjam");
        QTimer::singleShot(0, &form, [&] { form.close(); });
        QCOMPARE(runModal(form), int(mrCancel));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.closes, 1);

        QTimer::singleShot(0, &form, [&] { form.hide(); });
        QCOMPARE(runModal(form), int(mrCancel));
        QVERIFY(!form.isVisible());
    }

    void bitButtonKinds()
    {
        CountingForm form("Fkinds");
        const BitBtn ok(&form, "ok", BitBtn::Kind::Ok);
        const BitBtn save(&form, "save", BitBtn::Kind::Ok, "Save");
        const BitBtn cancel(&form, "cancel", BitBtn::Kind::Cancel);
        const BitBtn yes(&form, "yes", BitBtn::Kind::Yes);
        const BitBtn no(&form, "no", BitBtn::Kind::No);
        const BitBtn close(&form, "close", BitBtn::Kind::Close);
        const BitBtn custom(&form, "custom", BitBtn::Kind::Custom, "RINCIAN");
        QCOMPARE(ok.text(), QString("OK"));
        QCOMPARE(save.text(), QString("Save"));
        QCOMPARE(cancel.text(), QString("Cancel"));
        QCOMPARE(yes.text(), QString("&Yes"));
        QCOMPARE(no.text(), QString("&No"));
        QCOMPARE(close.text(), QString("&Close"));
        QCOMPARE(custom.text(), QString("RINCIAN"));
        QCOMPARE(save.modalResult(), int(mrOk));
        QCOMPARE(cancel.modalResult(), int(mrCancel));
        QCOMPARE(yes.modalResult(), int(mrYes));
        QCOMPARE(no.modalResult(), int(mrNo));
        QCOMPARE(custom.modalResult(), int(mrNone));
        QVERIFY(save.isDefaultButton() && !save.isCancelButton());
        QVERIFY(cancel.isCancelButton() && !cancel.isDefaultButton());
        QVERIFY(!close.isDefaultButton() && !close.isCancelButton());
        QVERIFY(!custom.isDefaultButton() && !custom.isCancelButton());

        BitBtn pictured(&form, "pictured", BitBtn::Kind::Custom, "Cari");
        QVERIFY(pictured.icon().isNull());
        pictured.setPicture(resources + "/search.jpg");
        QVERIFY(!pictured.icon().isNull());
        pictured.setHint("Cari anggota");
        QCOMPARE(pictured.toolTip(), QString("Cari anggota"));
    }

    void closeButtonAlwaysClosesItsForm()
    {
        CountingForm form("Flapsimpan");
        auto *close = new BitBtn(&form, "BitBtn2", BitBtn::Kind::Close);
        bool visibleDuringHandler = false;
        close->onClick = [&] { visibleDuringHandler = form.isVisible(); };
        form.showModeless();
        close->click();
        QVERIFY(visibleDuringHandler);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.closes, 1);

        clickSoon(close);
        QCOMPARE(runModal(form), int(mrClose));
        QCOMPARE(form.closes, 2);
    }

    void speedButton()
    {
        CountingForm form("Fmenu");
        SpeedButton button(&form, "SpeedButton1");
        button.setHint("Anggota");
        button.setPicture(resources + "/anggota.jpg");
        QCOMPARE(button.objectName(), QString("SpeedButton1"));
        QCOMPARE(button.toolTip(), QString("Anggota"));
        QCOMPARE(button.iconSize(), QSize(32, 32));
        QVERIFY(!button.icon().isNull());
        QCOMPARE(button.focusPolicy(), Qt::NoFocus);

        MessageScript script;
        int clicks = 0;
        button.onClick = [&] {
            if (++clicks == 1)
                throw std::runtime_error("sekali");
        };
        button.click();
        button.click();
        QCOMPARE(clicks, 2);
        QCOMPARE(script.texts(), QStringList({ "sekali" }));
    }

    void failingHandlersReachTheStandardErrorBox()
    {
        MessageScript script;
        CountingForm form("Fanggota");
        auto *button = new Button(&form, "BitBtn7", "Save");
        int runs = 0;
        std::function<void()> failure;
        button->onClick = [&] {
            ++runs;
            if (failure)
                failure();
        };

        failure = [] { throw std::runtime_error("Gagal menyimpan"); };
        button->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(script.last().kind, messages::Kind::StandardError);
        QCOMPARE(script.last().title, QString("Error"));
        QCOMPARE(script.last().text, QString("Gagal menyimpan"));

        failure = [] { throw DatabaseError(dberr::RequiredValue, QString::fromUtf8("Field 'Nama' harus diisi – wajib")); };
        button->click();
        QCOMPARE(script.last().text, QString::fromUtf8("Field 'Nama' harus diisi – wajib"));

        failure = [] { throw Abort(); };
        button->click();
        QCOMPARE(script.count(), 2);

        failure = [] { throw 42; };
        button->click();
        QCOMPARE(script.last().text, QString("Terjadi kesalahan yang tidak dikenal."));

        failure = nullptr;
        button->click();
        QCOMPARE(runs, 5);
        QCOMPARE(script.count(), 3);

        QVERIFY(messages::guard([] {}));
        QVERIFY(!messages::guard([] { throw Abort(); }));
        QCOMPARE(script.count(), 3);
    }

    void applicationCatchesWhatEscapesAnEvent()
    {
        QCOMPARE(QCoreApplication::applicationName(), QString("simpanpinjam"));
        QCOMPARE(QCoreApplication::organizationName(), QString("SimpanPinjam"));
        QVERIFY(qobject_cast<Application *>(QCoreApplication::instance()));

        MessageScript script;
        Failing failing;
        QEvent event(QEvent::User);
        failing.fail = [] { throw std::runtime_error("Tabel rusak"); };
        QCoreApplication::sendEvent(&failing, &event);
        failing.fail = [] { throw Abort(); };
        QCoreApplication::sendEvent(&failing, &event);
        QCOMPARE(script.texts(), QStringList({ "Tabel rusak" }));
    }

    void messageKindsThroughTheScript()
    {
        MessageScript script;
        messages::showMessage("Data Tidak Ditemukan");
        messages::warning("NPM salah!!");
        messages::information("Masukkan pinjaman");
        script.answer(mrYes);
        QCOMPARE(messages::informationYesNo("Hapus?"), int(mrYes));
        QCOMPARE(messages::informationYesNo("Hapus lagi?"), int(mrNo));
        messages::confirmation("password salah ! Silahkan coba lagi.");
        messages::error("Gagal");
        QCOMPARE(script.titles(), QStringList({ "Simpan Pinjam", "Warning", "Information", "Information",
                                                "Information", "Confirm", "Error" }));
        QCOMPARE(script.boxes().at(3).kind, messages::Kind::InformationYesNo);
        QCOMPARE(script.boxes().at(5).kind, messages::Kind::Confirmation);
        QCOMPARE(script.texts().at(5), QString("password salah ! Silahkan coba lagi."));

        // A script that gives no answer gets the box's own default.
        messages::setScript([](const messages::Box &) { return int(mrNone); });
        QCOMPARE(messages::show(messages::Kind::Warning, "x"), int(mrOk));
        QCOMPARE(messages::informationYesNo("x"), int(mrNo));
        QCOMPARE(messages::show(messages::Kind::ConfirmationOkCancel, "Delete record?"), int(mrCancel));
        messages::setScript(nullptr);

        MessageScript defaults;
        QCOMPARE(messages::show(messages::Kind::ConfirmationOkCancel, "Delete record?"), int(mrOk));
        QCOMPARE(defaults.last().title, QString("Confirm"));
        defaults.answer(mrCancel);
        QCOMPARE(messages::show(messages::Kind::ConfirmationOkCancel, "Delete record?"), int(mrCancel));
    }

    void messageBoxesAreRealModalBoxes()
    {
        messages::setScript(nullptr);
        struct Expected {
            messages::Kind kind;
            QString title;
            QMessageBox::Icon icon;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton press;
            int answer;
        };
        const QList<Expected> cases = {
            { messages::Kind::Plain, "Simpan Pinjam", QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, mrOk },
            { messages::Kind::Warning, "Warning", QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, mrOk },
            { messages::Kind::Information, "Information", QMessageBox::Information, QMessageBox::Ok,
              QMessageBox::Ok, mrOk },
            { messages::Kind::InformationYesNo, "Information", QMessageBox::Information,
              QMessageBox::Yes | QMessageBox::No, QMessageBox::No, mrNo },
            { messages::Kind::InformationYesNo, "Information", QMessageBox::Information,
              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, mrYes },
            { messages::Kind::Confirmation, "Confirm", QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok, mrOk },
            { messages::Kind::ConfirmationOkCancel, "Confirm", QMessageBox::Question,
              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, mrCancel },
            { messages::Kind::ConfirmationOkCancel, "Confirm", QMessageBox::Question,
              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, mrOk },
            { messages::Kind::Error, "Error", QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, mrOk },
            { messages::Kind::ConfirmationYesNoCancel, "Confirm", QMessageBox::Question,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, mrYes },
            { messages::Kind::ConfirmationYesNoCancel, "Confirm", QMessageBox::Question,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, mrNo },
            { messages::Kind::ConfirmationYesNoCancel, "Confirm", QMessageBox::Question,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel, mrCancel },
        };
        for (const Expected &expected : cases) {
            QString title;
            QString text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            bool modal = false;
            QStringList captions;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                poll.stop();
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = box->standardButtons();
                modal = box->isModal();
                if (expected.kind == messages::Kind::ConfirmationYesNoCancel)
                    captions = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text(),
                                box->button(QMessageBox::Cancel)->text()};
                box->button(expected.press)->click();
            });
            poll.start(5);
            QCOMPARE(messages::show(expected.kind, "Anda yakin?"), expected.answer);
            QCOMPARE(title, expected.title);
            QCOMPARE(text, QString("Anda yakin?"));
            QCOMPARE(icon, expected.icon);
            QCOMPARE(buttons, expected.buttons);
            QVERIFY(modal);
            if (expected.kind == messages::Kind::ConfirmationYesNoCancel)
                QCOMPARE(captions, QStringList({"&Ya", "&Tidak", "&Batal"}));
        }
    }

    void clickHandlerRunsAfterTheControlHadTheClick()
    {
        CountingForm form("Fanggota");
        auto *first = new QLineEdit(&form);
        auto *edit = new QLineEdit(&form);
        laidOut(&form, { first, edit });
        int clicks = 0;
        bool focusedWhenRun = false;
        keys::onClick(edit, [&] {
            ++clicks;
            focusedWhenRun = edit->hasFocus();
        });
        form.showModeless();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        first->setFocus();

        QTest::keyClick(first, Qt::Key_Tab); // reached by keyboard: no click
        QCoreApplication::processEvents();
        QCOMPARE(clicks, 0);
        first->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTRY_COMPARE(clicks, 1);
        QVERIFY(focusedWhenRun);
        QTest::mouseClick(edit, Qt::RightButton);
        QCoreApplication::processEvents();
        QCOMPARE(clicks, 1);
    }
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestForms test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_forms.moc"
