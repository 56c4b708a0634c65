#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QComboBox>
#include <QLabel>
#include <QString>

// A small window that asks for a month of a year: "Bulan Ke-" with the
// month codes "01".."12" to choose from (none chosen at first), "Tahun" with
// the years of the book (the current one chosen at first), a preview button
// BitBtn1 and a close button BitBtn2. The window using it gives the title,
// BitBtn1's caption and hints, the book's first year and what BitBtn1 does.
class MonthPicker : public Form {
    Q_OBJECT
public:
    QLabel *Label1;
    QComboBox *ComboBox1;
    QLabel *Label2;
    QComboBox *ComboBox2;
    BitBtn *BitBtn1;
    BitBtn *BitBtn2;

    virtual void BitBtn1Click() = 0;

    // Month code ("01".."12") and name ("Januari"..) of an item position;
    // both empty for any other position (no item chosen).
    static QString monthCode(int position);
    static QString monthName(int position);

    // Offers the years from `first` (or the current year, if later) to the
    // current year, keeping the year chosen before when it is among them.
    void offerYears(int first);
    // The chosen year as four digits; empty when none is chosen.
    QString chosenYear() const;

protected:
    explicit MonthPicker(const QString &instanceName, QWidget *parent = nullptr);
    // The book's first year, asked each time the picker is shown.
    virtual int firstYear() = 0;
    void showEvent(QShowEvent *event) override;
};
