#pragma once

// The whole program on a fresh database folder, with the means to drive the
// member window as a clerk does and to read what the table files then hold.

#include "support/messagescript.h"

#include "app/forms.h"
#include "app/menu.h"
#include "data/DM.h"
#include "members/Uanggota.h"
#include "members/Ucari.h"
#include "runtime/db/connection.h"
#include "runtime/db/postgres/postgres.h"
#include "runtime/db/sqlite/sqlite.h"
#include "runtime/forms/application.h"
#include "support/program.h"
#include "support/sqlfile.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sqlite3.h>

#include <functional>
#include <memory>

namespace fixture {

// One run of the program (see support/program.h), its windows hidden
// before they go.
class Program : public ::Program {
public:
    ~Program()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    // Ends the run and starts the program again on the same files, so that
    // every window meets the book as it stands at start-up.
    void restart()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
        destroyForms();
        createForms();
        for (QTimer *timer : {Fmenu->Timer1, Fmenu->Timer2, Fmenu->Timer3})
            timer->stop();
    }

    // Runs SQL on the program's own connection (the files are attached under
    // their table names) and lets the datasets read the files afresh.
    void seed(const QStringList &statements)
    {
        for (const QString &sql : statements)
            modul->connection()->execute(sql);
        modul->Tanggota1->refresh();
        modul->Tanggota1->first();
    }

    // SQL run by another desk on the same server, through a session of its own.
    void otherDesk(const QString &sql) const { postgres::Session(target()).run(sql); }

    // Rows as text ("" for an empty value), read through a connection of
    // its own, so only what was committed to the files is seen.
    QList<QStringList> rows(const QString &sql) const
    {
        if (isServerTarget(target())) {
            QList<QStringList> result;
            for (const QVariantList &row : readFile(target(), sql)) {
                QStringList texts;
                for (const QVariant &value : row)
                    texts << value.toString();
                result << texts;
            }
            return result;
        }
        sqlite3 *db = nullptr;
        const QString main = file(QStringLiteral("Tanggota1.DB"));
        if (sqlite3_open_v2(main.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            qFatal("cannot open %s", qPrintable(main));
        }
        for (const auto &[fileName, name] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"Torangtua.db", "Torangtua"}, {"Tsimpanan1.db", "Tsimpanan1"}, {"Tpinjaman1.DB", "Tpinjaman1"}}) {
            const QString attach = QStringLiteral("ATTACH DATABASE '%1' AS %2")
                                       .arg(file(QLatin1String(fileName)), QLatin1String(name));
            sqlite3_exec(db, attach.toUtf8().constData(), nullptr, nullptr, nullptr);
        }
        QList<QStringList> result;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("bad SQL %s: %s", qPrintable(sql), sqlite3_errmsg(db));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
                row << (text ? QString::fromUtf8(text) : QString());
            }
            result << row;
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return result;
    }

    QStringList column(const QString &sql) const
    {
        QStringList values;
        for (const QStringList &row : rows(sql))
            values << row.value(0);
        return values;
    }

    int count(const QString &table) const
    {
        return rows(QStringLiteral("SELECT count(*) FROM %1").arg(table)).value(0).value(0).toInt();
    }
};

// A trigger that refuses every `event` (UPDATE, DELETE) on a table with
// `message`: a fault injected into the middle of a transaction.
inline QString refusingTrigger(const QString &table, const QString &event, const QString &message)
{
    if (testserver::wanted())
        return QStringLiteral("CREATE FUNCTION refuse_%1() RETURNS trigger LANGUAGE plpgsql AS "
                              "$$BEGIN RAISE EXCEPTION '%3'; END$$; "
                              "CREATE TRIGGER refuse BEFORE %2 ON %1 FOR EACH ROW EXECUTE FUNCTION refuse_%1()")
            .arg(table, event, message);
    return QStringLiteral("CREATE TRIGGER %1.refuse BEFORE %2 ON %1 BEGIN SELECT RAISE(ABORT, '%3'); END")
        .arg(table, event, message);
}

inline QString today()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

// A member row as SQL, all fields filled.
inline QString member(const QString &number, const QString &npm, const QString &nbk, const QString &name,
                      const QString &registered = QStringLiteral("2001-02-03"))
{
    return QStringLiteral("INSERT INTO Tanggota1 VALUES ('%1', '%2', '%3', '%4', '%5', 'Bandung', '1983-01-10', "
                          "'P', 'O', 'Islam ', 'Jl. Dago 1', '40135', '022-250')")
        .arg(number, registered, name, npm, nbk);
}

inline QString deposit(const QString &number, int amount)
{
    return QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) "
                          "VALUES ('01/02/2003', '%1', %2, 0, 0)")
        .arg(number)
        .arg(qint64(amount) * 10000);
}

inline QString loan(const QString &number, int amount)
{
    return QStringLiteral("INSERT INTO Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) "
                          "VALUES ('01/02/2003', '%1', %2, 'Motor')")
        .arg(number)
        .arg(qint64(amount) * 10000);
}

inline QString parentRow(const QString &number, const QString &name)
{
    return QStringLiteral("INSERT INTO Torangtua VALUES ('%1', '%2', 'Jl. Asia 2', '40111', '022-1')").arg(number, name);
}

// Shows the member window and makes it the active window, so that focus
// moves (and with them the writing of typed text into the row) happen as
// they do on a desk.
inline void activate(Form *form)
{
    if (!form->isVisible())
        form->showModeless();
    form->activateWindow();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
}

// Types into an input the way a clerk does: the focus arrives there first
// (leaving the previous input), what it shows is selected and typed over.
inline void type(QWidget *input, const QString &text)
{
    if (QWidget *w = input->window(); !w->isActiveWindow())
        activate(qobject_cast<Form *>(w));
    input->setFocus(Qt::TabFocusReason);
    QTest::keyClick(input, Qt::Key_Home);
    QTest::keyClick(input, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClicks(input, text);
}

// Answers the search dialog while it runs modally: types `number` into its
// box and presses OK (or Cancel). A dialog left open is closed after a
// while, so a broken flow fails instead of hanging.
inline void answerSearch(const QString &number, bool ok = true)
{
    QTimer::singleShot(0, Fcari, [number, ok] {
        if (!QTest::qWaitForWindowActive(Fcari))
            qWarning("the search dialog did not become active");
        QTest::keyClicks(Fcari->EnoA, number);
        (ok ? Fcari->BitBtn1 : Fcari->BitBtn2)->click();
    });
    QTimer::singleShot(5000, Fcari, [] {
        if (Fcari->isVisible()) {
            qWarning("the search dialog was left open");
            Fcari->close();
        }
    });
}

// The fields of a new member, typed in the window's keyboard order.
struct Entry {
    QString npm = QStringLiteral("B0012345");
    QString nbk = QStringLiteral("045");
    QString name = QStringLiteral("Sri Rahayu");
    QString place = QStringLiteral("Garut");
    QString birth = QStringLiteral("100183");
    QString address = QStringLiteral("Jl. Dipatiukur 35");
    QString postcode = QStringLiteral("40132");
    QString phone = QStringLiteral("022-2504");
    QString gender = QStringLiteral("W");
    QString blood = QStringLiteral("AB");
    QString religion = QStringLiteral("Hindu");
};

inline void typeEntry(const Entry &e)
{
    TFanggota *w = Fanggota;
    const QList<std::pair<QWidget *, QString>> inputs{
        {w->DBEnpm, e.npm},        {w->DBEnbk, e.nbk},     {w->DBEnama, e.name},   {w->DBEtmpl, e.place},
        {w->DBEtgll, e.birth},     {w->DBEalamat, e.address}, {w->DBEkodepos, e.postcode},
        {w->DBEtelp, e.phone},     {w->DBCjk, e.gender},   {w->DBCdarah, e.blood}, {w->DBCagama, e.religion}};
    for (const auto &[input, text] : inputs) {
        if (!text.isEmpty())
            type(input, text);
    }
    // Leaving the last input writes it into the row, as a click elsewhere would.
    w->DBEnpm->setFocus(Qt::TabFocusReason);
}

inline QString currentNumber()
{
    return modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->asString();
}

} // namespace fixture

#define MEMBER_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
