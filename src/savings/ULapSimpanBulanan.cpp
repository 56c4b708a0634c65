#include "savings/ULapSimpanBulanan.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent) : Form(QStringLiteral("Form3"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Simpanan Anggota Berdasarkan Bulan"));
}
