#include "savings/simpanan.h"

#include "data/DM.h"

#include <QVBoxLayout>

TFsimpan *Fsimpan = nullptr;

TFsimpan::TFsimpan(QWidget *parent) : Form(QStringLiteral("Fsimpan"), parent)
{
    setWindowTitle(QStringLiteral("Data Simpanan Anggota"));
    auto *layout = new QVBoxLayout(this);
    DBETglSimpan = new DBEdit(this, QStringLiteral("DBETglSimpan"));
    DBETglSimpan->setEnabled(false);
    DBGrid1 = new DBGrid(this, QStringLiteral("DBGrid1"));
    DBGrid1->setHint(QStringLiteral("Tabel Simpanan"));
    DBGrid1->setReadOnlyGrid(false);
    DBGrid1->setColumns({{QStringLiteral("No_Simpan"), QStringLiteral("No")},
                         {QStringLiteral("Tgl_Simpan"), QStringLiteral("Tgl Simpan")},
                         {QStringLiteral("No_Anggota"), QStringLiteral("No Anggota")},
                         {QStringLiteral("S_Wajib"), QStringLiteral("S.Wajib"), Qt::AlignCenter},
                         {QStringLiteral("S_Sukarela"), QStringLiteral("S.Sukarela"), Qt::AlignCenter},
                         {QStringLiteral("S_Wisuda"), QStringLiteral("S.Wisuda"), Qt::AlignCenter},
                         {QStringLiteral("Total"), QStringLiteral("Total"), Qt::AlignCenter}});
    DBNavigator1 = new DBNavigator(this, QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit,
                                     DBNavigator::Post, DBNavigator::Cancel, DBNavigator::Refresh});
    DBNavigator1->setHints({QStringLiteral("Tambah data simpanan"), QStringLiteral("Hapus data simpanan"),
                            QStringLiteral("Ubah data simpanan"), QStringLiteral("Simpan data transaksi"),
                            QStringLiteral("Transaksi dibatalkan"), QStringLiteral("Refresh data")});
    DBNavigator1->setEnabled(false);
    BitBtn3 = new Button(this, QStringLiteral("BitBtn3"), QStringLiteral("RINCIAN"));
    BitBtn3->setHint(QStringLiteral("Rincian saldo"));
    BitBtn3->setEnabled(false);
    layout->addWidget(DBETglSimpan);
    layout->addWidget(DBGrid1);
    layout->addWidget(DBNavigator1);
    layout->addWidget(BitBtn3);
    FormCreate();
}

void TFsimpan::connectData()
{
    DBETglSimpan->setDataSource(modul->DSsimpan1);
    DBETglSimpan->setDataField(QStringLiteral("Tgl_Simpan"));
    DBGrid1->setDataSource(modul->DSsimpan1);
    DBNavigator1->setDataSource(modul->DSsimpan1);
}

void TFsimpan::FormCreate()
{
    DBGrid1->setEnabled(false);
}
