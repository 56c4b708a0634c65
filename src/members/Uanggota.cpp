#include "members/Uanggota.h"

#include "data/DM.h"

TFanggota *Fanggota = nullptr;

TFanggota::TFanggota(QWidget *parent) : Form(QStringLiteral("Fanggota"), parent)
{
    setWindowTitle(QStringLiteral("Pengolahan Data Anggota"));
    DBEtglDaftar = new DBEdit(this, QStringLiteral("DBEtglDaftar"));
    DBEtglDaftar->setVisible(false);
    DBEtglDaftar->setDataSource(modul->DSanggota1);
    DBEtglDaftar->setDataField(QStringLiteral("Tgl_Daftar"));
}
