#pragma once

#include "runtime/forms/buttons.h"
#include "runtime/forms/form.h"

#include <QComboBox>
#include <QLabel>
#include <QString>

// The month picker of the monthly savings report. Preview selects the
// chosen month's deposits of every year into the savings query, totals them,
// shows the report and closes the picker once the preview is closed.
class TFlapsimpan : public Form {
    Q_OBJECT
public:
    explicit TFlapsimpan(QWidget *parent = nullptr);

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

extern TFlapsimpan *Flapsimpan;
