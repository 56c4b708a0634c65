#pragma once

// The monthly reports as the operator runs them (a menu entry opens the
// month picker, a month, the preview button) and where their texts land.
// Header-only: only tests linking the core use it.

#include "runtime/forms/monthpicker.h"
#include "runtime/report/report.h"
#include "support/messagescript.h"
#include "support/millimetres.h"
#include "support/pages.h"

#include <QAction>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

// The year as the report heading shows it, after a blank.
inline QString thisYear()
{
    return QStringLiteral(" ") + QString::number(QDate::currentDate().year());
}

// A year of 0 keeps the year the picker offers (the current one at first).
inline void runMonthlyReport(QAction *menuEntry, MonthPicker *picker, int position, int year = 0)
{
    menuEntry->trigger();
    QVERIFY(picker->isVisible());
    picker->ComboBox1->setCurrentIndex(position);
    if (year > 0) {
        const int at = picker->ComboBox2->findText(QString::number(year));
        QVERIFY2(at >= 0, "the year is not offered");
        picker->ComboBox2->setCurrentIndex(at);
    }
    picker->BitBtn1->click();
}

inline QStringList offeredYears(const MonthPicker *picker)
{
    QStringList years;
    for (int i = 0; i < picker->ComboBox2->count(); ++i)
        years << picker->ComboBox2->itemText(i);
    return years;
}

// The years from `first` to the current one, as the year box lists them.
inline QStringList yearsFrom(int first)
{
    QStringList years;
    for (int year = first; year <= QDate::currentDate().year(); ++year)
        years << QString::number(year);
    return years;
}

// The pages of the report of the month at `position`; none when the program
// had anything to say on the way.
inline QList<report::Page> pagesOfMonth(QAction *menuEntry, MonthPicker *picker, int position,
                                           int year = 0)
{
    MessageScript script;
    PreviewCatcher preview;
    runMonthlyReport(menuEntry, picker, position, year);
    return script.texts().isEmpty() ? preview.pages : QList<report::Page>();
}

// What every month picker shows alike: the label, the twelve month codes
// with none chosen, the close button, and the names behind the codes.
inline void compareMonthPicker(const MonthPicker *picker)
{
    QCOMPARE(picker->Label1->text(), QStringLiteral("Bulan Ke-"));
    QCOMPARE(picker->ComboBox1->toolTip(), QStringLiteral("Pilih bulan laporan"));
    QStringList items;
    for (int i = 0; i < picker->ComboBox1->count(); ++i)
        items << picker->ComboBox1->itemText(i);
    QCOMPARE(items, (QStringList{"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"}));
    QCOMPARE(picker->ComboBox1->currentIndex(), -1);
    QCOMPARE(picker->Label2->text(), QStringLiteral("Tahun"));
    QCOMPARE(picker->ComboBox2->toolTip(), QStringLiteral("Pilih tahun laporan"));
    QCOMPARE(picker->BitBtn2->text(), QStringLiteral("&Close"));

    QStringList names;
    for (int i = -1; i <= 12; ++i)
        names << MonthPicker::monthName(i);
    QCOMPARE(names, (QStringList{"", "Januari", "Februari", "Maret", "April", "Mei", "Juni", "Juli", "Agustus",
                                 "September", "Oktober", "November", "Desember", ""}));
}

// Where a text's corner lands on the paper (mm) and in what type.
// A text that follows another on its line stands at its place or, when the
// other reaches it, a blank after the other.
struct Place {
    const char *name;
    double left;
    double top;
    report::FontStyle font;
    const char *after = nullptr;
};

inline void comparePlaces(const report::Page &page, const QList<Place> &places)
{
    for (const Place &place : places) {
        const report::Item *item = page.find(QLatin1String(place.name));
        QVERIFY2(item, place.name);
        const double left = place.after ? std::max(place.left, afterText(page, place.after, place.name)) : place.left;
        QCOMPARE_CORNER(place.name, item->rect, left, place.top);
        QCOMPARE(item->font, report::reportFont(place.font));
    }
}
