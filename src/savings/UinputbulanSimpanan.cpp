#include "savings/UinputbulanSimpanan.h"

TFlapsimpan *Flapsimpan = nullptr;

TFlapsimpan::TFlapsimpan(QWidget *parent) : Form(QStringLiteral("Flapsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Simpan"));
}
