#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/layout.h"

// The member report: every member, one line each, with the count and the
// manager's signature. A layout bound to the member table; the holder itself
// is never shown.
class TReportAnggota : public Form {
    Q_OBJECT
public:
    // Binds the layout to the data module, which therefore must exist.
    explicit TReportAnggota(QWidget *parent = nullptr);

    static const QString Title;         // "LAPORAN ANGGOTA "
    static const QString Manager;       // the name under the signature

    report::Layout Report;

    // Shows the member report in print preview; returns when it is closed.
    // The report walks the member table, which is left on its last row.
    void Preview();
};

extern TReportAnggota *ReportAnggota;
