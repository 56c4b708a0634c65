#include "savings/Uslip.h"

TFslip *Fslip = nullptr;

TFslip::TFslip(QWidget *parent) : Form(QStringLiteral("Fslip"), parent)
{
    setWindowTitle(QStringLiteral("Slip"));
}
