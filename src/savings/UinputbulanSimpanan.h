#pragma once

#include "runtime/forms/monthpicker.h"

// The month picker of the monthly savings report. Preview selects the
// chosen month's deposits of the chosen year into the savings query, totals
// them, counts the depositors, shows the report and closes the picker once the
// preview is closed.
class TFlapsimpan : public MonthPicker {
    Q_OBJECT
public:
    explicit TFlapsimpan(QWidget *parent = nullptr);

    void BitBtn1Click() override;

protected:
    int firstYear() override;
};

extern TFlapsimpan *Flapsimpan;
