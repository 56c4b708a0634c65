#pragma once

#include "runtime/forms/monthpicker.h"

// The month picker of the monthly loan report. Preview selects the chosen
// month's loans of every year into the loans query, totals and counts them,
// shows the report and closes the picker once the preview is closed.
class TForm2 : public MonthPicker {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    void BitBtn1Click() override;
};

extern TForm2 *Form2;
