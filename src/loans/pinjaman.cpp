#include "loans/pinjaman.h"

#include "data/DM.h"

#include <QFormLayout>

TFpinjam *Fpinjam = nullptr;

TFpinjam::TFpinjam(QWidget *parent) : Form(QStringLiteral("Fpinjam"), parent)
{
    setWindowTitle(QStringLiteral("Data Pinjaman Anggota"));
    auto *layout = new QFormLayout(this);
    DBEbespin = new DBEdit(this, QStringLiteral("DBEbespin"));
    layout->addRow(QStringLiteral("Besar Pinjam"), DBEbespin);
    DBEtglP = new DBEdit(this, QStringLiteral("DBEtglP"));
    DBEtglP->setEnabled(false);
    DBEtglP->setVisible(false);
}

void TFpinjam::connectData()
{
    DBEbespin->setDataSource(modul->DSpinjam);
    DBEbespin->setDataField(QStringLiteral("Besar_Pinjam"));
    DBEtglP->setDataSource(modul->DSpinjam);
    DBEtglP->setDataField(QStringLiteral("Tgl_Pinjam"));
}
