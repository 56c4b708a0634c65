#pragma once

#include "runtime/forms/form.h"
#include "runtime/report/layout.h"

// Holder of the two transaction slips. Never shown itself: it only keeps the
// layouts and prints them for the savings and loans windows.
class TFslip : public Form {
    Q_OBJECT
public:
    // Binds the layouts to the data module, which therefore must exist.
    explicit TFslip(QWidget *parent = nullptr);

    static const QString SimpanTitle;   // "SLIP SIMPANAN"
    static const QString PinjamTitle;   // "SLIP PINJAMAN"

    report::Layout SlipSIMPAN;
    report::Layout SLIPpinjam;

    // The current member's last deposit (loan) in print preview; returns
    // when the preview is closed. Moving to the last row first settles a
    // pending row: a post the table refuses ends here with the rules'
    // warning already shown (Abort), and no slip appears.
    void PrintSimpan();
    void PrintPinjam();

private:
    void buildSlipSimpan();
    void buildSlipPinjam();
};

extern TFslip *Fslip;
