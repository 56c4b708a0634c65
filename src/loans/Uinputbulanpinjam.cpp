#include "loans/Uinputbulanpinjam.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : Form(QStringLiteral("Form2"), parent)
{
    setWindowTitle(QStringLiteral("Input Bulan Pinjam"));
}
