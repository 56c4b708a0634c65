#include "members/Laporan_Anggota.h"

TReportAnggota *ReportAnggota = nullptr;

TReportAnggota::TReportAnggota(QWidget *parent) : Form(QStringLiteral("ReportAnggota"), parent)
{
    setWindowTitle(QStringLiteral("Laporan Anggota"));
}

void TReportAnggota::Preview()
{
    showModeless();
}
