#pragma once

#include "runtime/forms/form.h"

class TReportAnggota : public Form {
    Q_OBJECT
public:
    explicit TReportAnggota(QWidget *parent = nullptr);

    // Shows the member report in print preview; returns when it is closed.
    void Preview();
};

extern TReportAnggota *ReportAnggota;
