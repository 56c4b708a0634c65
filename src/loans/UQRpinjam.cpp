#include "loans/UQRpinjam.h"

TFlapPinjam *FlapPinjam = nullptr;

TFlapPinjam::TFlapPinjam(QWidget *parent) : Form(QStringLiteral("FlapPinjam"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Pinjaman Anggota Berdasarkan Bulan"));
}
