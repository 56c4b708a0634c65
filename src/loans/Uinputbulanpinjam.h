#pragma once

#include "runtime/forms/monthpicker.h"

// The month picker of the monthly loan report. Preview selects the chosen
// month's loans of the chosen year into the loans query, totals them, counts
// the borrowers, shows the report and closes the picker once the preview
// is closed.
class TForm2 : public MonthPicker {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    void BitBtn1Click() override;

protected:
    int firstYear() override;
};

extern TForm2 *Form2;
