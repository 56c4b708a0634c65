#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QComboBox>
#include <QLabel>
#include <QString>

// The month picker of the monthly loan report. Preview selects the chosen
// month's loans of every year into the loans query, totals and counts them,
// shows the report and closes the picker once the preview is closed.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QLabel *Label1;
    QComboBox *ComboBox1;
    BitBtn *BitBtn1;
    BitBtn *BitBtn2;

    void BitBtn1Click();

    // Month code ("01".."12") and name ("Januari"..) of an item position;
    // both empty for any other position (no item chosen).
    static QString monthCode(int position);
    static QString monthName(int position);
};

extern TForm2 *Form2;
