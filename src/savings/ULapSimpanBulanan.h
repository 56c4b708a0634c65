#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/layout.h"

// Holder of the monthly savings report: a layout over the savings query,
// one line per deposit of the chosen month. Never shown itself; the month
// picker fills the month, the year and the totals and previews it.
class TForm3 : public Form {
    Q_OBJECT
public:
    // Binds the layout to the data module, which therefore must exist.
    explicit TForm3(QWidget *parent = nullptr);

    static const QString Title;         // "LAPORAN SIMPANAN ANGGOTA"
    static const QString Manager;       // the name under the signature

    // Labels the picker fills: QRLBulan, QRtahun, QRLabel11 (compulsory),
    // QRLabel12 (voluntary), QRLabel13 (graduation), QRLtotsaldo (overall).
    report::Layout QuickRep1;
};

extern TForm3 *Form3;
