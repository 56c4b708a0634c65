#include "savings/Uslip.h"

#include "data/DM.h"
#include "runtime/picture.h"
#include "runtime/report/report.h"

TFslip *Fslip = nullptr;

const QString TFslip::SimpanTitle = QStringLiteral("SLIP SIMPANAN");
const QString TFslip::PinjamTitle = QStringLiteral("SLIP PINJAMAN");

using namespace report;

namespace {

const QString Cooperative = QStringLiteral("KOPERASI MAHASISWA UNIVERSITAS RAWIDAKSA");
constexpr double TitleHeight = 43.1;

// Both slips share one page set-up and the head of their title band.
void addHead(Layout &slip, double logoLeft, double titleLeft, const QString &title, double nameLeft)
{
    slip.page = PageSetup();
    slip.dataset = nullptr;                     // title and detail print once
    Band &band = slip.addBand(BandKind::Title, TitleHeight, Frame::all());
    band.addPicture(logoLeft, 0.0, 19.3, 13.0, picture::loadJpeg(QStringLiteral(":/logo.jpg"))).named("logo");
    band.addText(titleLeft, 1.1, title, FontStyle::boldUnderlined(14.0)).named("judul");
    band.addText(nameLeft, 8.5, Cooperative).named("koperasi");
    band.addLine(0.0, 12.7, slip.page.contentWidth()).named("garis");
}

// The member part of the title band: the member number comes from the
// transaction row, name and address from the member row.
void addMember(Band &band, Dataset *transactions)
{
    Dataset *members = modul->Tanggota1;
    band.addText(84.7, 16.9, QStringLiteral("No. Anggota")).named("labelNoAnggota");
    band.addField(105.8, 16.9, transactions, QStringLiteral("No_Anggota")).named("No_Anggota");
    band.addText(84.7, 23.3, QStringLiteral("Nama")).named("labelNama");
    band.addField(105.8, 23.3, members, QStringLiteral("Nama")).named("Nama");
    band.addText(84.7, 29.6, QStringLiteral("Alamat")).named("labelAlamat");
    band.addField(105.8, 29.6, members, QStringLiteral("Alamat")).named("Alamat");
    band.addField(105.8, 36.0, members, QStringLiteral("Kodepos")).named("Kodepos");
}

} // namespace

TFslip::TFslip(QWidget *parent) : Form(QStringLiteral("Fslip"), parent)
{
    setWindowTitle(QStringLiteral("Slip"));
    buildSlipSimpan();
    buildSlipPinjam();
}

void TFslip::buildSlipSimpan()
{
    Dataset *savings = modul->Tsimpan1;
    addHead(SlipSIMPAN, 24.1, 72.0, SimpanTitle, 44.5);
    Band &title = *SlipSIMPAN.band(BandKind::Title);
    title.addText(4.2, 19.1, QStringLiteral("No.")).named("labelNo");
    title.addField(11.4, 19.3, savings, QStringLiteral("No_Simpan")).named("No_Simpan");
    addMember(title, savings);

    const double width = SlipSIMPAN.page.contentWidth();
    Band &detail = SlipSIMPAN.addBand(BandKind::Detail, 50.5, Frame::all());
    detail.addRectangle(0.0, 0.0, width, 1.1).named("strip");
    detail.addText(5.0, 4.5, QStringLiteral("Rincian :")).named("labelRincian");
    detail.addText(4.0, 11.1, QStringLiteral("Simpanan Wajib")).named("labelWajib");
    detail.addField(40.2, 11.1, savings, QStringLiteral("S_Wajib")).named("S_Wajib");
    detail.addText(4.0, 17.5, QStringLiteral("Simpanan Sukarela")).named("labelSukarela");
    detail.addField(40.2, 17.5, savings, QStringLiteral("S_Sukarela")).named("S_Sukarela");
    detail.addText(4.0, 23.8, QStringLiteral("Tabungan Wisuda")).named("labelWisuda");
    detail.addField(40.2, 23.8, savings, QStringLiteral("S_Wisuda")).named("S_Wisuda");
    detail.addLine(38.1, 30.2, 20.6).named("garisJumlah");
    detail.addText(4.0, 32.3, QStringLiteral("Jumlah")).named("labelJumlah");
    detail.addField(40.2, 31.5, savings, QStringLiteral("Total")).named("Total");
    detail.addDoubleLine(38.1, 37.0, 37.6, 20.6).named("garisGanda");
    // The date is stored as text and prints as it stands.
    detail.addText(118.5, 3.4, QStringLiteral("Bandung,")).named("labelKota");
    detail.addField(135.5, 3.4, savings, QStringLiteral("Tgl_Simpan")).named("Tgl_Simpan");
    detail.addText(114.3, 14.0, QStringLiteral("Penyetor")).named("labelPenyetor");
    detail.addText(138.4, 14.0, QStringLiteral("Teller/ Kasir")).named("labelKasir");
    detail.addRectangle(110.1, 20.4, 23.5, 23.5).named("kotakPenyetor");
    detail.addRectangle(135.5, 20.4, 23.5, 23.5).named("kotakKasir");
}

void TFslip::buildSlipPinjam()
{
    Dataset *loans = modul->Tpinjam;
    addHead(SLIPpinjam, 26.2, 74.1, PinjamTitle, 48.7);
    Band &title = *SLIPpinjam.band(BandKind::Title);
    title.addText(4.2, 17.2, QStringLiteral("No.")).named("labelNo");
    title.addField(11.4, 17.5, loans, QStringLiteral("No_Pinjaman")).named("No_Pinjaman");
    addMember(title, loans);

    const double width = SLIPpinjam.page.contentWidth();
    Band &detail = SLIPpinjam.addBand(BandKind::Detail, 51.1, Frame::all());
    detail.addRectangle(0.0, 0.0, width, 1.1).named("strip");
    detail.addText(4.0, 4.2, QStringLiteral("Besar Pinjaman")).named("labelBesar");
    detail.addField(38.1, 4.2, loans, QStringLiteral("Besar_Pinjam")).named("Besar_Pinjam");
    detail.addText(4.0, 11.9, QStringLiteral("Biaya Administrasi")).named("labelAdm");
    detail.addField(38.1, 11.6, loans, QStringLiteral("Adm")).named("Adm");
    detail.addLine(38.1, 18.5, 19.1).named("garisJumlah");
    detail.addText(4.0, 19.1, QStringLiteral("Total Pinjaman")).named("labelTotal");
    detail.addField(37.8, 19.3, loans, QStringLiteral("TotPinjam")).named("TotPinjam");
    detail.addDoubleLine(38.1, 24.9, 25.4, 19.1).named("garisGanda");
    detail.addText(4.0, 31.8, QStringLiteral("Barang Jaminan :")).named("labelJaminan");
    detail.addField(33.9, 31.8, loans, QStringLiteral("Jaminan")).named("Jaminan");
    detail.addText(114.3, 18.3, QStringLiteral("Bandung,")).named("labelKota");
    detail.addField(129.9, 18.3, loans, QStringLiteral("Tgl_Pinjam")).named("Tgl_Pinjam");
    detail.addText(105.0, 26.7, QStringLiteral("Peminjam")).named("labelPeminjam");
    detail.addText(133.6, 26.7, QStringLiteral("Teller/ Kasir")).named("labelKasir");
    detail.addLine(99.5, 46.3, 23.5).named("garisPeminjam");
    detail.addLine(131.5, 46.0, 23.5).named("garisKasir");
}

void TFslip::PrintSimpan()
{
    // The member's rows come in posting order: the last is the latest deposit.
    modul->Tsimpan1->last();
    showPreview(SlipSIMPAN, SimpanTitle);
}

void TFslip::PrintPinjam()
{
    modul->Tpinjam->last();
    showPreview(SLIPpinjam, PinjamTitle);
}
