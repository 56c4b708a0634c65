#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/layout.h"

// Holder of the monthly loan report: a layout over the loans query, one
// line per loan of the chosen month. Never shown itself; the month picker
// fills the month, the year, the total and the count and previews it.
class TFlapPinjam : public Form {
    Q_OBJECT
public:
    // Binds the layout to the data module, which therefore must exist.
    explicit TFlapPinjam(QWidget *parent = nullptr);

    static const QString Title;         // "LAPORAN PINJAMAN ANGGOTA"
    static const QString Manager;       // the name under the signature

    // Labels the picker fills: QRLbulan, QRtahun, QRLabel13 (amount lent),
    // QRLabel14 (number of loans).
    report::Layout QuickRep1;
};

extern TFlapPinjam *FlapPinjam;
