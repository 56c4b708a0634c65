#pragma once

// The savings and loans windows as a teller drives them: members and their
// rows put into the files by SQL, a member chosen through the search dialog,
// the window made active as a desk would. Header-only: only tests linking the
// core use it.

#include "data/DM.h"
#include "members/Ucari.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QTableView>
#include <QStringList>
#include <QTest>
#include <QTimer>

inline const QString Ani = QStringLiteral("1201001");
inline const QString Budi = QStringLiteral("1202002");
inline const QString Citra = QStringLiteral("1203003");

inline void exec(const QString &sql)
{
    modul->connection()->execute(sql);
}

// Rows put into the files by another tool, then read afresh by the program.
inline void seed(const QStringList &statements)
{
    for (const QString &sql : statements)
        exec(sql);
    modul->Tanggota1->refresh();
    modul->Tanggota1->first();
}

inline void activate(QWidget *window)
{
    if (!window->isVisible())
        window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Clicks `button`, which shows the search dialog modally, and answers the
// dialog: types `number` and presses OK (or Cancel).
inline void search(QAbstractButton *button, const QString &number, bool ok = true)
{
    static int runs = 0;
    const int run = ++runs;
    QTimer::singleShot(0, Fcari, [number, ok] {
        if (!QTest::qWaitForWindowActive(Fcari))
            qWarning("the search dialog did not become active");
        QTest::keyClicks(Fcari->EnoA, number);
        (ok ? Fcari->BitBtn1 : Fcari->BitBtn2)->click();
    });
    QTimer::singleShot(5000, Fcari, [run] {
        if (run == runs && Fcari->isVisible()) {
            qWarning("the search dialog was left open");
            Fcari->close();
        }
    });
    button->click();
    // A desktop hands the activation back to the window that opened the
    // dialog; the headless platform leaves that to us.
    activate(button->window());
}

inline QString currentMember()
{
    return modul->Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->asString();
}

// The grid's columns among `columns` narrower than their widest cell needs,
// as "column: width < needed"; empty when every one shows its texts whole.
inline QStringList narrowColumns(const QTableView *grid, std::initializer_list<int> columns)
{
    QStringList narrow;
    const QAbstractItemView *view = grid;   // the table hides its size hints
    for (int column : columns) {
        if (grid->columnWidth(column) < view->sizeHintForColumn(column))
            narrow << QStringLiteral("%1: %2 < %3").arg(column).arg(grid->columnWidth(column))
                          .arg(view->sizeHintForColumn(column));
    }
    return narrow;
}
